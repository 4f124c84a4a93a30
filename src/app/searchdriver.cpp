#include "app/searchdriver.h"

#include "app/appcontext.h"
#include "app/applog.h"
#include "core/desktop.h"
#include "whois/lookuppool.h"
#include "core/namecleaning.h"
#include "core/settingsstore.h"
#include "core/timing.h"

#include <QCoreApplication>
#include <QHash>
#include <QTimer>
#include <limits>

SearchDriver::SearchDriver(LookupPool &pool, SettingsStore &userStore, Desktop &desktop,
                           const Timing &timing, QObject *parent)
    : QObject(parent)
    , m_pool(pool)
    , m_userStore(userStore)
    , m_desktop(desktop)
    , m_timing(timing)
    , m_overall(new QTimer(this))
    , m_positionWrite(new QTimer(this)) {
    connect(m_overall, &QTimer::timeout, this, &SearchDriver::onOverallTick);
    m_positionWrite->setSingleShot(true);
    connect(m_positionWrite, &QTimer::timeout, this, &SearchDriver::flushPosition);
    connect(&m_pool, &LookupPool::lookupEnded, this, &SearchDriver::onLookupEnded);
}

SearchDriver::~SearchDriver() {
    m_overall->stop();
    flushPosition();
}

void SearchDriver::setSearchType(const QString &type) {
    if (type != m_searchType)
        flushPosition();
    m_searchType = type;
}

QString SearchDriver::positionKey(const QString &type) {
    static const QHash<QString, QString> keys = {
        {QStringLiteral("Full Word List"), QStringLiteral("FullWordNum")},
        {QStringLiteral("All Two Letter"), QStringLiteral("TwoWordNum")},
        {QStringLiteral("All Three Letter"), QStringLiteral("ThreeWordNum")},
        {QStringLiteral("All Four Letter"), QStringLiteral("FourWordNum")},
        {QStringLiteral("Custom List"), QStringLiteral("CustWordNum")},
        {QStringLiteral("Yahoo Search"), QStringLiteral("YahooWordNum")},
        {QStringLiteral("Google Search"), QStringLiteral("GoogleWordNum")},
    };
    return keys.value(type);
}

void SearchDriver::start(int wordNumber, int wordMax) {
    // A run started over a running one (another window pressing Start) replaces it.
    m_overall->stop();
    m_pool.closeAll();
    m_halted = false;
    m_pool.setHalted(false);
    if (m_searchType == QLatin1String("Yahoo Search") ||
        m_searchType == QLatin1String("Google Search"))
        wordNumber = 1;
    // Entries are numbered from 1; a run from entry 0 or below would end before it began.
    m_wordNumber = qMax(1, wordNumber);
    m_wordMax = wordMax;
    startBatch();
}

void SearchDriver::startBatch() {
    if (m_halted)
        return;
    m_listEnded = false;
    m_batchDone = 0;
    m_batchStarted = 0;
    m_batchSeconds = 0;
    m_overall->start(m_timing.batchTickMs);

    // Nothing repaints while the batch starts, so the status texts are sent once, as they
    // stand after the last entry taken; the position is stored once for the same reason.
    QString entryStatus;
    QString openStatus;
    int taken = 0;
    for (int i = 0; i < LookupPool::SlotCount && !m_halted; ++i) {
        m_pool.closeSlot(i);
        QString entry = nextListEntry(m_wordNumber);
        // No list holds more entries than a stored position can count.
        if (m_wordNumber == std::numeric_limits<int>::max())
            entry = ListFile::EndMarker;
        else
            ++m_wordNumber;
        if (m_wordNumber <= m_wordMax)
            entryStatus =
                QString::number(m_wordNumber) + QStringLiteral(" of ") + QString::number(m_wordMax);
        openStatus =
            m_wordNumber > m_wordMax
                ? QStringLiteral("Open: Closing connections...")
                : QStringLiteral("Open: ") + QString::number(LookupPool::SlotCount - m_batchDone);
        if (entry.isEmpty() || entry == ListFile::EndMarker) {
            m_listEnded = true;
            break;
        }
        taken = m_wordNumber;
        ++m_batchStarted;
        m_pool.startLookup(correctName(entry), i);
    }
    if (taken > 0)
        storePosition(taken);
    if (!entryStatus.isEmpty())
        emit statusText(1, entryStatus);
    emit statusText(2, openStatus);

    // A batch cut short by the end of the list ends when its started lookups have; an empty
    // one at once.
    if (!m_halted && m_batchStarted == 0)
        endBatch();
}

void SearchDriver::onLookupEnded() {
    if (m_halted)
        return;
    ++m_batchDone;
    if (m_batchDone < m_batchStarted)
        return;
    endBatch();
}

void SearchDriver::onOverallTick() {
    if (m_halted) {
        m_overall->stop();
        return;
    }
    ++m_batchSeconds;
    if (m_batchSeconds < m_timing.batchDeadlineTicks)
        return;
    // The deadline: lookups still running are closed unfiled; their entries count as done.
    m_overall->stop();
    m_batchSeconds = 0;
    m_batchDone = LookupPool::SlotCount;
    endBatch();
}

void SearchDriver::endBatch() {
    m_pool.closeAll();
    m_overall->stop();
    m_batchSeconds = 0;
    if (m_listEnded)
        stop();
    else
        startBatch();
}

void SearchDriver::stop() {
    m_batchDone = LookupPool::SlotCount;
    m_halted = true;
    m_pool.setHalted(true);
    m_overall->stop();
    m_pool.closeAll();
    m_batchSeconds = 0;
    flushPosition();
    showRestingStatus();
    emit stopped();
}

void SearchDriver::shutdown() {
    m_batchDone = LookupPool::SlotCount;
    m_halted = true;
    m_pool.setHalted(true);
    m_overall->stop();
    m_pool.closeAll();
    flushPosition();
}

QString SearchDriver::nextListEntry(int n) {
    bool opened = true;
    const QString entry = m_listFile.nextListEntry(m_listPath, n, &opened);
    if (opened)
        return entry;
    // Shown from the event loop: a modal box inside a batch start would let the batch timer
    // and socket events run in the middle of it.
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
        m_positionWrite->start(m_timing.batchTickMs);
}

void SearchDriver::flushPosition() {
    m_positionWrite->stop();
    if (m_pendingPosition <= 0)
        return;
    const QString value = QString::number(m_pendingPosition);
    m_pendingPosition = 0;
    const QString key = positionKey(m_searchType);
    if (!key.isEmpty())
        m_userStore.write(AppContext::PositionsApp, AppContext::Section, key, value);
    m_userStore.write(AppContext::PositionsApp, AppContext::Section, QStringLiteral("wordNumber"),
                      value);
}

void SearchDriver::showRestingStatus() {
    emit statusText(1, QStringLiteral("Entry Status"));
    emit statusText(2, QStringLiteral("Open Connections"));
    emit statusText(3, QStringLiteral("Connection Status"));
}
