#include "core/filehelpers.h"
#include "tempprogramfolder.h"

#include <QDir>
#include <QTest>

class TestFileHelpers : public QObject {
    Q_OBJECT
private slots:
    void dirExists_data();
    void dirExists();
    void fileExists_data();
    void fileExists();
    void copyReplacesDestination();
    void failuresNameOperationAndFile_data();
    void failuresNameOperationAndFile();
    void copyFailureKeepsDestination();
    void readLines_data();
    void readLines();
    void writeLinesUsesCrLfAndRoundTrips();
    void writeAllLeavesNoTemporaryFile();
    void appendCreatesAndExtends();
    void undecodableBytesFallBackToLatin1();
    void oneOldLineLeavesTheOthersIntact();
};

namespace {
// Builds the fixture every existence test runs against.
void makeTree(const TempProgramFolder &temp) {
    temp.writeFile("/Wordlists/FullWordList.txt", "a\r\n");
    temp.writeFile("/.hidden.txt", "x");
    QDir(temp.root()).mkdir("backups");
}
} // namespace

void TestFileHelpers::dirExists_data() {
    QTest::addColumn<QString>("relative");
    QTest::addColumn<bool>("exists");
    QTest::newRow("plain") << "/backups" << true;
    QTest::newRow("trailing slash") << "/backups/" << true;
    QTest::newRow("backslashes") << "\\backups\\" << true;
    QTest::newRow("other case") << "/BACKUPS" << true;
    QTest::newRow("other case, trailing") << "\\Wordlists\\" << true;
    QTest::newRow("missing") << "/overflow" << false;
    QTest::newRow("a file") << "/Wordlists/FullWordList.txt" << false;
    QTest::newRow("wildcard") << "/back*" << false;
}

void TestFileHelpers::dirExists() {
    QFETCH(QString, relative);
    QFETCH(bool, exists);
    TempProgramFolder temp;
    makeTree(temp);
    QCOMPARE(Files::dirExists(temp.root() + relative), exists);
}

void TestFileHelpers::fileExists_data() {
    QTest::addColumn<QString>("relative");
    QTest::addColumn<bool>("exists");
    QTest::newRow("exact") << "/Wordlists/FullWordList.txt" << true;
    QTest::newRow("backslashes") << "\\Wordlists\\FullWordList.txt" << true;
    QTest::newRow("name in other case") << "/Wordlists/fullwordlist.TXT" << true;
    QTest::newRow("folder") << "/backups" << false;
    QTest::newRow("folder with separator") << "/Wordlists/" << false;
    QTest::newRow("missing") << "/Wordlists/Other.txt" << false;
    QTest::newRow("missing folder") << "/nowhere/FullWordList.txt" << false;
    QTest::newRow("wildcard star") << "/Wordlists/*.txt" << false;
    QTest::newRow("wildcard question") << "/Wordlists/FullWordList.tx?" << false;
    QTest::newRow("hidden file") << "/.hidden.txt" << false;
}

void TestFileHelpers::fileExists() {
    QFETCH(QString, relative);
    QFETCH(bool, exists);
    TempProgramFolder temp;
    makeTree(temp);
    QCOMPARE(Files::fileExists(temp.root() + relative), exists);
}

void TestFileHelpers::copyReplacesDestination() {
    TempProgramFolder temp;
    temp.writeFile("/a.txt", "new content");
    temp.writeFile("/b.txt", "old content that is longer");
    QVERIFY(Files::copyFile(temp.root() + "\\a.txt", temp.root() + "\\b.txt").ok());
    QCOMPARE(temp.readFile("/b.txt"), QByteArray("new content"));
    QVERIFY(Files::copyFile(temp.root() + "/a.txt", temp.root() + "/c.txt").ok());
    QCOMPARE(temp.readFile("/c.txt"), QByteArray("new content"));
}

// Every failing file operation is reported with what was done, to which file and why. The
// paths lie under a plain file, so the operations fail even for root.
void TestFileHelpers::failuresNameOperationAndFile_data() {
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QString>("target");
    QTest::newRow("read") << "read"
                          << "/missing.txt";
    QTest::newRow("write") << "write"
                           << "/blocked/x.txt";
    QTest::newRow("write lines") << "write lines"
                                 << "/blocked/x.txt";
    QTest::newRow("append") << "append to"
                            << "/blocked/x.txt";
    QTest::newRow("copy") << "copy"
                          << "/blocked/b.txt";
}

void TestFileHelpers::failuresNameOperationAndFile() {
    QFETCH(QString, operation);
    QFETCH(QString, target);
    TempProgramFolder temp;
    temp.writeFile("/blocked", "a file where a folder should be");
    temp.writeFile("/a.txt", "x");
    const QString path = temp.root() + target;
    Result<> result;
    if (operation == "read") {
        const Result<QStringList> read = TextFile::readLines(path);
        QVERIFY(read.failed());
        result = read.error();
    } else if (operation == "write") {
        result = TextFile::writeAll(path, "x");
    } else if (operation == "write lines") {
        result = TextFile::writeLines(path, {"x"});
        operation = "write";
    } else if (operation == "append to") {
        result = TextFile::append(path, "x");
    } else {
        result = Files::copyFile(temp.root() + "/a.txt", path);
    }
    QVERIFY(result.failed());
    const Error &error = result.error();
    QVERIFY2(error.operation.startsWith(operation), qPrintable(error.operation));
    QCOMPARE(error.target, path);
    QVERIFY(!error.message.isEmpty());
    const QString text = error.text();
    QVERIFY2(text.startsWith("Could not " + operation), qPrintable(text));
    QVERIFY2(text.contains(QDir::toNativeSeparators(path)), qPrintable(text));
    QVERIFY2(text.endsWith(": " + error.message), qPrintable(text));
}

