#include "whois/lookuprun.h"

#include "core/timing.h"
#include "whois/dnsprobe.h"
#include "whois/lookuppool.h"
#include "whois/registrartable.h"
#include "whois/whoislog.h"

LookupRun::LookupRun(LookupPool &pool, const RegistrarTable &table, const WhoisOptions &options,
                     const Timing &timing, QObject *parent)
    : QObject(parent)
    , m_pool(pool)
    , m_table(table)
    , m_options(options)
    , m_retry(pool.slotCount(), timing,
              [this](int slot, const QString &name) { startRetry(slot, name); })
    , m_inSlot(size_t(pool.slotCount()))
    , m_slotBusy(size_t(pool.slotCount()), false) {
    connect(&m_pool, &LookupPool::lookupEnded, this, &LookupRun::onPoolEnded);
    connect(&m_pool, &LookupPool::asking, this, [this](int slot, const QString &name) {
        if (m_running)
            emit asking(slot, name);
    });
    connect(&m_retry, &RetryPass::retried, this, &LookupRun::onRetried);
    connect(&m_retry, &RetryPass::progressed, this, &LookupRun::retryProgressed);
    connect(&m_retry, &RetryPass::finished, this, &LookupRun::finish);
}

LookupRun::~LookupRun() {
    halt();
}

void LookupRun::start(Source source) {
    halt();
    m_retry.reset();
    m_source = std::move(source);
    m_running = true;
    m_sourceEnded = false;
    m_nextOrder = 0;
    m_started = m_decided = m_free = m_taken = m_unknown = 0;
    m_dnsFailuresInRow = 0;
    m_dnsGaveUp = false;
    m_pool.setHalted(false);
    fillSlots();
}

void LookupRun::setDnsFirst(DnsProbe *probe) {
    if (m_dns == probe)
        return;
    if (m_dns)
        disconnect(m_dns, nullptr, this, nullptr);
    m_dns = probe;
    if (probe)
        connect(probe, &DnsProbe::answered, this, &LookupRun::onDnsAnswered);
}

void LookupRun::halt() {
    ++m_generation;
    m_running = false;
    m_pool.setHalted(true);
    m_pool.closeAll();
    if (m_dns && !m_inDns.empty())
        m_dns->cancelAll();
    // Names in flight and names read ahead are not lost: they are reported unknown with the
    // others, in the order they were read (the caller's position has moved past them). The
    // retry pass's own names are its to report.
    if (!m_retry.active())
        for (size_t slot = 0; slot < m_slotBusy.size(); ++slot)
            if (m_slotBusy[slot])
                noteInterrupted(m_inSlot[slot].request, m_inSlot[slot].item.tag,
                                QStringLiteral("interrupted"));
    for (auto it = m_queues.cbegin(); it != m_queues.cend(); ++it)
        for (const Waiting &waiting : *it)
            noteInterrupted(waiting.request, waiting.item.tag, QStringLiteral("not asked"));
    for (const auto &[id, waiting] : m_inDns)
        noteInterrupted(waiting.request, waiting.item.tag, QStringLiteral("not asked"));
    m_inDns.clear();
    m_queues.clear();
    m_queued = 0;
    std::fill(m_slotBusy.begin(), m_slotBusy.end(), false);
    m_open = 0;
    m_retry.halt();
}

void LookupRun::noteInterrupted(const LookupRequest &request, qint64 tag, const QString &reason) {
    LookupOutcome outcome;
    outcome.name = request.name;
    outcome.ascii = request.ascii;
    outcome.reason = reason;
    m_retry.noteUnknown(outcome, tag);
}

qint64 LookupRun::lowestOpenTag() const {
    qint64 lowest = -1;
    const auto take = [&lowest](qint64 tag) {
        if (tag >= 0 && (lowest < 0 || tag < lowest))
            lowest = tag;
    };
    for (size_t i = 0; i < m_slotBusy.size(); ++i)
        if (m_slotBusy[i])
            take(m_inSlot[i].item.tag);
    for (const std::deque<Waiting> &queue : m_queues)
        for (const Waiting &waiting : queue)
            take(waiting.item.tag);
    for (const auto &[id, waiting] : m_inDns)
        take(waiting.item.tag);
    return lowest;
}

// Whether a server may be asked now. The one place to add what else holds a server back (its
// pace): a name it answers no waits in its queue, a free slot takes another server's.
bool LookupRun::mayAskNow(const QString &server) const {
    return !m_retry.serverRest().isThrottled(server);
}

