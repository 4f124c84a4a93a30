#pragma once

#include <QHash>
#include <QList>
#include <QSet>
#include <QStringList>
#include <QTcpServer>

class QTcpSocket;

// A WHOIS server on 127.0.0.1 for tests. It reads one query line per connection and answers
// according to its mode, then closes the connection.
class LoopbackWhoisServer : public QObject {
    Q_OBJECT
public:
    enum class Mode {
        Answer,      // reply from the canned texts (per name, else the default reply)
        Silent,      // accept and never answer nor close
        CloseAtOnce, // close right after the connection is accepted, sending nothing
        Oversized,   // an endless-looking reply of `oversizeBytes` bytes, then close
        Reset,       // read the query, then reset the connection (TCP RST), sending nothing
    };

    explicit LoopbackWhoisServer(QObject *parent = nullptr);
    ~LoopbackWhoisServer() override;

    bool start(quint16 port = 0); // 0: a free port below 32768 (registrar rows are 16-bit signed)
    void stop();                  // refuse new connections (closes the listening socket)
    quint16 port() const;

    Mode mode = Mode::Answer;
    int delayMs = 0; // wait this long before answering
    QByteArray defaultReply = "Domain Name: TAKEN\r\nRegistrar: Example\r\n";
    QHash<QString, QByteArray> replies; // query name (lower case) -> reply
    QSet<QString> silentNames;          // query names (lower case) never answered
    // Query names (lower case) answered from `replies` once, then from here (a registry that
    // throttled or failed, and answers when asked again).
    QHash<QString, QByteArray> laterReplies;
    int resetFirst = 0; // in Answer mode, reset this many connections before answering
    qint64 oversizeBytes = 3 * 1024 * 1024;

    // Every query line received, in order, exactly as sent (without the CR LF).
    QList<QByteArray> queries;
    QByteArrayList rawQueries; // the raw bytes of each query, CR LF included
    int connections = 0;

    // A reply text from tests/data/whois-replies (or "" when the folder is not there).
    static QByteArray sampleReply(const QString &fileName);
    static QByteArray freeReply() { return "No match for \"NAME\".\r\n"; }

signals:
    void queryReceived(const QByteArray &name);
    void connectionAccepted();

private:
    void onNewConnection();
    void answer(QTcpSocket *socket, const QByteArray &query);

    QTcpServer m_server;
};
