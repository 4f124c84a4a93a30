#include "core/filehelpers.h"
#include "core/timing.h"
#include "harvest/listbuilderrun.h"
#include "harvest/nameextractor.h"
#include "harvesttestdata.h"
#include "tempprogramfolder.h"

#include <QSignalSpy>
#include <QTest>

namespace {
QString link(const QString &address) {
    return QStringLiteral("<a href=\"%1\">result</a>\n").arg(address);
}

QString linksPage(const QStringList &addresses) {
    QString page;
    for (const QString &address : addresses)
        page += link(address);
    return page;
}

// The engines of these tests: Yahoo counts from 1 with 20 a page, Google from 0 with 100.
void writeEngines(const TempProgramFolder &dir, const QByteArray &extra = {}) {
    QFile file(dir.path("\\searchengines.txt"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("Yahoo Search|http://127.0.0.1:1/search?p={query}&b={first1}|20|10\r\n"
               "Google Search|http://127.0.0.1:1/search?q={query}&start={first}|100|10\r\n" +
               extra);
}

LoadedPage okPage() {
    LoadedPage page;
    page.address = QStringLiteral("http://127.0.0.1:1/search");
    return page;
}

QStringList names(int first, int count) {
    QStringList list;
    for (int i = first; i < first + count; ++i)
        list << QStringLiteral("http://www.name%1x.com/").arg(i);
    return list;
}
} // namespace

class TestListBuilder : public QObject {
    Q_OBJECT
private slots:
    void extractNames_data();
    void extractNames();
    void extractionCarriesCountsAcrossPages();
    void tidy();
    void wantedCount_data();
    void wantedCount();
    void stopsAtFirstPageWithoutNewNames();
    void stopsOnceWantedCountReached();
    void unknownEngineLoadsNothing();
    void reportsDuringExtractionAreQueued();
    void resultLinksAddTheirTargets();
    void engineOwnNamesAreNeverListed();
    void pagingFollowsNewResultLinks();
    void pagingStopsAtTheEnginePageCount();
    void searchTextIsEncoded();
    void pageProblemsEndTheRun();
    void noNamesIsNoList();
    void badEnginesFileStopsBeforeSearching();

private:
    RegistrarTable m_table = harvestTable();
    VendorHosts m_hosts = harvestHosts();
    Timing m_timing = Timing::shrunk(5);
};

void TestListBuilder::extractNames_data() {
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("nameList");
    QTest::newRow("www and path") << link("http://www.example.com/page") << "example.com\r\n";
    QTest::newRow("https like http") << link("https://www.secure.net/") + link("http://plain.com/")
                                     << "secure.net\r\nplain.com\r\n";
    QTest::newRow("host with port gives nothing")
        << link("http://first.com/") + link("http://second.com:8080/x") << "first.com\r\n";
    QTest::newRow("first candidate empty is kept")
        << link("http://www.second.com:8080/x") + link("http://first.com/") << "\r\nfirst.com\r\n";
    QTest::newRow("three labels under net")
        << link("http://first.com/") + link("http://a.b.example.net/") << "first.com\r\n";
    QTest::newRow("substring duplicates")
        << link("http://www.example.com/") + link("http://ample.com/") + link("http://EXAMPLE.COM/")
        << "example.com\r\n";
    QTest::newRow("filtered sites")
        << link("http://www.enginesite.example/x.com") + link("http://marketplace.example/b.com") +
               link("http://us.yimg.com/p.gif") + link("http://kept.com/")
        << "kept.com\r\n";
    QTest::newRow("disabled extension") << link("http://example.org/") << "";
    QTest::newRow("plain text is not a link") << "visit example.com today"
                                              << "";
    QTest::newRow("encoded address is no link line")
        << "<a href=\"/r?u=http%3A%2F%2Fwww.decoded.com%2Fx\">r</a>"
        << "";
    QTest::newRow("bare host in quotes")
        << link("http://first.com/") + "<a href=\"http://bare.com\">b</a>"
        << "first.com\r\nbare.com\r\n";
    QTest::newRow("bold link text") << "<a href=\"http://www.alpha.com/\">Alpha <b>widgets</b></a>"
                                    << "alpha.com\r\n";
    // The closing tag is left inside the host and the candidate has no extension.
    QTest::newRow("bold inside a displayed address") << "<cite>http://www.<b>bold</b>.com/</cite>"
                                                     << "";
}

void TestListBuilder::extractNames() {
    NameExtractor extractor(m_table, m_hosts);
    QFETCH(QString, page);
    extractor.processPage(page);
    QFETCH(QString, nameList);
    QCOMPARE(extractor.nameList(), nameList);
}

void TestListBuilder::extractionCarriesCountsAcrossPages() {
    NameExtractor extractor(m_table, m_hosts);
    extractor.processPage(linksPage(names(1, 3)));
    QCOMPARE(extractor.foundOnPage(), 3);
    extractor.processPage(linksPage(names(2, 3))); // two known, one new
    QCOMPARE(extractor.foundOnPage(), 1);
    QCOMPARE(extractor.foundTotal(), 4);
}

void TestListBuilder::tidy() {
    QCOMPARE(NameExtractor::tidy(QStringLiteral("\r\n\r\n\r\na.com\r\n\r\nb.comtarget=_blank\r\n"
                                                "c.orgtarget=_blank\r\nd.com\r\n")),
             QStringLiteral("\r\na.com\r\nb.c.d.com\r\n"));
}

void TestListBuilder::wantedCount_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("wanted");
    QTest::newRow("none") << -1 << 100;
    QTest::newRow("~100") << 0 << 100;
    QTest::newRow("~200") << 1 << 200;
    QTest::newRow("~500") << 2 << 500;
    QTest::newRow("~1000") << 3 << 1000;
}

void TestListBuilder::wantedCount() {
    QFETCH(int, index);
    QFETCH(int, wanted);
    QCOMPARE(ListBuilderRun::wantedCountFor(index), wanted);
}

void TestListBuilder::stopsAtFirstPageWithoutNewNames() {
    TempProgramFolder dir;
    writeEngines(dir);
    ListBuilderRun run(dir.folder(), m_table, m_hosts, m_timing);
    QSignalSpy navigations(&run, &ListBuilderRun::navigate);
    QSignalSpy ready(&run, &ListBuilderRun::listReady);
    run.currentSearchText = [] { return QStringLiteral("web names now"); };
    run.start(SearchType::YahooSearch, QStringLiteral("web names"), 0);
    QCOMPARE(navigations.count(), 1);
    QVERIFY(navigations.at(0).at(0).toString().endsWith("?p=web+names&b=1"));

    run.pageCompleted(linksPage(names(1, 3)));
    QTRY_COMPARE_WITH_TIMEOUT(navigations.count(), 2, 5000);
    QVERIFY(navigations.at(1).at(0).toString().endsWith("?p=web+names&b=21"));
    run.pageCompleted(linksPage(names(1, 3))); // nothing new: the run ends
    QVERIFY(ready.wait(5000));
    QCOMPARE(ready.at(0).at(0).toInt(), 3);
    QCOMPARE(ready.at(0).at(1).toInt(), 3);
    QCOMPARE(navigations.count(), 2);
    QVERIFY(run.finished());

    const QByteArray expected = "name1x.com\r\nname2x.com\r\nname3x.com\r\n\r\n";
    QCOMPARE(dir.readFile("\\BrowserSearch.txt"), expected);
    // The kept copy is named after the text the main window holds now, spaces and all.
    QCOMPARE(dir.readFile("\\Searches\\Yahoo web names now.txt"), expected);

    run.pageCompleted(linksPage(names(10, 3))); // ignored once finished
    QTest::qWait(50);
    QCOMPARE(ready.count(), 1);
}

void TestListBuilder::stopsOnceWantedCountReached() {
    TempProgramFolder dir;
    writeEngines(dir);
    ListBuilderRun run(dir.folder(), m_table, m_hosts, m_timing);
    QSignalSpy navigations(&run, &ListBuilderRun::navigate);
    QSignalSpy ready(&run, &ListBuilderRun::listReady);
    run.start(SearchType::GoogleSearch, QStringLiteral("x"), 0);
    QVERIFY(navigations.at(0).at(0).toString().endsWith("?q=x&start=0"));
    run.pageCompleted(linksPage(names(1, 60)));
    QTRY_COMPARE_WITH_TIMEOUT(navigations.count(), 2, 5000);
    QVERIFY(navigations.at(1).at(0).toString().endsWith("?q=x&start=100"));
    run.pageCompleted(linksPage(names(61, 60))); // 120 found: every name of the page stays
    QVERIFY(ready.wait(5000));
    QCOMPARE(ready.at(0).at(0).toInt(), 120);
    QCOMPARE(navigations.count(), 2);
    QVERIFY(QFileInfo::exists(dir.path("\\Searches\\Google x.txt")));
}

void TestListBuilder::unknownEngineLoadsNothing() {
    TempProgramFolder dir;
    writeEngines(dir);
    ListBuilderRun run(dir.folder(), m_table, m_hosts, m_timing);
    QSignalSpy navigations(&run, &ListBuilderRun::navigate);
    QSignalSpy ready(&run, &ListBuilderRun::listReady);
    run.start(SearchType::FullWordList, QStringLiteral("x"), 0);
    run.pageCompleted(linksPage(names(1, 3)));
    QTest::qWait(50);
    QCOMPARE(navigations.count(), 0);
    QCOMPARE(ready.count(), 0);
}

void TestListBuilder::reportsDuringExtractionAreQueued() {
    // Two reports in a row (a page with a frame): the second waits for the first page and its
    // pause, then runs on its own; it adds nothing new and so ends the run.
    TempProgramFolder dir;
    writeEngines(dir);
    ListBuilderRun run(dir.folder(), m_table, m_hosts, m_timing);
    QSignalSpy navigations(&run, &ListBuilderRun::navigate);
    QSignalSpy ready(&run, &ListBuilderRun::listReady);
    run.start(SearchType::YahooSearch, QStringLiteral("q"), 0);
    QString filler; // long enough to take several slices of the event loop
    for (int i = 0; i < 20000; ++i)
        filler += QStringLiteral("plain words without a name in them\n");
    run.pageCompleted(linksPage(names(1, 50)) + filler + linksPage(names(51, 40)));
    run.pageCompleted(linksPage(names(1, 5)));
    QVERIFY(ready.wait(20000));
    QCOMPARE(ready.at(0).at(0).toInt(), 90);
    QCOMPARE(navigations.count(), 2);
}

void TestListBuilder::resultLinksAddTheirTargets() {
    // Wrapped targets never start a line of the page text; the browser's link list has them.
    TempProgramFolder dir;
    writeEngines(dir);
    ListBuilderRun run(dir.folder(), m_table, m_hosts, m_timing);
    QSignalSpy ready(&run, &ListBuilderRun::listReady);
    QSignalSpy read(&run, &ListBuilderRun::pageRead);
    run.start(SearchType::YahooSearch, QStringLiteral("q"), 0);
    const QStringList links = {
        "https://r.search.yahoo.com/_ylt=A;_ylu=B/RV=2/RU=https%3a%2f%2fwww.wrapped.com%2fx/RK=2",
        "http://127.0.0.1:1/url?q=https://sub.plain.net/&sa=U",
        "https://www.alpha.com/", // also a link line of the text: listed once
        "https://login.yahoo.com/",
        "http://127.0.0.1:1/search?p=q&b=21",
        "mailto:a@b.com",
        "https://www.disabled.org/"};
    const QString body = link("https://www.alpha.com/") +
                         "<a href=\"https://r.search.yahoo.com/RU=https%3a%2f%2fwww.wrapped.com\">";
    run.pageCompleted(okPage(), links, body);
    run.pageCompleted(okPage(), links, body); // the same links again: the end of the results
    QVERIFY(ready.wait(5000));
    QCOMPARE(run.extractor().nameList(),
             QStringLiteral("alpha.com\r\nwrapped.com\r\nplain.net\r\n"));
    QCOMPARE(read.at(0).at(1).toInt(), 1); // by the line rule
    QCOMPARE(read.at(0).at(2).toInt(), 2); // from the links only
    QCOMPARE(read.at(0).at(3).toInt(), 4); // result links: wrapped, plain, alpha, disabled
}

void TestListBuilder::engineOwnNamesAreNeverListed() {
    NameExtractor extractor(m_table, m_hosts);
    extractor.setEngineHosts(EngineHosts(QStringLiteral("www.google.com")));
    extractor.queueLinks({"https://support.google.com/websearch", "https://www.gstatic.com/x.js",
                          "https://www.kept.com/"});
    extractor.processPage(link("https://www.google.com/preferences") +
                          link("https://maps.google.co.uk/maps") +
                          link("https://fonts.googleapis.com/css") + link("https://other.net/"));
    QCOMPARE(extractor.nameList(), QStringLiteral("other.net\r\nkept.com\r\n"));
}

void TestListBuilder::pagingFollowsNewResultLinks() {
    // Page 2 only adds other pages of a known name: no new name, but new result links, so the
    // results go on. Page 3 repeats page 2: the end.
    TempProgramFolder dir;
    writeEngines(dir);
    ListBuilderRun run(dir.folder(), m_table, m_hosts, m_timing);
    QSignalSpy navigations(&run, &ListBuilderRun::navigate);
    QSignalSpy ready(&run, &ListBuilderRun::listReady);
    run.start(SearchType::GoogleSearch, QStringLiteral("x"), 0);
    run.pageCompleted(okPage(), {"https://a.com/1", "https://b.com/1"}, QString());
    QTRY_COMPARE_WITH_TIMEOUT(navigations.count(), 2, 5000);
    run.pageCompleted(okPage(), {"https://a.com/2", "https://b.com/2"}, QString());
    QTRY_COMPARE_WITH_TIMEOUT(navigations.count(), 3, 5000);
    QVERIFY(navigations.at(2).at(0).toString().endsWith("&start=200"));
    run.pageCompleted(okPage(), {"https://a.com/2", "https://b.com/2"}, QString());
    QVERIFY(ready.wait(5000));
    QCOMPARE(navigations.count(), 3);
    QCOMPARE(ready.at(0).at(0).toInt(), 2);
    QCOMPARE(ready.at(0).at(2).toString(), QString());
}

void TestListBuilder::pagingStopsAtTheEnginePageCount() {
    TempProgramFolder dir;
    {
        QFile file(dir.path("\\searchengines.txt"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("Google Search|http://127.0.0.1:1/s?q={query}&p={page}|10|2\n");
    }
    ListBuilderRun run(dir.folder(), m_table, m_hosts, m_timing);
    QSignalSpy navigations(&run, &ListBuilderRun::navigate);
    QSignalSpy ready(&run, &ListBuilderRun::listReady);
    run.start(SearchType::GoogleSearch, QStringLiteral("x"), 0);
    run.pageCompleted(linksPage(names(1, 10)));
    QTRY_COMPARE_WITH_TIMEOUT(navigations.count(), 2, 5000);
    QVERIFY(navigations.at(1).at(0).toString().endsWith("&p=2"));
    run.pageCompleted(linksPage(names(11, 10)));
    QVERIFY(ready.wait(5000));
    QCOMPARE(ready.at(0).at(0).toInt(), 20);
    QCOMPARE(navigations.count(), 2);
}

void TestListBuilder::searchTextIsEncoded() {
    // "#" would end the address and "&" or "+" would change the query.
    TempProgramFolder dir;
    writeEngines(dir);
    ListBuilderRun run(dir.folder(), m_table, m_hosts, m_timing);
    QSignalSpy navigations(&run, &ListBuilderRun::navigate);
    run.start(SearchType::GoogleSearch, QStringLiteral("salt & c++ #1"), 0);
    QCOMPARE(navigations.at(0).at(0).toString(),
             QStringLiteral("http://127.0.0.1:1/search?q=salt+%26+c%2B%2B+%231&start=0"));
}

void TestListBuilder::pageProblemsEndTheRun() {
    TempProgramFolder dir;
    writeEngines(dir);
    dir.writeFile("\\BrowserSearch.txt", "previous.com\r\n");
    {
        // A consent form on the first page: no list, the page stays to be answered.
        ListBuilderRun run(dir.folder(), m_table, m_hosts, m_timing);
        QSignalSpy failed(&run, &ListBuilderRun::failed);
        QSignalSpy ready(&run, &ListBuilderRun::listReady);
        run.start(SearchType::GoogleSearch, QStringLiteral("x"), 0);
        LoadedPage consent = okPage();
        consent.formActions = {"https://consent.google.com/save"};
        run.pageCompleted(consent, {"https://policies.google.com/privacy"}, "Before you continue");
        QCOMPARE(failed.count(), 1);
        const QString message = failed.at(0).at(0).toString();
        QVERIFY2(message.startsWith("Page 1 of Google Search was a consent form"),
                 qPrintable(message));
        QVERIFY(message.contains("no search was started"));
        QVERIFY(failed.at(0).at(1).toBool());
        QCOMPARE(ready.count(), 0);
        QCOMPARE(dir.readFile("\\BrowserSearch.txt"), QByteArray("previous.com\r\n"));
    }
    {
        // Names on page 1, HTTP 429 on page 2: the names of page 1 are the list.
        ListBuilderRun run(dir.folder(), m_table, m_hosts, m_timing);
        QSignalSpy navigations(&run, &ListBuilderRun::navigate);
        QSignalSpy ready(&run, &ListBuilderRun::listReady);
        run.start(SearchType::YahooSearch, QStringLiteral("x"), 0);
        run.pageCompleted(linksPage(names(1, 3)));
        QTRY_COMPARE_WITH_TIMEOUT(navigations.count(), 2, 5000);
        LoadedPage refused = okPage();
        refused.httpStatus = 429;
        run.pageCompleted(refused, {}, "Too Many Requests");
        QCOMPARE(ready.count(), 1);
        QCOMPARE(ready.at(0).at(0).toInt(), 3);
        QCOMPARE(ready.at(0).at(2).toString(),
                 QStringLiteral("Page 2 of Yahoo Search was HTTP error 429 (too many requests)."));
        QCOMPARE(dir.readFile("\\BrowserSearch.txt"),
                 QByteArray("name1x.com\r\nname2x.com\r\nname3x.com\r\n\r\n"));
    }
    {
        ListBuilderRun run(dir.folder(), m_table, m_hosts, m_timing);
        QSignalSpy failed(&run, &ListBuilderRun::failed);
        run.start(SearchType::YahooSearch, QStringLiteral("x"), 0);
        LoadedPage down;
        down.loaded = false;
        down.errorText = "Connection refused";
        run.pageCompleted(down, {}, QString());
        QCOMPARE(failed.count(), 1);
        QVERIFY(failed.at(0).at(0).toString().startsWith(
            "Page 1 of Yahoo Search was a page that could not be loaded (Connection refused)."));
    }
}

void TestListBuilder::noNamesIsNoList() {
    TempProgramFolder dir;
    writeEngines(dir);
    ListBuilderRun run(dir.folder(), m_table, m_hosts, m_timing);
    QSignalSpy failed(&run, &ListBuilderRun::failed);
    QSignalSpy ready(&run, &ListBuilderRun::listReady);
    run.start(SearchType::GoogleSearch, QStringLiteral("nothing"), 0);
    run.pageCompleted(okPage(), {"https://www.google.com/preferences"}, "No results found.");
    QVERIFY(failed.wait(5000));
    QCOMPARE(failed.at(0).at(0).toString(),
             QStringLiteral("No domain names were found on 1 result page(s) of Google Search for "
                            "\"nothing\", so no search was started."));
    QCOMPARE(ready.count(), 0);
    QVERIFY(!QFileInfo::exists(dir.path("\\BrowserSearch.txt")));
}

void TestListBuilder::badEnginesFileStopsBeforeSearching() {
    TempProgramFolder dir;
    writeEngines(dir, "Bing Search|http://b.test/?q={query}|10|3\r\n");
    ListBuilderRun run(dir.folder(), m_table, m_hosts, m_timing);
    QSignalSpy navigations(&run, &ListBuilderRun::navigate);
    QSignalSpy failed(&run, &ListBuilderRun::failed);
    run.start(SearchType::YahooSearch, QStringLiteral("x"), 0);
    QCOMPARE(navigations.count(), 0);
    QCOMPARE(failed.count(), 1);
    QVERIFY(failed.at(0).at(0).toString().contains("searchengines.txt, line 3: "));
    QVERIFY(!failed.at(0).at(1).toBool());

    // Deleted: the defaults come back.
    QVERIFY(QFile::remove(dir.path("\\searchengines.txt")));
    ListBuilderRun again(dir.folder(), m_table, m_hosts, m_timing);
    QSignalSpy navigated(&again, &ListBuilderRun::navigate);
    again.start(SearchType::YahooSearch, QStringLiteral("x"), 0);
    QVERIFY(navigated.at(0).at(0).toString().startsWith("https://search.yahoo.com/search?p=x&b=1"));
}

QTEST_GUILESS_MAIN(TestListBuilder)
#include "tst_listbuilder.moc"
