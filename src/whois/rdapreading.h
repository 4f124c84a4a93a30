#pragma once

#include "whois/verdict.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

// What an RDAP reply proves about the name asked. The HTTP status decides, not the body:
// registries send empty 404s, 404s typed text/html, and 404 bodies that say "errorCode": 500.
// But a status alone is believed only from a server that is known to speak RDAP, and a 200
// only when it describes the name that was asked.
namespace RdapReading {
// Longest rest a Retry-After is read as; anything longer (or too large to hold) is at least
// this, which is longer than Kestrin waits for a server.
constexpr int MaxRetryAfterSeconds = 24 * 3600;

struct Reply {
    int status = 0;         // HTTP status, 0 when none arrived
    QByteArray contentType; // the Content-Type header
    QByteArray body;        // possibly cut at the reply cap
    QString error;          // transport failure or refused redirect, or ""
    int retryAfterSeconds = 0;
};

// `reply` to the lookup of `asciiName`; `trustedBase` when the server is known to speak RDAP.
Verdict read(const Reply &reply, const QString &asciiName, bool trustedBase, QString *reason);

// Whether a reply shows its server speaks RDAP: typed application/rdap+json, or a JSON object
// with an RDAP error code or conformance list.
bool showsRdap(const QByteArray &contentType, const QByteArray &body);

// The names a domain object gives itself (ldhName, unicodeName); read from the text when the
// body was cut short at the reply cap.
QStringList namesIn(const QByteArray &body);

// Seconds asked for by a Retry-After value, delay-seconds or an HTTP date (IMF-fixdate or
// asctime); at most MaxRetryAfterSeconds, 0 when it is absent, past or unreadable.
int retryAfterSeconds(const QByteArray &value,
                      const QDateTime &now = QDateTime::currentDateTimeUtc());

extern const QString NotShownReason;    // a 404 from a server that never showed it is RDAP
extern const QString AnotherNameReason; // a 200 for some other name (or none)
} // namespace RdapReading
