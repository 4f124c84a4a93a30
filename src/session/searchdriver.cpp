#include "session/searchdriver.h"

#include "session/appcontext.h"
#include "session/applog.h"
#include "core/desktop.h"
#include "core/domainname.h"
#include "core/namecleaning.h"
#include "core/resultlists.h"
#include "core/settingsstore.h"
#include "core/timing.h"
#include "whois/dnsprobe.h"
#include "whois/dnssettings.h"
#include "whois/lookuppool.h"
#include "whois/registrartable.h"

#include <QCoreApplication>
#include <QTimer>
#include <limits>

namespace {
constexpr int ErrorInvalidArgument = 5;
} // namespace

SearchDriver::SearchDriver(LookupPool &pool, const RegistrarTable &table,
                           const WhoisOptions &options, SettingsStore &userStore, Desktop &desktop,
                           const Timing &timing, QObject *parent)
    : QObject(parent)
    , m_userStore(userStore)
    , m_desktop(desktop)
    , m_timing(timing)
    , m_positionWrite(new QTimer(this))
    , m_run(pool, table, options, timing) {
    m_positionWrite->setSingleShot(true);
    connect(m_positionWrite, &QTimer::timeout, this, &SearchDriver::flushPosition);
    connect(&m_run, &LookupRun::asking, this, [this](int slot, const QString &name) {
        emit statusText(3, QStringLiteral("connecting(") + QString::number(slot) +
                               QStringLiteral("): - Search String: ") + name);
    });
    connect(&m_run, &LookupRun::notAsked, this, &SearchDriver::onNotAsked);
    connect(&m_run, &LookupRun::lookupEnded, this, &SearchDriver::onLookupEnded);
    connect(&m_run, &LookupRun::progressed, this, [this] {
        showEntryStatus();
        showOpenStatus();
    });
    connect(&m_run, &LookupRun::firstPassEnded, this, [this] {
        flushPosition();
        m_retries = m_run.inRetry();
    });
    connect(&m_run, &LookupRun::retryProgressed, this, &SearchDriver::showRetryStatus);
    connect(&m_run, &LookupRun::finished, this, &SearchDriver::stop);
}

SearchDriver::~SearchDriver() {
    flushPosition();
    writeUnknownNames();
}

void SearchDriver::setPositionKey(const QString &key) {
    if (key != m_positionKey)
        flushPosition();
    m_positionKey = key;
}

void SearchDriver::setDnsSettings(const DnsSettings &settings) {
    halt();
    m_run.setDnsFirst(nullptr);
    m_dns = DnsProbe::forSettings(settings);
    m_run.setDnsFirst(m_dns.get());
}

void SearchDriver::start(int wordNumber, int wordMax) {
    // A run started over a running one (another window pressing Start) replaces it.
    halt();
    m_halted = false;
    m_listEnded = false;
    m_unknownPending = true;
    m_unknownReport.clear();
    m_unknownAtStop = 0;
    m_notStarted = 0;
    m_notAsked.clear();
    m_namesThisRun.clear();
    // Entries are numbered from 1; a run from entry 0 or below would end before it began.
    m_wordNumber = qMax(1, wordNumber);
    m_wordMax = wordMax;
    m_entries = qMax(0, wordMax - m_wordNumber + 1);
    m_retries = 0;
    m_positionBeforeFailures = m_wordNumber;
    // An empty list (or one that cannot be read) ends at once, inside this call.
    m_run.start([this] { return takeNextEntry(); });
}

std::optional<LookupItem> SearchDriver::takeNextEntry() {
    while (!m_halted && !m_listEnded) {
        QString entry = nextListEntry(m_wordNumber);
        // No list holds more entries than a stored position can count.
        if (m_wordNumber == std::numeric_limits<int>::max())
            entry = ListFile::EndMarker;
        else
            ++m_wordNumber;
        if (entry.isEmpty() || entry == ListFile::EndMarker) {
            m_listEnded = true;
            break;
        }
        storePosition(m_wordNumber);
        // A URL in a list is asked as its host, not as its letters run together.
        const QString name = correctName(DomainName::hostOf(entry));
        // A name the list gives again is not asked again, nor filed twice. A 64-bit key per
        // name keeps a million-name list's set small.
        if (!m_namesThisRun.insert(quint64(qHash(name.toCaseFolded(), 0))).second)
            continue;
        return LookupItem{name, m_wordNumber - 1};
    }
    return std::nullopt;
}

