#include "whois/retrypass.h"

#include "core/timing.h"
#include "whois/lookuppool.h" // its reasons
#include "whois/whoislog.h"

#include <QTimer>
#include <algorithm>
#include <limits>

RetryPass::RetryPass(int slotCount, const Timing &timing, Starter start, QObject *parent)
    : QObject(parent)
    , m_timing(timing)
    , m_start(std::move(start))
    , m_restOver(new QTimer(this))
    , m_inSlot(size_t(qMax(1, slotCount)))
    , m_busy(size_t(qMax(1, slotCount)), false) {
    m_restOver->setSingleShot(true);
    m_restOver->setTimerType(Qt::PreciseTimer);
    connect(m_restOver, &QTimer::timeout, this, &RetryPass::fillSlots);
}

RetryPass::~RetryPass() = default;

void RetryPass::reset() {
    halt();
    m_unknown.clear();
    m_rest.clear();
}

bool RetryPass::noteUnknown(const LookupOutcome &outcome, qint64 tag) {
    restServer(outcome);
    // Without a registrar row or an ASCII form a name cannot be asked, now or later.
    if (outcome.server.isEmpty()) {
        m_unknown.append(outcome);
        return false;
    }
    m_waiting[outcome.server.toLower()].push_back(Pending{outcome, tag, m_nextOrder++});
    ++m_waitingCount;
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
    if (m_waitingCount == 0)
        return false;
    qCDebug(lcWhois) << "Retrying" << m_waitingCount << "unknown names";
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
    for (size_t i = 0; i < m_busy.size() && m_waitingCount > 0; ++i) {
        if (m_busy[i])
            continue;
        const Waiting::iterator ready = nextReady(now);
        if (ready == m_waiting.end())
            break;
        m_inSlot[i] = ready->front();
        ready->pop_front();
        if (ready->empty())
            m_waiting.erase(ready);
        --m_waitingCount;
        m_busy[i] = true;
        ++m_open;
        m_start(int(i), m_inSlot[i].outcome.name);
        if (!m_active)
            return; // the owner ended the run meanwhile
    }
    if (m_waitingCount == 0 && m_open == 0) {
        m_active = false;
        emit finished();
        return;
    }
    if (m_waitingCount > 0 && m_open < int(m_busy.size())) {
        qint64 next = std::numeric_limits<qint64>::max();
        for (auto it = m_waiting.cbegin(); it != m_waiting.cend(); ++it)
            next = qMin(next, m_rest.readyAt(it.key()));
        m_restOver->start(
            int(qBound(qint64(0), next - now, qint64(std::numeric_limits<int>::max()))));
    }
    emit progressed();
}

// The server with names waiting that has rested and whose first name ended first.
RetryPass::Waiting::iterator RetryPass::nextReady(qint64 now) {
    Waiting::iterator best = m_waiting.end();
    for (auto it = m_waiting.begin(); it != m_waiting.end(); ++it)
        if (m_rest.readyAt(it.key()) <= now &&
            (best == m_waiting.end() || it->front().order < best->front().order))
            best = it;
    return best;
}

void RetryPass::giveUpLongRests(qint64 now) {
    QList<Pending> givenUp;
    for (auto it = m_waiting.begin(); it != m_waiting.end();) {
        if (m_rest.readyAt(it.key()) - now <= m_timing.longestRetryWaitMs) {
            ++it;
            continue;
        }
        qCDebug(lcWhois) << "Not retrying" << it->size() << "names:" << it.key()
                         << "rests too long";
        givenUp.append(QList<Pending>(it->begin(), it->end()));
        m_waitingCount -= qsizetype(it->size());
        it = m_waiting.erase(it);
    }
    for (const Pending &pending : std::as_const(givenUp))
        m_unknown.append(pending.outcome);
    for (const Pending &pending : std::as_const(givenUp)) {
        emit retried(pending.tag, pending.outcome);
        if (!m_active)
            return;
    }
}

// Every name still waiting, in the order they ended.
QList<RetryPass::Pending> RetryPass::waitingInOrder() const {
    QList<Pending> all;
    all.reserve(m_waitingCount);
    for (const std::deque<Pending> &names : m_waiting)
        all.append(QList<Pending>(names.begin(), names.end()));
    std::sort(all.begin(), all.end(),
              [](const Pending &a, const Pending &b) { return a.order < b.order; });
    return all;
}

QList<LookupOutcome> RetryPass::unknownOutcomes() const {
    QList<LookupOutcome> outcomes = m_unknown;
    for (size_t i = 0; i < m_busy.size(); ++i)
        if (m_busy[i])
            outcomes.append(m_inSlot[i].outcome);
    for (const Pending &pending : waitingInOrder())
        outcomes.append(pending.outcome);
    return outcomes;
}

void RetryPass::halt() {
    m_restOver->stop();
    for (size_t i = 0; i < m_busy.size(); ++i)
        if (m_busy[i])
            m_unknown.append(m_inSlot[i].outcome);
    for (const Pending &pending : waitingInOrder())
        m_unknown.append(pending.outcome);
    m_waiting.clear();
    m_waitingCount = 0;
    std::fill(m_busy.begin(), m_busy.end(), false);
    m_open = 0;
    m_active = false;
}
