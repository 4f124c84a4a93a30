#include "loopbackhttpserver.h"

#include <QTcpSocket>
#include <QTimer>
#include <memory>

LoopbackHttpServer::LoopbackHttpServer(QObject *parent)
    : QObject(parent) {
    connect(&m_server, &QTcpServer::newConnection, this, &LoopbackHttpServer::onNewConnection);
}

bool LoopbackHttpServer::start(quint16 port) {
    return m_server.listen(QHostAddress::LocalHost, port);
}

QString LoopbackHttpServer::hostAndPort() const {
    return QStringLiteral("127.0.0.1:%1").arg(port());
}

QString LoopbackHttpServer::baseUrl() const {
    return QStringLiteral("http://") + hostAndPort();
}

void LoopbackHttpServer::setPage(const QString &target, const QByteArray &body,
                                 const QByteArray &contentType, const QByteArray &status) {
    m_pages.insert(target, Page{body, contentType, status, {}, false});
}

void LoopbackHttpServer::setResponse(const QString &target, int status, const QByteArray &body,
                                     const QByteArray &headers, const QByteArray &contentType) {
    m_pages.insert(target,
                   Page{body, contentType, QByteArray::number(status) + " Status", headers, false});
}

void LoopbackHttpServer::setStalled(const QString &target) {
    m_pages.insert(target, Page{"{\"objectClassName\": \"domain\"", "application/rdap+json",
                                "200 OK", QByteArray(), true});
}

QByteArray LoopbackHttpServer::respond(const QString &target) const {
    auto page = m_pages.constFind(target);
    if (page == m_pages.cend())
        page = m_pages.constFind(target.section(QLatin1Char('?'), 0, 0));
    Page served;
    if (page == m_pages.cend())
        served = Page{"<html><body>Not found</body></html>",
                      "text/html",
                      missingStatus == 404 ? QByteArray("404 Not Found")
                                           : QByteArray::number(missingStatus) + " Status",
                      {},
                      false};
    else
        served = *page;
    // A stalled body announces more than it sends.
    const qsizetype length = served.stalled ? served.body.size() + 1000 : served.body.size();
    const QByteArray type = served.contentType.isEmpty()
                                ? QByteArray()
                                : "Content-Type: " + served.contentType + "\r\n";
    return "HTTP/1.1 " + served.status + "\r\n" + type +
           "Content-Length: " + QByteArray::number(length) +
           "\r\nCache-Control: no-store\r\nConnection: close\r\n" + served.headers + "\r\n" +
           served.body;
}

void LoopbackHttpServer::onNewConnection() {
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        socket->setParent(this);
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        auto buffer = std::make_shared<QByteArray>();
        connect(socket, &QTcpSocket::readyRead, this, [this, socket, buffer] {
            buffer->append(socket->readAll());
            if (!buffer->contains("\r\n\r\n"))
                return;
            // "GET /path?query HTTP/1.1"
            const QList<QByteArray> requestLine = buffer->left(buffer->indexOf("\r\n")).split(' ');
            const QString target =
                requestLine.size() >= 2 ? QString::fromLatin1(requestLine.at(1)) : QString();
            heads << buffer->left(buffer->indexOf("\r\n\r\n"));
            buffer->clear();
            requests << target;
            emit requested(target);
            const auto answer = [this, socket, target] {
                socket->write(respond(target));
                const auto page = m_pages.constFind(target);
                if (page == m_pages.cend() || !page->stalled)
                    socket->disconnectFromHost();
            };
            if (responseDelayMs > 0)
                QTimer::singleShot(responseDelayMs, socket, answer);
            else
                answer();
        });
    }
}
