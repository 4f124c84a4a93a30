#include "whois/retrypass.h"

#include "core/timing.h"
#include "whois/lookuppool.h"
#include "whois/whoislog.h"

#include <QTimer>
#include <limits>

RetryPass::RetryPass(LookupPool &pool, const Timing &timing, QObject *parent)
    : QObject(parent)
    , m_pool(pool)
    , m_timing(timing)
    , m_restOver(new QTimer(this))
    , m_inSlot(size_t(pool.slotCount()))
    , m_busy(size_t(pool.slotCount()), false) {
    m_restOver->setSingleShot(true);
    m_restOver->setTimerType(Qt::PreciseTimer);
    connect(m_restOver, &QTimer::timeout, this, &RetryPass::fillSlots);
    m_pool.setServerRest(&m_rest);
}

RetryPass::~RetryPass() {
    m_pool.setServerRest(nullptr);
}

void RetryPass::reset() {
    halt();
    m_unknown.clear();
    m_rest.clear();
}

bool RetryPass::noteUnknown(const LookupOutcome &outcome, int tag) {
    restServer(outcome);
    // Without a registrar row or an ASCII form a name cannot be asked, now or later.
    if (outcome.server.isEmpty()) {
        m_unknown.append(outcome);
        return false;
    }
    m_queue.append(Pending{outcome, tag});
    return true;
}

// How long the server of an undecided name rests before it is asked about that name again. A
// throttling server is not asked about any name meanwhile.
void RetryPass::restServer(const LookupOutcome &outcome) {
    if (outcome.server.isEmpty())
        return;
    if (outcome.reason != LookupPool::RateLimitedReason) {
        m_rest.failed(outcome.server, m_timing.failedRestMs);
        return;
    }
    // Names that were kept back while it rests, and replies that were already on their way
    // when it first throttled, do not lengthen its rest.
    if (m_rest.isThrottled(outcome.server))
        return;
    const qint64 ms = outcome.retryAfterSeconds > 0
                          ? qint64(outcome.retryAfterSeconds) * m_timing.retryAfterUnitMs
                          : qint64(m_timing.throttledRestMs);
    m_rest.throttled(outcome.server, ms);
}

bool RetryPass::begin() {
    if (m_queue.isEmpty())
        return false;
    qCDebug(lcWhois) << "Retrying" << m_queue.size() << "unknown names";
    m_active = true;
    fillSlots();
    return true;
}

void RetryPass::lookupEnded(int slot, const LookupOutcome &outcome) {
    if (!m_active || slot < 0 || slot >= int(m_busy.size()) || !m_busy[size_t(slot)])
        return;
    m_busy[size_t(slot)] = false;
    --m_open;
    // Filed by the pool when decided; retried once only, so an unknown stays unknown now.
    if (outcome.verdict == Verdict::Unknown) {
        m_unknown.append(outcome);
        restServer(outcome);
    }
    emit retried(m_inSlot[size_t(slot)].tag, outcome);
    fillSlots();
}

// Starts a retry in every free slot whose name's server has rested, in the order the names
// ended; when none has, wakes up as the next server's rest is over.
void RetryPass::fillSlots() {
    if (!m_active)
        return;
    m_restOver->stop();
    const qint64 now = m_rest.now();
    giveUpLongRests(now);
    if (!m_active)
        return; // the owner ended the run on a name given up
    for (size_t i = 0; i < m_busy.size() && !m_queue.isEmpty(); ++i) {
        if (m_busy[i])
            continue;
        qsizetype ready = -1;
        for (qsizetype k = 0; k < m_queue.size() && ready < 0; ++k)
            if (m_rest.readyAt(m_queue.at(k).outcome.server) <= now)
                ready = k;
        if (ready < 0)
            break;
        m_inSlot[i] = m_queue.takeAt(ready);
        m_busy[i] = true;
        ++m_open;
        m_pool.startLookup(m_inSlot[i].outcome.name, int(i));
    }
    if (m_queue.isEmpty() && m_open == 0) {
        m_active = false;
        emit finished();
        return;
    }
    if (!m_queue.isEmpty() && m_open < int(m_busy.size())) {
        qint64 next = std::numeric_limits<qint64>::max();
        for (const Pending &pending : std::as_const(m_queue))
            next = qMin(next, m_rest.readyAt(pending.outcome.server));
        m_restOver->start(
            int(qBound(qint64(0), next - now, qint64(std::numeric_limits<int>::max()))));
    }
    emit progressed();
}

void RetryPass::giveUpLongRests(qint64 now) {
    QList<Pending> waiting;
    QList<Pending> givenUp;
    for (const Pending &pending : std::as_const(m_queue))
        (m_rest.readyAt(pending.outcome.server) - now > m_timing.longestRetryWaitMs ? givenUp
                                                                                    : waiting)
            .append(pending);
    if (givenUp.isEmpty())
        return;
    m_queue = waiting;
    for (const Pending &pending : std::as_const(givenUp)) {
        qCDebug(lcWhois) << "Not retrying" << pending.outcome.name << "-" << pending.outcome.server
                         << "rests too long";
        m_unknown.append(pending.outcome);
    }
    for (const Pending &pending : std::as_const(givenUp)) {
        emit retried(pending.tag, pending.outcome);
        if (!m_active)
            return;
    }
}

QList<LookupOutcome> RetryPass::unknownOutcomes() const {
    QList<LookupOutcome> outcomes = m_unknown;
    for (size_t i = 0; i < m_busy.size(); ++i)
        if (m_busy[i])
            outcomes.append(m_inSlot[i].outcome);
    for (const Pending &pending : m_queue)
        outcomes.append(pending.outcome);
    return outcomes;
}

void RetryPass::halt() {
    m_restOver->stop();
    for (size_t i = 0; i < m_busy.size(); ++i)
        if (m_busy[i])
            m_unknown.append(m_inSlot[i].outcome);
    for (const Pending &pending : std::as_const(m_queue))
        m_unknown.append(pending.outcome);
    m_queue.clear();
    std::fill(m_busy.begin(), m_busy.end(), false);
    m_open = 0;
    m_active = false;
}
