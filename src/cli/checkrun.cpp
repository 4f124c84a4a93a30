#include "cli/checkrun.h"

#include "core/timing.h"
#include "whois/lookuppool.h"

#include <algorithm>
#include <memory>
#include <utility>

namespace {
// The form a name is asked in, so spellings of one name are one name.
quint64 nameKey(const CheckItem &item) {
    return quint64(qHash((item.ascii.isEmpty() ? item.name : item.ascii).toCaseFolded(), 0));
}
} // namespace

CheckRun::CheckRun(LookupPool &pool, const RegistrarTable &table, const WhoisOptions &options,
                   const Timing &timing, QObject *parent)
    : QObject(parent)
    , m_run(pool, table, options, timing) {
    connect(&m_run, &LookupRun::lookupEnded, this, &CheckRun::onLookupEnded);
    connect(&m_run, &LookupRun::finished, this, &CheckRun::finishIfDone);
}

void CheckRun::start(const QList<CheckItem> &items) {
    auto next = std::make_shared<qsizetype>(0);
    start([items, next]() -> std::optional<CheckItem> {
        if (*next >= items.size())
            return std::nullopt;
        return items.at((*next)++);
    });
}

void CheckRun::start(Source source) {
    m_source = std::move(source);
    m_clock.start();
    m_running = true;
    m_run.start([this] { return nextItem(); });
    finishIfDone();
}

void CheckRun::interrupt() {
    if (!m_running)
        return;
    m_interrupted = true;
    m_run.halt();
    const QString reason = QStringLiteral("interrupted");
    QList<qint64> open = m_open.keys();
    std::sort(open.begin(), open.end());
    const QHash<qint64, CheckItem> items = std::exchange(m_open, {});
    QHash<qint64, std::vector<Repeat>> repeats = std::exchange(m_repeats, {});
    m_openByName.clear();
    for (const qint64 index : open) {
        record(index, rowFor(items.value(index), Verdict::Unknown, {}, reason, false));
        for (const Repeat &repeat : repeats.value(index))
            record(repeat.index, rowFor(repeat.item, Verdict::Unknown, {}, reason, true));
    }
    m_inputEnded = true;
    finishIfDone();
}

std::optional<LookupItem> CheckRun::nextItem() {
    while (m_running && !m_inputEnded) {
        std::optional<CheckItem> item = m_source();
        if (!item) {
            m_inputEnded = true;
            break;
        }
        const qint64 index = m_read++;
        // Names that cannot be looked up are answered in passing, without a slot.
        if (!item->problem.isEmpty()) {
            record(index, rowFor(*item, Verdict::Unknown, {}, item->problem, false));
            continue;
        }
        const quint64 key = nameKey(*item);
        if (const auto settled = m_settled.constFind(key); settled != m_settled.cend()) {
            const Settled &outcome = m_outcomes[size_t(*settled)];
            record(index, rowFor(*item, outcome.verdict, outcome.server, outcome.reason, true));
            continue;
        }
        if (const auto open = m_openByName.constFind(key); open != m_openByName.cend()) {
            m_repeats[*open].push_back({index, *item});
            continue;
        }
        m_openByName.insert(key, index);
        m_open.insert(index, *item);
        return LookupItem{item->name, index};
    }
    // The run asks from inside its own call: the end is judged from the event loop.
    QMetaObject::invokeMethod(this, &CheckRun::finishIfDone, Qt::QueuedConnection);
    return std::nullopt;
}

void CheckRun::onLookupEnded(qint64 index, const LookupOutcome &outcome, bool settled) {
    if (settled)
        settle(index, outcome);
}

void CheckRun::settle(qint64 index, const LookupOutcome &outcome) {
    const auto open = m_open.find(index);
    if (!m_running || open == m_open.end())
        return;
    const CheckItem item = open.value();
    m_open.erase(open);
    const quint64 key = nameKey(item);
    m_openByName.remove(key);
    m_settled.insert(key, outcomeNumber(outcome));
    const std::vector<Repeat> repeats = m_repeats.take(index);
    record(index, rowFor(item, outcome.verdict, outcome.server, outcome.reason, false));
    for (const Repeat &repeat : repeats)
        record(repeat.index,
               rowFor(repeat.item, outcome.verdict, outcome.server, outcome.reason, true));
    finishIfDone();
}

int CheckRun::outcomeNumber(const LookupOutcome &outcome) {
    const QString key = QString::number(int(outcome.verdict)) + QLatin1Char('\n') + outcome.server +
                        QLatin1Char('\n') + outcome.reason;
    const auto known = m_outcomeNumbers.constFind(key);
    if (known != m_outcomeNumbers.cend())
        return *known;
    m_outcomes.push_back({outcome.verdict, outcome.server, outcome.reason});
    m_outcomeNumbers.insert(key, int(m_outcomes.size()) - 1);
    return int(m_outcomes.size()) - 1;
}

CheckRow CheckRun::rowFor(const CheckItem &item, Verdict verdict, const QString &server,
                          const QString &reason, bool repeated) const {
    CheckRow row{item.name, verdict, {}, server, reason, item.ascii, repeated};
    if (verdict == Verdict::Free)
        row.lengthClass = lengthClassText(item.name);
    return row;
}

void CheckRun::record(qint64 index, const CheckRow &row) {
    if (!m_running)
        return;
    ++m_done;
    if (row.verdict == Verdict::Free)
        ++m_free;
    else if (row.verdict == Verdict::Unknown)
        ++m_unknown;
    if (m_unordered) {
        emit rowReady(row);
        return;
    }
    m_rows.add(index, row); // a row that cannot go to disk stays in memory
    while (std::optional<CheckRow> next = m_rows.takeNext())
        emit rowReady(*next);
}

void CheckRun::finishIfDone() {
    if (!m_running || !m_inputEnded || !m_open.isEmpty() || m_done < m_read)
        return;
    m_running = false;
    m_run.halt();
    // Reported from the event loop: the pool may still be inside its own signal.
    QMetaObject::invokeMethod(this, &CheckRun::finished, Qt::QueuedConnection);
}
