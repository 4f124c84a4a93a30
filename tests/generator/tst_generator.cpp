#include "core/machinesettings.h"
#include "desktoprecorder.h"
#include "generator/appendsfile.h"
#include "generator/generator.h"
#include "generator/generatorsettings.h"
#include "tempprogramfolder.h"

#include <QtTest>

namespace {
GeneratorOptions onlyComNet() {
    GeneratorOptions o;
    o.extensions.fill(false);
    o.extensions[0] = o.extensions[1] = true;
    return o;
}
} // namespace

class tst_Generator : public QObject {
    Q_OBJECT
private slots:
    void workedExample();
    void combinations_data();
    void combinations();
    void extensionsInIndexOrder();
    void reportsAfterWholeLines();
    void createdDomainsText();
    void checkValue_data();
    void checkValue();
    void storedOptionsRoundTrip();
    void appendsAddAndRemove();
};

void tst_Generator::workedExample() {
    GeneratorOptions o = onlyComNet();
    o.baseWord = QStringLiteral("Big Blue");
    const QStringList names =
        NameGenerator::generateAll({QStringLiteral("my hat"), QStringLiteral("W2")}, o);
    const QStringList expected{
        "myhatBigBlue.com", "myhatBigBlue.net", "myhat-BigBlue.com", "myhat-BigBlue.net",
        "BigBluemyhat.com", "BigBluemyhat.net", "BigBlue-myhat.com", "BigBlue-myhat.net",
        "W2BigBlue.com",    "W2BigBlue.net",    "W2-BigBlue.com",    "W2-BigBlue.net",
        "BigBlueW2.com",    "BigBlueW2.net",    "BigBlue-W2.com",    "BigBlue-W2.net"};
    QCOMPARE(names, expected);
}

void tst_Generator::combinations_data() {
    QTest::addColumn<QString>("base");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("joining"); // letters: p prefixes, s suffixes, h hyphens
    QTest::addColumn<QStringList>("expected");

    const QStringList one{QStringLiteral("w")};
    QTest::newRow("no prefix or suffix") << "b" << one << "" << QStringList{};
    QTest::newRow("hyphens alone") << "b" << one << "h" << QStringList{};
    QTest::newRow("suffixes only") << "b" << one << "s" << QStringList{"wb.com"};
    QTest::newRow("prefixes with hyphens")
        << "b" << one << "ph" << QStringList{"bw.com", "b-w.com"};
    QTest::newRow("empty base word")
        << "" << one << "psh" << QStringList{"w.com", "w-.com", "w.com", "-w.com"};
    QTest::newRow("line of two spaces")
        << "b" << QStringList{"  "} << "psh" << QStringList{"b.com", "-b.com", "b.com", "b-.com"};
    QTest::newRow("blank lines make nothing")
        << "b" << QStringList{"", " ", "x", ""} << "s" << QStringList{"xb.com"};
    QTest::newRow("empty file") << "b" << QStringList{} << "psh" << QStringList{};
    QTest::newRow("case kept, duplicates kept")
        << "Big" << QStringList{"Top", "Top"} << "s" << QStringList{"TopBig.com", "TopBig.com"};
}

void tst_Generator::combinations() {
    QFETCH(QString, base);
    QFETCH(QStringList, lines);
    QFETCH(QString, joining);
    QFETCH(QStringList, expected);
    GeneratorOptions o;
    o.baseWord = base;
    o.prefixes = joining.contains('p');
    o.suffixes = joining.contains('s');
    o.hyphens = joining.contains('h');
    o.extensions.fill(false);
    o.extensions[0] = true;
    QCOMPARE(NameGenerator::generateAll(lines, o), expected);
}

void tst_Generator::extensionsInIndexOrder() {
    GeneratorOptions o;
    o.baseWord = QStringLiteral("b");
    o.prefixes = o.hyphens = false;
    o.customExtension = QStringLiteral("CO.UK");
    QCOMPARE(NameGenerator::generateAll({QStringLiteral("w")}, o),
             (QStringList{"wb.com", "wb.net", "wb.org", "wb.biz", "wb.info", "wb.name", "wb.aero",
                          "wb.coop", "wbco.uk"}));
    o.extensions.fill(false);
    QVERIFY(NameGenerator::generateAll({QStringLiteral("w")}, o).isEmpty());
}

