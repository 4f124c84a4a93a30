#include "core/namecleaning.h"

#include <QRandomGenerator>
#include <QTest>

class TestNameCleaning : public QObject {
    Q_OBJECT
private slots:
    void removedFromLabelOnly_data();
    void removedFromLabelOnly();
    void orderOfRemovals_data();
    void orderOfRemovals();
    void survivors();
    void lookupNameStopsAtATab();
    void decodesEveryEscape_data();
    void decodesEveryEscape();
    void decodeExamples_data();
    void decodeExamples();
    void decodeLeavesArgument();
    void decodeAgreesWithStepwiseReplacement();
    void decodeHostileLine();
};

namespace {
// The decoder as first written: each escape of the table replaced in turn, "%25" until none
// is left. Quadratic on "%25" followed by many "25", but the reference for what it gives.
QString stepwiseDecode(QString text) {
    const QList<QPair<QString, QString>> rows = {
        {"%25", "%"}, {"%20", " "}, {"%3C", "<"},  {"%3E", ">"}, {"%23", "#"},  {"%7B", "{"},
        {"%7D", "}"}, {"%7C", "|"}, {"%5C", "\\"}, {"%5E", "^"}, {"%7E", "~"},  {"%5B", "["},
        {"%5D", "]"}, {"%60", "`"}, {"%3B", ";"},  {"%2F", "/"}, {"%3F", "?"},  {"%3A", ":"},
        {"%40", "@"}, {"%3D", "="}, {"%26", "&"},  {"%24", "$"}, {"%0A", "\n"}, {"%0D", "\r"}};
    for (const auto &[escape, character] : rows) {
        while (text.contains(escape, Qt::CaseInsensitive))
            text.replace(escape, character, Qt::CaseInsensitive);
    }
    return text;
}
} // namespace

// Every text of the removal sequence goes from the label and stays in the tail ("?" excepted).
void TestNameCleaning::removedFromLabelOnly_data() {
    QTest::addColumn<QString>("removed");
    const QStringList removals = {
        "&nbsp;", "related:", "site:",  "<b>",    " ",      "/",      "%",      "!", "~",
        "#",      "'",        "\"",     "$",      "^",      "&",      "*",      "(", ")",
        "=",      "\\",       "|",      "+",      "`",      ">",      "<",      ",", "nbsp;",
        ";",      ":",        "\u00AB", "\u00B4", "\u00AF", "\u00BA", "\u00B8", "_"};
    for (const QString &r : removals)
        QTest::newRow(
            qPrintable(QStringLiteral("U+%1 %2").arg(r.at(0).unicode(), 4, 16, QChar('0')).arg(r)))
            << r;
}

void TestNameCleaning::removedFromLabelOnly() {
    QFETCH(QString, removed);
    QCOMPARE(correctName("ab" + removed + "cd" + removed + ".com"), QString("abcd.com"));
    QCOMPARE(correctName(removed + "x" + removed), QString("x"));
    QCOMPARE(correctName("x.com" + removed), QString("x.com" + removed));
}

void TestNameCleaning::orderOfRemovals_data() {
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("expected");
    // The edge-case rows, then combinations whose result depends on the order of the steps.
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("no dot") << "my site!"
                            << "mysite";
    QTest::newRow("site operator") << "site:example.com"
                                   << "example.com";
    QTest::newRow("related operator") << "related:example.com"
                                      << "example.com";
    QTest::newRow("entity") << "&nbsp;example.com"
                            << "example.com";
    QTest::newRow("underscore") << "ex_ample.com"
                                << "example.com";
    QTest::newRow("hyphens") << "my-site.example"
                             << "my-site.example";
    QTest::newRow("bold pair") << "<b>example</b>.com"
                               << "exampleb.com";
    QTest::newRow("upper bold") << "<B>example.com"
                                << "Bexample.com";
    QTest::newRow("question in tail") << "example.com?"
                                      << "example.com";
    QTest::newRow("slash in tail") << "example.com/"
                                   << "example.com/";
    QTest::newRow("case kept") << "EXAMPLE.COM"
                               << "EXAMPLE.COM";
    QTest::newRow("end marker") << "endoffileffile"
                                << "endoffileffile";
    QTest::newRow("www label") << "www.example.com"
                               << "www.example.com";
    QTest::newRow("operators case-sensitive") << "SITE:a.com"
                                              << "SITEa.com";
    QTest::newRow("split entity") << "a&nb sp;b.com"
                                  << "ab.com";
    QTest::newRow("entity remnant") << "a&amp;nbsp;b.com"
                                    << "aampb.com";
    QTest::newRow("bold after space removal") << "<b >x.com"
                                              << "bx.com";
    QTest::newRow("operator built by removals") << "si te:x.com"
                                                << "sitex.com";
    QTest::newRow("question everywhere") << "a?b.c?d?"
                                         << "ab.cd";
    QTest::newRow("first dot splits") << "a b.c d.e f"
                                      << "ab.c d.e f";
}

