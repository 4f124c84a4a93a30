#include "harvest/searchengines.h"
#include "tempprogramfolder.h"

#include <QTest>

class TestSearchEngines : public QObject {
    Q_OBJECT
private slots:
    void defaultsAreValidAndNameBothTypes();
    void ensureFileWritesOnceAndKeepsEdits();
    void badRowsNameTheirLine_data();
    void badRowsNameTheirLine();
    void goodRowsBesideBadOnes();
    void pageAddresses();
    void searchTextIsAQueryValue_data();
    void searchTextIsAQueryValue();
};

void TestSearchEngines::defaultsAreValidAndNameBothTypes() {
    const auto parsed =
        SearchEngines::parse(QString::fromLatin1(SearchEngines::defaultFileContent()), "f");
    QVERIFY(parsed.errors.isEmpty());
    QStringList captions;
    for (const SearchEngine &e : parsed.engines)
        captions << e.caption;
    QVERIFY(captions.contains("Yahoo Search"));
    QVERIFY(captions.contains("Google Search"));
    // Google's real page size; its "start" counts from 0.
    const SearchEngine &google = parsed.engines.at(int(captions.indexOf("Google Search")));
    QCOMPARE(google.resultsPerPage, 10);
    QVERIFY(google.pageAddress("a", 2).startsWith("https://www.google.com/search?q=a&start=20"));
    QCOMPARE(google.host(), QStringLiteral("www.google.com"));
    QCOMPARE(google.shortName(), QStringLiteral("Google"));
}

void TestSearchEngines::ensureFileWritesOnceAndKeepsEdits() {
    TempProgramFolder dir;
    const QString path = dir.path("\\searchengines.txt");
    QVERIFY(!SearchEngines::ensureFile(path));
    QCOMPARE(dir.readFile("\\searchengines.txt"), SearchEngines::defaultFileContent());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("Google Search|http://127.0.0.1:9/s?q={query}&p={page}|5|2\n");
    file.close();
    QVERIFY(!SearchEngines::ensureFile(path));
    const auto parsed = SearchEngines::load(path);
    QVERIFY(parsed.errors.isEmpty());
    QCOMPARE(parsed.engines.size(), 1);
    QCOMPARE(parsed.engines.at(0).pageAddress("x", 1),
             QStringLiteral("http://127.0.0.1:9/s?q=x&p=2"));

    const auto missing = SearchEngines::load(dir.path("\\none.txt"));
    QCOMPARE(missing.errors.size(), 1);
    const QString text = missing.errors.at(0).text();
    QVERIFY2(text.startsWith("Could not read ") && text.contains("none.txt"), qPrintable(text));
}

void TestSearchEngines::badRowsNameTheirLine_data() {
    QTest::addColumn<QString>("row");
    QTest::addColumn<QString>("message");
    const QString ok = "http://e.test/s?q={query}&b={first}";
    QTest::newRow("three fields") << "E|" + ok + "|10"
                                  << "4 fields";
    QTest::newRow("five fields") << "E|" + ok + "|10|3|x"
                                 << "4 fields";
    QTest::newRow("no caption") << " |" + ok + "|10|3"
                                << "caption is empty";
    QTest::newRow("no query") << "E|http://e.test/s?b={first}|10|3"
                              << "{query} once";
    QTest::newRow("no paging") << "E|http://e.test/s?q={query}|10|3"
                               << "exactly one of";
    QTest::newRow("two paging") << "E|http://e.test/s?q={query}&b={first}&p={page}|10|3"
                                << "exactly one of";
    QTest::newRow("unknown placeholder") << "E|http://e.test/s?q={query}&b={first}&l={lang}|10|3"
                                         << "unknown placeholder {lang}";
    QTest::newRow("not http") << "E|file:///tmp/s?q={query}&b={first}|10|3"
                              << "http or https";
    QTest::newRow("no host") << "E|http:///s?q={query}&b={first}|10|3"
                             << "http or https";
    QTest::newRow("per page text") << "E|" + ok + "|ten|3"
                                   << "results per page";
    QTest::newRow("per page zero") << "E|" + ok + "|0|3"
                                   << "results per page";
    QTest::newRow("pages negative") << "E|" + ok + "|10|-1"
                                    << "pages must be";
}

