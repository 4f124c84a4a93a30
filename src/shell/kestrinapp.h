#pragma once

#include <QPointer>
#include <memory>

class MainWindow;
class SearchSession;
class SplashWindow;
struct AppContext;

// Runs Kestrin: creates the application, its context and the splash window, and returns the
// process's exit code.
int runKestrin(int argc, char **argv);

// The program over one context: the splash window first, then, when the splash hands over,
// the search session and the main window that presents it, with every other window registered.
// Owns the session and the main window.
class KestrinApp {
public:
    explicit KestrinApp(AppContext &context);
    ~KestrinApp();

    SplashWindow *createSplash();
    // Builds, loads and shows the main window (what the splash does on its last tick).
    MainWindow *showMainWindow(SplashWindow *splash);

    MainWindow *mainWindow() const;
    SearchSession *session() const;

    // Tells the main window how to open every other window.
    static void registerWindows(MainWindow &main);

private:
    AppContext &m_ctx;
    std::unique_ptr<SearchSession> m_session;
    QPointer<MainWindow> m_main;
};
