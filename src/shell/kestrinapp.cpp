#include "shell/kestrinapp.h"

#include "session/appcontext.h"
#include "app/mainwindow.h"
#include "session/searchsession.h"
#include "app/skin.h"
#include "app/widgetdesktop.h"
#include "app/windowplacement.h"
#include "core/settingsstore.h"
#include "generator/generatorwindow.h"
#include "harvest/harvestbrowser.h"
#include "harvest/listbuilderwindow.h"
#include "harvest/searchengines.h"
#include "settings/extensionsettingswindow.h"
#include "shell/aboutwindow.h"
#include "shell/helplauncher.h"
#include "shell/shelllog.h"
#include "shell/splashart.h"
#include "shell/splashwindow.h"
#include "shell/websitewindow.h"

#include <QApplication>
#include <QDir>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <cstdio>
#include <unistd.h>

#ifndef KESTRIN_DATA_FROM_EXE
#define KESTRIN_DATA_FROM_EXE "../../share/kestrin"
#endif

namespace {
// Where an installed Kestrin finds its word lists and help: the data folder of the install
// prefix, relative to the executable.
QString installedDataDir() {
    return QDir::cleanPath(QCoreApplication::applicationDirPath() + QLatin1Char('/') +
                           QStringLiteral(KESTRIN_DATA_FROM_EXE));
}

// A way for scripted runs (the install check) to end the program after a while, closing its
// windows as the user would.
void quitAfterRequestedTime() {
    bool ok = false;
    const int ms = qEnvironmentVariableIntValue("KESTRIN_QUIT_AFTER_MS", &ok);
    if (!ok || ms <= 0)
        return;
    QTimer::singleShot(ms, qApp, [] {
        QApplication::closeAllWindows();
        QCoreApplication::quit();
    });
}
// Qt's own failure without a display is an abort with a text about reinstalling; a person on
// an SSH session needs to hear what works instead. A platform the user chose is left to Qt.
bool displayAvailable() {
    return !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") ||
           !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

// Chromium refuses to start as root with its sandbox on, and the browsing windows would take
// the whole program down with them. Set before the first browser starts; a value the user set
// (either way) is kept.
void allowBrowserAsRoot() {
    if (geteuid() != 0 || qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        return;
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    qCInfo(lcShell) << "Running as root: the built-in browser's sandbox is switched off "
                       "(QTWEBENGINE_DISABLE_SANDBOX=1), as Chromium requires for root";
}
} // namespace

int runKestrin(int argc, char **argv) {
    if (!displayAvailable()) {
        std::fprintf(stderr, "kestrin: no display to open the window on; use \"kestrin check\" "
                             "to check names without one, or start the window with "
                             "\"xvfb-run -a kestrin\"\n");
        return 1;
    }
    allowBrowserAsRoot();
    QApplication app(argc, argv);
    const Branding branding = loadBranding();
    QApplication::setApplicationName(branding.ProductName);
    QApplication::setOrganizationName(branding.CompanyName);
    QApplication::setApplicationVersion(QString::number(branding.VersionMajor) + QLatin1Char('.') +
                                        QString::number(branding.VersionMinor));
    QApplication::setWindowIcon(SplashArt::icon());

    WidgetDesktop desktop;
    IniSettingsStore userStore(IniSettingsStore::userStorePath());
    IniSettingsStore machineStore(IniSettingsStore::machineStorePath());

    AppContext ctx;
    ctx.folder =
        ProgramFolder::forApplication(QCoreApplication::applicationDirPath(), installedDataDir());
    ctx.branding = branding;
    ctx.hosts = loadVendorHosts();
    ctx.userStore = &userStore;
    ctx.machineStore = &machineStore;
    ctx.desktop = &desktop;
    ctx.registrars.setFilePath(ctx.folder.registrarsFile());
    // The list builder's engines, editable by hand; a failure shows when a list is built.
    SearchEngines::ensureFile(ctx.folder.path(SearchEngines::FileName));

    KestrinApp program(ctx);
    QPointer<SplashWindow> splash = program.createSplash();
    splash->show();
    quitAfterRequestedTime();

    const int code = app.exec();
    if (ctx.branding.SkinSwitch)
        endSkin(ctx.branding);
    delete program.mainWindow();
    delete splash;
    return code;
}

KestrinApp::KestrinApp(AppContext &context)
    : m_ctx(context) {}

KestrinApp::~KestrinApp() {
    // The main window presents the session: it goes first.
    delete m_main;
}

MainWindow *KestrinApp::mainWindow() const {
    return m_main;
}

SearchSession *KestrinApp::session() const {
    return m_session.get();
}

SplashWindow *KestrinApp::createSplash() {
    return new SplashWindow(m_ctx, [this](SplashWindow &splash) { showMainWindow(&splash); });
}

MainWindow *KestrinApp::showMainWindow(SplashWindow *splash) {
    m_session = std::make_unique<SearchSession>(m_ctx);
    auto *main = new MainWindow(*m_session);
    m_main = main;
    // Windows first: the main window's load may already open the help launcher.
    registerWindows(*main);
    if (splash)
        main->windows().adopt(WindowId::Splash, splash);
    main->load();
    // Without a window manager (a bare X server) "maximised" means nothing, so give the window
    // the screen's working area first; a window manager then maximises it as usual.
    if (QScreen *screen = main->screen())
        main->setGeometry(screen->availableGeometry());
    main->showMaximized();
    return main;
}

void KestrinApp::registerWindows(MainWindow &main) {
    WindowRegistry &windows = main.windows();
    SearchSession *session = &main.session();
    AppContext *ctx = &session->context();
    WindowRegistry *registry = &windows;
    // Every window opens centred on the main window, then where the user left it.
    const auto placed = [ctx](QWidget *window) {
        WindowPlacement::manage(window, ctx->userStore, ctx->productApp());
        return window;
    };
    windows.setFactory(WindowId::About, [ctx, registry, placed] {
        return placed(new AboutWindow(*ctx, *registry));
    });
    windows.setFactory(WindowId::Website,
                       [ctx, placed] { return placed(new WebsiteWindow(*ctx)); });
    windows.setFactory(WindowId::HelpLauncher, [ctx] { return new HelpLauncher(*ctx); });
    windows.setFactory(WindowId::Generator,
                       [session, placed] { return placed(new GeneratorWindow(*session)); });
    windows.setFactory(WindowId::ExtensionSettings,
                       [ctx, placed] { return placed(new ExtensionSettingsWindow(*ctx)); });
    windows.setFactory(WindowId::ListBuilder,
                       [session, placed] { return placed(new ListBuilderWindow(*session)); });
    windows.setFactory(WindowId::HarvestBrowser,
                       [session, placed] { return placed(new HarvestBrowser(*session)); });
}
