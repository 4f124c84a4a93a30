#include "shell/kestrinapp.h"

#include "app/appcontext.h"
#include "app/mainwindow.h"
#include "harvest/listbuilderwindow.h"
#include "harvest/harvestbrowser.h"
#include "harvest/searchengines.h"
#include "shell/helplauncher.h"
#include "shell/aboutwindow.h"
#include "generator/generatorwindow.h"
#include "settings/extensionsettingswindow.h"
#include "shell/splashwindow.h"
#include "shell/websitewindow.h"
#include "core/settingsstore.h"
#include "app/skin.h"
#include "shell/splashart.h"
#include "app/widgetdesktop.h"

#include <QApplication>
#include <QDir>
#include <QPointer>
#include <QTimer>

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
} // namespace

int runKestrin(int argc, char **argv) {
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
    ctx.registrars.setFilePath(ctx.folder.path(QStringLiteral("\\registrars.txt")));
    // The list builder's engines, editable by hand; a failure shows when a list is built.
    SearchEngines::ensureFile(ctx.folder.path(SearchEngines::FileName));

    QPointer<SplashWindow> splash = new SplashWindow(ctx);
    QPointer<MainWindow> main;
    QObject::connect(splash, &SplashWindow::handedOver, &app, [&main](MainWindow *m) { main = m; });
    splash->show();
    quitAfterRequestedTime();

    const int code = app.exec();
    if (ctx.branding.SkinSwitch)
        endSkin(ctx.branding);
    delete main;
    delete splash;
    return code;
}

void registerWindows(MainWindow &main, AppContext &context) {
    WindowRegistry &windows = main.windows();
    AppContext *ctx = &context;
    WindowRegistry *registry = &windows;
    windows.setFactory(QStringLiteral("frmAbout"),
                       [ctx, registry] { return new AboutWindow(*ctx, *registry); });
    windows.setFactory(QStringLiteral("frmWebsite"), [ctx] { return new WebsiteWindow(*ctx); });
    windows.setFactory(QStringLiteral("Form8"), [ctx] { return new HelpLauncher(*ctx); });
    MainWindow *window = &main;
    windows.setFactory(QStringLiteral("frmMake"),
                       [ctx, window] { return new GeneratorWindow(*ctx, *window); });
    windows.setFactory(QStringLiteral("frmSettings"), [ctx] { return new ExtensionSettingsWindow(*ctx); });
    windows.setFactory(QStringLiteral("Form3"), [ctx, window] { return new ListBuilderWindow(*ctx, *window); });
    windows.setFactory(QStringLiteral("Form5"), [ctx, window] { return new HarvestBrowser(*ctx, *window); });
}
