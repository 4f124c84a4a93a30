#include "whois/serverrest.h"

#include <QElapsedTimer>
#include <algorithm>

namespace {
qint64 monotonicMs() {
    static QElapsedTimer clock = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return clock.elapsed();
}
} // namespace

ServerRest::ServerRest(Clock clock)
    : m_clock(clock ? std::move(clock) : Clock(monotonicMs)) {}

void ServerRest::throttled(const QString &server, qint64 ms) {
    Rest &rest = m_rests[server.toLower()];
    const qint64 until = now() + std::max<qint64>(0, ms);
    rest.throttledUntil = std::max(rest.throttledUntil, until);
    rest.readyAt = std::max(rest.readyAt, until);
}

void ServerRest::failed(const QString &server, qint64 ms) {
    Rest &rest = m_rests[server.toLower()];
    rest.readyAt = std::max(rest.readyAt, now() + std::max<qint64>(0, ms));
}

bool ServerRest::isThrottled(const QString &server) const {
    const auto it = m_rests.constFind(server.toLower());
    return it != m_rests.cend() && it->throttledUntil > now();
}

qint64 ServerRest::readyAt(const QString &server) const {
    const auto it = m_rests.constFind(server.toLower());
    return it == m_rests.cend() ? 0 : it->readyAt;
}
