#pragma once

#include "whois/lookuprequest.h"
#include "whois/retrypass.h"
#include "whois/verdict.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <vector>

class DnsProbe;
struct DnsAnswer;
class LookupPool;
class RegistrarTable;
struct Timing;
struct WhoisOptions;

// One name from a run's source, with the caller's tag (a list position, a row index).
struct LookupItem {
    QString candidate;
    qint64 tag = -1;
};

// Runs a list of names through the lookup pool, for every checker alike (the window's search,
// `kestrin check`, the harvester). A free slot takes the next name at once, so a slow server
// never holds the others. Each name is routed (routeFor()), then waits in its server's queue
// until a slot may ask that server: a throttled server's names are not sent while it rests.
// The run reads at most lookAhead() names ahead of the slots, so memory does not grow with the
// list; when nothing waiting may be asked and no more may be read, the oldest waiting name is
// kept back as "rate-limited" for the retry. When the source has ended and no lookup is in
// flight, the names left unknown get their retry pass; then finished().
//
// With DNS first (setDnsFirst()), a name read is asked of DNS before it may wait for a slot:
// a delegated name is settled taken ("delegated", server "dns") and its registry is never
// asked; any other answer sends it on to the registry. A name without name servers may still
// be registered, so DNS never settles a name free.
//
// Widget-free and silent: what to file, show or print is the adapters' (SearchDriver,
// CheckRun, HarvestChecker).
class LookupRun : public QObject {
    Q_OBJECT
public:
    // The next name, or nothing when the source has ended. May stop the run.
    using Source = std::function<std::optional<LookupItem>()>;

    LookupRun(LookupPool &pool, const RegistrarTable &table, const WhoisOptions &options,
              const Timing &timing, QObject *parent = nullptr);
    ~LookupRun() override;

    // Names read from the source beyond the ones in the slots (0: read one as a slot frees).
    void setLookAhead(int names) { m_lookAhead = qMax(0, names); }
    int lookAhead() const { return m_lookAhead; }
    // Asks DNS about each name before its registry (nullptr: never). Set between runs; the
    // probe must outlive the run or be cleared first.
    void setDnsFirst(DnsProbe *probe);
    bool dnsFirst() const { return !m_dns.isNull(); }
    // DNS queries in flight at most; names are read ahead of the slots to keep them busy, and
    // no more than this plus lookAhead() are held between the source and the slots.
    static constexpr int DnsInFlight = 100;
    // A resolver that has failed (no answer, SERVFAIL, refused) this many names in a row is not
    // asked for the rest of the run: waiting out its timeouts would only slow every name.
    static constexpr int DnsFailuresToGiveUp = DnsInFlight;
    bool dnsGaveUp() const { return m_dnsGaveUp; }

    // Starts a run over `source`, replacing a running one (which then reports nothing more).
    void start(Source source);
    // Stops now: every lookup is closed, names in flight ("interrupted") or waiting ("not
    // asked") stay unknown (see unknownOutcomes()); nothing more is emitted.
    void halt();

    bool running() const { return m_running; }
    bool sourceEnded() const { return m_sourceEnded; }
    bool retrying() const { return m_retry.active(); }
    // Lookups in flight: of the first pass, or of the retry pass while it runs.
    int openLookups() const { return m_retry.active() ? m_retry.openLookups() : m_open; }
    int started() const { return m_started; } // lookups given a slot, retries included
    int decided() const { return m_decided; } // names settled free or taken
    int freeCount() const { return m_free; }
    int takenCount() const { return m_taken; }
    int unknownCount() const { return m_unknown; } // names settled unknown
    // Read from the source, not in a slot yet (in DNS or waiting in a queue).
    int waiting() const { return m_queued + int(m_inDns.size()); }
    int inDns() const { return int(m_inDns.size()); }
    // Names waiting for, or in, the retry pass.
    int inRetry() const { return int(m_retry.namesLeft()); }
    // The lowest tag in a slot, in DNS or waiting in a queue, -1 when none.
    qint64 lowestOpenTag() const;
    // Unknown outcomes of this run; after the retry pass, the names still unknown.
    QList<LookupOutcome> unknownOutcomes() const { return m_retry.unknownOutcomes(); }
    const ServerRest &serverRest() const { return m_retry.serverRest(); }
    const LookupPool &pool() const { return m_pool; }

signals:
    // A slot is sending the request for `name`.
    void asking(int slot, const QString &name);
    // A name could not be asked: no usable route, or its server rests (`reason` rate-limited).
    // Its lookupEnded() follows.
    void notAsked(qint64 tag, const LookupRequest &request, const QString &reason);
    // A lookup ended. `settled`: its verdict is final (decided, or unknown and not retried);
    // otherwise the name waits for the retry pass, which reports it again.
    void lookupEnded(qint64 tag, const LookupOutcome &outcome, bool settled);
    // Free slots of the first pass took their next names: the counts changed.
    void progressed();
    // The source has ended and every first lookup has ended; the retry pass starts now.
    void firstPassEnded();
    // Retries were started or ended.
    void retryProgressed();
    // Every name has its final outcome. Not emitted after halt().
    void finished();

private:
    struct Waiting {
        LookupItem item;
        LookupRequest request;
        qint64 order = 0;
    };
    using Queues = QHash<QString, std::deque<Waiting>>; // by lower-case server

    void fillSlots();
    bool fillSlot(int slot);
    bool mayAskNow(const QString &server) const;
    Queues::iterator oldestQueue(bool askableOnly);
    Waiting takeFrom(Queues::iterator queue);
    void startIn(int slot, const Waiting &waiting);
    void keepBack(int slot, const Waiting &waiting);
    void startRetry(int slot, const QString &name);
    void onPoolEnded(int slot, const LookupOutcome &outcome);
    void onRetried(qint64 tag, const LookupOutcome &outcome);
    void settle(const LookupOutcome &outcome);
    void noteInterrupted(const LookupRequest &request, qint64 tag, const QString &reason);
    void endIfDone();
    void finish();
    bool readForDns();
    void onDnsAnswered(quint64 id, const DnsAnswer &answer);

    LookupPool &m_pool;
    const RegistrarTable &m_table;
    const WhoisOptions &m_options;
    RetryPass m_retry;
    Source m_source;
    quint64 m_generation = 0; // bumped by start() and halt(): a stale caller stops at once
    bool m_running = false;
    bool m_sourceEnded = true;
    int m_lookAhead = 0;
    Queues m_queues;
    int m_queued = 0;
    qint64 m_nextOrder = 0;
    std::vector<Waiting> m_inSlot; // the name each slot was given last
    std::vector<bool> m_slotBusy; // a first-pass lookup runs in it
    int m_open = 0;
    int m_started = 0;
    int m_decided = 0;
    int m_free = 0;
    int m_taken = 0;
    int m_unknown = 0;
    QPointer<DnsProbe> m_dns;
    std::map<quint64, Waiting> m_inDns; // by query number, which follows the reading order
    int m_dnsFailuresInRow = 0;
    bool m_dnsGaveUp = false;
};