void LookupRun::fillSlots() {
    if (!m_running || m_retry.active())
        return;
    const quint64 generation = m_generation;
    for (int slot = 0; slot < int(m_slotBusy.size()); ++slot) {
        if (m_slotBusy[size_t(slot)])
            continue;
        if (!fillSlot(slot))
            break;
        if (generation != m_generation)
            return;
    }
    emit progressed();
    if (generation != m_generation)
        return;
    endIfDone();
}

// Puts the next name into a free slot: a waiting name whose server may be asked now, else the
// next name of the source. False when there is none.
bool LookupRun::fillSlot(int slot) {
    const quint64 generation = m_generation;
    for (;;) {
        const Queues::iterator ready = oldestQueue(true);
        if (ready != m_queues.end()) {
            startIn(slot, takeFrom(ready));
            return true;
        }
        if (m_dns && !m_dnsGaveUp) {
            // The source is read into DNS; its answers fill the slots.
            if (!m_inDns.empty())
                return false;
            const bool read = readForDns();
            if (generation != m_generation)
                return false;
            if (read)
                continue;
        } else if (!m_sourceEnded) {
            const std::optional<LookupItem> item = m_source();
            if (generation != m_generation)
                return false; // the source stopped the run
            if (!item) {
                m_sourceEnded = true;
                continue;
            }
            Waiting waiting{*item, routeFor(item->candidate, m_table, m_options), m_nextOrder++};
            if (!waiting.request.askable() || mayAskNow(waiting.request.server)) {
                startIn(slot, waiting);
                return true;
            }
            if (m_queued < m_lookAhead) {
                m_queues[waiting.request.server.toLower()].push_back(std::move(waiting));
                ++m_queued;
                continue;
            }
            // Asking a throttling server before its rest is over only prolongs the throttle.
            keepBack(slot, waiting);
            return true;
        }
        // Nothing more to read and nothing waiting may be asked: the oldest waiting name is
        // kept for the retry, which waits for its server's rest. (With DNS first: nothing is
        // in DNS and no more may be read.)
        const Queues::iterator oldest = oldestQueue(false);
        if (oldest == m_queues.end())
            return false;
        keepBack(slot, takeFrom(oldest));
        return true;
    }
}

// Reads names into DNS while it has room: DnsInFlight queries at once, and no more names held
// between the source and the slots than that plus the look-ahead. A name that cannot be asked
// skips DNS and waits for a slot to report it. True when a name was read.
bool LookupRun::readForDns() {
    const quint64 generation = m_generation;
    bool read = false;
    while (!m_sourceEnded && !m_dnsGaveUp && int(m_inDns.size()) < DnsInFlight &&
           int(m_inDns.size()) + m_queued < DnsInFlight + m_lookAhead) {
        const std::optional<LookupItem> item = m_source();
        if (generation != m_generation)
            return false;
        if (!item) {
            m_sourceEnded = true;
            break;
        }
        read = true;
        Waiting waiting{*item, routeFor(item->candidate, m_table, m_options), m_nextOrder++};
        if (!waiting.request.askable()) {
            m_queues[QString()].push_back(std::move(waiting));
            ++m_queued;
            continue;
        }
        const quint64 id = m_dns->ask(waiting.request.ascii);
        m_inDns.emplace(id, std::move(waiting));
    }
    return read;
}

void LookupRun::onDnsAnswered(quint64 id, const DnsAnswer &answer) {
    const auto found = m_inDns.find(id);
    if (!m_running || found == m_inDns.end())
        return;
    Waiting waiting = std::move(found->second);
    m_inDns.erase(found);
    const quint64 generation = m_generation;
    m_dnsFailuresInRow = answer.kind == DnsAnswer::Kind::Failed ? m_dnsFailuresInRow + 1 : 0;
    if (m_dnsFailuresInRow >= DnsFailuresToGiveUp && !m_dnsGaveUp) {
        m_dnsGaveUp = true;
        qCWarning(lcWhois) << "DNS failed" << m_dnsFailuresInRow
                           << "names in a row (last:" << answer.detail
                           << "); asking the registries only for the rest of this run";
    }
    if (answer.kind == DnsAnswer::Kind::Delegated) {
        LookupOutcome outcome;
        outcome.name = waiting.request.name;
        outcome.ascii = waiting.request.ascii;
        outcome.server = DnsProbe::ServerName;
        outcome.verdict = Verdict::Taken;
        outcome.reason = DnsProbe::DelegatedReason;
        settle(outcome);
        emit lookupEnded(waiting.item.tag, outcome, true);
        if (generation != m_generation)
            return;
    } else {
        qCDebug(lcWhois) << "DNS:" << waiting.request.ascii << answer.detail
                         << "- asking the registry";
        m_queues[waiting.request.server.toLower()].push_back(std::move(waiting));
        ++m_queued;
    }
    readForDns();
    if (generation != m_generation)
        return;
    fillSlots();
}

