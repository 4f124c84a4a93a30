#include "app/searchdriver.h"

#include "app/appcontext.h"
#include "app/applog.h"
#include "core/desktop.h"
#include "core/namecleaning.h"
#include "core/resultlists.h"
#include "core/settingsstore.h"
#include "core/timing.h"
#include "whois/lookuppool.h"

#include <QCoreApplication>
#include <QTimer>
#include <limits>

SearchDriver::SearchDriver(LookupPool &pool, SettingsStore &userStore, Desktop &desktop,
                           const Timing &timing, QObject *parent)
    : QObject(parent)
    , m_pool(pool)
    , m_userStore(userStore)
    , m_desktop(desktop)
    , m_timing(timing)
    , m_positionWrite(new QTimer(this))
    , m_retry(pool, timing) {
    m_positionWrite->setSingleShot(true);
    connect(m_positionWrite, &QTimer::timeout, this, &SearchDriver::flushPosition);
    connect(&m_pool, &LookupPool::lookupEnded, this, &SearchDriver::onLookupEnded);
    connect(&m_retry, &RetryPass::progressed, this, &SearchDriver::showRetryStatus);
    connect(&m_retry, &RetryPass::finished, this, &SearchDriver::stop);
    connect(&m_retry, &RetryPass::retried, this,
            [this](int, const LookupOutcome &outcome) { countVerdict(outcome); });
}

void SearchDriver::countVerdict(const LookupOutcome &outcome) {
    m_progress.free += outcome.verdict == Verdict::Free;
    m_progress.taken += outcome.verdict == Verdict::Taken;
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

void SearchDriver::start(int wordNumber, int wordMax) {
    // A run started over a running one (another window pressing Start) replaces it.
    halt();
    m_halted = false;
    m_pool.setHalted(false);
    m_listEnded = false;
    m_retry.reset();
    m_unknownPending = true;
    m_unknownReport.clear();
    m_notStarted = 0;
    // Entries are numbered from 1; a run from entry 0 or below would end before it began.
    m_wordNumber = qMax(1, wordNumber);
    m_wordMax = wordMax;
    m_progress = Progress{};
    m_progress.entries = qMax(0, wordMax - m_wordNumber + 1);
    m_positionBeforeFailures = m_wordNumber;

    for (int i = 0; i < LookupPool::SlotCount && !m_halted && !m_listEnded; ++i)
        takeNextEntry(i);
    if (m_halted)
        return;
    showEntryStatus();
    showOpenStatus();
    // An empty list (or one that cannot be read) ends at once.
    if (m_listEnded && m_open == 0)
        onListAndLookupsEnded();
}

void SearchDriver::takeNextEntry(int slot) {
    if (m_halted || m_listEnded)
        return;
    QString entry = nextListEntry(m_wordNumber);
    // No list holds more entries than a stored position can count.
    if (m_wordNumber == std::numeric_limits<int>::max())
        entry = ListFile::EndMarker;
    else
        ++m_wordNumber;
    if (entry.isEmpty() || entry == ListFile::EndMarker) {
        m_listEnded = true;
        return;
    }
    m_busy[slot] = true;
    m_entryOfSlot[slot] = m_wordNumber - 1;
    ++m_open;
    storePosition(m_wordNumber);
    m_pool.startLookup(correctName(entry), slot);
}

void SearchDriver::onLookupEnded(int slot, const LookupOutcome &outcome) {
    if (m_halted)
        return;
    if (m_retry.active()) {
        m_retry.lookupEnded(slot, outcome);
        return;
    }
    if (slot < 0 || slot >= LookupPool::SlotCount || !m_busy[slot])
        return;
    m_busy[slot] = false;
    --m_open;
    ++m_progress.checked;
    countVerdict(outcome);
    if (outcome.verdict == Verdict::Unknown)
        m_retry.noteUnknown(outcome);

    // Entries in a row (in list order) that could not start; a lookup of an earlier entry that
    // ends late does not break the row, a later entry that started does.
    const int entry = m_entryOfSlot[slot];
    if (outcome.verdict == Verdict::Unknown && outcome.reason == LookupPool::NoServerReason) {
        if (m_notStarted++ == 0)
            m_positionBeforeFailures = entry;
        if (m_notStarted >= NotStartedLimit) {
            stopNothingStarts();
            return;
        }
    } else if (m_notStarted > 0 && entry > m_positionBeforeFailures) {
        m_notStarted = 0;
    }

    takeNextEntry(slot);
    showEntryStatus();
    showOpenStatus();
    if (m_listEnded && m_open == 0)
        onListAndLookupsEnded();
}

// The one place where a run's end is decided: the list has ended and no lookup is in flight.
// The names left unknown are then retried once; the run stops when the retry pass is over.
void SearchDriver::onListAndLookupsEnded() {
    if (m_retry.active())
        return;
    flushPosition();
    if (!m_retry.begin()) {
        stop();
        return;
    }
    m_progress.retries = int(m_retry.namesLeft());
}

SearchDriver::Progress SearchDriver::progress() const {
    Progress now = m_progress;
    now.retriesLeft = m_retry.active() ? int(m_retry.namesLeft()) : 0;
    return now;
}

void SearchDriver::showRetryStatus() {
    const qsizetype left = m_retry.namesLeft();
    emit statusText(1, QStringLiteral("Retrying ") + QString::number(left) +
                           (left == 1 ? QStringLiteral(" unknown name...")
                                      : QStringLiteral(" unknown names...")));
    emit statusText(2, QStringLiteral("Open: ") + QString::number(m_retry.openLookups()));
}

// The names still unknown when a run ends, however it ends, go to the unknown-names file: the
// position has moved past them, so they would otherwise be lost. Each line is the name, a tab
// and the reason; a Custom List run over the file reads the name only.
void SearchDriver::writeUnknownNames() {
    if (!m_unknownPending)
        return;
    m_unknownPending = false;
    m_unknownReport.clear();
    const QList<LookupOutcome> unknown = m_retry.unknownOutcomes();
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
    for (int i = 0; i < LookupPool::SlotCount; ++i)
        if (m_busy[i])
            kept = qMin(kept, m_entryOfSlot[i]);
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
                           : QStringLiteral("Open: ") + QString::number(m_open));
}

void SearchDriver::halt() {
    m_halted = true;
    m_pool.setHalted(true);
    m_pool.closeAll();
    m_retry.halt();
    writeUnknownNames();
    m_busy.fill(false);
    m_open = 0;
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
