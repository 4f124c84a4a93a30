#pragma once

#include "core/programfolder.h"
#include "harvest/nameextractor.h"
#include "harvest/pagequeue.h"

#include <QObject>
#include <QTimer>
#include <functional>

struct Timing;

// One run of the list builder: requests result pages of a search engine one after the other,
// extracts the names of each, and stops at the first page that adds nothing or once enough
// names are found. The finished list replaces "\BrowserSearch.txt" and a copy is kept under
// "\Searches". The window shows the pages and hands the list to the main window.
class ListBuilderRun : public QObject {
    Q_OBJECT
public:
    enum class Engine { None, Yahoo, Google };
    static inline const QString ListFile = QStringLiteral("\\BrowserSearch.txt");

    ListBuilderRun(const ProgramFolder &folder, const RegistrarTable &table,
                   const VendorHosts &hosts, const Timing &timing, QObject *parent = nullptr);

    // Reads the main window's choices and requests the first page.
    void start(const QString &searchType, const QString &searchText, int wantedIndex);
    // A result page finished loading; `bodyHtml` is its body's inner HTML.
    void pageCompleted(const QString &bodyHtml);

    // The search text as the main window holds it when the list is finished; it names the
    // kept copy. Defaults to the text the run started with.
    std::function<QString()> currentSearchText;

    static Engine engineFor(const QString &searchType);
    static QString engineName(Engine engine);
    static int wantedCountFor(int wantedIndex);
    // The result page that starts at `resultOffset` (1-based).
    static QString pageAddress(Engine engine, const VendorHosts &hosts, const QString &searchText,
                               int resultOffset);

    Engine engine() const { return m_engine; }
    int wantedCount() const { return m_wantedCount; }
    bool finished() const { return m_finished; }
    const NameExtractor &extractor() const { return m_extractor; }
    QString keptCopyPath(const QString &searchText) const;

signals:
    void navigate(const QString &address);
    void statusText(const QString &text);
    // The list file is written; `wordMax` is its number of non-empty lines.
    void listReady(int foundTotal, int wordMax);
    // The list file could not be written; `message` names the file and the cause.
    void writeFailed(const QString &message);

private:
    void pageExtracted();
    void nextPageOrFinish();
    void finish();

    ProgramFolder m_folder;
    const VendorHosts &m_hosts;
    NameExtractor m_extractor;
    PageQueue m_queue;
    QTimer m_pause;
    Engine m_engine = Engine::None;
    QString m_searchText;
    QString m_startText;
    int m_wantedCount = 100;
    int m_resultOffset = 1;
    bool m_finished = false;
};
