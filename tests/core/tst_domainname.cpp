#include "core/domainname.h"

#include <QSet>
#include <QtTest>

// What may be asked of a registry, one rule per row.
class TestDomainName : public QObject {
    Q_OBJECT
private slots:
    void parse_data();
    void parse();
    void sameName();
};

void TestDomainName::parse_data() {
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("ascii");   // "" when refused
    QTest::addColumn<QString>("unicode"); // or, when refused, a part of the reason
    const QString label63(63, QLatin1Char('a'));
    const QString long4 = label63 + "." + label63 + "." + label63 + "." + QString(61, 'b');
    QTest::newRow("plain") << "example.com"
                           << "example.com"
                           << "example.com";
    QTest::newRow("case, blanks, trailing dot") << "  Example.COM. "
                                                << "example.com"
                                                << "example.com";
    QTest::newRow("url to host") << "http://example.com"
                                 << "example.com"
                                 << "example.com";
    QTest::newRow("url with user, port, path") << "https://me@Example.com:8443/a/b?q#f"
                                               << "example.com"
                                               << "example.com";
    QTest::newRow("port without scheme") << "x.com:8080"
                                         << "x.com"
                                         << "x.com";
    QTest::newRow("path without scheme") << "x.com/about"
                                         << "x.com"
                                         << "x.com";
    QTest::newRow("multi-label suffix") << "a.co.uk"
                                        << "a.co.uk"
                                        << "a.co.uk";
    QTest::newRow("non-transitional sharp s")
        << QString::fromUtf8("fa\xc3\x9f.com") << "xn--fa-hia.com"
        << QString::fromUtf8("fa\xc3\x9f.com");
    QTest::newRow("look-alike keeps its own form")
        << QString::fromUtf8("p\xd0\xb0ypal.com") << "xn--pypal-4ve.com"
        << QString::fromUtf8("p\xd0\xb0ypal.com");
    QTest::newRow("valid A-label") << "XN--BCHER-KVA.de"
                                   << "xn--bcher-kva.de"
                                   << QString::fromUtf8("b\xc3\xbc"
                                                        "cher.de");
    QTest::newRow("63-character label") << label63 + ".com" << label63 + ".com" << label63 + ".com";
    QTest::newRow("253 characters") << long4 + ".com"
                                    << ""
                                    << "longer than 253";
    QTest::newRow("underscore") << "kestrin_x.com"
                                << ""
                                << "\"_\" is not a letter";
    QTest::newRow("space") << "a.b c"
                           << ""
                           << "a space";
    QTest::newRow("empty label") << "foo..com"
                                 << ""
                                 << "empty label";
    QTest::newRow("leading dot") << ".com"
                                 << ""
                                 << "empty label";
    QTest::newRow("64-character label") << QString(64, 'a') + ".com"
                                        << ""
                                        << "longer than 63";
    QTest::newRow("leading hyphen") << "-a.com"
                                    << ""
                                    << "hyphen";
    QTest::newRow("trailing hyphen") << "a-.com"
                                     << ""
                                     << "hyphen";
    QTest::newRow("reserved hyphens") << "ab--cd.com"
                                      << ""
                                      << "third and fourth";
    QTest::newRow("invalid A-label") << "xn--zz.com"
                                     << ""
                                     << "invalid xn-- label";
    QTest::newRow("A-label of plain ASCII") << "xn--abc-.com"
                                            << ""
                                            << "hyphen";
    QTest::newRow("undelegated extension") << "example.zzz"
                                           << ""
                                           << ".zzz is not a delegated";
    QTest::newRow("numeric address") << "1.2.3.4"
                                     << ""
                                     << ".4 is not a delegated";
    QTest::newRow("no extension") << "example"
                                  << ""
                                  << "no extension";
    QTest::newRow("empty") << "   "
                           << ""
                           << "empty name";
    QTest::newRow("huge line") << QString(5000, 'a') << ""
                               << "longer than any";
    QTest::newRow("control character") << "a\x1b.com"
                                       << ""
                                       << "control character";
}

void TestDomainName::parse() {
    QFETCH(QString, input);
    QFETCH(QString, ascii);
    QFETCH(QString, unicode);
    static const QSet<QString> delegated = {"com", "de", "uk"};
    const DomainName name =
        DomainName::parse(input, [](const QString &ext) { return delegated.contains(ext); });
    QCOMPARE(name.ascii(), ascii);
    if (ascii.isEmpty()) {
        QVERIFY(!name.isValid());
        QVERIFY2(name.refusal().startsWith("not a domain name: ") &&
                     name.refusal().contains(unicode),
                 qPrintable(name.refusal()));
    } else {
        QVERIFY2(name.isValid(), qPrintable(name.problem()));
        QCOMPARE(name.unicode(), unicode);
    }
}

void TestDomainName::sameName() {
    QVERIFY(DomainName::sameName("GOOGLE.COM", "google.com"));
    QVERIFY(DomainName::sameName("bitcoin.top.", "bitcoin.top"));
    QVERIFY(DomainName::sameName("xn--fa-hia.com", QString::fromUtf8("fa\xc3\x9f.com")));
    QVERIFY(!DomainName::sameName("fass.com", QString::fromUtf8("fa\xc3\x9f.com")));
    QVERIFY(!DomainName::sameName("other.com", "google.com"));
    QVERIFY(!DomainName::sameName("", ""));
}

QTEST_GUILESS_MAIN(TestDomainName)
#include "tst_domainname.moc"
