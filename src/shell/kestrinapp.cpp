#include "kestrinapp.h"

#include "appcontext.h"
#include "form1.h"
#include "form3.h"
#include "form5.h"
#include "form8.h"
#include "frmabout.h"
#include "frmmake.h"
#include "frmsettings.h"
#include "frmsplash.h"
#include "frmwebsite.h"
#include "settingsstore.h"
#include "skin.h"
#include "splashart.h"
#include "widgetdesktop.h"

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
    const Branding branding = LoadBranding();
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
    ctx.hosts = LoadVendorHosts();
    ctx.userStore = &userStore;
    ctx.machineStore = &machineStore;
    ctx.desktop = &desktop;
    ctx.registrars.setFilePath(ctx.folder.path(QStringLiteral("\\registrars.txt")));

    QPointer<frmSplash> splash = new frmSplash(ctx);
    QPointer<Form1> main;
    QObject::connect(splash, &frmSplash::handedOver, &app, [&main](Form1 *m) { main = m; });
    splash->show();
    quitAfterRequestedTime();

    const int code = app.exec();
    if (ctx.branding.SkinSwitch)
        EndSkin(ctx.branding);
    delete main;
    delete splash;
    return code;
}

void registerWindows(Form1 &main, AppContext &context) {
    WindowRegistry &windows = main.windows();
    AppContext *ctx = &context;
    WindowRegistry *registry = &windows;
    windows.setFactory(QStringLiteral("frmAbout"),
                       [ctx, registry] { return new frmAbout(*ctx, *registry); });
    windows.setFactory(QStringLiteral("frmWebsite"), [ctx] { return new frmWebsite(*ctx); });
    windows.setFactory(QStringLiteral("Form8"), [ctx] { return new Form8(*ctx); });
    Form1 *window = &main;
    windows.setFactory(QStringLiteral("frmMake"),
                       [ctx, window] { return new frmMake(*ctx, *window); });
    windows.setFactory(QStringLiteral("frmSettings"), [ctx] { return new frmSettings(*ctx); });
    windows.setFactory(QStringLiteral("Form3"), [ctx, window] { return new Form3(*ctx, *window); });
    windows.setFactory(QStringLiteral("Form5"), [ctx, window] { return new Form5(*ctx, *window); });
}