void TestSearchEngines::badRowsNameTheirLine() {
    QFETCH(QString, row);
    QFETCH(QString, message);
    const QString text = "# comment\r\n\r\nGood|http://e.test/?q={query}&s={first1}|10|3\r\n" + row;
    const auto parsed = SearchEngines::parse(text, "/x/searchengines.txt");
    QCOMPARE(parsed.engines.size(), 1);
    QCOMPARE(parsed.errors.size(), 1);
    QCOMPARE(parsed.errors.at(0).line, 4);
    QVERIFY2(parsed.errors.at(0).message.contains(message),
             qPrintable(parsed.errors.at(0).message));
    QVERIFY(parsed.errors.at(0).text().startsWith("searchengines.txt, line 4: "));
}

void TestSearchEngines::goodRowsBesideBadOnes() {
    const auto parsed = SearchEngines::parse("A|http://a.test/?q={query}&s={first}|10|3\n"
                                             "A|http://b.test/?q={query}&s={first}|10|3\n"
                                             "B|http://b.test/?q={query}&s={first}|10|x\n",
                                             "f");
    QCOMPARE(parsed.engines.size(), 1);
    QCOMPARE(parsed.errors.size(), 2);
    QCOMPARE(parsed.errors.at(0).line, 2); // a second "A" would shadow or replace the first
    QVERIFY(parsed.errors.at(0).message.contains("already defined"));
    QCOMPARE(parsed.errors.at(1).line, 3);
}

void TestSearchEngines::pageAddresses() {
    SearchEngine e;
    e.resultsPerPage = 7;
    e.addressTemplate = "https://e.test/s?p={query}&b={first1}";
    QCOMPARE(e.pageAddress("a b", 0), QStringLiteral("https://e.test/s?p=a+b&b=1"));
    QCOMPARE(e.pageAddress("a b", 2), QStringLiteral("https://e.test/s?p=a+b&b=15"));
    e.addressTemplate = "https://e.test/s?p={query}&start={first}";
    QCOMPARE(e.pageAddress("a", 2), QStringLiteral("https://e.test/s?p=a&start=14"));
    e.addressTemplate = "https://e.test/{page}/s?p={query}";
    QCOMPARE(e.pageAddress("a", 2), QStringLiteral("https://e.test/3/s?p=a"));
    // A search text that looks like a placeholder stays text.
    QCOMPARE(e.pageAddress("{page}", 0), QStringLiteral("https://e.test/1/s?p=%7Bpage%7D"));
}

void TestSearchEngines::searchTextIsAQueryValue_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("encoded");
    QTest::newRow("spaces") << "web names now"
                            << "web+names+now";
    QTest::newRow("ampersand") << "salt & pepper"
                               << "salt+%26+pepper";
    QTest::newRow("hash") << "c# jobs"
                          << "c%23+jobs";
    QTest::newRow("plus") << "c++"
                          << "c%2B%2B";
    QTest::newRow("equals and percent") << "a=b 100%"
                                        << "a%3Db+100%25";
    QTest::newRow("unicode") << "café"
                             << "caf%C3%A9";
    QTest::newRow("unreserved stay") << "a-b_c.d~e"
                                     << "a-b_c.d~e";
}

void TestSearchEngines::searchTextIsAQueryValue() {
    QFETCH(QString, text);
    QFETCH(QString, encoded);
    QCOMPARE(SearchEngines::encodeQueryValue(text), encoded);
}

QTEST_GUILESS_MAIN(TestSearchEngines)
#include "tst_searchengines.moc"
