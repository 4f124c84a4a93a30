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

void ListBuilderRun::start(SearchType searchType, const QString &searchText, int wantedIndex) {
    m_searchType = searchType;
    const QString caption = SearchTypes::caption(searchType);
    m_startText = searchText;
    m_wantedCount = wantedCountFor(wantedIndex);
    m_pageIndex = 0;

    const QString path = m_folder.path(SearchEngines::FileName);
    // Deleted since the start-up: the defaults come back rather than a run that cannot start.
    if (const auto error = SearchEngines::ensureFile(path)) {
        fail(QStringLiteral("The search engines file could not be written: ") + error->text(),
             false);
        return;
    }
    const SearchEngines::Parsed parsed = SearchEngines::load(path);
    if (!parsed.errors.isEmpty()) {
        // A typo in a hand-edited row must not quietly drop or change an engine.
        fail(QStringLiteral("The search engines file has an error, so no search was made: ") +
                 parsed.errors.first().text(),
             false);
        return;
    }
    for (const SearchEngine &engine : parsed.engines) {
        if (engine.caption == caption) {
            m_engine = engine;
            m_hasEngine = true;
            break;
        }
    }
    if (!m_hasEngine) {
        if (!SearchTypes::isWebSearch(searchType))
            return; // not a web search type: nothing to load
        fail(QStringLiteral("%1 has no row captioned \"%2\", so no search was made.")
                 .arg(QFileInfo(path).fileName(), caption),
             false);
        return;
    }
    m_extractor.setEngineHosts(
        EngineHosts(m_engine.host(), {m_hosts.EngineSiteDomain, m_hosts.MarketplaceDomain}));
    requestPage();
}

void ListBuilderRun::requestPage() {
    const QString address = m_engine.pageAddress(m_startText, m_pageIndex);
    qCDebug(lcHarvest) << "result page" << pageNumber() << address;
    emit navigate(address);
}

void ListBuilderRun::pageCompleted(const LoadedPage &page, const QStringList &links,
                                   const QString &bodyHtml) {
    if (m_finished || !m_hasEngine)
        return;
    const bool hasResults = !m_extractor.resultTargets(links).isEmpty();
    if (const PageProblem problem = ResultPageCheck::check(page, hasResults)) {
        stopOnProblem(problem);
        return;
    }
    m_extractor.queueLinks(links);
    m_queue.submit(bodyHtml);
}

void ListBuilderRun::pageExtracted() {
    qCDebug(lcHarvest).nospace() << "page " << pageNumber() << ": "
                                 << m_extractor.lineRuleNamesOnPage() << " names by the line rule, "
                                 << m_extractor.linkNamesOnPage() << " more from result links, "
                                 << m_extractor.newLinksOnPage() << " new result links";
    emit pageRead(pageNumber(), m_extractor.lineRuleNamesOnPage(), m_extractor.linkNamesOnPage(),
                  m_extractor.newLinksOnPage());
    // Reports that arrive during the pause wait until the next page has been requested.
    m_queue.hold();
    m_pause.start();
}

void ListBuilderRun::nextPageOrFinish() {
    // A page that adds neither a name nor an unseen result link is past the end of the results.
    const bool pageAddedSomething =
        m_extractor.foundOnPage() > 0 || m_extractor.newLinksOnPage() > 0;
    if (m_extractor.foundTotal() < m_wantedCount && pageAddedSomething &&
        m_pageIndex + 1 < m_engine.pages) {
        ++m_pageIndex;
        requestPage();
        m_queue.release();
        return;
    }
    finish(QString());
}

void ListBuilderRun::stopOnProblem(const PageProblem &problem) {
    QString reason = QStringLiteral("Page %1 of %2 was %3.")
                         .arg(pageNumber())
                         .arg(m_engine.caption, problem.description);
    if (problem.kind == PageProblem::Consent)
        reason += QStringLiteral(" Answer it in the List Builder window, close the window and "
                                 "press Search again.");
    qCWarning(lcHarvest) << reason;
    // The names of the pages before stay useful; without any, finish() reports the failure.
    finish(reason);
}

QString ListBuilderRun::keptCopyPath(const QString &searchText) const {
    // A path separator in the search text would point into another folder.
    QString name = searchText;
    name.replace(QLatin1Char('/'), QLatin1Char('_')).replace(QLatin1Char('\\'), QLatin1Char('_'));
    return m_folder.path(QStringLiteral("\\Searches\\") + m_engine.shortName() + QLatin1Char(' ') +
                         name + QStringLiteral(".txt"));
}

void ListBuilderRun::fail(const QString &message, bool showPage) {
    m_finished = true;
    m_pause.stop();
    m_queue.clearPending();
    m_extractor.clearQueuedLinks();
    emit statusText(message);
    emit failed(message, showPage);
}

void ListBuilderRun::finish(const QString &stopReason) {
    const QString list = NameExtractor::tidy(m_extractor.nameList());
    int wordMax = 0;
    for (const QString &line : list.split(QStringLiteral("\r\n"))) {
        if (!line.isEmpty())
            ++wordMax;
    }
    if (wordMax == 0) {
        // Nothing to check: the previous list stays, and no run starts over an empty one.
        QString message = QStringLiteral("No domain names were found on %1 result page(s) of %2 "
                                         "for \"%3\", so no search was started.")
                              .arg(pageNumber())
                              .arg(m_engine.caption, m_startText);
        if (!stopReason.isEmpty())
            message = stopReason + QLatin1Char(' ') + message;
        fail(message, true);
        return;
    }
    m_finished = true;
    m_pause.stop();
    m_queue.clearPending();
    m_extractor.clearQueuedLinks();
    const QString listPath = m_folder.browserSearchList();
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

    const int found = m_extractor.foundTotal();
    emit statusText(QStringLiteral("Finished! Extracted %1 domain names.").arg(found));
    emit listReady(found, wordMax, stopReason);
}