void TestNameCleaning::orderOfRemovals() {
    QFETCH(QString, input);
    QFETCH(QString, expected);
    QCOMPARE(correctName(input), expected);
}

void TestNameCleaning::survivors() {
    const QString kept = "aZ09-@[]{}\t\r\n\u00E9";
    QCOMPARE(correctName(kept + ".com"), kept + ".com");
}

void TestNameCleaning::lookupNameStopsAtATab() {
    // A line of the unknown-names file, run as a Custom List: the reason (which may hold a
    // ":" that would otherwise pass for a URL scheme) is not part of the name.
    QCOMPARE(cleanLookupName(correctName("n1.com\tconnection failed: Host not found")),
             QString("n1.com"));
    QCOMPARE(cleanLookupName("http://n2.com\trate-limited"), QString("n2.com"));
    // Before the name is whole a tab is only dropped: indentation, a tab inside a label.
    QCOMPARE(cleanLookupName("\t\tab\tc.com"), QString("abc.com"));
}

void TestNameCleaning::decodesEveryEscape_data() {
    QTest::addColumn<QString>("escape");
    QTest::addColumn<QString>("character");
    const QList<QPair<QString, QString>> rows = {
        {"%25", "%"}, {"%20", " "}, {"%3C", "<"},  {"%3E", ">"}, {"%23", "#"},  {"%7B", "{"},
        {"%7D", "}"}, {"%7C", "|"}, {"%5C", "\\"}, {"%5E", "^"}, {"%7E", "~"},  {"%5B", "["},
        {"%5D", "]"}, {"%60", "`"}, {"%3B", ";"},  {"%2F", "/"}, {"%3F", "?"},  {"%3A", ":"},
        {"%40", "@"}, {"%3D", "="}, {"%26", "&"},  {"%24", "$"}, {"%0A", "\n"}, {"%0D", "\r"}};
    for (const auto &[escape, character] : rows) {
        QTest::newRow(qPrintable(escape)) << escape << character;
        QTest::newRow(qPrintable(escape.toLower() + " lower")) << escape.toLower() << character;
    }
}

void TestNameCleaning::decodesEveryEscape() {
    QFETCH(QString, escape);
    QFETCH(QString, character);
    QCOMPARE(urlDecode("a" + escape + "b" + escape), "a" + character + "b" + character);
}

void TestNameCleaning::decodeExamples_data() {
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("expected");
    QTest::newRow("bold tag") << "%3Cb%3E"
                              << "<b>";
    QTest::newRow("lower bold tag") << "%3cb%3e"
                                    << "<b>";
    QTest::newRow("not in table") << "a%2Bb"
                                  << "a%2Bb";
    QTest::newRow("others stay") << "%2C%22%27%28%29"
                                 << "%2C%22%27%28%29";
    QTest::newRow("plus stays") << "a+b"
                                << "a+b";
    QTest::newRow("double encoded space") << "%2520"
                                          << " ";
    QTest::newRow("triple encoded percent") << "%252525"
                                            << "%";
    QTest::newRow("plain") << "text without %"
                           << "text without %";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("decoded text is not decoded again") << "%3%3CC"
                                                       << "%3<C";
    QTest::newRow("percent then later escape") << "%253A"
                                               << ":";
}

void TestNameCleaning::decodeExamples() {
    QFETCH(QString, input);
    QFETCH(QString, expected);
    QCOMPARE(urlDecode(input), expected);
}

void TestNameCleaning::decodeLeavesArgument() {
    const QString original = "%3Cx%3E";
    const QString copy = original;
    urlDecode(copy);
    QCOMPARE(copy, original);
}

// Random texts made of the pieces escapes are built from, so that escapes nest, overlap and
// form anew after decoding; the one-pass decoder must give exactly what the stepwise one does.
void TestNameCleaning::decodeAgreesWithStepwiseReplacement() {
    const QStringList pieces = {"%", "%", "%", "2", "5", "25", "3", "c", "C",   "0",   "a",  "A",
                                "d", "D", "e", "f", "F", "7",  "x", " ", "%25", "%3c", "%0D"};
    QRandomGenerator random(20261208);
    for (int round = 0; round < 20000; ++round) {
        QString text;
        const int length = random.bounded(1, 12);
        for (int i = 0; i < length; ++i)
            text += pieces.at(random.bounded(int(pieces.size())));
        QCOMPARE(urlDecode(text), stepwiseDecode(text));
    }
}

// A page line of "%25" followed by "25" over and over decodes to one "%" in one pass; replaced
// step by step it took minutes (how fast it is, is measured by bench/namecleaning).
void TestNameCleaning::decodeHostileLine() {
    const QString hostile = "a%25" + QString("25").repeated(500000) + "3Cb";
    QCOMPARE(urlDecode(hostile), QStringLiteral("a<b"));
    const QString nested = QString("%25").repeated(300000) + "20";
    QCOMPARE(urlDecode(nested), QString("%").repeated(299999) + " ");
}

QTEST_APPLESS_MAIN(TestNameCleaning)
#include "tst_namecleaning.moc"
