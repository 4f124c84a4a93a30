#include "harvesttestdata.h"
#include "harvest/harvesttext.h"
#include "harvest/seennames.h"

#include <QTest>

using namespace HarvestText;

class TestHarvestText : public QObject {
    Q_OBJECT
private slots:
    void lineReader_data();
    void lineReader();
    void preparePage();
    void linkTest_data();
    void linkTest();
    void cuts_data();
    void cuts();
    void backwardScan_data();
    void backwardScan();
    void seenNames();
    void acceptance_data();
    void acceptance();

private:
    RegistrarTable m_table = harvestTable();
    VendorHosts m_hosts = harvestHosts();
};

void TestHarvestText::lineReader_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("mixed ends") << "a\r\nb\nc\rd" << QStringList{"a", "b", "c", "d"};
    QTest::newRow("closing break") << "a\r\n" << QStringList{"a"};
    QTest::newRow("empty lines kept") << "a\r\n\r\n\nb" << QStringList{"a", "", "", "b"};
    QTest::newRow("empty text") << "" << QStringList{};
}

void TestHarvestText::lineReader() {
    QFETCH(QString, text);
    LineReader reader(text);
    QStringList read;
    while (!reader.atEnd())
        read << reader.next();
    QFETCH(QStringList, lines);
    QCOMPARE(read, lines);
}

void TestHarvestText::preparePage() {
    const QString page = QStringLiteral("<A HREF=www.one.net>x</a><a href=\"HTTPS://two.info/\">"
                                        "<FRAME src=x>lo<wbr>ng");
    QStringList lines;
    LineReader reader(HarvestText::preparePage(page, m_table, true));
    while (!reader.atEnd())
        lines << reader.next();
    // "=www." becomes a link, schemes and frame tags start lines, <wbr> is gone.
    QVERIFY(lines.contains(QStringLiteral("http://www.one.net>x</a><a href=\"")));
    QVERIFY(lines.contains(QStringLiteral("https://two.info/")));
    QVERIFY(lines.contains(QStringLiteral("<Frame src=x>long")));
    // The builder keeps <wbr>.
    QVERIFY(HarvestText::preparePage(page, m_table, false).contains(QStringLiteral("<wbr>")));
}

void TestHarvestText::linkTest_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("passes");
    QTest::newRow("http") << "http://www.example.com/" << true;
    QTest::newRow("https") << "https://www.example.com/" << true;
    QTest::newRow("scheme in capitals") << "HTTP://www.example.com/" << false;
    QTest::newRow("not at start") << " http://www.example.com/" << false;
    QTest::newRow("engine site") << "http://dir.EngineSite.example/x.com" << false;
    QTest::newRow("marketplace") << "http://marketplace.example/buy/x.com" << false;
    QTest::newRow("at sign") << "http://user@example.com/" << false;
    QTest::newRow("image host") << "http://us.yimg.com/i.gif" << false;
    QTest::newRow("disabled extension") << "http://example.org/" << false;
    QTest::newRow("only the proxy row") << "http://example.proxy/" << false;
}

void TestHarvestText::linkTest() {
    QFETCH(QString, line);
    QFETCH(bool, passes);
    QCOMPARE(passesLinkTest(line, m_hosts, m_table), passes);
}

void TestHarvestText::cuts_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("link");
    QTest::addColumn<QString>("cut");
    QTest::newRow("www and path") << "http://www.example.com/page" << true << "example.com";
    QTest::newRow("bare host") << "http://example.com/" << true << "example.com";
    QTest::newRow("https") << "https://www.example.net/a/b" << true << "example.net";
    QTest::newRow("space kept") << "http://www.example.com more" << true << "example.com ";
    QTest::newRow("bold removed once") << "http://<b>example</b>.com/" << true << "example<";
    QTest::newRow("three labels") << "http://a.b.example.net/" << true << "b.example.net";
    QTest::newRow("four-letter extension") << "http://example.info/" << true << "example.info";
    QTest::newRow("closing quote") << "http://example.com\"" << true << "example.com\"";
    QTest::newRow("trailing space, one dot") << "http://example.com more" << true << "example.com ";
    QTest::newRow("plain scheme tail") << "ttp://www.example.com/x" << false << "example.com";
    QTest::newRow("plain https tail") << "ttps://mail.example.com" << false << "example.com";
}

