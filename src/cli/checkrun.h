#pragma once

#include "cli/checkinput.h"
#include "cli/checkoutput.h"
#include "whois/lookuprun.h"

#include <QElapsedTimer>
#include <QHash>
#include <QObject>

class LookupPool;
class RegistrarTable;
struct LookupOutcome;
struct Timing;
struct WhoisOptions;

// `kestrin check` over a LookupRun: rows come out in input order whatever order the servers
// answer in. A silent server cannot hold the run: the pool gives up a lookup at its own
// deadline and reports it unknown. Names left unknown are retried once when every name has had
// its first lookup, as in a window run; their rows, and the rows after them, wait for it.
class CheckRun : public QObject {
    Q_OBJECT
public:
    CheckRun(LookupPool &pool, const RegistrarTable &table, const WhoisOptions &options,
             const Timing &timing, QObject *parent = nullptr);

    void start(const QList<CheckItem> &items);
    // Ends the run now: lookups are closed, and every name without a verdict yet gets an
    // unknown row with the reason "interrupted", so the rows decided so far still come out.
    void interrupt();
    bool interrupted() const { return m_interrupted; }
    int total() const { return int(m_items.size()); }
    int done() const { return m_done; }
    int freeCount() const { return m_free; }
    int unknownCount() const { return m_unknown; }
    // Names waiting for, or in, the retry pass.
    int retryCount() const { return m_run.inRetry(); }
    double seconds() const { return m_clock.isValid() ? m_clock.nsecsElapsed() / 1e9 : 0; }

signals:
    void rowReady(const CheckRow &row); // in input order
    void finished();

private:
    std::optional<LookupItem> nextItem();
    void onLookupEnded(qint64 index, const LookupOutcome &outcome, bool settled);
    void record(int index, CheckRow row);

    LookupRun m_run;
    bool m_running = false;
    bool m_interrupted = false;
    QElapsedTimer m_clock;
    QList<CheckItem> m_items;
    QHash<int, CheckRow> m_waiting; // rows that ended before an earlier one
    int m_next = 0;                 // next item to hand to the run
    int m_nextOut = 0;              // next row to emit
    int m_done = 0;
    int m_free = 0;
    int m_unknown = 0;
};
