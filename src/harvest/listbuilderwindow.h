#pragma once

#include "core/searchtype.h"

#include <QWidget>

class ListBuilderRun;
class QLineEdit;
class QWebEngineView;
class SearchSession;
struct AppContext;

// The list builder window: loads the search engine's result pages in a browser, collects the
// names on them, and hands the finished list to the session's search, as a search of the type
// it was built for. It starts at once
// and closes itself when the list is complete.
class ListBuilderWindow : public QWidget {
    Q_OBJECT
public:
    explicit ListBuilderWindow(SearchSession &session, QWidget *parent = nullptr);

    ListBuilderRun &run() { return *m_run; }

private:
    void onLoadFinished(bool ok);
    void onListReady(int foundTotal, int wordMax);
    void onWriteFailed(const QString &path);

    AppContext &m_ctx;
    SearchSession &m_session;
    SearchType m_type = SearchType::Browse; // no engine until a web search is chosen
    QWebEngineView *m_browser = nullptr;
    QLineEdit *m_status = nullptr;
    ListBuilderRun *m_run = nullptr;
};
