#include "cli/checkrun.h"

#include "core/timing.h"
#include "whois/lookuppool.h"

CheckRun::CheckRun(LookupPool &pool, const RegistrarTable &table, const WhoisOptions &options,
                   const Timing &timing, QObject *parent)
    : QObject(parent)
    , m_run(pool, table, options, timing) {
    connect(&m_run, &LookupRun::lookupEnded, this, &CheckRun::onLookupEnded);
}

void CheckRun::start(const QList<CheckItem> &items) {
    m_items = items;
    m_clock.start();
    if (m_items.isEmpty()) {
        QMetaObject::invokeMethod(this, &CheckRun::finished, Qt::QueuedConnection);
        return;
    }
    m_running = true;
    m_run.start([this] { return nextItem(); });
}

void CheckRun::interrupt() {
    if (!m_running)
        return;
    m_interrupted = true;
    m_run.halt();
    m_next = int(m_items.size());
    const QString reason = QStringLiteral("interrupted");
    for (int index = m_nextOut; index < m_items.size() && m_running; ++index)
        if (!m_waiting.contains(index))
            record(index, CheckRow{m_items.at(index).name, Verdict::Unknown, {}, {}, reason});
}

std::optional<LookupItem> CheckRun::nextItem() {
    // Names that cannot be looked up are answered in passing, without a slot.
    while (m_running && m_next < m_items.size() && !m_items.at(m_next).problem.isEmpty()) {
        const CheckItem &item = m_items.at(m_next);
        record(m_next++, CheckRow{item.name, Verdict::Unknown, {}, {}, item.problem});
    }
    if (!m_running || m_next >= m_items.size())
        return std::nullopt;
    const int index = m_next++;
    return LookupItem{m_items.at(index).name, index};
}

void CheckRun::onLookupEnded(qint64 index, const LookupOutcome &outcome, bool settled) {
    if (!m_running || !settled || index < 0 || index >= m_items.size())
        return;
    CheckRow row{m_items.at(int(index)).name, outcome.verdict, {}, outcome.server, outcome.reason};
    if (row.verdict == Verdict::Free)
        row.lengthClass = lengthClassText(row.name);
    record(int(index), std::move(row));
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
        m_run.halt();
        // Reported from the event loop: the pool may still be inside its own signal.
        QMetaObject::invokeMethod(this, &CheckRun::finished, Qt::QueuedConnection);
    }
}
