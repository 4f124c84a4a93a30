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
    , m_restOver(new QTimer(this)) {
    m_positionWrite->setSingleShot(true);
    connect(m_positionWrite, &QTimer::timeout, this, &SearchDriver::flushPosition);
    m_restOver->setSingleShot(true);
    m_restOver->setTimerType(Qt::PreciseTimer);
    connect(m_restOver, &QTimer::timeout, this, &SearchDriver::fillRetrySlots);
    connect(&m_pool, &LookupPool::lookupEnded, this, &SearchDriver::onLookupEnded);
    m_pool.setServerRest(&m_rest);
}

SearchDriver::~SearchDriver() {
    m_pool.setServerRest(nullptr);
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
    m_unknown.clear();
    m_unknownPending = true;
    m_unknownReport.clear();
    m_notStarted = 0;
    // Entries are numbered from 1; a run from entry 0 or below would end before it began.
    m_wordNumber = qMax(1, wordNumber);
    m_wordMax = wordMax;
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
    if (m_halted || slot < 0 || slot >= LookupPool::SlotCount || !m_busy[slot])
        return;
    if (m_retrying) {
        onRetryEnded(slot, outcome);
        return;
    }
    m_busy[slot] = false;
    --m_open;
    if (outcome.verdict == Verdict::Unknown) {
        m_unknown.append(outcome);
        noteRest(outcome);
    }

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
    if (!m_retrying) {
        // Without a registrar row or an ASCII form a name cannot be asked, now or later.
        QList<LookupOutcome> kept;
        for (const LookupOutcome &outcome : std::as_const(m_unknown)) {
            const bool askable = !outcome.server.isEmpty();
            (askable ? m_retryQueue : kept).append(outcome);
        }
        if (!m_retryQueue.isEmpty()) {
            m_unknown = kept;
            m_retrying = true;
            flushPosition();
            fillRetrySlots();
            return;
        }
    }
    stop();
}

// How long the server of an undecided name rests before it is asked about that name again. A
// throttling server is not asked about any name meanwhile.
void SearchDriver::noteRest(const LookupOutcome &outcome) {
    if (outcome.server.isEmpty())
        return;
    if (outcome.reason != LookupPool::RateLimitedReason) {
        m_rest.failed(outcome.server, m_timing.failedRestMs);
        return;
    }
    // Names that were kept back while it rests, and replies that were already on their way
    // when it first throttled, do not lengthen its rest.
    if (m_rest.isThrottled(outcome.server))
        return;
    const qint64 ms = outcome.retryAfterSeconds > 0
                          ? qint64(outcome.retryAfterSeconds) * m_timing.retryAfterUnitMs
                          : qint64(m_timing.throttledRestMs);
    m_rest.throttled(outcome.server, ms);
}

void SearchDriver::onRetryEnded(int slot, const LookupOutcome &outcome) {
    m_busy[slot] = false;
    --m_open;
    // Filed by the pool when decided; retried once only, so an unknown stays unknown now.
    if (outcome.verdict == Verdict::Unknown) {
        m_unknown.append(outcome);
        noteRest(outcome);
    }
    fillRetrySlots();
}

// Starts a retry in every free slot whose name's server has rested, in the order the names
// ended; when none has, wakes up as the next server's rest is over.
void SearchDriver::fillRetrySlots() {
    if (m_halted || !m_retrying)
        return;
    m_restOver->stop();
    const qint64 now = m_rest.now();
    for (int i = 0; i < LookupPool::SlotCount && !m_retryQueue.isEmpty(); ++i) {
        if (m_busy[i])
            continue;
        qsizetype ready = -1;
        for (qsizetype k = 0; k < m_retryQueue.size() && ready < 0; ++k)
            if (m_rest.readyAt(m_retryQueue.at(k).server) <= now)
                ready = k;
        if (ready < 0)
            break;
        m_retryOfSlot[i] = m_retryQueue.takeAt(ready);
        m_busy[i] = true;
        ++m_open;
        m_pool.startLookup(m_retryOfSlot[i].name, i);
    }
    if (m_retryQueue.isEmpty() && m_open == 0) {
        stop();
        return;
    }
    if (!m_retryQueue.isEmpty() && m_open < LookupPool::SlotCount) {
        qint64 next = std::numeric_limits<qint64>::max();
        for (const LookupOutcome &outcome : std::as_const(m_retryQueue))
            next = qMin(next, m_rest.readyAt(outcome.server));
        m_restOver->start(
            int(qBound(qint64(0), next - now, qint64(std::numeric_limits<int>::max()))));
    }
    showRetryStatus();
}

void SearchDriver::showRetryStatus() {
    const qsizetype left = m_retryQueue.size() + m_open;
    emit statusText(1, QStringLiteral("Retrying ") + QString::number(left) +
                           (left == 1 ? QStringLiteral(" unknown name...")
                                      : QStringLiteral(" unknown names...")));
    emit statusText(2, QStringLiteral("Open: ") + QString::number(m_open));
}

// The names still unknown when a run ends, however it ends, go to the unknown-names file: the
// position has moved past them, so they would otherwise be lost. Each line is the name, a tab
// and the reason; a Custom List run over the file reads the name only.
void SearchDriver::writeUnknownNames() {
    if (!m_unknownPending)
        return;
    m_unknownPending = false;
    m_unknownReport.clear();
    if (m_retrying) {
        for (int i = 0; i < LookupPool::SlotCount; ++i)
            if (m_busy[i])
                m_unknown.append(m_retryOfSlot[i]);
        m_unknown.append(m_retryQueue);
        m_retryQueue.clear();
    }
    if (m_unknown.isEmpty() || !m_lists)
        return;
    QStringList lines;
    lines.reserve(m_unknown.size());
    for (const LookupOutcome &outcome : std::as_const(m_unknown)) {
        QString reason = outcome.reason;
        // One line per name, whatever a server's error text holds.
        for (QChar &c : reason)
            if (c.unicode() < 0x20)
                c = QLatin1Char(' ');
        lines << outcome.name + QLatin1Char('\t') + reason;
    }
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
    m_restOver->stop();
    writeUnknownNames();
    m_retrying = false;
    m_retryQueue.clear();
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
