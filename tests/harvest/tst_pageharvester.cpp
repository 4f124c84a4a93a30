#include "harvest/browserharvest.h"
#include "harvest/pageharvester.h"
#include "harvest/pagenames.h"
#include "harvesttestdata.h"
#include "tempprogramfolder.h"

#include <QFile>
#include <QSignalSpy>
#include <QTest>

class TestPageHarvester : public QObject {
    Q_OBJECT
private slots:
    void harvestPage_data();
    void harvestPage();
    void frameAddressIsRejoined();
    void framesFollowOnlyWebAddresses_data();
    void framesFollowOnlyWebAddresses();
    void startPageHarvestsNothing();
    void frameLineHelpers_data();
    void frameLineHelpers();
    void secondVisitQueuesNothing();
    void clearSeenQueuesAgain();
    void queueFileBatches();
    void reportsDuringHarvestAreQueued();
    void shownNames_data();
    void shownNames();
    void secondLevelSuffixes_data();
    void secondLevelSuffixes();
    void hostileTextEndsPromptly();
    void shownNamesFollowTheLineRule();

private:
    QStringList harvest(PageHarvester &harvester, const QString &page);

    RegistrarTable m_table = harvestTable();
    VendorHosts m_hosts = harvestHosts();
};

QStringList TestPageHarvester::harvest(PageHarvester &harvester, const QString &page) {
    harvester.processPage(page);
    QStringList names = harvester.takePageList().split(QStringLiteral("\r\n"));
    names.removeLast(); // the last name's line break
    return names;
}

void TestPageHarvester::harvestPage_data() {
    QTest::addColumn<QString>("page");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("plain words") << "<p>visit example.com today</p>" << QStringList{"example.com"};
    QTest::newRow("line start") << "example.com is here" << QStringList{"example.com"};
    QTest::newRow("e-mail") << "<p>Write to sales@mail.example.net now</p>"
                            << QStringList{"example.net"};
    QTest::newRow("link") << "<a href=\"http://www.linked.com/x\">x</a>"
                          << QStringList{"linked.com"};
    QTest::newRow("https link") << "<a href=\"https://secure.info/\">x</a>"
                                << QStringList{"secure.info"};
    QTest::newRow("link with a user")
        << "<a href=\"http://me@mailhost.com/\">x</a>" << QStringList{"mailhost.com"};
    QTest::newRow("word break tag") << "<p>long<wbr>name.com</p>" << QStringList{"longname.com"};
    QTest::newRow("engine site link dropped")
        << "<a href=\"http://www.enginesite.example/\">x</a> and shop.com"
        << QStringList{"shop.com"};
    QTest::newRow("encoded address in text")
        << "<a href=\"/r?u=http%3A%2F%2Fwww.decoded.com%2Fx\">" << QStringList{"decoded.com"};
    QTest::newRow("disabled extension") << "visit example.org today" << QStringList{};
    QTest::newRow("in order, duplicates once")
        << "a.com b.net and A.COM <a href=\"http://www.c.us/\">c</a>"
        << QStringList{"a.com", "b.net", "c.us"};
}

void TestPageHarvester::harvestPage() {
    PageHarvester harvester(m_table, m_hosts);
    QFETCH(QString, page);
    QFETCH(QStringList, names);
    QCOMPARE(harvest(harvester, page), names);
}

void TestPageHarvester::frameAddressIsRejoined() {
    PageHarvester harvester(m_table, m_hosts);
    QStringList frames;
    QList<QUrl> urls;
    harvester.onFrame = [&](const QString &address, const QUrl &url) {
        frames << address;
        urls << url;
    };
    // The extension break splits the source after "com/"; the two parts are joined again.
    harvest(harvester, "<frameset>\n<frame src=\"http://127.0.0.1:8080/shop.com/inner.html\">\n"
                       "<frame name=\"b\" src=\"https://www.example.net/menu/\">\n</frameset>");
    QCOMPARE(frames, (QStringList{"127.0.0.1:8080/shop.com/inner.html", "www.example.net/menu/"}));
    QCOMPARE(urls, (QList<QUrl>{QUrl("http://127.0.0.1:8080/shop.com/inner.html"),
                                QUrl("https://www.example.net/menu/")}));
}

