#include "whois/whoisviewer.h"

#include "whois/rdapquery.h"
#include "whois/registrartable.h"
#include "whois/replyclassifier.h"

#include <QFontDatabase>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QShortcut>
#include <QTcpSocket>
#include <QTextEdit>
#include <QVBoxLayout>

WhoisViewer::WhoisViewer(const QString &server, quint16 port, const QString &name, QWidget *parent)
    : QWidget(parent)
    , m_name(name)
    , m_replyView(new QTextEdit(this))
    , m_socket(new QTcpSocket(this)) {
    setObjectName(QStringLiteral("frmWhois"));
    setWindowTitle(QStringLiteral("WHOIS Information"));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(560, 420);

    m_replyView->setObjectName(QStringLiteral("text1"));
    m_replyView->setReadOnly(true);
    // Replies are preformatted columns. Wrapping would also make one endless line (up to the
    // reply cap) take minutes to lay out; unwrapped it takes a moment.
    m_replyView->setLineWrapMode(QTextEdit::NoWrap);
    m_replyView->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_replyView);
    new QShortcut(QKeySequence::Cancel, this, this, &QWidget::close);

    m_socket->setObjectName(QStringLiteral("Winsock1"));
    if (RegistrarEntry::isRdapServer(server)) {
        m_rdap = new RdapQuery(*new QNetworkAccessManager(this), this);
        connect(m_rdap, &RdapQuery::finished, this, [this](const RdapQuery::Result &result) {
            showRdap(result.status, result.body, result.error);
        });
        m_rdap->start(server, ReplyClassifier::asciiName(name));
        return;
    }
    connect(m_socket, &QTcpSocket::connected, this, &WhoisViewer::onConnected);
    connect(m_socket, &QTcpSocket::readyRead, this, &WhoisViewer::onReadyRead);
    connect(m_socket, &QTcpSocket::disconnected, this, &WhoisViewer::onClosedByServer);
    m_socket->connectToHost(server, port);
}

WhoisViewer::~WhoisViewer() {
    // Closing our own end is not the server's close: nothing may reach the dying text box.
    m_socket->disconnect(this);
    m_socket->abort();
}

void WhoisViewer::showRdap(int status, const QByteArray &body, const QString &error) {
    QString text = error.isEmpty() ? QStringLiteral("HTTP %1\n\n").arg(status)
                                   : QStringLiteral("RDAP error: %1\n\n").arg(error);
    QJsonParseError parsed;
    const QJsonDocument json = QJsonDocument::fromJson(body, &parsed);
    // Plain text either way: a reply is data, never markup to be interpreted.
    if (parsed.error == QJsonParseError::NoError)
        text += QString::fromUtf8(json.toJson(QJsonDocument::Indented));
    else
        text += QString::fromUtf8(body);
    m_replyView->setPlainText(text);
    emit replyShown();
}

void WhoisViewer::onConnected() {
    m_socket->write(ReplyClassifier::request(m_name));
}

void WhoisViewer::onReadyRead() {
    // Beyond the cap the bytes are read and dropped, so a runaway server cannot fill memory.
    const QByteArray data = m_socket->readAll();
    const qsizetype room = ReplyClassifier::MaxReplyBytes - m_reply.size();
    if (room > 0)
        m_reply.append(data.left(room));
}

void WhoisViewer::onClosedByServer() {
    onReadyRead();
    // Plain text: a reply is data, never markup to be interpreted.
    m_replyView->setPlainText(ReplyClassifier::replyText(m_reply));
    emit replyShown();
}
