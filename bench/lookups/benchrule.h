#pragma once

#include <QByteArray>
#include <QString>

// What the benchmark server answers, shared with the benchmark so it can check the results.
namespace BenchRule {
// About one name in four is free.
inline bool isFree(const QByteArray &name) {
    unsigned sum = 0;
    for (char c : name)
        sum += static_cast<unsigned char>(c);
    return sum % 4 == 0;
}

inline QByteArray freeReply(const QByteArray &name) {
    return "No match for \"" + name.toUpper() + "\".\r\n>>> Last update of whois database <<<\r\n";
}

// A record of a typical size (about 1 KiB); it names no further server to ask.
inline QByteArray takenReply(const QByteArray &name) {
    QByteArray reply = "   Domain Name: " + name.toUpper() + "\r\n";
    reply += "   Registry Domain ID: 123456789_DOMAIN_COM-VRSN\r\n"
             "   Updated Date: 2024-01-01T00:00:00Z\r\n"
             "   Creation Date: 1999-01-01T00:00:00Z\r\n"
             "   Registry Expiry Date: 2030-01-01T00:00:00Z\r\n"
             "   Registrar: Example Registrar, Inc.\r\n"
             "   Registrar IANA ID: 9999\r\n"
             "   Domain Status: clientTransferProhibited\r\n"
             "   Name Server: NS1.EXAMPLE.NET\r\n"
             "   Name Server: NS2.EXAMPLE.NET\r\n"
             "   DNSSEC: unsigned\r\n";
    reply += QByteArray(600, ' ') + "\r\n>>> Last update of whois database <<<\r\n";
    return reply;
}

// The latency-tail server's delay for a name, fixed per name: 80% answer after 50 ms, 15% after
// 300 ms, 5% after 1.5 s, the way real registries answer.
inline int tailDelayMs(const QByteArray &name) {
    quint32 h = 2166136261u; // FNV-1a
    for (char c : name)
        h = (h ^ static_cast<unsigned char>(c)) * 16777619u;
    const quint32 bucket = h % 100;
    return bucket < 80 ? 50 : bucket < 95 ? 300 : 1500;
}

// The n-th four-letter name (0 -> "aaaa.com").
inline QString name(int n) {
    QString label(4, QLatin1Char('a'));
    for (int i = 3; i >= 0; --i, n /= 26)
        label[i] = QLatin1Char(char('a' + n % 26));
    return label + QStringLiteral(".com");
}
} // namespace BenchRule