void SearchDriver::onNotAsked(qint64 entry, const LookupRequest &request, const QString &reason) {
    m_notAsked.insert(entry);
    switch (request.problem) {
    case LookupRequest::Problem::BadRow:
        reportFailure(ErrorInvalidArgument, QStringLiteral("The registrar row for ") +
                                                request.name +
                                                QStringLiteral(" has no server or no valid port."));
        return;
    case LookupRequest::Problem::NoRoute:
    case LookupRequest::Problem::NotAName:
        emit statusText(3, request.name + QStringLiteral(" was not checked: ") + request.refusal);
        return;
    case LookupRequest::Problem::None:
        break;
    }
    if (reason == LookupPool::RateLimitedReason)
        emit statusText(3, request.name + QStringLiteral(": ") + request.server +
                               QStringLiteral(" is resting, kept for the retry"));
}

void SearchDriver::reportFailure(int number, const QString &description) {
    emit statusText(3, description);
    // One message box at a time: with a broken table every lookup fails the same way, and a
    // box per lookup would bury the user. Shown from the event loop, never inside a batch start.
    if (m_failureQueued)
        return;
    m_failureQueued = true;
    const QString text = QStringLiteral("An error has occurred.\r\nError #: ") +
                         QString::number(number) + QStringLiteral("\r\nDescription: ") +
                         description;
    QMetaObject::invokeMethod(
        this,
        [this, text] {
            m_desktop.message(QStringLiteral("Error"), text, Desktop::Icon::Warning);
            m_failureQueued = false;
        },
        Qt::QueuedConnection);
}

// Free and taken names go to the lists, an unknown one nowhere: it is only shown.
void SearchDriver::file(const LookupOutcome &outcome) {
    if (outcome.verdict == Verdict::Unknown) {
        if (outcome.reason != LookupPool::NoReplyReason)
            emit statusText(3, outcome.name + QStringLiteral(": unknown (") + outcome.reason +
                                   QStringLiteral("), not filed"));
        return;
    }
    if (!m_lists)
        return;
    if (outcome.verdict == Verdict::Free)
        m_lists->fileFreeName(outcome.name);
    else
        m_lists->fileTakenName(outcome.name);
    if (m_lists->applyOverflowRule())
        emit overflowed();
}

void SearchDriver::onLookupEnded(qint64 entry, const LookupOutcome &outcome) {
    if (m_halted)
        return;
    if (!m_notAsked.remove(entry))
        file(outcome);
    if (m_run.retrying())
        return;
    // Entries in a row (in list order) that could not start; a lookup of an earlier entry that
    // ends late does not break the row, a later entry that started does.
    if (outcome.verdict == Verdict::Unknown && outcome.reason == LookupPool::NoServerReason) {
        if (m_notStarted++ == 0)
            m_positionBeforeFailures = int(entry);
        if (m_notStarted >= NotStartedLimit)
            stopNothingStarts();
    } else if (m_notStarted > 0 && entry > m_positionBeforeFailures) {
        m_notStarted = 0;
    }
}

SearchDriver::Progress SearchDriver::progress() const {
    Progress now;
    now.entries = m_entries;
    // A name waiting for its retry was looked up once already. After Stop the names that were
    // waiting or in flight are no longer in the run's counts, but in the unknown-names report.
    now.checked = m_run.decided() + (m_halted ? m_unknownAtStop
                                              : m_run.unknownCount() + m_run.inRetry());
    now.free = m_run.freeCount();
    now.taken = m_run.takenCount();
    now.retries = m_retries;
    now.retriesLeft = m_run.retrying() ? m_run.inRetry() : 0;
    return now;
}

void SearchDriver::showRetryStatus() {
    const int left = m_run.inRetry();
    emit statusText(1, QStringLiteral("Retrying ") + QString::number(left) +
                           (left == 1 ? QStringLiteral(" unknown name...")
                                      : QStringLiteral(" unknown names...")));
    emit statusText(2, QStringLiteral("Open: ") + QString::number(m_run.openLookups()));
}

