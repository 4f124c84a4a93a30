#include "app/mainwindow.h"
#include "session/searchsession.h"
#include "app/skin.h"
#include "app/windowplacement.h"
#include "app/windowregistry.h"
#include "shell/aboutwindow.h"
#include "shell/helplauncher.h"
#include "shell/kestrinapp.h"
#include "shell/websitewindow.h"
#include "shellfixture.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

class TestShellWindows : public QObject {
    Q_OBJECT
private slots:
    void websiteWindowOpensTheAddress_data();
    void websiteWindowOpensTheAddress();
    void websiteWindowClosesItself();
    void aboutWindowShowsTheVersionRecord();
    void aboutWebsiteClickOpensTheWebsite();
    void aboutWindowWithTheSkin();
    void helpLauncher_data();
    void helpLauncher();
    void windowsOpenCentredAndComeBackWhereLeft();
    void noDisplayNamesTheWaysThatWork();
};

void TestShellWindows::websiteWindowOpensTheAddress_data() {
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("opened");
    QTest::newRow("no scheme") << "Website"
                               << "x" << QStringList{"http://x"};
    QTest::newRow("upper-case https") << "Website"
                                      << "HTTPS://X" << QStringList{"HTTPS://X"};
    QTest::newRow("http") << "Website"
                          << "http://x" << QStringList{"http://x"};
    QTest::newRow("mixed-case http") << "Website"
                                     << "hTTp://x.example" << QStringList{"hTTp://x.example"};
    QTest::newRow("scheme inside")
        << "Website"
        << "go.example/?to=https://x" << QStringList{"go.example/?to=https://x"};
    QTest::newRow("empty mode") << ""
                                << "x" << QStringList{};
    QTest::newRow("other mode") << "website"
                                << "x" << QStringList{};
}

void TestShellWindows::websiteWindowOpensTheAddress() {
    QFETCH(QString, mode);
    QFETCH(QString, text);
    QFETCH(QStringList, opened);
    ShellFixture f;
    f.ctx.WebsiteMode = mode;
    f.ctx.branding.WebsiteText = text;
    WebsiteWindow window(f.ctx);
    QCOMPARE(f.desktop.openedUrls, opened);
    // Opened once: a second window opens nothing until the mode is set again.
    if (!opened.isEmpty()) {
        QCOMPARE(f.ctx.WebsiteMode, QString());
        WebsiteWindow again(f.ctx);
        QCOMPARE(f.desktop.openedUrls.size(), 1);
    }
}

void TestShellWindows::websiteWindowClosesItself() {
    for (const QString &mode : {QStringLiteral("Website"), QString()}) {
        ShellFixture f;
        f.ctx.timing.websiteCloseMs = 50;
        f.ctx.WebsiteMode = mode;
        auto *window = new WebsiteWindow(f.ctx);
        window->setAttribute(Qt::WA_DeleteOnClose);
        QPointer<WebsiteWindow> guard(window);
        window->show();
        QVERIFY(window->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(guard.isNull(), 10000);
        QCOMPARE(f.desktop.openedUrls.size(), mode.isEmpty() ? 0 : 1);
    }
}

void TestShellWindows::aboutWindowShowsTheVersionRecord() {
    ShellFixture f;
    f.ctx.branding.VersionMajor = 3;
    f.ctx.branding.VersionMinor = 12;
    WindowRegistry windows;
    AboutWindow about(f.ctx, windows);
    QCOMPARE(about.windowTitle(), QStringLiteral("About Kestrin"));
    const auto text = [&about](const char *name) {
        QLabel *label = about.findChild<QLabel *>(QLatin1String(name));
        return label ? label->text() : QStringLiteral("<missing>");
    };
    QCOMPARE(text("Label1"), f.ctx.branding.ProductName);
    QCOMPARE(text("lblVersion"), QStringLiteral("3.12"));
    QCOMPARE(text("lblCompany"), f.ctx.branding.CompanyName);
    QCOMPARE(text("lblWebsite"), f.ctx.branding.WebsiteText);
    QVERIFY(about.findChild<QLabel *>(QStringLiteral("Picture1")));
    // Skin off: no skin labels.
    QVERIFY(about.findChildren<QLabel *>(QStringLiteral("SkinLabel1")).isEmpty());
}

void TestShellWindows::aboutWebsiteClickOpensTheWebsite() {
    ShellFixture f;
    WindowRegistry windows;
    windows.setFactory(WindowId::Website, [&f] { return new WebsiteWindow(f.ctx); });
    AboutWindow about(f.ctx, windows);
    about.show();
    QLabel *website = about.findChild<QLabel *>(QStringLiteral("lblWebsite"));
    QVERIFY(website);
    QTest::mouseClick(website, Qt::LeftButton);
    QCOMPARE(f.desktop.openedUrls, QStringList{"http://" + f.ctx.branding.WebsiteText});
    QVERIFY(windows.window(WindowId::Website));
    // Each click opens the site again.
    QTest::mouseClick(website, Qt::LeftButton);
    QCOMPARE(f.desktop.openedUrls.size(), 2);
    QTRY_VERIFY_WITH_TIMEOUT(!windows.window(WindowId::Website), 10000);
}

void TestShellWindows::aboutWindowWithTheSkin() {
    ShellFixture f;
    f.ctx.branding.SkinSwitch = true;
    WindowRegistry windows;
    AboutWindow about(f.ctx, windows);
    // Every text label is mirrored (the product, three captions, three values), the picture
    // is not; the picture takes the panel colour.
    const QList<QLabel *> skinLabels = about.findChildren<QLabel *>(QStringLiteral("SkinLabel1"));
    QCOMPARE(skinLabels.size(), 7);
    QLabel *picture = about.findChild<QLabel *>(QStringLiteral("Picture1"));
    QCOMPARE(picture->palette().color(QPalette::Window), SkinProperties::standard().C3());
}

void TestShellWindows::helpLauncher_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("opens");
    QTest::newRow("present") << "Help.chm" << true;
    QTest::newRow("other letter case") << "HELP.CHM" << true;
    QTest::newRow("missing") << "" << false;
    QTest::newRow("folder of that name") << "Help.chm/" << false;
}