LookupRun::Queues::iterator LookupRun::oldestQueue(bool askableOnly) {
    Queues::iterator best = m_queues.end();
    for (auto it = m_queues.begin(); it != m_queues.end(); ++it)
        if ((!askableOnly || mayAskNow(it.key())) &&
            (best == m_queues.end() || it->front().order < best->front().order))
            best = it;
    return best;
}

LookupRun::Waiting LookupRun::takeFrom(Queues::iterator queue) {
    Waiting waiting = std::move(queue->front());
    queue->pop_front();
    if (queue->empty())
        m_queues.erase(queue);
    --m_queued;
    return waiting;
}

void LookupRun::startIn(int slot, const Waiting &waiting) {
    m_slotBusy[size_t(slot)] = true;
    m_inSlot[size_t(slot)] = waiting;
    ++m_open;
    ++m_started;
    if (!waiting.request.askable()) {
        const quint64 generation = m_generation;
        emit notAsked(waiting.item.tag, waiting.request, waiting.request.reason());
        if (generation != m_generation)
            return;
    }
    m_pool.startLookup(waiting.request, slot);
}

void LookupRun::keepBack(int slot, const Waiting &waiting) {
    qCDebug(lcWhois) << "Keeping" << waiting.request.name
                     << "for the retry:" << waiting.request.server << "is resting";
    m_slotBusy[size_t(slot)] = true;
    m_inSlot[size_t(slot)] = waiting;
    ++m_open;
    ++m_started;
    const quint64 generation = m_generation;
    emit notAsked(waiting.item.tag, waiting.request, LookupPool::RateLimitedReason);
    if (generation != m_generation)
        return;
    m_pool.skipLookup(waiting.request, slot, LookupPool::RateLimitedReason);
}

void LookupRun::startRetry(int slot, const QString &name) {
    ++m_started;
    const LookupRequest request = routeFor(name, m_table, m_options);
    if (request.askable() && !mayAskNow(request.server))
        m_pool.skipLookup(request, slot, LookupPool::RateLimitedReason);
    else
        m_pool.startLookup(request, slot);
}

void LookupRun::onPoolEnded(int slot, const LookupOutcome &outcome) {
    if (!m_running)
        return;
    if (m_retry.active()) {
        m_retry.lookupEnded(slot, outcome);
        return;
    }
    if (slot < 0 || slot >= int(m_slotBusy.size()) || !m_slotBusy[size_t(slot)])
        return;
    m_slotBusy[size_t(slot)] = false;
    --m_open;
    const qint64 tag = m_inSlot[size_t(slot)].item.tag;
    const bool settled = outcome.verdict != Verdict::Unknown || !m_retry.noteUnknown(outcome, tag);
    if (settled)
        settle(outcome);
    const quint64 generation = m_generation;
    emit lookupEnded(tag, outcome, settled);
    if (generation != m_generation)
        return;
    fillSlots();
}

void LookupRun::onRetried(qint64 tag, const LookupOutcome &outcome) {
    if (!m_running)
        return;
    settle(outcome);
    emit lookupEnded(tag, outcome, true);
}

void LookupRun::settle(const LookupOutcome &outcome) {
    switch (outcome.verdict) {
    case Verdict::Free:
        ++m_decided;
        ++m_free;
        break;
    case Verdict::Taken:
        ++m_decided;
        ++m_taken;
        break;
    case Verdict::Unknown:
        ++m_unknown;
        break;
    }
}

// The one place where the first pass is over: the source has ended, nothing waits and no
// lookup is in flight. The names left unknown are then retried once.
void LookupRun::endIfDone() {
    if (!m_running || !m_sourceEnded || m_open > 0 || m_queued > 0 || !m_inDns.empty() ||
        m_retry.active())
        return;
    const quint64 generation = m_generation;
    emit firstPassEnded();
    if (generation != m_generation)
        return;
    if (!m_retry.begin())
        finish();
}

void LookupRun::finish() {
    if (!m_running)
        return;
    m_running = false;
    emit finished();
}
