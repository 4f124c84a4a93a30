#pragma once

#include "core/programfolder.h"
#include "core/searchtype.h"
#include "harvest/nameextractor.h"
#include "harvest/pagequeue.h"
#include "harvest/resultpagecheck.h"
#include "harvest/searchengines.h"

#include <QObject>
#include <QTimer>
#include <functional>

struct Timing;

// One run of the list builder: requests result pages of a search engine (a row of
// "searchengines.txt") one after the other, extracts the names of each, and stops at the
// first page that adds neither a name nor a result link, once enough names are found, or
// after the engine's page count. The finished list replaces "\BrowserSearch.txt" and a copy is
// kept under "\Searches". A page that is a consent form, a CAPTCHA, an HTTP error or a failed
// load ends the run with a message. The window shows the pages and hands the list over.
class ListBuilderRun : public QObject {
    Q_OBJECT
public:

    ListBuilderRun(const ProgramFolder &folder, const RegistrarTable &table,
                   const VendorHosts &hosts, const Timing &timing, QObject *parent = nullptr);

    // Reads the engines file and requests the first page of the engine captioned
    // `searchType`. A type without an engine row loads nothing; a bad engines file ends the
    // run at once (failed).
    void start(SearchType searchType, const QString &searchText, int wantedIndex);
    // A result page finished loading: what the browser reports about it, the addresses of its
    // links (document order) and its body's inner HTML.
    void pageCompleted(const LoadedPage &page, const QStringList &links, const QString &bodyHtml);
    // A page known only by its body text.
    void pageCompleted(const QString &bodyHtml) { pageCompleted(LoadedPage{}, {}, bodyHtml); }

    // The search text as the session holds it when the list is finished; it names the
    // kept copy. Defaults to the text the run started with.
    std::function<QString()> currentSearchText;

    static int wantedCountFor(int wantedIndex);

    // The search type the run was started for: its list is checked under that type.
    SearchType searchType() const { return m_searchType; }
    bool hasEngine() const { return m_hasEngine; }
    const SearchEngine &engine() const { return m_engine; }
    int wantedCount() const { return m_wantedCount; }
    int pageNumber() const { return m_pageIndex + 1; } // 1-based, the page requested last
    bool finished() const { return m_finished; }
    const NameExtractor &extractor() const { return m_extractor; }
    QString keptCopyPath(const QString &searchText) const;

signals:
    void navigate(const QString &address);
    void statusText(const QString &text);
    // The list file is written; `wordMax` is its number of non-empty lines. `stopReason` is
    // empty when the run ended normally, else it says which page stopped it and why.
    void listReady(int foundTotal, int wordMax, const QString &stopReason);
    // The list file could not be written; `message` names the file and the cause.
    void writeFailed(const QString &message);
    // Result page `pageNumber` is read: names the line rule found on its text, names only its
    // result links gave, and result links no earlier page had.
    void pageRead(int pageNumber, int lineRuleNames, int linkNames, int newLinks);
    // The run ended without a list: `message` says why. With `showPage` the window keeps
    // showing the last page (a consent form to answer, an engine's error page).
    void failed(const QString &message, bool showPage);

private:
    void pageExtracted();
    void nextPageOrFinish();
    void stopOnProblem(const PageProblem &problem);
    void finish(const QString &stopReason);
    void fail(const QString &message, bool showPage);
    void requestPage();

    ProgramFolder m_folder;
    const VendorHosts &m_hosts;
    NameExtractor m_extractor;
    PageQueue m_queue;
    QTimer m_pause;
    SearchEngine m_engine;
    bool m_hasEngine = false;
    SearchType m_searchType = SearchType::YahooSearch;
    QString m_startText;
    int m_wantedCount = 100;
    int m_pageIndex = 0;
    bool m_finished = false;
};