void TestHarvestText::cuts() {
    QFETCH(QString, line);
    QFETCH(bool, link);
    QFETCH(QString, cut);
    QCOMPARE(link ? cutLink(line, true) : cutPlain(line), cut);
}

void TestHarvestText::backwardScan_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("piece");
    QTest::newRow("words around") << "visit example.com "
                                  << "example.com";
    QTest::newRow("line start") << "example.com "
                                << "example.com";
    QTest::newRow("short line") << "a.com"
                                << "a.com";
    QTest::newRow("e-mail") << "write to info@example.com "
                            << "info@example.com";
    QTest::newRow("attribute") << "<a title=shop.info>"
                               << "shop.info";
    QTest::newRow("quote") << "say \"hello.net"
                           << "hello.net";
    QTest::newRow("scheme") << "see:http://user@example.com"
                            << "ttp://user@example.com";
    QTest::newRow("table order, not text order") << "a.net b.com "
                                                 << "b.com";
    QTest::newRow("no extension") << "nothing here"
                                  << "";
}

void TestHarvestText::backwardScan() {
    QFETCH(QString, line);
    QFETCH(QString, piece);
    QCOMPARE(HarvestText::backwardScan(line, m_table), piece);
}

void TestHarvestText::seenNames() {
    SeenNames seen;
    QVERIFY(!seen.contains(QString())); // nothing is found in an empty list
    seen.add(QStringLiteral("Example.com"));
    QVERIFY(seen.contains(QStringLiteral("example.com")));
    QVERIFY(seen.contains(QStringLiteral("AMPLE.COM")));
    QVERIFY(seen.contains(QString())); // an empty name counts as seen once the list has one
    QVERIFY(!seen.contains(QStringLiteral("example.net")));
    seen.add(QStringLiteral("other.net"));
    QVERIFY(seen.contains(QStringLiteral("Xa")));           // too short for the index
    QVERIFY(seen.contains(QStringLiteral("com\r\nother"))); // a decoded break spans names
    QVERIFY(!seen.contains(QStringLiteral("com.other")));
    QCOMPARE(seen.text(), QStringLiteral("Example.com\r\nother.net\r\n"));
    seen.clear();
    QVERIFY(!seen.contains(QStringLiteral("example.com")));
}

void TestHarvestText::acceptance_data() {
    QTest::addColumn<QString>("candidate");
    QTest::addColumn<bool>("link");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("new") << "other.com" << true << true;
    QTest::newRow("substring of seen") << "ample.com" << true << false;
    QTest::newRow("seen, other case") << "EXAMPLE.COM" << false << false;
    QTest::newRow("seen, padded") << " example.com " << false << false;
    QTest::newRow("empty once something is seen") << "" << true << false;
    QTest::newRow("markup") << "ex<ample.com" << true << false;
    QTest::newRow("scheme remnant") << "ttp:.com" << true << false;
    QTest::newRow("mailto") << "MailTo:x.com" << false << false;
    QTest::newRow("targetblank in a link") << "xtargetblank.com" << true << false;
    QTest::newRow("targetblank in plain text") << "xtargetblank.com" << false << true;
}

void TestHarvestText::acceptance() {
    SeenNames seen;
    seen.add(QStringLiteral("example.com"));
    QFETCH(QString, candidate);
    QFETCH(bool, link);
    QFETCH(bool, accepted);
    QCOMPARE(acceptable(candidate, seen, link), accepted);
}

QTEST_GUILESS_MAIN(TestHarvestText)
#include "tst_harvesttext.moc"
