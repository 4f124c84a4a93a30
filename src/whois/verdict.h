#pragma once

#include <QMetaType>
#include <QString>

// What a lookup found out. A name is free only on the registry's own "not found" and taken only
// on evidence of a record; everything else is unknown, with the reason, and is never filed.
enum class Verdict { Free, Taken, Unknown };

// How one lookup ended: the name as the user wrote it, the server asked, the verdict and, for
// an unknown verdict, why (for example "rate-limited" or "no reply").
struct LookupOutcome {
    QString name;
    QString server;
    Verdict verdict = Verdict::Unknown;
    QString reason;
    int retryAfterSeconds = 0; // what a throttling server asked for, 0 when it said nothing
};

Q_DECLARE_METATYPE(LookupOutcome)
