#pragma once

#include <QHash>
#include <QString>
#include <functional>

// Which WHOIS/RDAP servers are resting, and until when. A server that throttled is not asked
// at all until its rest is over; a server that left a name undecided for another reason (no
// reply, a reset) is still asked for other names, but a retry of that name waits for its
// shorter rest. Servers are told apart by name, without regard to case.
//
// Times are milliseconds of a monotonic clock; tests pass a clock they drive themselves.
class ServerRest {
public:
    using Clock = std::function<qint64()>;

    explicit ServerRest(Clock clock = {});

    qint64 now() const { return m_clock(); }

    // `server` throttled: it is not asked for the next `ms` milliseconds. A later end never
    // shortens an earlier, longer rest.
    void throttled(const QString &server, qint64 ms);
    // `server` left a name undecided for another reason: a retry waits `ms` milliseconds.
    void failed(const QString &server, qint64 ms);

    // Throttled and still resting: not to be asked now.
    bool isThrottled(const QString &server) const;
    // When a retry may ask `server` again (clock time; at or before now() when it may already).
    qint64 readyAt(const QString &server) const;
    bool isReady(const QString &server) const { return readyAt(server) <= now(); }

    void clear() { m_rests.clear(); }

private:
    struct Rest {
        qint64 throttledUntil = 0;
        qint64 readyAt = 0;
    };
    std::function<qint64()> m_clock;
    QHash<QString, Rest> m_rests; // by lower-case server name
};
