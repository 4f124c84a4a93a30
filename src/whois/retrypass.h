#pragma once

#include "whois/serverrest.h"
#include "whois/verdict.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <deque>
#include <functional>
#include <vector>

class QTimer;
struct Timing;

// The second chance of the names a run left unknown. While the run goes on, every unknown
// outcome is noted here and its server rests: a server that throttled is not asked at all
// until its rest is over (the run keeps its names back), one that failed otherwise is asked
// again about that name only after a shorter rest. When the run has ended, with no lookup in
// flight, the pass asks each name that can be asked once more, in the order they ended, each
// only when its server has rested, in every slot it is given; a name whose server asked for a
// rest longer than the longest wait is not waited for. Names still unknown after it (or when it
// is halted) are what the run reports as unknown.
//
// Part of every LookupRun, so every checker retries alike. The pass owns no sockets: it
// starts a retry by calling `start` with a free slot and the name, and is told how it ended.
class RetryPass : public QObject {
    Q_OBJECT
public:
    using Starter = std::function<void(int slot, const QString &name)>;

    RetryPass(int slotCount, const Timing &timing, Starter start, QObject *parent = nullptr);
    ~RetryPass() override;

    // Forgets the names and rests of the last run.
    void reset();
    // A lookup of the run ended unknown: its server rests. Returns whether the name will be
    // retried (a name without a server to ask cannot be); `tag` comes back with its retry.
    bool noteUnknown(const LookupOutcome &outcome, qint64 tag = -1);
    // The run has ended and no lookup is in flight: starts the retries. False when there is
    // nothing to retry; then finished() is not emitted.
    bool begin();
    bool active() const { return m_active; }
    // A lookup started by the pass ended; the owner hands on what its slot reported while the
    // pass is active.
    void lookupEnded(int slot, const LookupOutcome &outcome);
    // Stops the pass: the names in flight and those not yet retried stay unknown.
    void halt();

    int openLookups() const { return m_open; }
    // Names not decided yet: in flight and waiting.
    qsizetype namesLeft() const { return m_waitingCount + m_open; }
    // The names unknown now, with the reason of their last lookup: until the pass begins, those
    // of the run; after it, those it could not decide or could not ask.
    QList<LookupOutcome> unknownOutcomes() const;
    const ServerRest &serverRest() const { return m_rest; }
    ServerRest &serverRest() { return m_rest; }

signals:
    // A retry ended: decided (filed by the pool) or still unknown; or a name is not retried
    // after all (its server rests too long), with its first outcome.
    void retried(qint64 tag, const LookupOutcome &outcome);
    // Retries were started or ended; the numbers above changed.
    void progressed();
    // Every name was retried once. Emitted from within lookupEnded() or a timer.
    void finished();

private:
    struct Pending {
        LookupOutcome outcome;
        qint64 tag = -1;
        qint64 order = 0; // when it was noted: names are retried in the order they ended
    };
    using Waiting = QHash<QString, std::deque<Pending>>; // by lower-case server
    void restServer(const LookupOutcome &outcome);
    void fillSlots();
    void giveUpLongRests(qint64 now);
    Waiting::iterator nextReady(qint64 now);
    QList<Pending> waitingInOrder() const;

    const Timing &m_timing;
    Starter m_start;
    ServerRest m_rest;
    QTimer *m_restOver; // wakes the pass when the next server has rested
    bool m_active = false;
    QList<LookupOutcome> m_unknown;
    // Noted for a retry, not started yet: one queue per server, so that choosing the next name
    // costs the number of servers, not the number of names waiting.
    Waiting m_waiting;
    qsizetype m_waitingCount = 0;
    qint64 m_nextOrder = 0;
    std::vector<Pending> m_inSlot; // the retry each slot runs
    std::vector<bool> m_busy;
    int m_open = 0;
};
