#include "cli/checkinput.h"
#include "cli/checkoptions.h"
#include "cli/checkoutput.h"

#include <QBuffer>
#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(CheckOptions::Format)

class TestCheckOptions : public QObject {
    Q_OBJECT
private slots:
    void soundArguments();
    void usageErrors_data();
    void usageErrors();
    void namesAreCleanedAndCompleted();
    void filesAndStandardInputInOrder();
    void unreadableFileStopsReading();
    void csvAndJsonFields();
    void textColumnsLineUp();
    void progressLine();
};

void TestCheckOptions::soundArguments() {
    const ParsedCheckArguments p = parseCheckArguments(
        {"--format", "csv", "--ext=.COM,net,co.uk,com", "--parallel", "100", "--registrars",
         "r.txt", "--rules=rules.txt", "--file-results", "a", "-", "--", "--odd-file-name"});
    QVERIFY2(p.error.isEmpty(), qPrintable(p.error));
    QCOMPARE(p.options.format, CheckOptions::Format::Csv);
    QCOMPARE(p.options.extensions, (QStringList{"com", "net", "co.uk"}));
    QCOMPARE(p.options.parallel, 100);
    QCOMPARE(p.options.registrarsFile, QStringLiteral("r.txt"));
    QCOMPARE(p.options.rulesFile, QStringLiteral("rules.txt"));
    QVERIFY(p.options.fileResults);
    QCOMPARE(p.options.files, (QStringList{"a", "-", "--odd-file-name"}));

    const ParsedCheckArguments defaults = parseCheckArguments({});
    QVERIFY(defaults.error.isEmpty());
    QCOMPARE(defaults.options.format, CheckOptions::Format::Text);
    QCOMPARE(defaults.options.parallel, 25);
    QVERIFY(!defaults.options.fileResults && defaults.options.files.isEmpty());
    QVERIFY(parseCheckArguments({"-h"}).options.help);
}

void TestCheckOptions::usageErrors_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("mentions");
    QTest::newRow("unknown option") << QStringList{"--fast"} << "--fast";
    QTest::newRow("format") << QStringList{"--format", "xml"} << "xml";
    QTest::newRow("missing value") << QStringList{"--format"} << "needs a value";
    QTest::newRow("parallel 0") << QStringList{"--parallel", "0"} << "1 to 100";
    QTest::newRow("parallel 101") << QStringList{"--parallel=101"} << "1 to 100";
    QTest::newRow("parallel text") << QStringList{"--parallel", "ten"} << "ten";
    QTest::newRow("empty ext") << QStringList{"--ext", "com,,net"} << "--ext";
    QTest::newRow("ext with space") << QStringList{"--ext", "c m"} << "c m";
    QTest::newRow("ext with dash end") << QStringList{"--ext", "com-"} << "com-";
    QTest::newRow("empty table name") << QStringList{"--registrars="} << "file name";
    QTest::newRow("flag with value") << QStringList{"--file-results=yes"} << "no value";
}

void TestCheckOptions::usageErrors() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, mentions);
    const QString error = parseCheckArguments(arguments).error;
    QVERIFY2(error.contains(mentions), qPrintable(error));
}

void TestCheckOptions::namesAreCleanedAndCompleted() {
    const QStringList lines = {"  Example  ",  "",    "# a comment", "two words.org",
                               "tab\tbed.net", "???", "bare",        ".com",
                               "café"};
    const QList<CheckItem> items = checkItems(lines, {}, ".com");
    QStringList names, problems;
    for (const CheckItem &item : items) {
        names << item.name;
        problems << item.problem;
    }
    // Cleaned as a word-list entry is: letter case kept, spaces and control characters gone.
    QCOMPARE(names.size(), 7);
    QCOMPARE(names.at(0), QStringLiteral("Example.com"));
    QCOMPARE(names.at(1), QStringLiteral("twowords.org"));
    QCOMPARE(names.at(2), QStringLiteral("tabbed.net"));
    QVERIFY(problems.at(0).isEmpty() && problems.at(1).isEmpty() && problems.at(2).isEmpty());
    QCOMPARE(names.at(3), QStringLiteral("???"));
    QVERIFY(!problems.at(3).isEmpty());
    QCOMPARE(names.at(4), QStringLiteral("bare.com"));
    QVERIFY(!problems.at(5).isEmpty());
    QCOMPARE(names.at(6), QStringLiteral("café.com"));

    const QList<CheckItem> expanded = checkItems({"word", "given.io"}, {"com", "co.uk"}, ".com");
    QCOMPARE(expanded.size(), 3);
    QCOMPARE(expanded.at(0).name, QStringLiteral("word.com"));
    QCOMPARE(expanded.at(1).name, QStringLiteral("word.co.uk"));
    QCOMPARE(expanded.at(2).name, QStringLiteral("given.io"));
}

