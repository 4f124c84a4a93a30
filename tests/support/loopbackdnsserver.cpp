#include "loopbackdnsserver.h"

#include <QHostAddress>
#include <QNetworkDatagram>
#include <QTcpSocket>

namespace {
constexpr int HeaderBytes = 12;
constexpr quint16 TypeNs = 2;
constexpr quint16 ClassIn = 1;
constexpr int RcodeServFail = 2;
constexpr int RcodeNxDomain = 3;

void put16(QByteArray &out, quint16 value) {
    out.append(char(value >> 8));
    out.append(char(value & 0xff));
}

QByteArray encodeName(const QByteArray &name) {
    QByteArray out;
    for (const QByteArray &label : name.split('.'))
        if (!label.isEmpty()) {
            out.append(char(label.size()));
            out.append(label);
        }
    out.append('\0');
    return out;
}
} // namespace

LoopbackDnsServer::LoopbackDnsServer(QObject *parent)
    : QObject(parent) {
    connect(&m_udp, &QUdpSocket::readyRead, this, &LoopbackDnsServer::readDatagrams);
    connect(&m_tcp, &QTcpServer::newConnection, this, &LoopbackDnsServer::onNewConnection);
}

bool LoopbackDnsServer::start() {
    for (int attempt = 0; attempt < 20; ++attempt) {
        if (!m_udp.bind(QHostAddress::LocalHost, 0))
            return false;
        if (m_tcp.listen(QHostAddress::LocalHost, m_udp.localPort()))
            return true;
        m_udp.close();
    }
    return false;
}

QString LoopbackDnsServer::address() const {
    return QStringLiteral("127.0.0.1:") + QString::number(port());
}

void LoopbackDnsServer::readDatagrams() {
    while (m_udp.hasPendingDatagrams()) {
        const QNetworkDatagram datagram = m_udp.receiveDatagram();
        const QByteArray answer = reply(datagram.data(), true);
        if (!answer.isEmpty())
            m_udp.writeDatagram(answer, datagram.senderAddress(), quint16(datagram.senderPort()));
    }
}

void LoopbackDnsServer::onNewConnection() {
    while (QTcpSocket *socket = m_tcp.nextPendingConnection()) {
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
            QByteArray buffered = socket->property("buffered").toByteArray() + socket->readAll();
            while (buffered.size() >= 2) {
                const int length = (quint8(buffered[0]) << 8) | quint8(buffered[1]);
                if (buffered.size() < 2 + length)
                    break;
                const QByteArray query = buffered.mid(2, length);
                buffered.remove(0, 2 + length);
                ++tcpQueries;
                const QByteArray answer = reply(query, false);
                if (answer.isEmpty())
                    continue;
                QByteArray framed;
                put16(framed, quint16(answer.size()));
                socket->write(framed + answer);
            }
            socket->setProperty("buffered", buffered);
        });
    }
}

QByteArray LoopbackDnsServer::reply(const QByteArray &query, bool overUdp) {
    if (query.size() < HeaderBytes + 5)
        return {};
    // The question: labels up to the root, then type and class.
    QByteArray name;
    int at = HeaderBytes;
    while (at < query.size() && query[at] != 0) {
        const int length = quint8(query[at]);
        if (length > 63 || at + 1 + length >= query.size())
            return {};
        if (!name.isEmpty())
            name.append('.');
        name.append(query.mid(at + 1, length));
        at += 1 + length;
    }
    const int questionEnd = at + 5;
    if (questionEnd > query.size())
        return {};
    const quint16 type = quint16((quint8(query[at + 1]) << 8) | quint8(query[at + 2]));
    const QString key = QString::fromLatin1(name).toLower();
    queries << key;
    if (silent.contains(key))
        return {};

    int rcode = 0;
    QByteArrayList nameServers;
    if (delegated.contains(key)) {
        if (type == TypeNs)
            nameServers = {"ns1.loopback.test", "ns2.loopback.test"};
    } else if (failing.contains(key)) {
        rcode = RcodeServFail;
    } else if (!withoutNs.contains(key)) {
        rcode = RcodeNxDomain;
    }
    const bool truncated = overUdp && truncateUdp;
    QByteArray out = query.left(2); // the query's id
    // A response, recursion desired copied, recursion available.
    const quint8 flags1 = quint8(0x80 | (quint8(query[2]) & 0x01) | (truncated ? 0x02 : 0));
    out.append(char(flags1));
    out.append(char(0x80 | rcode));
    put16(out, 1);
    put16(out, quint16(truncated ? 0 : nameServers.size()));
    put16(out, 0);
    put16(out, 0);
    out.append(query.mid(HeaderBytes, questionEnd - HeaderBytes));
    if (truncated)
        return out;
    for (const QByteArray &server : nameServers) {
        out.append(char(0xc0)); // the owner: a pointer to the question's name
        out.append(char(HeaderBytes));
        put16(out, TypeNs);
        put16(out, ClassIn);
        put16(out, 0);
        put16(out, 300);
        const QByteArray data = encodeName(server);
        put16(out, quint16(data.size()));
        out.append(data);
    }
    return out;
}
