#pragma once

#include <QByteArray>
#include <QMetaType>
#include <QString>

// What a lookup found out. A name is free only on the registry's own "not found" and taken only
// on evidence of a record; everything else is unknown, with the reason, and is never filed.
enum class Verdict { Free, Taken, Unknown };

// How one lookup ended: the name as the user wrote it and as it went on the wire, the server
// asked, the verdict and, for an unknown verdict, why (for example "rate-limited" or "no
// reply"). Times are milliseconds of a monotonic clock, -1 for a step never reached: a name
// kept back or without a route is never sent.
struct LookupOutcome {
    QString name;
    QString server;
    Verdict verdict = Verdict::Unknown;
    QString reason;
    int retryAfterSeconds = 0; // what a throttling server asked for, 0 when it said nothing
    QString ascii;             // as asked: the ASCII (punycode) form
    QByteArray reply;          // capped at ReplyClassifier::MaxReplyBytes; an RDAP body
    qint64 startedMs = -1;
    qint64 sentMs = -1;
    qint64 endedMs = -1;
};

Q_DECLARE_METATYPE(LookupOutcome)