// The names still unknown when a run ends, however it ends, go to the unknown-names file: the
// position has moved past them, so they would otherwise be lost. Each line is the name, a tab
// and the reason; a Custom List run over the file reads the name only.
void SearchDriver::writeUnknownNames() {
    if (!m_unknownPending)
        return;
    m_unknownPending = false;
    m_unknownReport.clear();
    const QList<LookupOutcome> unknown = m_run.unknownOutcomes();
    m_unknownAtStop = int(unknown.size());
    if (unknown.isEmpty() || !m_lists)
        return;
    QStringList lines;
    lines.reserve(unknown.size());
    for (const LookupOutcome &outcome : unknown)
        lines << ResultLists::unknownNameLine(outcome.name, outcome.reason);
    const QString path = m_lists->unknownFilePath();
    const QString count = QString::number(lines.size()) +
                          (lines.size() == 1 ? QStringLiteral(" name") : QStringLiteral(" names"));
    m_unknownReport =
        m_lists->appendUnknownNames(lines)
            ? count + QStringLiteral(" stayed unknown; listed in ") + path
            : count + QStringLiteral(" stayed unknown and could not be written to ") + path;
}

void SearchDriver::stopNothingStarts() {
    // The entries that could not start were not looked up: the stored position stays before
    // them, so the next run (after the table is mended) checks them.
    // Lookups still in flight are closed unanswered: keep the position before them too.
    int kept = m_positionBeforeFailures;
    if (const qint64 open = m_run.lowestOpenTag(); open >= 0)
        kept = qMin(kept, int(open));
    m_pendingPosition = kept;
    stop();
    const QString text =
        QStringLiteral("The search stopped: no lookup could start for %1 names in a row, because "
                       "the registrar table has no usable row for them (see the extension "
                       "settings). The search will go on from entry %2.")
            .arg(NotStartedLimit)
            .arg(kept);
    QMetaObject::invokeMethod(
        this,
        [this, text] {
            m_desktop.message(QCoreApplication::applicationName(), text, Desktop::Icon::Warning,
                              Desktop::Buttons::Ok);
        },
        Qt::QueuedConnection);
}

void SearchDriver::showEntryStatus() {
    if (m_wordNumber <= m_wordMax)
        emit statusText(1, QString::number(m_wordNumber) + QStringLiteral(" of ") +
                               QString::number(m_wordMax));
}

void SearchDriver::showOpenStatus() {
    emit statusText(2, m_wordNumber > m_wordMax
                           ? QStringLiteral("Open: Closing connections...")
                           : QStringLiteral("Open: ") + QString::number(m_run.openLookups()));
}

void SearchDriver::halt() {
    m_halted = true;
    m_run.halt();
    writeUnknownNames();
    m_listFile.close();
}

void SearchDriver::stop() {
    halt();
    flushPosition();
    showRestingStatus();
    if (!m_unknownReport.isEmpty())
        emit statusText(3, m_unknownReport);
    emit stopped();
}

void SearchDriver::shutdown() {
    halt();
    flushPosition();
}

QString SearchDriver::nextListEntry(int n) {
    bool opened = true;
    const QString entry = m_listFile.nextListEntry(m_listPath, n, &opened);
    if (opened)
        return entry;
    // Shown from the event loop: a modal box while slots are being filled would let timers and
    // socket events run in the middle of it.
    const QString text = QStringLiteral("File ") + m_listPath + QStringLiteral(" not found.");
    qCWarning(lcApp) << "Could not read entry" << n << "of" << m_listPath << "- the run stops";
    QMetaObject::invokeMethod(
        this,
        [this, text] {
            m_desktop.message(QCoreApplication::applicationName(), text, Desktop::Icon::None,
                              Desktop::Buttons::Ok);
        },
        Qt::QueuedConnection);
    return QString();
}

void SearchDriver::storePosition(int next) {
    // Every write of the store is a synced file rewrite; at thousands of lookups a second that
    // would be the slowest part of a run. The position is written at most once a tick, and
    // always when the run stops.
    m_pendingPosition = next;
    if (!m_positionWrite->isActive())
        m_positionWrite->start(m_timing.runTickMs);
}

void SearchDriver::flushPosition() {
    m_positionWrite->stop();
    if (m_pendingPosition <= 0)
        return;
    const QString value = QString::number(m_pendingPosition);
    m_pendingPosition = 0;
    if (!m_positionKey.isEmpty())
        m_userStore.write(AppContext::PositionsApp, AppContext::Section, m_positionKey, value);
    m_userStore.write(AppContext::PositionsApp, AppContext::Section, QStringLiteral("wordNumber"),
                      value);
}

void SearchDriver::showRestingStatus() {
    emit statusText(1, QStringLiteral("Entry Status"));
    emit statusText(2, QStringLiteral("Open Connections"));
    emit statusText(3, QStringLiteral("Connection Status"));
}
