#pragma once

#include <QWidget>

class MainWindow;
class ListBuilderRun;
class QLineEdit;
class QWebEngineView;
struct AppContext;

// The list builder window: loads the search engine's result pages in a browser, collects the
// names on them, and hands the finished list to the main window's search. It starts at once
// and closes itself when the list is complete.
class ListBuilderWindow : public QWidget {
    Q_OBJECT
public:
    ListBuilderWindow(AppContext &ctx, MainWindow &main, QWidget *parent = nullptr);

    ListBuilderRun &run() { return *m_run; }

private:
    void onLoadFinished(bool ok);
    void onListReady(int foundTotal, int wordMax);
    void onWriteFailed(const QString &message);

    AppContext &m_ctx;
    MainWindow &m_main;
    QWebEngineView *m_browser = nullptr;
    QLineEdit *m_status = nullptr;
    ListBuilderRun *m_run = nullptr;
};
