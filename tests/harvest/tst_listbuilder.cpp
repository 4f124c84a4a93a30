#include "core/filehelpers.h"
#include "harvesttestdata.h"
#include "harvest/listbuilderrun.h"
#include "harvest/nameextractor.h"
#include "tempprogramfolder.h"
#include "core/timing.h"

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
    void pageAddresses();
    void wantedCount_data();
    void wantedCount();
    void stopsAtFirstPageWithoutNewNames();
    void stopsOnceWantedCountReached();
    void unknownEngineLoadsNothing();
    void reportsDuringExtractionAreQueued();

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

void TestListBuilder::pageAddresses() {
    VendorHosts hosts = m_hosts;
    hosts.yahooHost = QStringLiteral("y.test");
    hosts.googleHost = QStringLiteral("g.test");
    using E = ListBuilderRun::Engine;
    QCOMPARE(ListBuilderRun::pageAddress(E::Yahoo, hosts, "a+b", 21),
             QStringLiteral("http://y.test/search/dir?h=s&xargs=0&p=a+b&b=21"));
    QCOMPARE(ListBuilderRun::pageAddress(E::Google, hosts, "a+b", 101),
             QStringLiteral("http://g.test/search?num=100&hl=en&lr=&ie=UTF-8&oe=UTF-8&safe=off"
                            "&filter=0&start=100&sa=N&q=a+b"));
    QCOMPARE(ListBuilderRun::pageAddress(E::None, hosts, "a", 1), QString());
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
    ListBuilderRun run(dir.folder(), m_table, m_hosts, m_timing);
    QSignalSpy navigations(&run, &ListBuilderRun::navigate);
    QSignalSpy ready(&run, &ListBuilderRun::listReady);
    run.currentSearchText = [] { return QStringLiteral("web names now"); };
    run.start(SearchType::YahooSearch, QStringLiteral("web names"), 0);
    QCOMPARE(navigations.count(), 1);
    QVERIFY(navigations.at(0).at(0).toString().endsWith("&p=web+names&b=1"));

    run.pageCompleted(linksPage(names(1, 3)));
    QTRY_COMPARE_WITH_TIMEOUT(navigations.count(), 2, 5000);
    QVERIFY(navigations.at(1).at(0).toString().endsWith("&p=web+names&b=21"));
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
    ListBuilderRun run(dir.folder(), m_table, m_hosts, m_timing);
    QSignalSpy navigations(&run, &ListBuilderRun::navigate);
    QSignalSpy ready(&run, &ListBuilderRun::listReady);
    run.start(SearchType::GoogleSearch, QStringLiteral("x"), 0);
    QVERIFY(navigations.at(0).at(0).toString().contains("&start=0&sa=N&q=x"));
    run.pageCompleted(linksPage(names(1, 60)));
    QTRY_COMPARE_WITH_TIMEOUT(navigations.count(), 2, 5000);
    QVERIFY(navigations.at(1).at(0).toString().contains("&start=100&sa=N&q=x"));
    run.pageCompleted(linksPage(names(61, 60))); // 120 found: every name of the page stays
    QVERIFY(ready.wait(5000));
    QCOMPARE(ready.at(0).at(0).toInt(), 120);
    QCOMPARE(navigations.count(), 2);
    QVERIFY(QFileInfo::exists(dir.path("\\Searches\\Google x.txt")));
}

void TestListBuilder::unknownEngineLoadsNothing() {
    TempProgramFolder dir;
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

QTEST_GUILESS_MAIN(TestListBuilder)
#include "tst_listbuilder.moc"
