#pragma once

#include "core/programfolder.h"
#include "core/timing.h"
#include "whois/verdict.h"

#include <QObject>
#include <QTimer>
#include <memory>

class DnsProbe;
struct DnsSettings;
class LookupPool;
class LookupRun;
class PageHarvester;
class RegistrarTable;
class ReplyRules;
class ResultLists;
struct Timing;
struct WhoisOptions;

// Checks the names the browser harvester queued in "\BrowserSearch.txt", one WHOIS lookup at
// a time, and files each result into the session's lists. Replies are read with the reply
// rules, like the main window's lookups: free and taken names are filed, an unknown one (a
// throttled or empty reply) goes nowhere, and so does the name of a server that stays silent
// past a few ticks. Without reply rules, only "No match for" marks a name free. With DNS first
// a name with name servers is taken without asking its registry.
class HarvestChecker : public QObject {
    Q_OBJECT
public:
    static inline const QString EndMarker = QStringLiteral("endoffileffile");

    HarvestChecker(const ProgramFolder &folder, const RegistrarTable &table,
                   const WhoisOptions &whois, ResultLists &lists, const Timing &timing,
                   const PageHarvester &harvester, QObject *parent = nullptr);
    ~HarvestChecker() override;

    // Starts the once-a-second step timer.
    void start();
    void setReplyRules(const ReplyRules *rules);
    // Whether the lookups from now on ask DNS first, as the window's search does.
    void setDnsSettings(const DnsSettings &settings);

    // Starts the lookup of the next queued name, or shows the summary when there is none.
    // Does nothing while a lookup is waiting for its reply.
    void checkNextName();
    // The n-th queued name (from 0), or EndMarker. A missing queue file ends the queue.
    QString readQueueEntry(int n) const;
    void startQueueLookup(const QString &entry);

    int checkPosition() const { return m_checkPosition; }
    bool lookupRunning() const;
    QString lookupName() const { return m_lookupName; }

signals:
    void freeName(const QString &name, const QString &caption);  // "Unregistered: (n)"
    void takenName(const QString &name, const QString &caption); // "Registered: (n)"
    void progressText(const QString &text); // the checking panel of the status bar
    void pageStatus(const QString &text);   // the page panel of the status bar

private:
    void advance();
    void file(const LookupOutcome &outcome);
    Verdict read(const LookupOutcome &outcome, QString *reason) const;

    QString m_queuePath;
    const RegistrarTable &m_table;
    const WhoisOptions &m_whois;
    ResultLists &m_lists;
    const PageHarvester &m_harvester;
    Timing m_lookupTiming; // a slot ticks as the checker does and gives up at its timeout

    QTimer m_stepTimer; // Timer1
    std::unique_ptr<LookupPool> m_pool;
    std::unique_ptr<DnsProbe> m_dns;
    std::unique_ptr<LookupRun> m_run;
    bool m_entryTaken = false; // the run has read its one name
    int m_checkPosition = 0;
    QString m_lookupName;
    const ReplyRules *m_rules = nullptr;
};
