#include "harvest/browserharvest.h"
#include "app/mainwindow.h"
#include "harvest/listbuilderwindow.h"
#include "harvest/harvestbrowser.h"
#include "harvest/harvestlistpanel.h"
#include "harvesttestdata.h"
#include "loopbackhttpserver.h"
#include "loopbackwhoisserver.h"
#include "core/resultlists.h"
#include "testcontext.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <memory>
#include <QWebEngineView>

namespace {
constexpr int kWebTimeout = 60000; // the first page also starts the browser engine

// A loaded main window over a temporary folder, with loopback web and WHOIS servers standing
// in for every outside host.
struct Rig : TestContext {
    LoopbackHttpServer web;
    LoopbackWhoisServer whois;
    std::unique_ptr<MainWindow> main;

    Rig() {
        web.start();
        whois.start();
        ctx.hosts = harvestHosts(web.hostAndPort());
        main = std::make_unique<MainWindow>(ctx); // no window factories: opens nothing else
        main->load();
        ctx.registrars.setRows(harvestTable(QStringLiteral("127.0.0.1"), whois.port()).rows());
    }

    QStringList queuedNames() const {
        QStringList names;
        for (const QByteArray &line : tmp.readFile("\\BrowserSearch.txt").split('\n')) {
            const QString name = QString::fromLatin1(line).remove(QLatin1Char('\r'));
            if (!name.isEmpty())
                names << name;
        }
        return names;
    }
};

const QByteArray kResultPage =
    "<html><head><title>Results</title></head><body><ol>\n"
    "<li><a href=\"http://www.alpha.com/products\">Alpha <b>Widgets</b></a> "
    "<cite>www.<b>alpha</b>.com</cite></li>\n"
    "<li><a href=\"https://beta.net/\">Beta <b>net</b></a></li>\n"
    "<li><a href=\"https://www.gamma.us/x\">Gamma</a></li>\n"
    "<li><a href=\"http://enginesite.example/more\">More results</a></li>\n"
    "</ol></body></html>";

const QByteArray kPlainPage =
    "<html><head><title>Home</title></head><body>\n"
    "<p>visit example.com today</p><p>Write to sales@mailer.net for offers.</p>\n"
    "</body></html>";

const QByteArray kInnerPage =
    "<html><body><p>Framed: framedname.com and example.com</p></body></html>";
} // namespace

class TestHarvestWindows : public QObject {
    Q_OBJECT
private slots:
    void listBuilderHandsOverItsList();
    void browserHarvestsPagesAndFrames();
    void listPanelCommands();
};

void TestHarvestWindows::listBuilderHandsOverItsList() {
    Rig rig;
    const QString query = QStringLiteral("/search/dir?h=s&xargs=0&p=web+names&b=");
    rig.web.setPage(query + "1", kResultPage);
    rig.web.setPage(query + "21", kResultPage); // nothing new: the run ends here
    rig.main->selectSearchType(MainWindow::searchTypes().indexOf("Yahoo Search"));
    rig.main->findChild<QLineEdit *>("txtSearch")->setText("web names");

    QPointer<ListBuilderWindow> builder = new ListBuilderWindow(rig.ctx, *rig.main);
    builder->show();
    QTRY_VERIFY_WITH_TIMEOUT(!rig.desktop.messages.isEmpty(), kWebTimeout);
    QCOMPARE(rig.desktop.messages.first().text,
             QStringLiteral("List of 3 unique domains was created successfully!"));
    QCOMPARE(rig.queuedNames(), (QStringList{"alpha.com", "beta.net", "gamma.us"}));
    QCOMPARE(rig.tmp.readFile("\\Searches\\Yahoo web names.txt"),
             rig.tmp.readFile("\\BrowserSearch.txt"));
    QVERIFY(rig.web.requests.contains(query + "1"));
    QVERIFY(rig.web.requests.contains(query + "21"));
    QVERIFY(!rig.web.requests.contains(query + "41"));
    QCOMPARE(rig.main->findChild<QLineEdit *>("txtWordMax")->text(), QStringLiteral("3"));
    QTRY_VERIFY(builder.isNull()); // closed itself
    rig.main->stop();
}

