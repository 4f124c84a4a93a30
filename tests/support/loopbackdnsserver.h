#pragma once

#include <QByteArrayList>
#include <QObject>
#include <QSet>
#include <QStringList>
#include <QTcpServer>
#include <QUdpSocket>

// A DNS server on 127.0.0.1 for tests and benchmarks, over UDP and (on the same port, for a
// resolver that falls back to it) TCP. It answers an NS query with NS records for a name in
// `delegated`, an empty NOERROR answer for one in `withoutNs`, SERVFAIL for one in `failing`,
// nothing at all for one in `silent`, and NXDOMAIN for any other. Names are kept lower case
// without the final dot.
class LoopbackDnsServer : public QObject {
    Q_OBJECT
public:
    explicit LoopbackDnsServer(QObject *parent = nullptr);

    bool start(); // a free port, the same for UDP and TCP
    quint16 port() const { return m_udp.localPort(); }
    // "127.0.0.1:PORT", as a DNS server setting is written.
    QString address() const;

    QSet<QString> delegated;
    QSet<QString> withoutNs;
    QSet<QString> failing;
    QSet<QString> silent;
    // Answers with the truncated bit set over UDP (the resolver asks again over TCP).
    bool truncateUdp = false;

    QStringList queries; // every name asked (lower case, no final dot), in order
    int tcpQueries = 0;

private:
    void readDatagrams();
    void onNewConnection();
    // The reply to `query`, or empty for none.
    QByteArray reply(const QByteArray &query, bool overUdp);

    QUdpSocket m_udp;
    QTcpServer m_tcp;
};
