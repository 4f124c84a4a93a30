#include "core/listfile.h"
#include "tempprogramfolder.h"

#include <QFile>
#include <QFileInfo>
#include <QTest>

class TestListFile : public QObject {
    Q_OBJECT
private slots:
    void matchesFreshRead_data();
    void matchesFreshRead();
    void followsChangesOfTheFile();
    void missingFile();
    void largeFile();
};

namespace {
// The entries as a plain read from the start would find them.
QStringList referenceEntries(const QByteArray &content) {
    QStringList entries;
    const QList<QByteArray> lines = content.split('\n');
    for (QByteArray line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (!line.isEmpty())
            entries << QString::fromUtf8(line);
    }
    return entries;
}

void checkAgainstReference(ListFile &reader, const QString &path, const QByteArray &content) {
    const QStringList expected = referenceEntries(content);
    QCOMPARE(ListFile::countListEntries(path), int(expected.size()));
    // Out of order on purpose: the index must not depend on sequential reading.
    for (int n = int(expected.size()); n >= 1; --n)
        QCOMPARE(reader.nextListEntry(path, n), expected.at(n - 1));
    QCOMPARE(reader.nextListEntry(path, int(expected.size()) + 1), ListFile::EndMarker);
    QCOMPARE(reader.nextListEntry(path, 0), QString());
    QCOMPARE(reader.nextListEntry(path, -3), QString());
}
} // namespace

void TestListFile::matchesFreshRead_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("crlf") << QByteArray("alpha\r\nbeta\r\ngamma\r\n");
    QTest::newRow("lf") << QByteArray("alpha\nbeta\ngamma\n");
    QTest::newRow("last without break") << QByteArray("alpha\r\nbeta");
    QTest::newRow("single entry without break") << QByteArray("x");
    QTest::newRow("blank lines between") << QByteArray("\r\n\r\na\r\n\r\nb\r\n\n\r\nc\r\n\r\n");
    QTest::newRow("lone carriage returns") << QByteArray("\r\na\r\n\r\r\n\rb\r\n\r");
    QTest::newRow("space is an entry") << QByteArray(" \r\na\r\n");
    QTest::newRow("generator style") << QByteArray("one.com\r\n\r\ntwo.net\r\n\r\n");
    QTest::newRow("utf8") << QByteArray("caf\xc3\xa9\r\nb\r\n");
}

void TestListFile::matchesFreshRead() {
    QFETCH(QByteArray, content);
    TempProgramFolder temp;
    temp.writeFile("/list.txt", content);
    ListFile reader;
    checkAgainstReference(reader, temp.path("/list.txt"), content);
}

void TestListFile::followsChangesOfTheFile() {
    TempProgramFolder temp;
    const QString path = temp.path("/list.txt");
    ListFile reader;
    temp.writeFile("/list.txt", "aaa\r\nbbb\r\n");
    checkAgainstReference(reader, path, "aaa\r\nbbb\r\n");

    // Appended entries show up.
    QFile f(path);
    QVERIFY(f.open(QIODevice::Append));
    f.write("ccc\r\n");
    f.close();
    checkAgainstReference(reader, path, "aaa\r\nbbb\r\nccc\r\n");

    // Same size, other layout, later modification time: the index is rebuilt.
    const QByteArray sameSize = "\r\na\r\nbbbbbbb\r\nc";
    QCOMPARE(sameSize.size(), qsizetype(15));
    temp.writeFile("/list.txt", sameSize);
    QFile touched(path);
    QVERIFY(touched.open(QIODevice::ReadWrite));
    QVERIFY(touched.setFileTime(QDateTime::currentDateTime().addSecs(5),
                                QFileDevice::FileModificationTime));
    touched.close();
    checkAgainstReference(reader, path, sameSize);

    // Replaced by rename with the same size and modification time: still the new content.
    const QByteArray replaced = "\r\nb\r\naaaaaaa\r\nd";
    const QDateTime modified = QFileInfo(path).lastModified();
    temp.writeFile("/new.txt", replaced);
    QFile fresh(temp.path("/new.txt"));
    QVERIFY(fresh.open(QIODevice::ReadWrite));
    QVERIFY(fresh.setFileTime(modified, QFileDevice::FileModificationTime));
    fresh.close();
    QVERIFY(QFile::remove(path));
    QVERIFY(QFile::rename(temp.path("/new.txt"), path));
    checkAgainstReference(reader, path, replaced);

    // One reader moving between files.
    temp.writeFile("/other.txt", "x\r\ny\r\n");
    QCOMPARE(reader.nextListEntry(temp.path("/other.txt"), 2), QString("y"));
    QCOMPARE(reader.nextListEntry(path, 2), QString("aaaaaaa"));
}

void TestListFile::missingFile() {
    TempProgramFolder temp;
    const QString path = temp.root() + "/missing.txt";
    ListFile reader;
    bool opened = true;
    QCOMPARE(reader.nextListEntry(path, 1, &opened), ListFile::EndMarker);
    QVERIFY(!opened);
    QCOMPARE(ListFile::countListEntries(path), 0);

    // A file that disappears after being indexed is reported too.
    temp.writeFile("/gone.txt", "a\r\n");
    QCOMPARE(reader.nextListEntry(temp.path("/gone.txt"), 1, &opened), QString("a"));
    QVERIFY(opened);
    QVERIFY(QFile::remove(temp.path("/gone.txt")));
    QCOMPARE(reader.nextListEntry(temp.root() + "/gone.txt", 1, &opened), ListFile::EndMarker);
    QVERIFY(!opened);
}

void TestListFile::largeFile() {
    // Larger than one read chunk, so entries straddle chunk boundaries.
    TempProgramFolder temp;
    QByteArray content;
    for (int i = 0; i < 30000; ++i)
        content += "name" + QByteArray::number(i) + (i % 7 == 0 ? "\n\r\n" : "\r\n");
    temp.writeFile("/big.txt", content);
    ListFile reader;
    const QString path = temp.path("/big.txt");
    QCOMPARE(ListFile::countListEntries(path), 30000);
    for (int n : {1, 2, 8, 9, 4681, 29999, 30000})
        QCOMPARE(reader.nextListEntry(path, n), "name" + QString::number(n - 1));
    QCOMPARE(reader.nextListEntry(path, 30001), ListFile::EndMarker);
}

QTEST_APPLESS_MAIN(TestListFile)
#include "tst_listfile.moc"
