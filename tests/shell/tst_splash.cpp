#include "app/mainwindow.h"
#include "shell/kestrinapp.h"
#include "shell/splashwindow.h"
#include "shellfixture.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QPointer>
#include <QTest>

class TestSplash : public QObject {
    Q_OBJECT
private slots:
    void handsOverOnceThroughItsCallback();
    void mainWindowAppearsAfterTheLastTick();
    void mainWindowCanOpenEveryWindowByName();
    void viewHelpOpensTheHelpFile();
};

// The splash knows nothing of what follows it: it calls its hand-over once, visible, on its
// last tick, and hides afterwards.
void TestSplash::handsOverOnceThroughItsCallback() {
    ShellFixture f;
    int calls = 0;
    bool visibleDuringHandOver = false;
    SplashWindow splash(f.ctx, [&](SplashWindow &s) {
        ++calls;
        visibleDuringHandOver = s.isVisible();
    });
    splash.show();
    QTRY_VERIFY_WITH_TIMEOUT(splash.handedOver(), 20000);
    QCOMPARE(calls, 1);
    QVERIFY(visibleDuringHandOver);
    QVERIFY(!splash.isVisible());
    QTest::qWait(100);
    QCOMPARE(calls, 1);
}

void TestSplash::mainWindowAppearsAfterTheLastTick() {
    ShellFixture f;
    f.ctx.userStore->write(f.ctx.productApp(), AppContext::Section, "showHelp", "0");
    KestrinApp program(f.ctx);
    QPointer<SplashWindow> splash = program.createSplash();
    QList<bool> mainExistedAtTick;
    QObject::connect(splash, &SplashWindow::ticked, [&] {
        bool found = false;
        for (QWidget *w : QApplication::topLevelWidgets())
            found = found || qobject_cast<MainWindow *>(w);
        mainExistedAtTick << found;
    });
    splash->show();
    QVERIFY(splash->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(program.mainWindow(), 20000);
    QPointer<MainWindow> main = program.mainWindow();

    QCOMPARE(mainExistedAtTick.size(), 75);
    QVERIFY(!mainExistedAtTick.contains(true));
    QCOMPARE(splash->counter(), 150);
    QVERIFY(main->isVisible());
    QVERIFY(main->windowState() & Qt::WindowMaximized);
    QVERIFY(!splash->isVisible());
    // The timer has stopped: no tick after the hand-over.
    QTest::qWait(100);
    QCOMPARE(mainExistedAtTick.size(), 75);
    // The main window's load ran on the splash's context.
    QVERIFY(QFileInfo::exists(f.tmp.path("\\Remembered.txt")));

    // Alive but hidden until the main window closes, which takes it along.
    QCOMPARE(main->windows().window(WindowId::Splash), splash.data());
    main->close();
    QTRY_VERIFY(splash.isNull());
    delete main;
}

void TestSplash::mainWindowCanOpenEveryWindowByName() {
    ShellFixture f;
    f.ctx.userStore->write(f.ctx.productApp(), AppContext::Section, "showHelp", "0");
    KestrinApp program(f.ctx);
    QPointer<SplashWindow> splash = program.createSplash();
    QTRY_VERIFY_WITH_TIMEOUT(program.mainWindow(), 20000);
    QPointer<MainWindow> main = program.mainWindow();
    for (WindowId id :
         {WindowId::About, WindowId::Website, WindowId::HelpLauncher, WindowId::Generator,
          WindowId::ExtensionSettings, WindowId::ListBuilder, WindowId::HarvestBrowser})
        QVERIFY2(main->windows().hasFactory(id), qPrintable(WindowRegistry::objectName(id)));
    QWidget *about = main->windows().open(WindowId::About);
    QVERIFY(about && about->isVisible());
    QCOMPARE(about->windowTitle(), QStringLiteral("About ") + f.ctx.branding.ProductName);
    main->close();
    delete main;
}

void TestSplash::viewHelpOpensTheHelpFile() {
    ShellFixture f;
    f.tmp.writeFile("\\Help.chm", "ITSF");
    KestrinApp program(f.ctx);
    QPointer<SplashWindow> splash = program.createSplash();
    QTRY_VERIFY_WITH_TIMEOUT(program.mainWindow(), 20000);
    QPointer<MainWindow> main = program.mainWindow();
    // The first start has shown the help once already.
    QCOMPARE(f.desktop.openedFiles.size(), 1);
    QCOMPARE(f.userSetting("showHelp"), QStringLiteral("0"));
    f.setMachineSetting("showHelp", "1");

    QAction *viewHelp = nullptr;
    for (QAction *action : main->findChildren<QAction *>())
        viewHelp = action->text().remove('&') == QStringLiteral("View Help") ? action : viewHelp;
    QVERIFY(viewHelp);
    viewHelp->trigger();
    QCOMPARE(f.desktop.openedFiles, QStringList(2, f.tmp.root() + QStringLiteral("/Help.chm")));
    QCOMPARE(f.machineSetting("showHelp"), QStringLiteral("0"));
    // The launcher is gone again.
    QTRY_VERIFY(!main->windows().window(WindowId::HelpLauncher));
    main->close();
    delete main;
}

QTEST_MAIN(TestSplash)
#include "tst_splash.moc"