void tst_Generator::reportsAfterWholeLines() {
    // 3 names per line: the first report comes after 334 lines (1002 names), not at 1000.
    GeneratorOptions o;
    o.baseWord = QStringLiteral("b");
    o.prefixes = o.hyphens = false;
    o.extensions.fill(false);
    o.extensions[0] = o.extensions[1] = o.extensions[2] = true;
    QStringList lines;
    for (int i = 0; i < 700; ++i)
        lines << QStringLiteral("w%1").arg(i);
    NameGenerator generator(lines, o);
    QStringList names;
    QVERIFY(generator.next(names));
    QCOMPARE(names.size(), 1002);
    QCOMPARE(generator.created(), 1002);
    QVERIFY(generator.next(names));
    QCOMPARE(generator.created(), 2004);
    QVERIFY(!generator.next(names));
    QCOMPARE(generator.created(), 2100);
    QCOMPARE(names.size(), 2100);
    QCOMPARE(names.last(), QStringLiteral("w699b.org"));
}

void tst_Generator::createdDomainsText() {
    QCOMPARE(NameGenerator::createdDomainsText({"a.com", "b.net"}),
             QStringLiteral("a.com\r\n\r\nb.net\r\n\r\n"));
    QCOMPARE(NameGenerator::createdDomainsText({}), QString());
}

void tst_Generator::checkValue_data() {
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("on");
    QTest::newRow("1") << "1" << true;
    QTest::newRow("0") << "0" << false;
    QTest::newRow("padded 0") << " 0 " << false;
    QTest::newRow("not a number") << "yes" << true;
    QTest::newRow("empty") << "" << true;
    QTest::newRow("fraction") << "0.5" << true;
}

void tst_Generator::checkValue() {
    QFETCH(QString, stored);
    QFETCH(bool, on);
    QCOMPARE(GeneratorSettings::checkValue(stored), on);
}

void tst_Generator::storedOptionsRoundTrip() {
    TempProgramFolder tmp;
    MachineSettings machine(tmp.machineStore(), tmp.userStore(), "Co", "Kestrin");
    GeneratorSettings settings(machine);
    for (int i = 0; i < 9; ++i)
        QVERIFY(settings.extension(i));
    QVERIFY(settings.joining(0) && settings.joining(1) && settings.joining(2));
    QCOMPARE(settings.baseWord(), QString());
    QCOMPARE(settings.customExtension(), QStringLiteral(".co.uk"));

    QVERIFY(settings.setExtension(8, false).ok());
    QVERIFY(settings.setJoining(2, false).ok());
    QVERIFY(settings.setBaseWord(QStringLiteral("Big Blue")).ok());
    const auto stored = [&](const char *key) {
        return machine.getMachineSetting("Kestrin", "Settings", key, "?").value();
    };
    QCOMPARE(stored("chkExt8"), QStringLiteral("0"));
    QCOMPARE(stored("chkAdd2"), QStringLiteral("0"));
    QCOMPARE(stored("txtMake"), QStringLiteral("Big Blue"));
    QVERIFY(machine.saveMachineSetting("Kestrin", "Settings", "chkExt3", "junk").ok());
    QVERIFY(settings.extension(3));
    QVERIFY(!settings.extension(8));
}

void tst_Generator::appendsAddAndRemove() {
    TempProgramFolder tmp;
    tmp.writeFile("Appends.txt", "\r\nkeep"); // as created at start-up, plus a hand-edited tail
    AppendsFile file(tmp.path("\\Appends.txt"));
    QVERIFY(file.add("twice").ok());
    QVERIFY(file.add("twice").ok());
    QVERIFY(file.add("Twice").ok());
    QCOMPARE(file.words(), (QStringList{"keep", "twice", "twice", "Twice"}));
    QVERIFY(file.remove("twice").ok());
    QCOMPARE(file.words(), (QStringList{"keep", "Twice"}));
    QCOMPARE(tmp.readFile("Appends.txt"), QByteArray("\r\nkeep\r\nTwice\r\n\r\n"));

    AppendsFile missing(tmp.path("\\none.txt"));
    const Result<> removed = missing.remove("x");
    QVERIFY(removed.failed());
    QVERIFY(removed.error().text().startsWith("Could not read"));
    QVERIFY(removed.error().text().contains("none.txt"));
    QVERIFY(!missing.exists());

    // A folder where the file should be: neither a new word nor a new file is claimed.
    QVERIFY(QDir().mkpath(tmp.path("\\Blocked.txt")));
    AppendsFile blocked(tmp.path("\\Blocked.txt"));
    QVERIFY(blocked.add("word").failed());
    QVERIFY(blocked.create().failed());
}

QTEST_GUILESS_MAIN(tst_Generator)
#include "tst_generator.moc"