void TestHarvestWindows::browserHarvestsPagesAndFrames() {
    Rig rig;
    rig.web.setPage("/home.html", kPlainPage);
    // The extension break splits this frame's address after "shop.com/".
    rig.web.setPage("/frames.html", "<html><frameset rows=\"100%\">\n<frame src=\"" +
                                        rig.web.baseUrl().toLatin1() +
                                        "/shop.com/inner.html\">\n</frameset></html>");
    rig.web.setPage("/shop.com/inner.html", kInnerPage);
    rig.whois.replies.insert("example.com", LoopbackWhoisServer::freeReply());
    rig.whois.replies.insert("framedname.com", LoopbackWhoisServer::freeReply());
    // The maker's address is not the start page: it need not resolve.
    rig.ctx.branding.WebsiteText = rig.web.baseUrl() + "/maker.html";
    // The start page as the build puts it into the program folder.
    QFile startPage(qEnvironmentVariable("KESTRIN_PROGRAM_DIR") + "/BrowseStart.html");
    QVERIFY(startPage.open(QIODevice::ReadOnly));
    rig.tmp.writeFile("\\BrowseStart.html", startPage.readAll());
    const QUrl home = QUrl::fromLocalFile(rig.tmp.path("\\BrowseStart.html"));

    auto *browser = new HarvestBrowser(rig.ctx, *rig.main);
    // Sized to the screen before it is shown, so a bare X server shows it whole too.
    QCOMPARE(browser->geometry(), browser->screen()->availableGeometry());
    QSignalSpy harvested(&browser->harvest(), &BrowserHarvest::pageHarvested);
    browser->show();
    auto *webBrowser = browser->findChild<QWebEngineView *>("WebBrowser1");
    QTRY_VERIFY_WITH_TIMEOUT(harvested.count() > 0, kWebTimeout);
    QCOMPARE(webBrowser->url(), home);
    QTRY_COMPARE(browser->windowTitle(), QStringLiteral("Browse for Domains - Kestrin"));
    QCOMPARE(browser->findChild<QLabel *>("Panel2")->text(), QStringLiteral("No Domains Found"));
    QVERIFY(rig.web.requests.isEmpty());

    browser->navigate(rig.web.baseUrl() + "/home.html");
    auto *list1 = browser->findChild<QListWidget *>("List1");
    auto *list2 = browser->findChild<QListWidget *>("List2");
    QTRY_COMPARE_WITH_TIMEOUT(list1->count() + list2->count(), 2, kWebTimeout);
    QCOMPARE(rig.queuedNames(), (QStringList{"example.com", "mailer.net"}));
    QCOMPARE(list1->item(0)->text(), QStringLiteral("example.com"));
    QCOMPARE(list2->item(0)->text(), QStringLiteral("mailer.net"));
    QCOMPARE(browser->findChild<QLabel *>("Label1")->text(), QStringLiteral("Unregistered: (1)"));
    QCOMPARE(rig.main->lists().list(ResultLists::Mid)->names(), QStringList{"example.com"});
    QCOMPARE(rig.main->lists().list(ResultLists::Registered)->names(), QStringList{"mailer.net"});
    QCOMPARE(browser->windowTitle(), QStringLiteral("Home - Kestrin"));

    // Typed address and the go button; the frame's page is loaded in the second browser.
    browser->findChild<QComboBox *>("text1")->setEditText(rig.web.baseUrl() + "/frames.html");
    browser->findChild<QToolButton *>("Command1")->click();
    QTRY_COMPARE_WITH_TIMEOUT(list1->count(), 2, kWebTimeout);
    QCOMPARE(list1->item(1)->text(), QStringLiteral("framedname.com"));
    QCOMPARE(rig.queuedNames(), (QStringList{"example.com", "mailer.net", "framedname.com"}));
    QCOMPARE(browser->findChild<QComboBox *>("text1")->count(), 1);

    // A second visit queues nothing new.
    const int pages = harvested.count();
    browser->navigate(rig.web.baseUrl() + "/home.html");
    QTRY_VERIFY_WITH_TIMEOUT(harvested.count() > pages, kWebTimeout);
    QCOMPARE(rig.queuedNames().size(), 3);

    // Home goes back to the start page, which queues nothing.
    browser->findChild<QToolButton *>("cmdHome")->click();
    QTRY_COMPARE_WITH_TIMEOUT(webBrowser->url(), home, kWebTimeout);
    QCOMPARE(rig.queuedNames().size(), 3);
    QVERIFY(!rig.web.requests.contains("/maker.html"));

    // A double-click opens the purchase page of the name.
    emit browser->findChild<HarvestListPanel *>()->activated("example.com");
    QCOMPARE(rig.desktop.openedUrls, QStringList{rig.ctx.branding.PurchasePrefix + "example.com"});

    browser->close();
    QTRY_VERIFY(!QFile::exists(rig.tmp.path("\\BrowserSearch.txt")));
}

void TestHarvestWindows::listPanelCommands() {
    DesktopRecorder desktop;
    HarvestListPanel panel(2, desktop);
    QSignalSpy cleared(&panel, &HarvestListPanel::cleared);
    QCOMPARE(panel.label()->text(), QStringLiteral("Registered:"));
    for (const char *name : {"a.com", "b.com", "c.com"})
        panel.addName(name, "Registered: (7)");
    QCOMPARE(panel.label()->text(), QStringLiteral("Registered: (7)"));

    panel.copyList();
    QCOMPARE(desktop.clipboard, QStringLiteral("a.com\r\nb.com\r\nc.com\r\n"));

    panel.deleteSelected(); // nothing selected: nothing happens
    QCOMPARE(panel.list()->count(), 3);
    panel.list()->setCurrentRow(1);
    QTest::keyClick(panel.list(), Qt::Key_Delete);
    QCOMPARE(panel.list()->count(), 2);
    QCOMPARE(panel.label()->text(), QStringLiteral("Registered (2)"));
    panel.list()->setCurrentRow(0);
    QTest::keyClick(panel.list(), Qt::Key_Delete, Qt::ShiftModifier | Qt::ControlModifier);
    QCOMPARE(panel.list()->count(), 1); // other modifiers: one name only
    QTest::keyClick(panel.list(), Qt::Key_Delete, Qt::ShiftModifier);
    QCOMPARE(panel.list()->count(), 0);
    QCOMPARE(panel.label()->text(), QStringLiteral("Registered"));
    QCOMPARE(cleared.count(), 1);
}

QTEST_MAIN(TestHarvestWindows)
#include "tst_harvestwindows.moc"
