#include "whois/registrartable.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

// The default rows in file order, as the program has always shipped them.
const QStringList DefaultExtensions =
    QStringLiteral("proxy com net edu org info biz aero name coop tc cn hk tw au ca ck cn kz za id "
                   "us kr se ac jp "
                   "as br cc ch fr gov hm li lk mil mm mx sg nu sh tj tm uk no nz pk al at az be "
                   "bg by cy cz de "
                   "dk dz ee eg es ga ge gl gr hu ie il is it lt lv ma md mk mt nl no pl pt ro si "
                   "sk sm su tn tr "
                   "us va yu ru to")
        .split(QLatin1Char(' '));

// The rows that came from the file, without the shipped routes added behind them.
QStringList extensionsOf(const RegistrarTable &table) {
    QStringList out;
    for (qsizetype i = 0; i < table.ownRowCount(); ++i)
        out << table.rows().at(i).extension;
    return out;
}

// findRegistrar's answer is a shipped row of the name's own extension, behind the file's rows.
constexpr int Shipped = -2;

} // namespace

class TestRegistrarTable : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_path;

    void writeFile(const QByteArray &content) {
        QFile f(m_path);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(content);
    }
    QByteArray readFile() const {
        QFile f(m_path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    RegistrarTable defaultTable() {
        RegistrarTable table(m_path);
        writeFile(RegistrarTable::defaultFileContent());
        (void)table.loadRegistrars();
        return table;
    }

private slots:
    void init() {
        QVERIFY(m_dir.isValid());
        m_path = m_dir.filePath(QStringLiteral("registrars.txt"));
        QFile::remove(m_path);
    }

    void defaultFileHasTheShippedRows() {
        RegistrarTable table(m_path);
        QVERIFY(table.ensureRegistrarFile(false).ok());
        const QByteArray bytes = readFile();
        QCOMPARE(bytes, RegistrarTable::defaultFileContent());
        QVERIFY(bytes.endsWith("|43|Disabled\r\n\r\n"));
        const int rowCount = int(bytes.count("\r\n")) - 1;
        QCOMPARE(bytes.count('\n'), rowCount + 1);

        // Every host comes from the host table, row for row.
        QFile tsv(qEnvironmentVariable("KESTRIN_SOURCE_DIR") +
                  QStringLiteral("/data/whois-hosts.tsv"));
        QVERIFY(tsv.open(QIODevice::ReadOnly | QIODevice::Text));
        QStringList hosts;
        while (!tsv.atEnd()) {
            const QString line = QString::fromUtf8(tsv.readLine()).trimmed();
            if (!line.startsWith(QLatin1Char('#')) && !line.isEmpty())
                hosts << line.split(QLatin1Char('\t')).at(2);
        }
        QCOMPARE(hosts.size(), 92);

        const QList<QByteArray> lines = bytes.split('\n');
        const QStringList enabled = {"proxy", "com", "net", "info", "biz", "name"};
        // The classic rows first, in their order, each with its registry's route today; then
        // every other delegated extension, disabled.
        QStringList extensions;
        for (int i = 0; i < rowCount; ++i) {
            const QStringList fields = QString::fromLatin1(lines.at(i)).chopped(1).split('|');
            QCOMPARE(fields.size(), 4);
            extensions << fields.at(0);
            if (i >= 92) {
                QCOMPARE(fields.at(3), QStringLiteral("Disabled"));
                continue;
            }
            QCOMPARE(fields.at(0), DefaultExtensions.at(i));
            QCOMPARE(fields.at(3) == "Enabled", enabled.contains(DefaultExtensions.at(i)));
            if (i == 0)
                continue;
            const Route route = RouteTable::shipped().route(fields.at(0));
            QCOMPARE(fields.at(1), route.server);
            if (route.kind == Route::Kind::Whois)
                QCOMPARE(fields.at(1), hosts.at(i)); // the host table still names it
        }
        for (const QString &ext : RouteTable::shipped().extensions())
            QVERIFY2(extensions.contains(ext), qPrintable(ext));

        QVERIFY(table.loadRegistrars().ok());
        QCOMPARE(extensionsOf(table), extensions);
        QCOMPARE(table.rows().size(), rowCount); // nothing to add behind a complete table
        QCOMPARE(table.rows().at(0).server, QStringLiteral("127.0.0.1"));
        QCOMPARE(table.rows().at(1).server, QStringLiteral("https://rdap.verisign.com/com/v1/"));
        for (const RegistrarEntry &row : table.rows())
            QCOMPARE(row.port, quint16(row.isRdap() ? 443 : 43));
    }

    void ensureKeepsAnExistingFileUnlessRestoring() {
        RegistrarTable table(m_path);
        writeFile("xyz|a|43|Enabled\r\n");
        QVERIFY(table.ensureRegistrarFile(false).ok());
        QCOMPARE(readFile(), QByteArray("xyz|a|43|Enabled\r\n"));
        QVERIFY(table.ensureRegistrarFile(true).ok());
        QCOMPARE(readFile(), RegistrarTable::defaultFileContent());

        // Restore after the file was deleted from the settings window.
        QVERIFY(QFile::remove(m_path));
        QVERIFY(table.ensureRegistrarFile(true).ok());
        QCOMPARE(readFile(), RegistrarTable::defaultFileContent());
    }

    void ensureReportsAFileThatCannotBeWritten() {
        RegistrarTable table(m_dir.filePath(QStringLiteral("missing/registrars.txt")));
        const Result<> ensured = table.ensureRegistrarFile(false);
        QVERIFY(ensured.failed());
        QCOMPARE(ensured.error().operation, QStringLiteral("write"));
        QVERIFY(ensured.error().target.endsWith(QStringLiteral("missing/registrars.txt")));
    }

    void load_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("extensions");
        QTest::addColumn<int>("errorLine");

        QTest::newRow("blank and one-space lines skipped")
            << QByteArray("\r\n \r\ncom|a|43|Enabled\r\n \r\n\r\nnet|b|43|Enabled\r\n\r\n")
            << QStringList{"com", "net"} << 0;
        QTest::newRow("LF line ends")
            << QByteArray("com|a|43|Enabled\n\nnet|b|43|Enabled") << QStringList{"com", "net"} << 0;
        QTest::newRow("two spaces is a bad row")
            << QByteArray("com|a|43|Enabled\r\n  \r\nnet|b|43|Enabled\r\n")
            << QStringList{"com", "", "net"} << 2;
        QTest::newRow("three fields in the middle")
            << QByteArray("com|a|43|Enabled\r\n\r\nbiz|b|43\r\nnet|b|43|Enabled\r\n")
            << QStringList{"com", "", "net"} << 3;
        QTest::newRow("port not a number")
            << QByteArray("com|a|x43|Enabled\r\nnet|b|43|Enabled\r\n") << QStringList{"", "net"}
            << 1;
        QTest::newRow("port above 16 bits")
            << QByteArray("com|a|65536|Enabled\r\nnet|b|43|Enabled\r\n") << QStringList{"", "net"}
            << 1;
        QTest::newRow("negative port") << QByteArray("com|a|-1|Enabled\r\nnet|b|43|Enabled\r\n")
                                       << QStringList{"", "net"} << 1;
        QTest::newRow("port with a fraction")
            << QByteArray("com|a|43.5|Enabled\r\n") << QStringList{""} << 1;
        QTest::newRow("empty port") << QByteArray("com|a||Enabled\r\n") << QStringList{""} << 1;
        // Port 0 connects nowhere; as a com row it would send every .com name to row 0.
        QTest::newRow("port zero")
            << QByteArray("net|b|43|Enabled\r\ncom|a|0|Enabled\r\n") << QStringList{"net", ""} << 2;
        QTest::newRow("first bad row is reported")
            << QByteArray("a|b\r\ncom|a|43|Enabled\r\nc|d\r\n") << QStringList{"", "com", ""} << 1;
        QTest::newRow("fields after the fourth ignored")
            << QByteArray("com|a|43|Enabled|x|y\r\n") << QStringList{"com"} << 0;
        QTest::newRow("leading dot kept")
            << QByteArray(".xyz|a|43|Enabled\r\n") << QStringList{".xyz"} << 0;
    }

    void load() {
        QFETCH(QByteArray, content);
        QFETCH(QStringList, extensions);
        QFETCH(int, errorLine);
        writeFile(content);
        RegistrarTable table(m_path);
        const Result<> loaded = table.loadRegistrars();
        QCOMPARE(extensionsOf(table), extensions);
        QCOMPARE(loaded.failed(), errorLine != 0);
        if (loaded.failed()) {
            QCOMPARE(loaded.error().line, errorLine);
            QVERIFY(loaded.error().text().startsWith(
                QStringLiteral("registrars.txt, line %1: ").arg(errorLine)));
        }
        // A bad row is an empty, disabled row.
        for (const RegistrarEntry &row : table.rows()) {
            if (row.extension.isEmpty()) {
                QVERIFY(row.server.isEmpty());
                QCOMPARE(row.port, quint16(0));
                QVERIFY(!row.enabled);
            }
        }
    }

    void loadLowersAndReadsStatusExactly() {
        writeFile(
            "COM|WHOIS.Example.NET|4343|Enabled\r\nnet|b|65535|enabled\r\nbiz|c|43|Disabled\r\n");
        RegistrarTable table(m_path);
        QVERIFY(table.loadRegistrars().ok());
        const RegistrarEntry com = table.rows().at(0);
        QCOMPARE(com.extension, QStringLiteral("com"));
        QCOMPARE(com.server, QStringLiteral("whois.example.net"));
        QCOMPARE(com.port, quint16(4343));
        QVERIFY(com.enabled);
        QCOMPARE(table.rows().at(1).port, quint16(65535));
        QVERIFY(!table.rows().at(1).enabled);
        QVERIFY(!table.rows().at(2).enabled);
        // The file keeps what was written.
        QVERIFY(readFile().startsWith("COM|WHOIS.Example.NET"));
    }

    void loadWithoutRowsKeepsTheOldTable_data() {
        QTest::addColumn<bool>("exists");
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("empty file") << true << QByteArray();
        QTest::newRow("only blank lines") << true << QByteArray("\r\n \r\n\n");
        QTest::newRow("missing file") << false << QByteArray();
    }

    void loadWithoutRowsKeepsTheOldTable() {
        QFETCH(bool, exists);
        QFETCH(QByteArray, content);
        RegistrarTable table = defaultTable();
        if (exists)
            writeFile(content);
        else
            QVERIFY(QFile::remove(m_path));
        const Result<> loaded = table.loadRegistrars();
        QCOMPARE(loaded.failed(), !exists);
        QCOMPARE(extensionsOf(table).mid(0, 92), DefaultExtensions);
    }

    void findInDefaultTable_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("proxy");
        QTest::addColumn<int>("index");
        QTest::newRow("com") << "example.com" << false << 1;
        QTest::newRow("upper case") << "EXAMPLE.COM" << false << 1;
        QTest::newRow("co.uk uses the uk row") << "example.co.uk" << false << 43;
        QTest::newRow("disabled row still used") << "example.org" << false << 4;
        QTest::newRow("undelegated extension") << "example.invalid" << false << -1;
        QTest::newRow("no dot") << "example" << false << -1;
        QTest::newRow("trailing dot") << "example.com." << false << 1;
        QTest::newRow("first cn") << "a.cn" << false << 11;
        QTest::newRow("first no") << "a.no" << false << 44;
        QTest::newRow("first us") << "a.us" << false << 21;
        QTest::newRow("last row") << "a.to" << false << 91;
        QTest::newRow("proxy for com") << "example.com" << true << 0;
        QTest::newRow("proxy for anything") << "a.xyz" << true << 0;
        QTest::newRow("no public service") << "a.al" << false << -1;
    }

    void findInDefaultTable() {
        QFETCH(QString, name);
        QFETCH(bool, proxy);
        QFETCH(int, index);
        const RegistrarTable table = defaultTable();
        QCOMPARE(table.findRegistrar(name, proxy), index);
    }

    void findInOtherTables_data() {
        QTest::addColumn<QStringList>("extensions");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("proxy");
        QTest::addColumn<int>("index");
        QTest::newRow("no row: its own shipped route, never com")
            << QStringList{"net", "com", "org", "com", "biz"} << "a.io" << false << Shipped;
        QTest::newRow("no com row") << QStringList{"net", "org"} << "a.xyz" << false << Shipped;
        QTest::newRow("proxy without proxy row")
            << QStringList{"com", "net", "com"} << "a.net" << true << -1;
        QTest::newRow("first proxy row")
            << QStringList{"com", "proxy", "proxy"} << "a" << true << 1;
        QTest::newRow("leading dot never matches")
            << QStringList{".xyz", "com"} << "a.xyz" << false << Shipped;
        QTest::newRow("empty table") << QStringList{} << "a.com" << false << Shipped;
        QTest::newRow("own co.uk row first")
            << QStringList{"uk", "co.uk"} << "a.b.co.uk" << false << 1;
        QTest::newRow("co.uk without a row of its own")
            << QStringList{"com", "uk"} << "a.co.uk" << false << 1;
        QTest::newRow("no route anywhere") << QStringList{"com"} << "a.al" << false << -1;
        QTest::newRow("empty table with proxy") << QStringList{} << "a.com" << true << -1;
    }

    void findInOtherTables() {
        QFETCH(QStringList, extensions);
        QFETCH(QString, name);
        QFETCH(bool, proxy);
        QFETCH(int, index);
        QList<RegistrarEntry> rows;
        for (const QString &ext : extensions)
            rows.append({ext, QStringLiteral("host"), 43, false}); // status never matters
        RegistrarTable table;
        table.setRows(rows);
        const int found = table.findRegistrar(name, proxy);
        if (index != Shipped) {
            QCOMPARE(found, index);
            return;
        }
        QVERIFY(found >= table.ownRowCount());
        QCOMPARE(table.rows().at(found).extension, name.section('.', -1));
        QCOMPARE(table.rows().at(found).server, RouteTable::shipped().route(name).server);
    }

    void saveReplacesEveryRowOfTheExtensionInPlace() {
        writeFile("com|old|43|Enabled\r\n \r\nnet|b|43|Enabled\r\nCOM|keep|43|Enabled\r\n"
                  "com|old2|43|Disabled\r\n");
        RegistrarTable table(m_path);
        QVERIFY(table.loadRegistrars().ok());
        QVERIFY(table
                    .saveRegistrar(QStringLiteral("COM"), QStringLiteral("New.Host"),
                                   QStringLiteral("4343"), false)
                    .ok());
        QCOMPARE(readFile(), QByteArray("\r\ncom|New.Host|4343|Disabled\r\nnet|b|43|Enabled\r\n"
                                        "COM|keep|43|Enabled\r\ncom|New.Host|4343|Disabled\r\n"
                                        "\r\n"));
        // The table in memory waits for the next load.
        QCOMPARE(table.rows().at(0).server, QStringLiteral("old"));
        QVERIFY(table.loadRegistrars().ok());
        QCOMPARE(table.rows().at(0).server, QStringLiteral("new.host"));
        QCOMPARE(table.ownRowCount(), 4);
    }

    void saveAppendsANewExtension() {
        writeFile("com|a|43|Enabled\r\n");
        RegistrarTable table(m_path);
        QVERIFY(table
                    .saveRegistrar(QStringLiteral("xyz"), QStringLiteral("s"), QStringLiteral("43"),
                                   true)
                    .ok());
        QCOMPARE(readFile(), QByteArray("\r\ncom|a|43|Enabled\r\n\r\nxyz|s|43|Enabled\r\n"));
        // Saving again replaces it, and the blank lines disappear with the rewrite.
        QVERIFY(table
                    .saveRegistrar(QStringLiteral("xyz"), QStringLiteral("t"), QStringLiteral("44"),
                                   false)
                    .ok());
        QCOMPARE(readFile(), QByteArray("\r\ncom|a|43|Enabled\r\nxyz|t|44|Disabled\r\n\r\n"));
        QVERIFY(table.loadRegistrars().ok());
        QCOMPARE(table.findRegistrar(QStringLiteral("a.xyz"), false), 1);
    }

    void saveWritesThePortAsGiven() {
        writeFile("com|a|43|Enabled\r\n");
        RegistrarTable table(m_path);
        QVERIFY(table
                    .saveRegistrar(QStringLiteral("com"), QStringLiteral("a"),
                                   QStringLiteral("port"), true)
                    .ok());
        QCOMPARE(readFile(), QByteArray("\r\ncom|a|port|Enabled\r\n\r\n"));
        const Result<> loaded = table.loadRegistrars();
        QVERIFY(loaded.failed());
        QCOMPARE(loaded.error().line, 2);
    }

    void saveToAMissingFileFails() {
        RegistrarTable table(m_path);
        QVERIFY(table
                    .saveRegistrar(QStringLiteral("com"), QStringLiteral("a"), QStringLiteral("43"),
                                   true)
                    .failed());
        QVERIFY(!QFile::exists(m_path));
    }

    void appendAddsOneRowAtTheEnd() {
        writeFile("com|a|43|Enabled\r\n\r\n");
        RegistrarTable table(m_path);
        QVERIFY(table
                    .appendRegistrar(QStringLiteral("Xyz"), QStringLiteral("S"),
                                     QStringLiteral("43"), QStringLiteral("enabled"))
                    .ok());
        QCOMPARE(readFile(), QByteArray("com|a|43|Enabled\r\n\r\nXyz|S|43|enabled\r\n"));
    }

    void rewriteLeavesAnEmptyLineAfterEveryRow() {
        writeFile(RegistrarTable::defaultFileContent());
        RegistrarTable table(m_path);
        QVERIFY(
            table.rewriteFromRows({{"com", "A", "43", "Enabled"}, {"net", "b", "1", "x"}}).ok());
        QCOMPARE(readFile(), QByteArray("com|A|43|Enabled\r\n\r\nnet|b|1|x\r\n\r\n"));
        QVERIFY(table.rewriteFromRows({}).ok());
        QCOMPARE(readFile(), QByteArray());
    }

    void fileRowsShowTheFileAsWritten() {
        writeFile(
            "\r\nCOM|Host|43|Enabled|extra\r\n \r\nnet|b|x|y\r\nshort|row\r\nbiz|c|43|Enabled\r\n");
        const RegistrarTable table(m_path);
        std::optional<Error> error;
        const QList<QStringList> rows = table.fileRows(&error);
        const QList<QStringList> expected = {{"COM", "Host", "43", "Enabled"},
                                             {"net", "b", "x", "y"}};
        QCOMPARE(rows, expected);
        QVERIFY(error);
        QCOMPARE(error->line, 5);

        writeFile(RegistrarTable::defaultFileContent());
        QCOMPARE(table.fileRows(&error).size(),
                 RegistrarTable::defaultFileContent().count("\r\n") - 1);
        QVERIFY(!error);
    }
};

QTEST_GUILESS_MAIN(TestRegistrarTable)
#include "tst_registrartable.moc"
