#pragma once

#include "core/searchtype.h"

#include <QWidget>

class ListBuilderRun;
class QLineEdit;
class QWebEngineLoadingInfo;
class QWebEngineProfile;
class QWebEngineView;
class SearchSession;
struct AppContext;

// The list builder window: loads the search engine's result pages in a browser, collects the
// names on them, and hands the finished list to the main window's search. It starts at once
// and closes itself when the list is complete; when a page stops the run (a consent form, a
// CAPTCHA, an HTTP error) it stays open on that page.
class ListBuilderWindow : public QWidget {
    Q_OBJECT
public:
    explicit ListBuilderWindow(SearchSession &session, QWidget *parent = nullptr);
    ~ListBuilderWindow() override;

    ListBuilderRun &run() { return *m_run; }
    QWebEngineView *browser() const { return m_browser; }

    // The browser profile of every builder window: stored in the per-user data folder, so
    // cookies (a consent answered once) last from run to run and across program starts.
    static QWebEngineProfile *profile();

private:
    void onLoadingChanged(const QWebEngineLoadingInfo &info);
    void onListReady(int foundTotal, int wordMax, const QString &stopReason);
    void onFailed(const QString &message, bool showPage);
    void onWriteFailed(const QString &message);
    void startCheck(int wordMax);

    AppContext &m_ctx;
    SearchSession &m_session;
    SearchType m_type = SearchType::Browse; // no engine until a web search is chosen
    QWebEngineView *m_browser = nullptr;
    bool m_closing = false; // in the destructor: late script answers are dropped
    QLineEdit *m_status = nullptr;
    ListBuilderRun *m_run = nullptr;
};
