#include "cli/checkinput.h"
#include "cli/checkinputreader.h"
#include "cli/checkoptions.h"
#include "cli/checkoutput.h"
#include "cli/orderedrows.h"

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
    void readerRefusesLongLinesAndGoesOn();
    void heldRowsSpillAndComeBackInOrder();
    void csvAndJsonFields();
    void textColumnsLineUp();
    void progressLine();
};

void TestCheckOptions::soundArguments() {
    const ParsedCheckArguments p =
        parseCheckArguments({"--format", "csv", "--ext=.COM,net,co.uk,com", "--parallel", "100",
                             "--registrars", "r.txt", "--rules=rules.txt", "--file-results",
                             "--unordered", "a", "-", "--", "--odd-file-name"});
    QVERIFY2(p.error.isEmpty(), qPrintable(p.error));
    QCOMPARE(p.options.format, CheckOptions::Format::Csv);
    QCOMPARE(p.options.extensions, (QStringList{"com", "net", "co.uk"}));
    QCOMPARE(p.options.parallel, 100);
    QCOMPARE(p.options.registrarsFile, QStringLiteral("r.txt"));
    QCOMPARE(p.options.rulesFile, QStringLiteral("rules.txt"));
    QVERIFY(p.options.fileResults && p.options.unordered);
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
    const QStringList lines = {"  Example  ",     "",    "# a comment", "two words.org",
                               "noted.net\tnote", "???", "bare",        ".com",
                               "caf\u00e9"};
    const QList<CheckItem> items =
        checkItems(lines, {}, ".com", [](const QString &ext) { return ext != "zzz"; });
    QStringList names, problems, ascii;
    for (const CheckItem &item : items) {
        names << item.name;
        problems << item.problem;
        ascii << item.ascii;
    }
    // Normalised and completed; a line that is no name keeps its text and says why.
    QCOMPARE(names, (QStringList{"example.com", "two words.org", "noted.net", "???", "bare.com",
                                 ".com", "caf\u00e9.com"}));
    QCOMPARE(ascii,
             (QStringList{"example.com", "", "noted.net", "", "bare.com", "", "xn--caf-dma.com"}));
    for (int i : {1, 3, 5})
        QVERIFY2(problems.at(i).startsWith("not a domain name: "), qPrintable(problems.at(i)));
    QCOMPARE(checkItems({"x.zzz"}, {}, ".com", [](const QString &ext) { return ext != "zzz"; })
                 .first()
                 .problem,
             QString("not a domain name: .zzz is not a delegated extension"));

    const QList<CheckItem> expanded = checkItems({"word", "given.io"}, {"com", "co.uk"}, ".com");
    QCOMPARE(expanded.size(), 3);
    QCOMPARE(expanded.at(0).name, QStringLiteral("word.com"));
    QCOMPARE(expanded.at(1).name, QStringLiteral("word.co.uk"));
    QCOMPARE(expanded.at(2).name, QStringLiteral("given.io"));
}

namespace {
QStringList readAll(CheckInputReader &reader) {
    QStringList names;
    while (const std::optional<CheckItem> item = reader.next())
        names << item->name;
    return names;
}
} // namespace

void TestCheckOptions::filesAndStandardInputInOrder() {
    QTemporaryDir dir;
    QFile a(dir.filePath("a.txt"));
    QVERIFY(a.open(QIODevice::WriteOnly));
    a.write("one\r\ntwo");
    a.close();
    QBuffer in;
    in.setData("three\nfour\n");
    QVERIFY(in.open(QIODevice::ReadOnly));
    CheckInputReader reader({a.fileName(), "-", "-"}, in, {}, ".com");
    QVERIFY(reader.open().isEmpty());
    QCOMPARE(readAll(reader), (QStringList{"one.com", "two.com", "three.com", "four.com"}));
    QVERIFY(reader.error().isEmpty());

    QBuffer only;
    only.setData("x\n");
    QVERIFY(only.open(QIODevice::ReadOnly));
    CheckInputReader standardInput({}, only, {}, ".com");
    QVERIFY(standardInput.open().isEmpty());
    QCOMPARE(readAll(standardInput), QStringList{"x.com"});
}

void TestCheckOptions::unreadableFileStopsReading() {
    // A missing file stops the run before its first name, even after a readable one.
    QBuffer in;
    QVERIFY(in.open(QIODevice::ReadOnly));
    CheckInputReader missing({"-", "/no/such/names.txt"}, in, {}, ".com");
    QVERIFY(missing.open().contains("/no/such/names.txt"));
}

