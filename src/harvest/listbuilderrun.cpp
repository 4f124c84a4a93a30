#include "harvest/listbuilderrun.h"

#include "core/filehelpers.h"
#include "core/timing.h"
#include "harvest/harvestlog.h"

#include <QDir>
#include <QFileInfo>

ListBuilderRun::ListBuilderRun(const ProgramFolder &folder, const RegistrarTable &table,
                               const VendorHosts &hosts, const Timing &timing, QObject *parent)
    : QObject(parent)
    , m_folder(folder)
    , m_hosts(hosts)
    , m_extractor(table, hosts)
    , m_queue(m_extractor) {
    // The pause between result pages is a timer, so the window stays responsive.
    m_pause.setSingleShot(true);
    m_pause.setInterval(timing.pagePauseMs);
    connect(&m_pause, &QTimer::timeout, this, &ListBuilderRun::nextPageOrFinish);
    connect(&m_queue, &PageQueue::progressed, this, [this] {
        emit statusText(
            QStringLiteral("Extracted %1 unique domain names").arg(m_extractor.foundTotal()));
    });
    connect(&m_queue, &PageQueue::pageDone, this, &ListBuilderRun::pageExtracted);
    currentSearchText = [this] { return m_startText; };
}

ListBuilderRun::Engine ListBuilderRun::engineFor(const QString &searchType) {
    if (searchType == QLatin1String("Yahoo Search"))
        return Engine::Yahoo;
    if (searchType == QLatin1String("Google Search"))
        return Engine::Google;
    return Engine::None;
}

QString ListBuilderRun::engineName(Engine engine) {
    switch (engine) {
    case Engine::Yahoo:
        return QStringLiteral("Yahoo");
    case Engine::Google:
        return QStringLiteral("Google");
    case Engine::None:
        break;
    }
    return {};
}

int ListBuilderRun::wantedCountFor(int wantedIndex) {
    switch (wantedIndex) {
    case 1:
        return 200;
    case 2:
        return 500;
    case 3:
        return 1000;
    default:
        return 100;
    }
}

QString ListBuilderRun::pageAddress(Engine engine, const VendorHosts &hosts,
                                    const QString &searchText, int resultOffset) {
    if (engine == Engine::Yahoo)
        return QStringLiteral("http://") + hosts.yahooHost +
               QStringLiteral("/search/dir?h=s&xargs=0&p=") + searchText + QStringLiteral("&b=") +
               QString::number(resultOffset);
    if (engine == Engine::Google)
        return QStringLiteral("http://") + hosts.googleHost +
               QStringLiteral("/search?num=100&hl=en&lr=&ie=UTF-8&oe=UTF-8&safe=off&filter=0"
                              "&start=") +
               QString::number(resultOffset - 1) + QStringLiteral("&sa=N&q=") + searchText;
    return {};
}

void ListBuilderRun::start(const QString &searchType, const QString &searchText, int wantedIndex) {
    m_startText = searchText;
    m_searchText = searchText;
    m_searchText.replace(QLatin1Char(' '), QLatin1Char('+'));
    m_wantedCount = wantedCountFor(wantedIndex);
    m_engine = engineFor(searchType);
    m_resultOffset = 1;
    if (m_engine != Engine::None)
        emit navigate(pageAddress(m_engine, m_hosts, m_searchText, m_resultOffset));
}

void ListBuilderRun::pageCompleted(const QString &bodyHtml) {
    if (m_finished || m_engine == Engine::None)
        return;
    m_queue.submit(bodyHtml);
}

void ListBuilderRun::pageExtracted() {
    // Reports that arrive during the pause wait until the next page has been requested.
    m_queue.hold();
    m_pause.start();
}

void ListBuilderRun::nextPageOrFinish() {
    if (m_extractor.foundTotal() < m_wantedCount && m_extractor.foundOnPage() > 0) {
        m_resultOffset += m_engine == Engine::Yahoo ? 20 : 100;
        emit navigate(pageAddress(m_engine, m_hosts, m_searchText, m_resultOffset));
        m_queue.release();
        return;
    }
    finish();
}

QString ListBuilderRun::keptCopyPath(const QString &searchText) const {
    // A path separator in the search text would point into another folder.
    QString name = searchText;
    name.replace(QLatin1Char('/'), QLatin1Char('_')).replace(QLatin1Char('\\'), QLatin1Char('_'));
    return m_folder.path(QStringLiteral("\\Searches\\") + engineName(m_engine) + QLatin1Char(' ') +
                         name + QStringLiteral(".txt"));
}

void ListBuilderRun::finish() {
    m_finished = true;
    m_queue.clearPending();
    const QString listPath = m_folder.path(ListFile);
    const QString list = NameExtractor::tidy(m_extractor.nameList());
    if (const Result<> written = TextFile::writeAll(listPath, list + QStringLiteral("\r\n"));
        written.failed()) {
        emit writeFailed(written.error().text());
        return;
    }
    // The kept copy is a convenience: without it the run still searches its list (logged).
    const QString keptPath = keptCopyPath(currentSearchText());
    if (!QDir().mkpath(QFileInfo(keptPath).absolutePath()))
        qCWarning(lcHarvest) << "Could not create the folder" << QFileInfo(keptPath).absolutePath();
    (void)Files::copyFile(listPath, keptPath);

    int wordMax = 0;
    for (const QString &line : TextFile::readLines(listPath).valueOr({})) {
        if (!line.isEmpty())
            ++wordMax;
    }
    const int found = m_extractor.foundTotal();
    emit statusText(QStringLiteral("Finished! Extracted %1 domain names.").arg(found));
    emit listReady(found, wordMax);
}