void TestCheckOptions::filesAndStandardInputInOrder() {
    QTemporaryDir dir;
    QFile a(dir.filePath("a.txt"));
    QVERIFY(a.open(QIODevice::WriteOnly));
    a.write("one\r\ntwo");
    a.close();
    QBuffer in;
    in.setData("three\nfour\n");
    QVERIFY(in.open(QIODevice::ReadOnly));
    const CheckInput input = readCheckInput({a.fileName(), "-", "-"}, in);
    QVERIFY(input.error.isEmpty());
    QCOMPARE(input.lines, (QStringList{"one", "two", "three", "four", ""}));

    QBuffer only;
    only.setData("x\n");
    QVERIFY(only.open(QIODevice::ReadOnly));
    QCOMPARE(readCheckInput({}, only).lines.first(), QStringLiteral("x"));
}

void TestCheckOptions::unreadableFileStopsReading() {
    QBuffer in;
    QVERIFY(in.open(QIODevice::ReadOnly));
    const CheckInput missing = readCheckInput({"/no/such/names.txt"}, in);
    QVERIFY(missing.error.contains("/no/such/names.txt"));
    QTemporaryDir dir;
    const CheckInput folder = readCheckInput({dir.path()}, in);
    QVERIFY2(folder.error.contains(dir.path()), qPrintable(folder.error));
}

void TestCheckOptions::csvAndJsonFields() {
    const CheckRow free{"abcd.com", Verdict::Free, "high", "127.0.0.1", {}};
    const CheckRow odd{"a,\"b\".com", Verdict::Unknown, {}, {}, "no reply, twice"};
    const CheckFormatter csv(CheckOptions::Format::Csv, 10, 10);
    QCOMPARE(csv.header(), QStringLiteral("name,verdict,class,server,reason\n"));
    QCOMPARE(csv.line(free), QStringLiteral("abcd.com,free,high,127.0.0.1,\n"));
    QCOMPARE(csv.line(odd), QStringLiteral("\"a,\"\"b\"\".com\",unknown,,,\"no reply, twice\"\n"));

    const CheckFormatter json(CheckOptions::Format::Json, 10, 10);
    QVERIFY(json.header().isEmpty());
    QCOMPARE(json.line(free), QStringLiteral("{\"class\":\"high\",\"name\":\"abcd.com\","
                                             "\"reason\":null,\"server\":\"127.0.0.1\","
                                             "\"verdict\":\"free\"}\n"));
    QVERIFY(json.line(odd).contains("\"name\":\"a,\\\"b\\\".com\""));
    QCOMPARE(lengthClassText("abcd.com"), QStringLiteral("high"));
    QCOMPARE(lengthClassText("abcde.com"), QStringLiteral("mid"));
    QCOMPARE(lengthClassText("abcdefg.co.uk"), QStringLiteral("mid"));
    QCOMPARE(lengthClassText("abcdefgh.io"), QStringLiteral("low"));
}

void TestCheckOptions::textColumnsLineUp() {
    const CheckFormatter text(CheckOptions::Format::Text, 12, 9);
    const QString a = text.line({"ab.com", Verdict::Free, "high", "127.0.0.1", {}});
    const QString b = text.line({"longer.name", Verdict::Unknown, {}, "host", "no\r\nreply"});
    QCOMPARE(a.indexOf("free"), b.indexOf("unknown"));
    QCOMPARE(a, QStringLiteral("ab.com        free     high  127.0.0.1\n"));
    // One line per name, whatever a reason holds.
    QCOMPARE(b.count('\n'), 1);
    QVERIFY(b.endsWith("no  reply\n"));
}

void TestCheckOptions::progressLine() {
    QCOMPARE(progressText(100, 1100, 2.0, 7),
             QStringLiteral("100/1100 names  50/s  7 free  0:20 left"));
    QCOMPARE(progressText(0, 10, 0.0, 0), QStringLiteral("0/10 names  0.0/s  0 free"));
    QCOMPARE(progressText(2, 5, 40.0, 0), QStringLiteral("2/5 names  0.1/s  0 free  1:00 left"));
    // Names waiting for the retry pass wait for a rest, not for the rate.
    QCOMPARE(progressText(8, 10, 4.0, 1, 2),
             QStringLiteral("8/10 names  2.0/s  1 free  2 to retry"));
}

QTEST_GUILESS_MAIN(TestCheckOptions)
#include "tst_checkoptions.moc"
