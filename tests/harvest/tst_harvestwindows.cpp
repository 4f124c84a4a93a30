#include "app/mainwindow.h"
#include "session/searchsession.h"
#include "core/resultlists.h"
#include "harvest/browserharvest.h"
#include "harvest/harvestbrowser.h"
#include "harvest/harvestlistpanel.h"
#include "harvest/listbuilderwindow.h"
#include "harvesttestdata.h"
#include "loopbackhttpserver.h"
#include "loopbackwhoisserver.h"
#include "testcontext.h"

#include "session/searchdriver.h"
#include "harvest/listbuilderrun.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QScreen>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>
#include <QToolButton>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>
#include <memory>

namespace {
constexpr int kWebTimeout = 60000; // the first page also starts the browser engine

// A loaded main window over a temporary folder, with loopback web and WHOIS servers standing
// in for every outside host.
struct Rig : TestContext {
    LoopbackHttpServer web;
    LoopbackWhoisServer whois;
    std::unique_ptr<SearchSession> session;
    std::unique_ptr<MainWindow> main;

    Rig() {
        web.start();
        whois.start();
        ctx.hosts = harvestHosts();
        session = std::make_unique<SearchSession>(ctx);
        main = std::make_unique<MainWindow>(*session); // no window factories: opens nothing else
        main->load();
        ctx.registrars.setRows(harvestTable(QStringLiteral("127.0.0.1"), whois.port()).rows());
    }
    ~Rig() { main.reset(); }

    // The engines file with both web search types pointing at the loopback server.
    void writeEngines() {
        tmp.writeFile("\\searchengines.txt", "Yahoo Search|" + web.baseUrl().toLatin1() +
                                                 "/search?p={query}&b={first1}&pz=7|7|5\r\n"
                                                 "Google Search|" +
                                                 web.baseUrl().toLatin1() +
                                                 "/search?q={query}&start={first}|10|5\r\n");
    }

