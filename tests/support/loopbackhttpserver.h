#pragma once

#include <QByteArray>
#include <QHash>
#include <QStringList>
#include <QTcpServer>

// An HTTP server on 127.0.0.1 for tests: serves canned pages by request target and logs every
// target asked for. A target is matched whole first (path and query), then by its path alone;
// anything else gets 404. Every response closes its connection.
class LoopbackHttpServer : public QObject {
    Q_OBJECT
public:
    explicit LoopbackHttpServer(QObject *parent = nullptr);

    bool start(quint16 port = 0);
    quint16 port() const { return m_server.serverPort(); }
    // "127.0.0.1:port", and the same with "http://" in front.
    QString hostAndPort() const;
    QString baseUrl() const;

    // `status` is the HTTP status line's code and reason ("429 Too Many Requests").
    void setPage(const QString &target, const QByteArray &body,
                 const QByteArray &contentType = "text/html; charset=utf-8",
                 const QByteArray &status = "200 OK");
    // A response with any status and extra header lines ("Retry-After: 30\r\n"); an empty
    // `contentType` sends no Content-Type header.
    void setResponse(const QString &target, int status, const QByteArray &body,
                     const QByteArray &headers = {},
                     const QByteArray &contentType = "application/rdap+json");
    // Headers and the first bytes of the body are sent, then the connection hangs.
    void setStalled(const QString &target);
    // Status for targets with no page (404 by default).
    int missingStatus = 404;
    // Every response is sent this long after its request arrived (a slow server).
    int responseDelayMs = 0;

    // Request targets in the order they arrived (favicon requests included).
    QStringList requests;
    // The request line and header lines of each request, in the same order.
    QByteArrayList heads;

signals:
    void requested(const QString &target);

private:
    struct Page {
        QByteArray body;
        QByteArray contentType;
        QByteArray status; // the status line after "HTTP/1.1 "
        QByteArray headers;
        bool stalled = false;
    };
    void onNewConnection();
    QByteArray respond(const QString &target) const;

    QTcpServer m_server;
    QHash<QString, Page> m_pages;
};
