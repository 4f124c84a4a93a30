#include "cli/checkrun.h"

#include "core/timing.h"
#include "whois/lookuppool.h"

CheckRun::CheckRun(LookupPool &pool, const Timing &timing, QObject *parent)
    : QObject(parent)
    , m_pool(pool)
    , m_retry(pool, timing)
    , m_slotItem(size_t(pool.slotCount()), -1) {
    connect(&m_pool, &LookupPool::lookupEnded, this, &CheckRun::onLookupEnded);
    connect(&m_retry, &RetryPass::retried, this, &CheckRun::recordOutcome);
}

void CheckRun::start(const QList<CheckItem> &items) {
    m_items = items;
    m_clock.start();
    if (m_items.isEmpty()) {
        QMetaObject::invokeMethod(this, &CheckRun::finished, Qt::QueuedConnection);
        return;
    }
    m_running = true;
    fillSlots();
}

void CheckRun::interrupt() {
    if (!m_running)
        return;
    m_interrupted = true;
    m_retry.halt();
    m_pool.closeAll();
    std::fill(m_slotItem.begin(), m_slotItem.end(), -1);
    m_inFlight = 0;
    m_next = int(m_items.size());
    const QString reason = QStringLiteral("interrupted");
    for (int index = m_nextOut; index < m_items.size() && m_running; ++index)
        if (!m_waiting.contains(index))
            record(index, CheckRow{m_items.at(index).name, Verdict::Unknown, {}, {}, reason});
}

void CheckRun::fillSlots() {
    for (int slot = 0; slot < m_pool.slotCount(); ++slot)
        if (m_slotItem[size_t(slot)] < 0)
            startNext(slot);
}

void CheckRun::startNext(int slot) {
    // Names that cannot be looked up are answered in passing, without a slot.
    while (m_next < m_items.size() && !m_items.at(m_next).problem.isEmpty()) {
        const CheckItem &item = m_items.at(m_next);
        record(m_next++, CheckRow{item.name, Verdict::Unknown, {}, {}, item.problem});
    }
    if (m_next >= m_items.size())
        return;
    m_slotItem[size_t(slot)] = m_next;
    ++m_inFlight;
    m_pool.startLookup(m_items.at(m_next++).name, slot);
}

void CheckRun::onLookupEnded(int slot, const LookupOutcome &outcome) {
    if (!m_running)
        return;
    if (m_retry.active()) {
        m_retry.lookupEnded(slot, outcome);
        return;
    }
    if (slot < 0 || slot >= int(m_slotItem.size()) || m_slotItem[size_t(slot)] < 0)
        return;
    const int index = m_slotItem[size_t(slot)];
    m_slotItem[size_t(slot)] = -1;
    --m_inFlight;
    // The pool is done with the slot when it reports; the next name may take it now.
    startNext(slot);
    if (outcome.verdict != Verdict::Unknown || !m_retry.noteUnknown(outcome, index))
        recordOutcome(index, outcome);
    if (m_running && m_inFlight == 0 && m_next >= m_items.size())
        m_retry.begin();
}

void CheckRun::recordOutcome(int index, const LookupOutcome &outcome) {
    CheckRow row{m_items.at(index).name, outcome.verdict, {}, outcome.server, outcome.reason};
    if (row.verdict == Verdict::Free)
        row.lengthClass = lengthClassText(row.name);
    record(index, std::move(row));
}

void CheckRun::record(int index, CheckRow row) {
    ++m_done;
    if (row.verdict == Verdict::Free)
        ++m_free;
    else if (row.verdict == Verdict::Unknown)
        ++m_unknown;
    m_waiting.insert(index, std::move(row));
    while (m_waiting.contains(m_nextOut))
        emit rowReady(m_waiting.take(m_nextOut++));
    if (m_nextOut == m_items.size() && m_running) {
        m_running = false;
        m_retry.halt();
        m_pool.closeAll();
        // Reported from the event loop: the pool may still be inside its own signal.
        QMetaObject::invokeMethod(this, &CheckRun::finished, Qt::QueuedConnection);
    }
}