void TestShellWindows::helpLauncher() {
    QFETCH(QString, file);
    QFETCH(bool, opens);
    ShellFixture f;
    if (file.endsWith(QLatin1Char('/')))
        QDir(f.tmp.root()).mkpath(file);
    else if (!file.isEmpty())
        f.tmp.writeFile("\\" + file, "ITSF");
    f.ctx.userStore->write(f.ctx.productApp(), AppContext::Section, "showHelp", "1");

    HelpLauncher launcher(f.ctx);
    launcher.show();

    if (opens) {
        QCOMPARE(f.desktop.openedFiles, QStringList{f.tmp.root() + "/" + file});
        QCOMPARE(f.machineSetting("showHelp"), QStringLiteral("0"));
        QCOMPARE(f.userSetting("showHelp"), QStringLiteral("0"));
    } else {
        QVERIFY(f.desktop.openedFiles.isEmpty());
        QCOMPARE(f.machineSetting("showHelp"), QStringLiteral("-"));
        QCOMPARE(f.userSetting("showHelp"), QStringLiteral("1"));
    }
    QVERIFY(f.desktop.messages.isEmpty());
}

void TestShellWindows::windowsOpenCentredAndComeBackWhereLeft() {
    ShellFixture f;
    SearchSession session(f.ctx);
    MainWindow main(session);
    KestrinApp::registerWindows(main);
    main.setGeometry(60, 40, 600, 480);
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));

    QPointer<QWidget> about = main.windows().open(WindowId::About);
    QVERIFY((about->geometry().center() - main.geometry().center()).manhattanLength() <= 2);
    about->move(about->pos() + QPoint(30, 20));
    const QRect left = about->geometry();
    // Esc closes it, and its place is kept.
    QApplication::setActiveWindow(about);
    QVERIFY(QTest::qWaitForWindowActive(about));
    QTest::keyClick(about, Qt::Key_Escape);
    QTRY_VERIFY(!about);
    QCOMPARE(WindowPlacement::fromText(f.ctx.userStore->read(
                 f.ctx.productApp(), WindowPlacement::Section, "frmAbout", "")),
             left);
    about = main.windows().open(WindowId::About);
    QCOMPARE(about->geometry(), left);
    about->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Close)->click();
    QTRY_VERIFY(!about);

    // A place from a larger screen (or a smaller scale factor) is brought back inside this one.
    f.ctx.userStore->write(f.ctx.productApp(), WindowPlacement::Section, "frmAbout",
                           "5000,4000,9000,9000");
    about = main.windows().open(WindowId::About);
    QVERIFY(main.screen()->availableGeometry().contains(about->geometry()));
    about->close();
}

// Without a display the window cannot start; the one line says what does work.
void TestShellWindows::noDisplayNamesTheWaysThatWork() {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(name);
    QProcess kestrin;
    kestrin.setProcessEnvironment(env);
    kestrin.start(qEnvironmentVariable("KESTRIN_PROGRAM_DIR") + "/kestrin", {});
    QVERIFY(kestrin.waitForFinished(60000));
    const QString error = QString::fromLocal8Bit(kestrin.readAllStandardError());
    QCOMPARE(kestrin.exitCode(), 1);
    QCOMPARE(error.count('\n'), 1);
    QVERIFY2(error.contains("kestrin check") && error.contains("xvfb-run"), qPrintable(error));
}

QTEST_MAIN(TestShellWindows)
#include "tst_shellwindows.moc"