// The line after a frame tag is page text: whatever it says, only an http or https address is
// loaded into the frame browser, and https stays https.
void TestPageHarvester::framesFollowOnlyWebAddresses_data() {
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("url");
    QTest::newRow("https kept") << "<frame src=\"https://secure.example/a.html\">"
                                << "https://secure.example/a.html";
    QTest::newRow("upper-case scheme") << "<frame src=\"HTTPS://Secure.example/a\">"
                                       << "https://secure.example/a";
    QTest::newRow("no scheme is http") << "<frame src=\"x\">\nwww.example.biz/f.html"
                                       << "http://www.example.biz/f.html";
    QTest::newRow("host and port") << "<frame src=\"x\">\nlocalhost:8080/f.html"
                                   << "http://localhost:8080/f.html";
    QTest::newRow("absolute path") << "<frame src=\"x\">\n/etc/passwd"
                                   << "";
    QTest::newRow("absolute path with a name") << "<frame src=\"x\">\n/home/user/names.com"
                                               << "";
    QTest::newRow("file address") << "<frame src=\"x\">\nfile:///home/user/names.com"
                                  << "";
    QTest::newRow("data address") << "<frame src=\"\ndata:text/html,<p>secret.com</p>\">"
                                  << "";
    QTest::newRow("javascript address") << "<frame src=\"x\">\njavascript:alert(1)"
                                        << "";
    QTest::newRow("escaped javascript") << "<frame src=\"x\">\nJavaScript%3Aalert(1)"
                                        << "";
    QTest::newRow("windows path") << "<frame src=\"x\">\nC:\\names.com"
                                  << "";
    QTest::newRow("no host left") << "<frame src=\"x\">\nhttp:///etc/passwd"
                                  << "";
}

void TestPageHarvester::framesFollowOnlyWebAddresses() {
    QFETCH(QString, page);
    QFETCH(QString, url);
    TempProgramFolder dir;
    BrowserHarvest harvest(dir.folder(), m_table, m_hosts);
    QSignalSpy followed(&harvest, &BrowserHarvest::followFrame);
    QSignalSpy status(&harvest, &BrowserHarvest::pageStatus);
    harvest.pageCompleted(page);
    QTRY_VERIFY(!harvest.busy());
    if (url.isEmpty()) {
        QCOMPARE(followed.size(), 0);
        for (const QList<QVariant> &shown : status)
            QVERIFY(!shown.at(0).toString().startsWith("Following Frame"));
    } else {
        QCOMPARE(followed.size(), 1);
        QCOMPARE(followed.first().at(0).toUrl(), QUrl(url));
    }
}

// The harvester's start page is harvested like any page: with every extension of the default
// table enabled, its text must give no name to check and no frame to follow.
void TestPageHarvester::startPageHarvestsNothing() {
    QFile file(qEnvironmentVariable("KESTRIN_SOURCE_DIR") + "/help/BrowseStart.html");
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(file.readAll());
    TempProgramFolder dir;
    dir.writeFile("\\registrars.txt",
                  RegistrarTable::defaultFileContent().replace("|Disabled", "|Enabled"));
    RegistrarTable table(dir.path("\\registrars.txt"));
    QVERIFY(table.loadRegistrars().ok());
    QVERIFY(table.rows().size() > 50);
    PageHarvester harvester(table, m_hosts);
    int frames = 0;
    harvester.onFrame = [&](const QString &, const QUrl &) { ++frames; };
    QCOMPARE(harvest(harvester, html), QStringList{});
    QCOMPARE(frames, 0);
}

void TestPageHarvester::frameLineHelpers_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("cut");
    QTest::newRow("tag end before space") << "page.html\"><b x"
                                          << "page.html\">";
    QTest::newRow("space first") << "a b>c"
                                 << "a ";
    QTest::newRow("whole") << "page.html"
                           << "page.html";
}

