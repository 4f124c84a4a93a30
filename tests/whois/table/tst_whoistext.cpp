#include "whois/pagetext.h"
#include "whois/registrartable.h"
#include "whois/replyclassifier.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

RegistrarTable defaultTable() {
    static RegistrarTable table = [] {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("registrars.txt"));
        RegistrarTable t(path);
        (void)t.ensureRegistrarFile(false);
        (void)t.loadRegistrars();
        return t;
    }();
    return table;
}

RegistrarTable tableOf(const QList<RegistrarEntry> &rows) {
    RegistrarTable table;
    table.setRows(rows);
    return table;
}

const QString Crlf = QStringLiteral("\r\n");

} // namespace

class TestWhoisText : public QObject {
    Q_OBJECT

private slots:
    void testBreakAtExtensions_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("space") << "see example.com now"
                               << "see example.com " + Crlf + "now";
        QTest::newRow("slash") << "http://a.net/x"
                               << "http://a.net/" + Crlf + "x";
        QTest::newRow("apostrophe colon question")
            << "'a.info' a.biz:80 a.name?q"
            << "'a.info'" + Crlf + " a.biz:" + Crlf + "80 a.name?" + Crlf + "q";
        // The quote rule, then the ".com" quote rule once for each of the five enabled rows.
        QTest::newRow("quoted com") << "href=\"a.com\">"
                                    << "href=\"a.com\"" + Crlf.repeated(6) + ">";
        QTest::newRow("quoted net") << "\"a.net\""
                                    << "\"a.net\"" + Crlf;
        QTest::newRow("every occurrence") << "a.com b.com c.com"
                                          << "a.com " + Crlf + "b.com " + Crlf + "c.com";
        QTest::newRow("word ending in an extension") << "sitcom here"
                                                     << "sitcom " + Crlf + "here";
        QTest::newRow("upper case untouched") << "A.COM NOW"
                                              << "A.COM NOW";
        QTest::newRow("disabled row untouched") << "a.org now a.edu/"
                                                << "a.org now a.edu/";
        QTest::newRow("proxy row untouched") << "use proxy now"
                                             << "use proxy now";
        QTest::newRow("end of text") << "a.com"
                                     << "a.com";
        QTest::newRow("other followers") << "a.com, a.com."
                                         << "a.com, a.com.";
    }

    void testBreakAtExtensions() {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(breakAtExtensions(text, defaultTable()), expected);
    }

    void helpersFollowTheTable() {
        // Order matters for EndOfExtension: the earlier row wins, wherever it sits in the text.
        const RegistrarTable netFirst = tableOf({{"proxy", "127.0.0.1", 43, true},
                                                 {"net", "n", 43, true},
                                                 {"com", "c", 43, true},
                                                 {"org", "o", 43, false}});
        const QString text = QStringLiteral("x.com y.net");
        QCOMPARE(endOfExtension(text, netFirst), 12);
        QCOMPARE(endOfExtension(text, defaultTable()), 6);
        QCOMPARE(breakAtExtensions(QStringLiteral("a.org b.ORG"), netFirst),
                 QStringLiteral("a.org b.ORG"));
        QVERIFY(!hasEnabledExtension(QStringLiteral("a.proxy"), netFirst));

        const RegistrarTable empty;
        QCOMPARE(breakAtExtensions(QStringLiteral("a.com \"x.com\""), empty),
                 QStringLiteral("a.com \"x.com\""));
        QVERIFY(!hasEnabledExtension(QStringLiteral("a.com"), empty));
        QCOMPARE(endOfExtension(QStringLiteral("a.com"), empty), 0);

        // Enabling a row makes it count at once.
        const RegistrarTable orgOn = tableOf({{"org", "o", 43, true}});
        QVERIFY(hasEnabledExtension(QStringLiteral("a.org"), orgOn));
        QCOMPARE(breakAtExtensions(QStringLiteral("a.org/"), orgOn), "a.org/" + Crlf);
    }

    void testHasEnabledExtension_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("expected");
        QTest::newRow("disabled org") << "visit example.org today" << false;
        QTest::newRow("info") << "example.info" << true;
        QTest::newRow("case ignored") << "EXAMPLE.NET" << true;
        QTest::newRow("label beginning with extension") << "a.community.org" << true;
        QTest::newRow("inside a path") << "x.org/page.biz.html" << true;
        QTest::newRow("no dot") << "company" << false;
        QTest::newRow("proxy row") << "a.proxy" << false;
        QTest::newRow("empty") << "" << false;
    }

    void testHasEnabledExtension() {
        QFETCH(QString, text);
        QFETCH(bool, expected);
        QCOMPARE(hasEnabledExtension(text, defaultTable()), expected);
    }

    void testEndOfExtension_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("expected");
        QTest::newRow("ends with com") << "example.com" << 12;
        QTest::newRow("followed by path") << "a.com/x" << 6;
        QTest::newRow("com row before net row") << "a.net b.com" << 12;
        QTest::newRow("first occurrence") << "a.com b.com" << 6;
        QTest::newRow("case ignored") << "A.NAME x" << 7;
        QTest::newRow("label beginning with extension") << "a.community" << 6;
        QTest::newRow("disabled only") << "a.org" << 0;
        QTest::newRow("none") << "nothing here" << 0;
    }

    void testEndOfExtension() {
        QFETCH(QString, text);
        QFETCH(int, expected);
        QCOMPARE(endOfExtension(text, defaultTable()), expected);
    }

    void testRegistrableDomain_data() {
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("expected");
        QTest::newRow("no dot") << "localhost"
                                << "localhost";
        QTest::newRow("two labels") << "example.net"
                                    << "example.net";
        QTest::newRow("two labels any case") << "EXAMPLE.XYZ"
                                             << "EXAMPLE.XYZ";
        QTest::newRow("three under com") << "www.example.com"
                                         << "example.com";
        QTest::newRow("three under org") << "www.example.org"
                                         << "example.org";
        QTest::newRow("deep under info") << "a.b.c.example.info"
                                         << "example.info";
        QTest::newRow("aero") << "x.y.aero"
                              << "y.aero";
        QTest::newRow("three under us") << "www.example.us"
                                        << "example.us";
        QTest::newRow("four under co.uk") << "www.shop.co.uk"
                                          << "shop.co.uk";
        QTest::newRow("three under co.uk") << "shop.co.uk"
                                           << "shop.co.uk";
        QTest::newRow("co beats us") << "a.b.co.us"
                                     << "b.co.us";
        QTest::newRow("three under net") << "www.example.net"
                                         << "";
        QTest::newRow("com in capitals") << "WWW.EXAMPLE.COM"
                                         << "";
        QTest::newRow("other extension") << "www.example.de"
                                         << "";
        QTest::newRow("empty labels") << "..com"
                                      << ".com";
    }

    void testRegistrableDomain() {
        QFETCH(QString, host);
        QFETCH(QString, expected);
        QCOMPARE(registrableDomain(host), expected);
    }

    void phrases_data() {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<bool>("free");
        QTest::addColumn<bool>("harvesterFree");
        QTest::newRow("no match for") << "No match for \"A.COM\"." << true << true;
        QTest::newRow("capitals") << "NO MATCH FOR A.COM" << true << true;
        QTest::newRow("no match alone") << "%% No match" << true << false;
        QTest::newRow("not registered") << "Domain is Not Registered" << true << false;
        QTest::newRow("not found in a footer")
            << "Domain: a.de\nStatus: connect\n\nPage not found" << true << false;
        QTest::newRow("available") << "Available for registration" << true << false;
        QTest::newRow("no records") << "No Domain Records were found" << true << false;
        QTest::newRow("taken") << "Domain Name: A.COM\r\nRegistrar: X" << false << false;
        QTest::newRow("empty") << "" << false << false;
        QTest::newRow("split phrase") << "No\r\nmatch" << false << false;
    }

    void phrases() {
        QFETCH(QString, reply);
        QFETCH(bool, free);
        QFETCH(bool, harvesterFree);
        QCOMPARE(ReplyClassifier::isFree(reply), free);
        QCOMPARE(ReplyClassifier::isFreeForHarvester(reply), harvesterFree);
    }

    // Every collected registry reply, against what its index says either rule concludes.
    void realReplies_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("free");
        QTest::addColumn<bool>("harvesterFree");
        QFile index(qEnvironmentVariable("KESTRIN_SOURCE_DIR") +
                    QStringLiteral("/tests/data/whois-replies/INDEX.md"));
        if (!index.open(QIODevice::ReadOnly))
            QSKIP("The reply samples are not available");
        int rows = 0;
        while (!index.atEnd()) {
            const QString line = QString::fromUtf8(index.readLine());
            const QStringList cells = line.split(QStringLiteral(" | "));
            if (!line.startsWith(QLatin1String("| ")) || cells.size() < 9 ||
                !cells.at(0).endsWith(QLatin1String(".txt")))
                continue;
            const QString file = cells.at(0).mid(2);
            QTest::newRow(qPrintable(file)) << file << (cells.at(5) == QLatin1String("free"))
                                            << (cells.at(7) == QLatin1String("yes"));
            ++rows;
        }
        QVERIFY(rows > 250);
    }

    void realReplies() {
        QFETCH(QString, file);
        QFETCH(bool, free);
        QFETCH(bool, harvesterFree);
        QFile sample(qEnvironmentVariable("KESTRIN_SOURCE_DIR") +
                     QStringLiteral("/tests/data/whois-replies/") + file);
        QVERIFY(sample.open(QIODevice::ReadOnly));
        const QString reply = ReplyClassifier::replyText(sample.readAll());
        QCOMPARE(ReplyClassifier::isFree(reply), free);
        QCOMPARE(ReplyClassifier::isFreeForHarvester(reply), harvesterFree);
    }

    void request_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("plain") << "example.com" << QByteArray("example.com\r\n");
        QTest::newRow("decoded CR LF") << "a.com\r\nb.com" << QByteArray("a.comb.com\r\n");
        QTest::newRow("lone LF") << "a.com\nhelp" << QByteArray("a.comhelp\r\n");
        QTest::newRow("tab, NUL and escape")
            << QString::fromLatin1("a\t.c\x1bo\0m", 8) << QByteArray("a.com\r\n");
        QTest::newRow("space kept") << "a b" << QByteArray("a b\r\n");
        QTest::newRow("empty") << "" << QByteArray("\r\n");
        // Letters outside ASCII go out in punycode, never as "?".
        QTest::newRow("8-bit") << QString::fromLatin1("caf\xe9.com")
                               << QByteArray("xn--caf-dma.com\r\n");
        QTest::newRow("IDN") << QString::fromUtf8("b\xc3\xbc" "cher.de")
                             << QByteArray("xn--bcher-kva.de\r\n");
        QTest::newRow("IDN, Cyrillic")
            << QString::fromUtf8("\xd0\xbf\xd1\x80\xd0\xb8\xd0\xbc\xd0\xb5\xd1\x80.com")
            << QByteArray("xn--e1afmkfd.com\r\n");
        QTest::newRow("no ASCII form") << QString(70, QChar(0xe9)) + ".com" << QByteArray();
    }

    void request() {
        QFETCH(QString, name);
        QFETCH(QByteArray, expected);
        QCOMPARE(ReplyClassifier::request(name), expected);
    }

    void replyTextKeepsEveryByte() {
        QByteArray bytes;
        for (int b = 0; b < 256; ++b)
            bytes.append(char(b));
        const QString text = ReplyClassifier::replyText(bytes);
        QCOMPARE(text.size(), 256);
        QCOMPARE(text.toLatin1(), bytes);
    }
};

QTEST_GUILESS_MAIN(TestWhoisText)
#include "tst_whoistext.moc"