void TestCheckOptions::readerRefusesLongLinesAndGoesOn() {
    // At the cap a line is still read; one byte more, or 20 MB more, and it is refused, and
    // the line after it is read as usual.
    const QByteArray atCap = "atcap.com\t" + QByteArray(CheckInputReader::MaxLineBytes - 10, 'a');
    QBuffer in;
    in.setData(atCap + "\n" + QByteArray(CheckInputReader::MaxLineBytes + 1, 'b') + "\r\nnext\r\n" +
               QByteArray(20 << 20, 'c') + "\nlast");
    QVERIFY(in.open(QIODevice::ReadOnly));
    CheckInputReader reader({}, in, {"com", "net"}, ".com");
    QVERIFY(reader.open().isEmpty());
    QStringList names, problems;
    while (const std::optional<CheckItem> item = reader.next()) {
        names << item->name.left(8);
        problems << item->problem;
    }
    QVERIFY(reader.atEnd() && reader.error().isEmpty());
    QCOMPARE(names, (QStringList{"atcap.co", "bbbbbbbb", "next.com", "next.net", "cccccccc",
                                 "last.com", "last.net"}));
    QCOMPARE(problems, (QStringList{"", "not a domain name", "", "", "not a domain name", "", ""}));

    // A file that opens and cannot be read ends the names with an error that names it.
    QTemporaryDir dir;
    CheckInputReader folder({dir.path()}, in, {}, ".com");
    if (folder.open().isEmpty())
        QVERIFY(!folder.next());
    QVERIFY2(folder.error().contains(dir.path()), qPrintable(folder.error()));
}

void TestCheckOptions::heldRowsSpillAndComeBackInOrder() {
    // Row 0 comes last (a name in its retry): everything after it is held, three rows in
    // memory and the rest in sorted runs on disk, and all come back whole and in order.
    OrderedRows rows(3);
    for (const int index : {7, 3, 11, 1, 9, 5, 12, 2, 8, 4, 10, 6}) // out of order, as answered
        QVERIFY(rows.add(index, {"n" + QString::number(index) + ".com", Verdict::Free, "high",
                                 "srv\tx", "", "xn--n" + QString::number(index), index == 5}));
    QCOMPARE(rows.held(), 12);
    QVERIFY(!rows.takeNext());
    QVERIFY(rows.add(0, {"first.com", Verdict::Unknown, {}, {}, "no reply"}));
    QCOMPARE(rows.takeNext()->reason, QStringLiteral("no reply"));
    for (int index = 1; index <= 12; ++index) {
        const std::optional<CheckRow> row = rows.takeNext();
        QVERIFY2(row, qPrintable(rows.error()));
        QCOMPARE(row->name, "n" + QString::number(index) + ".com");
        QCOMPARE(row->verdict, Verdict::Free);
        QCOMPARE(row->server, QStringLiteral("srv x"));
        QCOMPARE(row->ascii, "xn--n" + QString::number(index));
        QCOMPARE(row->repeated, index == 5);
    }
    QVERIFY(!rows.takeNext());
    QCOMPARE(rows.held(), 0);
}

void TestCheckOptions::csvAndJsonFields() {
    const CheckRow free{"abcd.com", Verdict::Free, "high", "127.0.0.1", {}, "abcd.com"};
    const CheckRow odd{"a,\"b\".com", Verdict::Unknown, {}, {}, "no reply, twice"};
    const CheckFormatter csv(CheckOptions::Format::Csv, 10, 10);
    QCOMPARE(csv.header(), QStringLiteral("name,verdict,class,server,reason,ascii\n"));
    QCOMPARE(csv.line(free), QStringLiteral("abcd.com,free,high,127.0.0.1,,abcd.com\n"));
    QCOMPARE(csv.line(odd), QStringLiteral("\"a,\"\"b\"\".com\",unknown,,,\"no reply, twice\",\n"));

    const CheckFormatter json(CheckOptions::Format::Json, 10, 10);
    QVERIFY(json.header().isEmpty());
    QCOMPARE(json.line(free), QStringLiteral("{\"ascii\":\"abcd.com\",\"class\":\"high\","
                                             "\"name\":\"abcd.com\","
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
    QCOMPARE(progressText(5, -1, 1.0, 1), QStringLiteral("5 names  5.0/s  1 free"));
    QCOMPARE(progressText(2, 5, 40.0, 0), QStringLiteral("2/5 names  0.1/s  0 free  1:00 left"));
    // Names waiting for the retry pass wait for a rest, not for the rate.
    QCOMPARE(progressText(8, 10, 4.0, 1, 2),
             QStringLiteral("8/10 names  2.0/s  1 free  2 to retry"));
}

QTEST_GUILESS_MAIN(TestCheckOptions)
#include "tst_checkoptions.moc"