void TestPageHarvester::frameLineHelpers() {
    QFETCH(QString, line);
    QFETCH(QString, cut);
    QCOMPARE(PageHarvester::cutFrameLine(line), cut);
    QCOMPARE(PageHarvester::cleanFrameAddress("\"https://x.com/a\"><"), QStringLiteral("x.com/a"));
}

void TestPageHarvester::secondVisitQueuesNothing() {
    PageHarvester harvester(m_table, m_hosts);
    const QString page = "<a href=\"http://www.one.com/\">one</a> two.net";
    QCOMPARE(harvest(harvester, page).size(), 2);
    QCOMPARE(harvester.foundOnPage(), 2);
    harvester.resetFoundOnPage();
    QCOMPARE(harvest(harvester, page), QStringList{});
    QCOMPARE(harvester.foundOnPage(), 0);
    QCOMPARE(harvester.foundTotal(), 2);
}

void TestPageHarvester::clearSeenQueuesAgain() {
    PageHarvester harvester(m_table, m_hosts);
    harvest(harvester, "one.com");
    harvester.clearSeen();
    QCOMPARE(harvest(harvester, "one.com"), QStringList{"one.com"});
    QCOMPARE(harvester.foundTotal(), 2);
}

void TestPageHarvester::queueFileBatches() {
    TempProgramFolder dir;
    BrowserHarvest harvest(dir.folder(), m_table, m_hosts);
    QSignalSpy status(&harvest, &BrowserHarvest::pageStatus);
    QSignalSpy done(&harvest, &BrowserHarvest::pageHarvested);
    harvest.pageCompleted("one.com and two.net");
    QVERIFY(done.wait(5000));
    QCOMPARE(status.last().at(0).toString(), QStringLiteral("Domains Found, Checking Status"));
    harvest.downloadBegun();
    harvest.pageCompleted("nothing here");
    QVERIFY(done.wait(5000));
    QCOMPARE(status.last().at(0).toString(), QStringLiteral("No Domains Found"));
    // Each page is one batch ending in an empty line, even a page that found nothing.
    QCOMPARE(dir.readFile("\\BrowserSearch.txt"), QByteArray("one.com\r\ntwo.net\r\n\r\n\r\n"));
    harvest.deleteQueueFile();
    QVERIFY(!QFile::exists(harvest.queuePath()));
}

void TestPageHarvester::reportsDuringHarvestAreQueued() {
    TempProgramFolder dir;
    BrowserHarvest harvest(dir.folder(), m_table, m_hosts);
    QSignalSpy done(&harvest, &BrowserHarvest::pageHarvested);
    QString first;
    for (int i = 0; i < 3000; ++i)
        first += QStringLiteral("<p>see first%1.com today</p>\n").arg(i);
    harvest.pageCompleted(first);
    harvest.pageCompleted("second.net");
    QVERIFY(harvest.busy());
    QTRY_COMPARE_WITH_TIMEOUT(done.count(), 2, 20000);
    const QList<QByteArray> lines = dir.readFile("\\BrowserSearch.txt").split('\n');
    // The whole first page, its closing empty line, then the second page.
    QCOMPARE(lines.at(2999), QByteArray("first2999.com\r"));
    QCOMPARE(lines.at(3000), QByteArray("\r"));
    QCOMPARE(lines.at(3001), QByteArray("second.net\r"));
}

