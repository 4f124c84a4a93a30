#pragma once

#include "cli/checkinput.h"
#include "cli/checkoutput.h"
#include "cli/orderedrows.h"
#include "whois/lookuprun.h"

#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <functional>
#include <optional>
#include <vector>

class DnsProbe;
class LookupPool;
class RegistrarTable;
struct LookupOutcome;
struct Timing;
struct WhoisOptions;

// `kestrin check` over a LookupRun. Names are read from a source one at a time as slots free,
// so the input is never held whole. Rows come out in input order whatever order the servers
// answer in (rows held back behind a name waiting for its retry go to a temporary file past a
// bound), or, unordered, each as it is decided. A silent server cannot hold the run: the pool
// gives up a lookup at its own deadline and reports it unknown. Names left unknown are retried
// once when every name has had its first lookup, as in a window run. With DNS first
// (setDnsFirst()) up to 100 names are read ahead into DNS, and a delegated one gets its row
// without a registry lookup.
//
// A name given more than once (letter case aside) is asked once: each of its lines gets a row
// with the verdict of the first, marked `repeated` so it is filed once. Names are remembered as
// 64-bit hashes with the number of their outcome in a table of distinct outcomes, so a million
// names cost tens of megabytes, not the names themselves.
class CheckRun : public QObject {
    Q_OBJECT
public:
    // The next name to check, or nothing at the end of the input.
    using Source = std::function<std::optional<CheckItem>()>;

    CheckRun(LookupPool &pool, const RegistrarTable &table, const WhoisOptions &options,
             const Timing &timing, QObject *parent = nullptr);

    // Each row as it is decided, instead of in input order.
    void setUnordered(bool unordered) { m_unordered = unordered; }
    // Asks DNS about each name before its registry (nullptr: never); see LookupRun.
    void setDnsFirst(DnsProbe *probe) { m_run.setDnsFirst(probe); }
    void start(Source source);
    void start(const QList<CheckItem> &items);
    // Ends the run now: lookups are closed, and every name read without a verdict yet gets an
    // unknown row with the reason "interrupted", so the rows decided so far still come out.
    // Names not read yet are not read.
    void interrupt();
    bool interrupted() const { return m_interrupted; }
    // Names read so far, and whether the input has ended.
    int total() const { return int(m_read); }
    bool inputEnded() const { return m_inputEnded; }
    int done() const { return m_done; }
    int freeCount() const { return m_free; }
    int unknownCount() const { return m_unknown; }
    // Names waiting for, or in, the retry pass.
    int retryCount() const { return m_run.inRetry(); }
    double seconds() const { return m_clock.isValid() ? m_clock.nsecsElapsed() / 1e9 : 0; }
    // Why rows could not be held back on disk ("" when they could); they were kept in memory.
    QString holdError() const { return m_rows.error(); }

signals:
    void rowReady(const CheckRow &row); // in input order unless unordered
    void finished();

private:
    struct Repeat {
        qint64 index;
        CheckItem item;
    };

    // The next name to ask, tagged with its index; the others read on the way are answered.
    std::optional<LookupItem> nextItem();
    void onLookupEnded(qint64 index, const LookupOutcome &outcome, bool settled);
    void settle(qint64 index, const LookupOutcome &outcome);
    CheckRow rowFor(const CheckItem &item, Verdict verdict, const QString &server,
                    const QString &reason, bool repeated) const;
    void record(qint64 index, const CheckRow &row);
    void finishIfDone();
    int outcomeNumber(const LookupOutcome &outcome);

    LookupRun m_run;
    Source m_source;
    OrderedRows m_rows;
    bool m_unordered = false;
    bool m_running = false;
    bool m_interrupted = false;
    bool m_inputEnded = false;
    QElapsedTimer m_clock;
    qint64 m_read = 0; // names read, the next one's index
    int m_done = 0;
    int m_free = 0;
    int m_unknown = 0;

    QHash<qint64, CheckItem> m_open;              // names asked and not settled, by index
    QHash<quint64, qint64> m_openByName;          // name hash -> index of its first line
    QHash<qint64, std::vector<Repeat>> m_repeats; // lines waiting for an open name's verdict
    QHash<quint64, int> m_settled;                // name hash -> outcome number
    struct Settled {
        Verdict verdict;
        QString server;
        QString reason;
    };
    std::vector<Settled> m_outcomes;
    QHash<QString, int> m_outcomeNumbers;
};