    // A page of the fixtures written in today's result-page markup.
    static QByteArray fixture(const char *name) {
        QFile file(qEnvironmentVariable("KESTRIN_SOURCE_DIR") + "/tests/harvest/pages/" +
                   QLatin1String(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
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

// Prints names per page by the line rule alone and with the result links added.
void printFigures(const QSignalSpy &read, const char *fixture) {
    for (const QList<QVariant> &page : read)
        qInfo("%s page %d: %d names by the line rule, %d more from result links (%d new links)",
              fixture, page.at(0).toInt(), page.at(1).toInt(), page.at(2).toInt(),
              page.at(3).toInt());
}

class TestHarvestWindows : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void listBuilderHandsOverItsList();
    void googleResultsUnderTheBuildersOwnType();
    void consentPageStaysToBeAnswered();
    void refusedPageEndsTheRunWithTheNamesBefore();
    void browserHarvestsPagesAndFrames();
    void browserQueuesEveryNameAPageShows();
    void listPanelCommands();
};

void TestHarvestWindows::listBuilderHandsOverItsList() {
    Rig rig;
    rig.writeEngines();
    const QString query = QStringLiteral("/search?p=web+names&b=");
    rig.web.setPage(query + "1&pz=7", kResultPage + Rig::fixture("yahoo-1.html"));
    rig.web.setPage(query + "8&pz=7", kResultPage); // nothing new: the run ends here
    rig.main->selectSearchType(SearchTypes::index(SearchType::YahooSearch));
    rig.main->findChild<QLineEdit *>("txtSearch")->setText("web names");

    QPointer<ListBuilderWindow> builder = new ListBuilderWindow(*rig.session);
    QSignalSpy read(&builder->run(), &ListBuilderRun::pageRead);
    builder->show();
    QTRY_VERIFY_WITH_TIMEOUT(!rig.desktop.messages.isEmpty(), kWebTimeout);
    printFigures(read, "yahoo-1.html");
    const QStringList names = rig.queuedNames();
    QCOMPARE(
        rig.desktop.messages.first().text,
        QStringLiteral("List of %1 unique domains was created successfully!").arg(names.size()));
    // The plain links of the old markup, and the targets of Yahoo's redirects.
    for (const char *name : {"alpha.com", "beta.net", "gamma.us", "alphawidgets.com",
                             "betagadgets.net", "quietlake.info", "ironkettle.com"})
        QVERIFY2(names.contains(name), name);
    for (const QString &name : names)
        QVERIFY2(!name.contains("yahoo") && !name.contains("yimg") && !name.contains("bing") &&
                     !name.contains("127.0.0.1"),
                 qPrintable(name));
    QCOMPARE(rig.tmp.readFile("\\Searches\\Yahoo web names.txt"),
             rig.tmp.readFile("\\BrowserSearch.txt"));
    QVERIFY(rig.web.requests.contains(query + "1&pz=7"));
    QVERIFY(rig.web.requests.contains(query + "8&pz=7"));
    QVERIFY(!rig.web.requests.contains(query + "15&pz=7"));
    QCOMPARE(rig.main->findChild<QLineEdit *>("txtWordMax")->text(), QString::number(names.size()));
    QTRY_VERIFY(builder.isNull()); // closed itself
    rig.main->stop();
}

void TestHarvestWindows::googleResultsUnderTheBuildersOwnType() {
    Rig rig;
    rig.writeEngines();
    // "&" in the search text stays inside the query value.
    const QString query = QStringLiteral("/search?q=web+%26+names&start=");
    rig.web.setPage(query + "0", Rig::fixture("google-1.html"));
    rig.web.setPage(query + "10", Rig::fixture("google-2.html"));
    rig.web.setPage(query + "20", Rig::fixture("google-2.html")); // the end of the results
    rig.main->selectSearchType(SearchTypes::index(SearchType::GoogleSearch));
    rig.main->findChild<QLineEdit *>("txtSearch")->setText("web & names");

    QPointer<ListBuilderWindow> builder = new ListBuilderWindow(*rig.session);
    QSignalSpy read(&builder->run(), &ListBuilderRun::pageRead);
    builder->show();
    // The user turns to another search type while the list is being built.
    rig.main->selectSearchType(SearchTypes::index(SearchType::FullWordList));
    QTRY_VERIFY_WITH_TIMEOUT(!rig.desktop.messages.isEmpty(), kWebTimeout);
    printFigures(read, "google-1.html, google-2.html");
    QCOMPARE(rig.web.requests.filter("/search?").size(), 3);

    const QStringList names = rig.queuedNames();
    QCOMPARE(names, (QStringList{"alphawidgets.com", "betagadgets.net", "deltatools.info",
                                 "gammaparts.us", "youngbirds.com", "bluefinch.net",
                                 "cobaltmill.com", "heronworks.us", "youtube.com"}));
    QCOMPARE(rig.desktop.messages.first().text,
             QStringLiteral("List of 9 unique domains was created successfully!"));
    // Checked as the Google search it was built for, from its first name.
    QCOMPARE(rig.session->type(), SearchType::GoogleSearch);
    QVERIFY(rig.session->listPath().endsWith("BrowserSearch.txt"));
    QTRY_VERIFY_WITH_TIMEOUT(rig.whois.queries.contains("alphawidgets.com"), kWebTimeout);
    QCOMPARE(rig.main->findChild<QLineEdit *>("txtWordMax")->text(), QStringLiteral("9"));
    QTRY_VERIFY(builder.isNull());
    rig.main->stop();
}

void TestHarvestWindows::consentPageStaysToBeAnswered() {
    Rig rig;
    rig.writeEngines();
    rig.tmp.writeFile("\\BrowserSearch.txt", "previous.com\r\n");
    rig.web.setPage("/search?q=web+names&start=0", Rig::fixture("consent.html"));
    rig.main->selectSearchType(SearchTypes::index(SearchType::GoogleSearch));
    rig.main->findChild<QLineEdit *>("txtSearch")->setText("web names");

    QPointer<ListBuilderWindow> builder = new ListBuilderWindow(*rig.session);
    // Cookies of the builder's browser outlive the window and the program.
    QWebEngineProfile *profile = builder->browser()->page()->profile();
    QCOMPARE(profile, ListBuilderWindow::profile());
    QVERIFY(!profile->isOffTheRecord());
    QCOMPARE(profile->persistentCookiesPolicy(), QWebEngineProfile::ForcePersistentCookies);
    QVERIFY(profile->persistentStoragePath().startsWith(
        QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)));
    builder->show();
    QTRY_VERIFY_WITH_TIMEOUT(!rig.desktop.messages.isEmpty(), kWebTimeout);
    const QString message = rig.desktop.messages.first().text;
    QVERIFY2(message.startsWith("Page 1 of Google Search was a consent form instead of results."),
             qPrintable(message));
    QVERIFY(message.contains("no search was started"));
    QVERIFY(!builder.isNull() && builder->isVisible()); // showing the form to answer
    QVERIFY(builder->browser()->url().toString().endsWith("start=0"));
    QCOMPARE(builder->findChild<QLineEdit *>("Text1")->text(), message);
    QCOMPARE(rig.tmp.readFile("\\BrowserSearch.txt"), QByteArray("previous.com\r\n"));
    QVERIFY(!rig.session->driver().running());
    delete builder; // its page goes before the shared profile
}

void TestHarvestWindows::refusedPageEndsTheRunWithTheNamesBefore() {
    Rig rig;
    rig.writeEngines();
    rig.web.setPage("/search?q=web+names&start=0", Rig::fixture("google-1.html"));
    rig.web.setPage("/search?q=web+names&start=10", Rig::fixture("captcha.html"), "text/html",
                    "429 Too Many Requests");
    rig.main->selectSearchType(SearchTypes::index(SearchType::GoogleSearch));
    rig.main->findChild<QLineEdit *>("txtSearch")->setText("web names");

    QPointer<ListBuilderWindow> builder = new ListBuilderWindow(*rig.session);
    builder->show();
    QTRY_VERIFY_WITH_TIMEOUT(!rig.desktop.messages.isEmpty(), kWebTimeout);
    const QString message = rig.desktop.messages.first().text;
    QVERIFY2(message.startsWith("Page 2 of Google Search was HTTP error 429 (too many requests). "
                                "The list of 6 unique domains found on the pages before it is "
                                "checked now."),
             qPrintable(message));
    QVERIFY(!builder.isNull() && builder->isVisible());
    QCOMPARE(rig.queuedNames().size(), 6);
    QTRY_VERIFY_WITH_TIMEOUT(rig.whois.queries.contains("alphawidgets.com"), kWebTimeout);
    rig.main->stop();
    delete builder;

    // A CAPTCHA page served as a normal page is recognised by what it says.
    rig.desktop.messages.clear();
    rig.web.setPage("/search?q=web+names&start=0", Rig::fixture("captcha.html"));
    builder = new ListBuilderWindow(*rig.session);
    builder->show();
    QTRY_VERIFY_WITH_TIMEOUT(!rig.desktop.messages.isEmpty(), kWebTimeout);
    QVERIFY2(rig.desktop.messages.first().text.startsWith(
                 "Page 1 of Google Search was a CAPTCHA (\"unusual traffic\") page"),
             qPrintable(rig.desktop.messages.first().text));
    delete builder;

    // Nothing listens at the engine's address.
    rig.desktop.messages.clear();
    rig.tmp.writeFile("\\searchengines.txt",
                      "Google Search|http://127.0.0.1:1/search?q={query}&start={first}|10|5\r\n"
                      "Yahoo Search|http://127.0.0.1:1/search?p={query}&b={first1}|10|5\r\n");
    builder = new ListBuilderWindow(*rig.session);
    builder->show();
    QTRY_VERIFY_WITH_TIMEOUT(!rig.desktop.messages.isEmpty(), kWebTimeout);
    QVERIFY2(rig.desktop.messages.first().text.startsWith(
                 "Page 1 of Google Search was a page that could not be loaded ("),
             qPrintable(rig.desktop.messages.first().text));
    QVERIFY(!rig.session->driver().running());
    delete builder;
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

    auto *browser = new HarvestBrowser(*rig.session);
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
    QCOMPARE(rig.session->lists().list(ResultLists::Mid)->names(), QStringList{"example.com"});
    QCOMPARE(rig.session->lists().list(ResultLists::Registered)->names(),
             QStringList{"mailer.net"});
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

void TestHarvestWindows::browserQueuesEveryNameAPageShows() {
    Rig rig;
    rig.web.setPage("/owls.html", Rig::fixture("names-among-files.html"));
    auto *browser = new HarvestBrowser(*rig.session);
    QSignalSpy harvested(&browser->harvest(), &BrowserHarvest::pageHarvested);
    browser->show();
    QTRY_VERIFY_WITH_TIMEOUT(harvested.count() > 0, kWebTimeout); // the start page
    const int pages = harvested.count();
    browser->navigate(rig.web.baseUrl() + "/owls.html");
    QTRY_VERIFY_WITH_TIMEOUT(harvested.count() > pages, kWebTimeout);
    // Five names in one sentence, names beside and after links, in list items and table cells,
    // behind a link, in an e-mail address; the file names and the disabled .org name are not.
    QStringList queued = rig.queuedNames();
    queued.sort();
    QCOMPARE(queued,
             (QStringList{"alpha-owl.com", "beta-owl.net", "delta-owl.us", "epsilon-owl.com",
                          "eta-owl.net", "gamma-owl.info", "iota-owl.net", "kappa-owl.info",
                          "lambda-owl.com", "mu-owl.net", "nu-owl.us", "omicron-owl.info",
                          "theta-owl.com", "xi-owl.com", "zeta-owl.com"}));
    browser->close();
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