void TestPageHarvester::shownNames_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("one sentence")
        << "Ours: alpha.com, beta.net, gamma.info and delta.us, or epsilon.com."
        << QStringList{"alpha.com", "beta.net", "gamma.info", "delta.us", "epsilon.com"};
    QTest::newRow("cells and items run together")
        << "one.com\ttwo.net\nthree.info" << QStringList{"one.com", "two.net", "three.info"};
    QTest::newRow("subdomains cut")
        << "www.a.com shop.eu.b.net x.y.z.c.info" << QStringList{"a.com", "b.net", "c.info"};
    QTest::newRow("e-mail domain, not its dotted user")
        << "mail first.last@sub.mailer.com or j.doe.info@x.net"
        << QStringList{"mailer.com", "x.net"};
    QTest::newRow("file names and disabled extensions")
        << "index.html report.pdf setup.exe archive.tar.gz open.org site.com.pdf ok.com"
        << QStringList{"ok.com"};
    QTest::newRow("addresses and paths")
        << "https://www.linked.com/index.html\nhttp://host.net:8080/x\nmailto:sales@shop.info"
        << QStringList{"linked.com", "host.net", "shop.info"};
    QTest::newRow("address passed on in a query")
        << "https://r.example/?u=https%3A%2F%2Fnext.com%2F" << QStringList{"next.com"};
    QTest::newRow("letter case, each once") << "Big.COM big.com BIG.com" << QStringList{"big.com"};
    QTest::newRow("underscore, hyphens at the edges")
        << "foo_bar.com -dash.com- bad-.com ok-name.com" << QStringList{"dash.com", "ok-name.com"};
    QTest::newRow("proxy row is no extension") << "a.proxy" << QStringList{};
    QTest::newRow("letters beyond ASCII") << "café.com" << QStringList{"café.com"};
}

void TestPageHarvester::shownNames() {
    QFETCH(QString, text);
    QFETCH(QStringList, names);
    QCOMPARE(PageNames::inText(text, m_table), names);
}

void TestPageHarvester::secondLevelSuffixes_data() {
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("name");
    QTest::newRow("co under a country") << "www.shop.co.uk"
                                        << "shop.co.uk";
    QTest::newRow("country alone") << "www.shop.uk"
                                   << "shop.uk";
    QTest::newRow("own row for the pair") << "a.b.me.uk"
                                          << "b.me.uk";
    QTest::newRow("suffix alone is no name") << "co.uk"
                                             << "";
    QTest::newRow("disabled pair row wins over its country") << "x.gov.uk"
                                                             << "";
    QTest::newRow("three-letter extension keeps one label") << "www.co.com"
                                                            << "co.com";
}

void TestPageHarvester::secondLevelSuffixes() {
    QFETCH(QString, host);
    QFETCH(QString, name);
    RegistrarTable table;
    table.setRows({{QStringLiteral("uk"), QString(), 43, true},
                   {QStringLiteral("me.uk"), QString(), 43, true},
                   {QStringLiteral("gov.uk"), QString(), 43, false},
                   {QStringLiteral("com"), QString(), 43, true}});
    QCOMPARE(PageNames::registrableName(host, table), name);
}

void TestPageHarvester::hostileTextEndsPromptly() {
    // Runs of dotted or joined words must not be rescanned from each word (quadratic time).
    for (const QString &piece :
         {QStringLiteral("a."), QStringLiteral("a+"), QStringLiteral("a@")}) {
        const QString text = piece.repeated(200000) + QStringLiteral(" end.com");
        QCOMPARE(PageNames::inText(text, m_table).value(0), QStringLiteral("end.com"));
    }
}

void TestPageHarvester::shownNamesFollowTheLineRule() {
    TempProgramFolder dir;
    VendorHosts hosts = m_hosts;
    hosts.EngineSiteDomain = QStringLiteral("engine.com");
    BrowserHarvest harvest(dir.folder(), m_table, hosts);
    QSignalSpy done(&harvest, &BrowserHarvest::pageHarvested);
    // The line rule takes one name from the line; the rest come from the shown text, except a
    // name already queued (in any letter case) and the engine's own site. "owl.com" is not
    // dropped for being part of "snowl.com".
    harvest.pageCompleted("<p>snowl.com owl.com two.net</p>",
                          "snowl.com owl.com two.net\nSNOWL.com engine.com www.three.info");
    QVERIFY(done.wait(5000));
    harvest.pageCompleted(QString(), "owl.com four.com");
    QVERIFY(done.wait(5000));
    QCOMPARE(dir.readFile("\\BrowserSearch.txt"),
             QByteArray("snowl.com\r\ntwo.net\r\nowl.com\r\nthree.info\r\n\r\n"
                        "four.com\r\n\r\n"));
}

QTEST_GUILESS_MAIN(TestPageHarvester)
#include "tst_pageharvester.moc"
