#pragma once

#include "core/listfile.h"
#include "whois/lookuppool.h"
#include "whois/lookuprun.h"
#include "whois/verdict.h"

#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <memory>
#include <optional>
#include <unordered_set>

class Desktop;
class DnsProbe;
struct DnsSettings;
class QTimer;
class RegistrarTable;
class ResultLists;
class SettingsStore;
struct Timing;
struct WhoisOptions;

// The main window's search: feeds the entries of one list file, in order, into a LookupRun over
// the pool's 25 slots, files what it decides into the result lists (with their overflow rule),
// and tells the status bar. Whenever a lookup ends (filed, unknown or given up at its own
// deadline) its slot takes the next entry at once, so a slow server never holds the other
// slots. The driver stores how far it got and stops when the list has ended and the last
// lookup has ended, or when asked.
//
// Names left unknown are retried once at the end of the run, in the retry pass, each only after
// the server that left it undecided has rested. A server that throttled rests meanwhile: names
// for it are not sent but kept for the retry, while the other slots go on with other servers.
// Names still unknown when the run ends (also by Stop) are appended to the lists' unknown-names
// file. The retry pass never moves the stored position.
//
// With DNS first (setDnsSettings(), read by the session at each Start) a name with name servers
// is filed taken without asking its registry; names read into DNS count as read ahead.
//
// The driver never touches a widget: the main window locks and restores its controls around
// Start and on stopped(), and shows statusText() in its status bar.
class SearchDriver : public QObject {
    Q_OBJECT
public:
    // A run stops when this many entries in a row could not even start a lookup (no usable
    // registrar row): racing through the rest of the list would only lose the position.
    static constexpr int NotStartedLimit = 25;

    SearchDriver(LookupPool &pool, const RegistrarTable &table, const WhoisOptions &options,
                 SettingsStore &userStore, Desktop &desktop, const Timing &timing,
                 QObject *parent = nullptr);
    ~SearchDriver() override;

    // The list the next run reads, and the key its position is stored under ("" for none).
    void setListPath(const QString &path) { m_listPath = path; }
    QString listPath() const { return m_listPath; }
    // Positions still waiting to be written are stored under the key they were taken for.
    void setPositionKey(const QString &key);
    QString positionKey() const { return m_positionKey; }

    // Where decided names are filed and the names still unknown at the end of a run are
    // written (none: neither).
    void setResultLists(ResultLists *lists) { m_lists = lists; }
    // Whether the next run asks DNS first, and which server (see LookupRun::setDnsFirst).
    void setDnsSettings(const DnsSettings &settings);
    bool dnsFirst() const { return m_run.dnsFirst(); }

    // Starts a run at entry `wordNumber` of a list of `wordMax` entries.
    void start(int wordNumber, int wordMax);
    // Stops the run (button, end of list). Emits stopped() after closing every slot.
    void stop();
    // Unload of the main window: halt and close everything, emit nothing.
    void shutdown();

    bool halted() const { return m_halted; }
    bool running() const { return !m_halted; }
    int wordNumber() const { return m_wordNumber; } // the next entry to take
    int wordMax() const { return m_wordMax; }
    int openLookups() const { return m_run.openLookups(); }
    bool listEnded() const { return m_listEnded; }
    // The run is in its retry pass (the list and its lookups have ended).
    bool retrying() const { return m_run.retrying(); }
    // The unknown outcomes of the current (or last) run; after the retry pass, the names still
    // unknown with the reason of their last lookup.
    QList<LookupOutcome> unknownOutcomes() const { return m_run.unknownOutcomes(); }
    // What the status bar says about the names still unknown when the last run ended ("" when
    // there were none): how many, and the file they were appended to.
    QString unknownReport() const { return m_unknownReport; }
    // The servers resting in this run.
    const ServerRest &serverRest() const { return m_run.serverRest(); }
    const LookupRun &run() const { return m_run; }

    // How far the current (or last) run has come: the entries its first pass covers and has
    // looked up, the names filed free and taken by either pass, and the names its retry pass
    // began with and has still to decide. A window reads it a few times a second.
    struct Progress {
        int entries = 0;
        int checked = 0;
        int free = 0;
        int taken = 0;
        int retries = 0;
        int retriesLeft = 0;
    };
    Progress progress() const;

    // The n-th entry of the current list, or the end marker; shows "File ... not found." once
    // when the list cannot be read.
    QString nextListEntry(int n);

signals:
    void statusText(int panel, const QString &text);
    void stopped();
    void overflowed(); // filing moved a full list to the overflow folder

private:
    std::optional<LookupItem> takeNextEntry();
    void onLookupEnded(qint64 entry, const LookupOutcome &outcome);
    void onNotAsked(qint64 entry, const LookupRequest &request, const QString &reason);
    void file(const LookupOutcome &outcome);
    void reportFailure(int number, const QString &description);
    void showRetryStatus();
    void writeUnknownNames();
    void stopNothingStarts();
    void showEntryStatus();
    void showOpenStatus();
    void storePosition(int next);
    void flushPosition();
    void showRestingStatus();
    void halt();

    SettingsStore &m_userStore;
    Desktop &m_desktop;
    const Timing &m_timing;
    QTimer *m_positionWrite = nullptr;
    ResultLists *m_lists = nullptr;
    std::unique_ptr<DnsProbe> m_dns; // before the run, which refers to it
    LookupRun m_run;
    int m_pendingPosition = 0; // next entry, not yet written to the store
    ListFile m_listFile;

    QString m_listPath;
    QString m_positionKey;
    int m_wordNumber = 0;
    int m_wordMax = 0;
    bool m_halted = true;
    bool m_listEnded = false;
    QSet<qint64> m_notAsked;          // entries whose lookup ends without asking a server
    std::unordered_set<quint64> m_namesThisRun; // keys of the names read by this run
    bool m_failureQueued = false;     // a box about a broken registrar row is on its way
    int m_entries = 0;                // entries the first pass covers
    int m_retries = 0;                // names the retry pass began with
    int m_unknownAtStop = 0;          // names the last end left unknown
    bool m_unknownPending = false;    // a run started whose unknown names are not written yet
    QString m_unknownReport;          // what the status bar says about the written names
    int m_notStarted = 0;             // entries in a row whose lookup could not start
    int m_positionBeforeFailures = 0; // the position to keep when they stop the run
};
