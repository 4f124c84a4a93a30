#include "loopbackwhoisserver.h"

#include <QFile>
#include <QPointer>
#include <QTcpSocket>
#include <QTimer>
#include <memory>
#include <sys/socket.h>

LoopbackWhoisServer::LoopbackWhoisServer(QObject *parent)
    : QObject(parent) {
    connect(&m_server, &QTcpServer::newConnection, this, &LoopbackWhoisServer::onNewConnection);
}

LoopbackWhoisServer::~LoopbackWhoisServer() {
    stop();
}

bool LoopbackWhoisServer::start(quint16 port) {
    return m_server.listen(QHostAddress::LocalHost, port);
}

void LoopbackWhoisServer::stop() {
    m_server.close();
}

quint16 LoopbackWhoisServer::port() const {
    return m_server.serverPort();
}

QByteArray LoopbackWhoisServer::sampleReply(const QString &fileName) {
    const QString dir =
        qEnvironmentVariable("KESTRIN_SOURCE_DIR") + QStringLiteral("/tests/data/whois-replies/");
    QFile f(dir + fileName);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void LoopbackWhoisServer::onNewConnection() {
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        ++connections;
        emit connectionAccepted();
        socket->setParent(this);
        if (mode == Mode::CloseAtOnce) {
            socket->disconnectFromHost();
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            continue;
        }
        auto buffer = std::make_shared<QByteArray>();
        connect(socket, &QTcpSocket::readyRead, this, [this, socket, buffer] {
            buffer->append(socket->readAll());
            const qsizetype end = buffer->indexOf('\n');
            if (end < 0)
                return;
            rawQueries << buffer->left(end + 1);
            QByteArray query = buffer->left(end);
            if (query.endsWith('\r'))
                query.chop(1);
            buffer->clear();
            queries << query;
            emit queryReceived(query);
            if (mode == Mode::Silent || silentNames.contains(QString::fromLatin1(query).toLower()))
                return;
            QPointer<QTcpSocket> guard(socket);
            if (delayMs > 0)
                QTimer::singleShot(delayMs, this, [this, guard, query] {
                    if (guard)
                        answer(guard, query);
                });
            else
                answer(socket, query);
        });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }
}

void LoopbackWhoisServer::answer(QTcpSocket *socket, const QByteArray &query) {
    if (mode == Mode::Reset || resetFirst > 0) {
        if (resetFirst > 0)
            --resetFirst;
        // A zero linger time makes close() send RST instead of the orderly FIN.
        const linger hard{1, 0};
        ::setsockopt(int(socket->socketDescriptor()), SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
        socket->abort();
        socket->deleteLater();
        return;
    }
    if (mode == Mode::Oversized) {
        const QByteArray chunk(64 * 1024, 'x');
        for (qint64 sent = 0; sent < oversizeBytes; sent += chunk.size())
            socket->write(chunk);
    } else {
        const QString name = QString::fromLatin1(query).toLower();
        socket->write(replies.value(name, defaultReply));
        if (laterReplies.contains(name))
            replies.insert(name, laterReplies.take(name));
    }
    socket->disconnectFromHost();
}
