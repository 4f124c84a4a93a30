#pragma once

#include <QMainWindow>
#include <QUrl>

class BrowserHarvest;
class ProgramFolder;
class HarvestChecker;
class HarvestListPanel;
class QComboBox;
class QLabel;
class QWebEngineView;
class SearchSession;
struct AppContext;

// The browser harvester: a small web browser whose every page (and every frame, loaded in a
// second browser) is scanned for domain names. The names are queued and checked one by one
// with the window's own WHOIS connection; results show in the window's two lists and are
// filed into the session's lists.
class HarvestBrowser : public QMainWindow {
    Q_OBJECT
public:
    explicit HarvestBrowser(SearchSession &session, QWidget *parent = nullptr);
    ~HarvestBrowser() override;

    BrowserHarvest &harvest() { return *m_harvest; }
    HarvestChecker &checker() { return *m_checker; }

    void navigate(const QString &address);
    // The start page shipped with the help ("\BrowseStart.html" in the program folder), opened
    // at load and by Home; a blank page when it is missing. The maker's web address is not
    // used: it need not resolve, and an error page would greet every opening.
    static QUrl homePage(const ProgramFolder &folder);

private:
    QWidget *buildAddressBar();
    QWidget *buildShortcutBar();
    QWidget *buildSidePanel();
    void buildStatusBar();
    void connectBrowsers();
    void connectHarvest();
    void go();
    void harvestBody(QWebEngineView *browser, bool ok);
    void clearCache();

    AppContext &m_ctx;
    SearchSession &m_session;
    BrowserHarvest *m_harvest = nullptr;
    HarvestChecker *m_checker = nullptr;
    QComboBox *m_address = nullptr;
    QWebEngineView *m_browser = nullptr;
    QWebEngineView *m_frameBrowser = nullptr;
    bool m_closing = false; // in the destructor: late script answers are dropped
    HarvestListPanel *m_free = nullptr;
    HarvestListPanel *m_taken = nullptr;
    QLabel *m_panels[3] = {};
};
