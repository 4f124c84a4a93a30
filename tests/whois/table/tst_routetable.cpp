#include "whois/registrartable.h"
#include "whois/routetable.h"

#include <QFile>
#include <QTest>

namespace {

QString sourceFile(const QString &name) {
    QFile file(qEnvironmentVariable("KESTRIN_SOURCE_DIR") + QStringLiteral("/data/") + name);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace

class TestRouteTable : public QObject {
    Q_OBJECT

private slots:
    // One row per delegated extension, read straight from the shipped source file.
    void everyExtensionGetsItsOwnRoute_data() {
        QTest::addColumn<QString>("ext");
        QTest::addColumn<QString>("whois");
        QTest::addColumn<QString>("rdap");
        QTest::addColumn<QString>("source");
        const QStringList lines = sourceFile(QStringLiteral("tld-routes.tsv")).split('\n');
        QVERIFY(lines.size() > 1400);
        for (const QString &line : lines) {
            if (line.startsWith('#') || line.trimmed().isEmpty())
                continue;
            const QStringList f = line.split('\t');
            QTest::newRow(qPrintable(f.at(0)))
                << f.at(0) << f.at(2) << RouteTable::normalBase(f.at(3)) << f.at(4).trimmed();
        }
    }

    void everyExtensionGetsItsOwnRoute() {
        QFETCH(QString, ext);
        QFETCH(QString, whois);
        QFETCH(QString, rdap);
        QFETCH(QString, source);
        const RouteTable &routes = RouteTable::shipped();
        QVERIFY(routes.isDelegated(ext));
        const Route route = routes.route(ext);
        if (source == "IANA") {
            QCOMPARE(int(route.kind), int(Route::Kind::Rdap));
            QCOMPARE(route.server, rdap);
            QVERIFY(route.knownRdapBase);
        } else if (source == "supplemental") {
            // The registry's own service or its WHOIS host, as the choices file says.
            QVERIFY(route.server == rdap || route.server == whois);
            QCOMPARE(route.knownRdapBase, route.server == rdap);
        } else if (!whois.isEmpty()) {
            QCOMPARE(int(route.kind), int(Route::Kind::Whois));
            QCOMPARE(route.server, whois);
            QCOMPARE(route.port, quint16(43));
        } else {
            QVERIFY(!route.exists());
            QCOMPARE(route.reason, "no public registry service for ." + ext);
        }
        if (!rdap.isEmpty())
            QVERIFY(routes.isKnownRdapBase(ext, rdap.chopped(1)));

        // Through the default table: a name and a multi-label name reach this row or nobody.
        static const RegistrarTable table = [] {
            RegistrarTable t;
            t.setRows({{"proxy", "127.0.0.1", 43, true}});
            return t;
        }();
        for (const QString &name : {"a." + ext, "a.co." + ext}) {
            const Route found = table.route(name, false);
            QCOMPARE(found.server, route.server);
            QCOMPARE(found.reason, route.reason);
            QCOMPARE(found.knownRdapBase, route.knownRdapBase);
        }
    }

    void undelegatedAndTypedBases() {
        const RouteTable &routes = RouteTable::shipped();
        QVERIFY(!routes.isDelegated("invalid"));
        QVERIFY(!routes.isDelegated("yu"));
        QVERIFY(routes.isDelegated("CO.UK"));
        QCOMPARE(routes.route("invalid").reason,
                 QString("no public registry service for .invalid"));
        QVERIFY(!routes.isKnownRdapBase("com", "https://rdap.example.test/"));
        QVERIFY(!routes.isKnownRdapBase("io", routes.route("com").server)); // another's base
        RegistrarTable table;
        table.setRows({{"io", "https://typed.example.test/rdap", 443, true}});
        const Route typed = table.route("a.io", false);
        QVERIFY(typed.isRdap());
        QVERIFY(!typed.knownRdapBase);
    }

    void badDataNamesItsLine_data() {
        QTest::addColumn<QString>("routes");
        QTest::addColumn<QString>("choices");
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("line");
        const QString head = "# header\n";
        QTest::newRow("short line") << head + "com\tgtld\n"
                                    << ""
                                    << "tld-routes.tsv" << 2;
        QTest::newRow("bad base") << head + "com\tgtld\th\tftp://x\tIANA\n"
                                  << ""
                                  << "tld-routes.tsv" << 2;
        QTest::newRow("duplicate") << "a\tg\th\t\t\na\tg\th\t\t\n"
                                   << ""
                                   << "tld-routes.tsv" << 2;
        QTest::newRow("registry service without a choice")
            << "io\tcc\th\thttps://r/\tsupplemental\n"
            << ""
            << "tld-routes.tsv" << 1;
        QTest::newRow("bad route word") << "io\tcc\th\thttps://r/\tsupplemental\n"
                                        << "# c\nio\tmaybe\twhy\n"
                                        << "route-choices.tsv" << 2;
        QTest::newRow("no reason") << "io\tcc\th\t\t\n"
                                   << "io\twhois\n"
                                   << "route-choices.tsv" << 1;
        QTest::newRow("whois chosen, none listed") << "io\tcc\t\thttps://r/\tsupplemental\n"
                                                   << "io\twhois\twhy\n"
                                                   << "route-choices.tsv" << 1;
        QTest::newRow("choice for an unknown extension") << "io\tcc\th\t\t\n"
                                                         << "\nxx\twhois\twhy\n"
                                                         << "route-choices.tsv" << 2;
    }

    void badDataNamesItsLine() {
        QFETCH(QString, routes);
        QFETCH(QString, choices);
        QFETCH(QString, file);
        QFETCH(int, line);
        const Result<RouteTable> parsed = RouteTable::parse(routes, choices);
        QVERIFY(parsed.failed());
        QCOMPARE(parsed.error().target, file);
        QCOMPARE(parsed.error().line, line);
    }
};

QTEST_GUILESS_MAIN(TestRouteTable)
#include "tst_routetable.moc"