void TestFileHelpers::copyFailureKeepsDestination() {
    TempProgramFolder temp;
    temp.writeFile("/b.txt", "kept");
    const Result<> copied = Files::copyFile(temp.root() + "/missing.txt", temp.root() + "/b.txt");
    QVERIFY(copied.failed());
    // The message names the source as well as the destination.
    QVERIFY(copied.error().text().contains("missing.txt"));
    QVERIFY(copied.error().text().contains("b.txt"));
    QCOMPARE(temp.readFile("/b.txt"), QByteArray("kept"));
    temp.writeFile("/a.txt", "x");
    QVERIFY(Files::copyFile(temp.root() + "/a.txt", temp.root() + "/nowhere/b.txt").failed());
    QVERIFY(!QFile::exists(temp.root() + "/nowhere/b.txt"));
}

void TestFileHelpers::readLines_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("empty file") << QByteArray() << QStringList{};
    QTest::newRow("crlf") << QByteArray("a\r\nb\r\n") << QStringList{"a", "b"};
    QTest::newRow("lf") << QByteArray("a\nb\n") << QStringList{"a", "b"};
    QTest::newRow("no final break") << QByteArray("a\r\nb") << QStringList{"a", "b"};
    QTest::newRow("one empty line") << QByteArray("\r\n") << QStringList{""};
    QTest::newRow("blank lines kept")
        << QByteArray("a\r\n\r\n \r\nb\n") << QStringList{"a", "", " ", "b"};
}

void TestFileHelpers::readLines() {
    QFETCH(QByteArray, content);
    QFETCH(QStringList, lines);
    TempProgramFolder temp;
    temp.writeFile("/list.txt", content);
    const Result<QStringList> read = TextFile::readLines(temp.path("/list.txt"));
    QVERIFY(read.ok());
    QCOMPARE(read.value(), lines);
}

void TestFileHelpers::writeLinesUsesCrLfAndRoundTrips() {
    TempProgramFolder temp;
    const QStringList lines = {"example.com", "", "caf\u00e9.de"};
    QVERIFY(TextFile::writeLines(temp.root() + "/out.txt", lines).ok());
    QVERIFY(temp.readFile("/out.txt").startsWith("example.com\r\n\r\ncaf"));
    QVERIFY(temp.readFile("/out.txt").endsWith(".de\r\n"));
    QCOMPARE(TextFile::readLines(temp.root() + "/out.txt").value(), lines);
}

void TestFileHelpers::writeAllLeavesNoTemporaryFile() {
    TempProgramFolder temp;
    temp.writeFile("/Remembered.txt", "a much longer old content\r\n");
    QVERIFY(TextFile::writeAll(temp.root() + "/Remembered.txt", "new\r\n").ok());
    QCOMPARE(temp.readFile("/Remembered.txt"), QByteArray("new\r\n"));
    QCOMPARE(QDir(temp.root()).entryList(QDir::Files | QDir::Hidden),
             QStringList{"Remembered.txt"});
}

void TestFileHelpers::appendCreatesAndExtends() {
    TempProgramFolder temp;
    QVERIFY(TextFile::append(temp.root() + "/log.txt", " \r\n").ok());
    QVERIFY(TextFile::append(temp.root() + "\\log.txt", "b\r\n").ok());
    QCOMPARE(temp.readFile("/log.txt"), QByteArray(" \r\nb\r\n"));
}

void TestFileHelpers::undecodableBytesFallBackToLatin1() {
    // A list written in an 8-bit code page must still be readable, byte for character.
    QCOMPARE(TextFile::fromLocal(QByteArray("caf\xe9")), QString("caf\u00e9"));
    QCOMPARE(TextFile::fromLocal(QByteArray("\xe9t\xe9.fr")), QString("\u00e9t\u00e9.fr"));
    QCOMPARE(TextFile::fromLocal(TextFile::toLocal("caf\u00e9")), QString("caf\u00e9"));
}

// One Latin-1 line among UTF-8 ones is read byte for character on its own; the UTF-8 lines keep
// their text, and a whole-file rewrite from what was read stores them byte for byte as they were
// (read as a whole in Latin-1, they came back garbled at every rewrite, for good).
void TestFileHelpers::oneOldLineLeavesTheOthersIntact() {
    TempProgramFolder temp;
    const QByteArray utf8Line = "m\xc3\xbcnchen.com"; // münchen.com
    const QByteArray cjkLine = "\xe4\xbe\x8b\xe3\x81\x88.net";
    temp.writeFile("/Remembered.txt",
                   "plain.com\r\n" + utf8Line + "\r\ncaf\xe9.com\n" + cjkLine + "\r\n\xc3");
    const QStringList lines = TextFile::readLines(temp.path("/Remembered.txt")).value();
    QCOMPARE(lines, (QStringList{"plain.com", "m\u00fcnchen.com", "caf\u00e9.com",
                                 "\u4f8b\u3048.net", "\u00c3"}));

    QVERIFY(TextFile::writeLines(temp.path("/Remembered.txt"), lines).ok());
    const QList<QByteArray> written = temp.readFile("/Remembered.txt").split('\n');
    QCOMPARE(written.at(1), utf8Line + "\r");
    QCOMPARE(written.at(3), cjkLine + "\r");
    // What was read once reads the same after the rewrite, again and again.
    QCOMPARE(TextFile::readLines(temp.path("/Remembered.txt")).value(), lines);
}

QTEST_APPLESS_MAIN(TestFileHelpers)
#include "tst_filehelpers.moc"
