#include "harvest/harvestchecker.h"

#include "core/filehelpers.h"
#include "core/namecleaning.h"
#include "core/resultlists.h"
#include "harvest/pageharvester.h"
#include "whois/dnsprobe.h"
#include "whois/dnssettings.h"
#include "whois/lookuppool.h"
#include "whois/lookuprun.h"
#include "whois/pagetext.h"
#include "whois/registrartable.h"
#include "whois/replyclassifier.h"
#include "whois/replyrules.h"

HarvestChecker::HarvestChecker(const ProgramFolder &folder, const RegistrarTable &table,
                               const WhoisOptions &whois, ResultLists &lists, const Timing &timing,
                               const PageHarvester &harvester, QObject *parent)
    : QObject(parent)
    , m_queuePath(folder.browserSearchList())
    , m_table(table)
    , m_whois(whois)
    , m_lists(lists)
    , m_harvester(harvester)
    , m_lookupTiming(timing) {
    m_lookupTiming.slotTickMs = timing.checkerTickMs;
    m_lookupTiming.lookupDeadlineTicks = timing.checkerTimeoutTicks;
    m_pool = std::make_unique<LookupPool>(m_lookupTiming, nullptr, 1);
    m_run = std::make_unique<LookupRun>(*m_pool, table, whois, m_lookupTiming);
    m_stepTimer.setInterval(timing.checkerTickMs);
    connect(&m_stepTimer, &QTimer::timeout, this, &HarvestChecker::checkNextName);
    connect(m_run.get(), &LookupRun::lookupEnded, this,
            [this](qint64, const LookupOutcome &outcome, bool settled) {
                if (settled)
                    file(outcome);
            });
    connect(m_run.get(), &LookupRun::finished, this, &HarvestChecker::advance);
}

HarvestChecker::~HarvestChecker() {
    m_run.reset();
    m_pool.reset();
    m_dns.reset();
}

void HarvestChecker::setDnsSettings(const DnsSettings &settings) {
    // A name waiting for DNS is looked up again: the position has not moved past it.
    m_run->halt();
    m_run->setDnsFirst(nullptr);
    m_dns = DnsProbe::forSettings(settings);
    m_run->setDnsFirst(m_dns.get());
}

void HarvestChecker::setReplyRules(const ReplyRules *rules) {
    m_rules = rules;
    m_pool->setReplyRules(rules);
}

bool HarvestChecker::lookupRunning() const {
    return m_run->running();
}

void HarvestChecker::start() {
    m_stepTimer.start();
}

void HarvestChecker::checkNextName() {
    // Restarting a lookup that waits for its reply would keep a slow server's name from ever
    // being answered; only the timeout gives up on it.
    if (lookupRunning() || m_checkPosition > m_harvester.foundTotal())
        return;
    m_stepTimer.stop();
    const QString entry = readQueueEntry(m_checkPosition);
    if (entry != EndMarker) {
        startQueueLookup(entry);
    } else {
        const int checked = m_lists.counter(ResultLists::Registered) +
                            m_lists.counter(ResultLists::High) + m_lists.counter(ResultLists::Mid) +
                            m_lists.counter(ResultLists::Low);
        emit progressText(QStringLiteral("Checked %1 unique domains.").arg(checked));
        if (m_harvester.foundOnPage() > 0)
            emit pageStatus(QStringLiteral("Finished domains on current page"));
    }
    m_stepTimer.start();
}

QString HarvestChecker::readQueueEntry(int n) const {
    if (n < 0)
        return EndMarker;
    // An unreadable queue (logged) ends the checking as an exhausted one does.
    const Result<QStringList> lines = TextFile::readLines(m_queuePath);
    if (lines.failed())
        return EndMarker;
    int counted = 0;
    for (const QString &line : lines.value()) {
        if (line.isEmpty() || line == QLatin1String(" "))
            continue;
        if (counted++ == n)
            return line;
    }
    return EndMarker;
}

void HarvestChecker::startQueueLookup(const QString &entry) {
    // Cleaned as every lookup is: a tab or line break never reaches the server or a list.
    m_lookupName = cleanLookupName(entry);
    if (!hasEnabledExtension(m_lookupName, m_table) ||
        m_table.findRegistrar(m_lookupName, m_whois.ProxySwitch) < 0) {
        advance();
        return;
    }
    emit progressText(QStringLiteral("Checking status of: ") + m_lookupName);
    m_entryTaken = false;
    m_run->start([this]() -> std::optional<LookupItem> {
        if (m_entryTaken)
            return std::nullopt;
        m_entryTaken = true;
        return LookupItem{m_lookupName, m_checkPosition};
    });
}

Verdict HarvestChecker::read(const LookupOutcome &outcome, QString *reason) const {
    *reason = outcome.reason;
    const bool rdap = RegistrarEntry::isRdapServer(outcome.server);
    if (m_rules || rdap || outcome.verdict == Verdict::Unknown ||
        outcome.server == DnsProbe::ServerName)
        return outcome.verdict;
    // The written rule of this checker, kept for a checker run without reply rules.
    return ReplyClassifier::isFreeForHarvester(ReplyClassifier::replyText(outcome.reply))
               ? Verdict::Free
               : Verdict::Taken;
}

void HarvestChecker::file(const LookupOutcome &outcome) {
    const QString &name = outcome.name;
    const bool bare = name == QLatin1String(".net") || name == QLatin1String(".com") ||
                      name.contains(QLatin1String("\".net"), Qt::CaseInsensitive) ||
                      name.contains(QLatin1String("\".com"), Qt::CaseInsensitive);
    if (bare)
        return;
    QString reason;
    const Verdict verdict = read(outcome, &reason);
    if (verdict == Verdict::Unknown) {
        // Throttled, empty or unreadable: neither list may claim the name.
        emit progressText(QStringLiteral("Unknown: ") + name + QStringLiteral(" (") + reason +
                          QLatin1Char(')'));
        return;
    }
    if (verdict == Verdict::Free) {
        if (name.contains(QLatin1String("endoffile"), Qt::CaseInsensitive))
            return;
        m_lists.fileFreeName(name);
        const int free = m_lists.counter(ResultLists::High) + m_lists.counter(ResultLists::Mid) +
                         m_lists.counter(ResultLists::Low);
        emit freeName(name, QStringLiteral("Unregistered: (%1)").arg(free));
        emit progressText(QStringLiteral("Unregistered: ") + name);
    } else {
        m_lists.fileTakenName(name);
        emit takenName(
            name, QStringLiteral("Registered: (%1)").arg(m_lists.counter(ResultLists::Registered)));
    }
}

void HarvestChecker::advance() {
    ++m_checkPosition;
    // Through the event loop: a long run of skipped entries never deepens the stack, and the
    // run that just finished is out of its own signal before the next one starts.
    QMetaObject::invokeMethod(this, &HarvestChecker::checkNextName, Qt::QueuedConnection);
}
