#include "core/programfolder.h"
#include "tempprogramfolder.h"

#include <QDir>
#include <QTest>

class TestProgramFolder : public QObject {
    Q_OBJECT
private slots:
    void spellingsReachTheSameEntry_data();
    void spellingsReachTheSameEntry();
    void missingComponentsKeepSpelling();
    void writableExecutableFolderIsUsed();
};

void TestProgramFolder::spellingsReachTheSameEntry_data() {
    QTest::addColumn<QString>("relative");
    QTest::addColumn<QString>("expected"); // relative to the root, as it exists on disk
    QTest::newRow("lower folder") << "\\wordlists"
                                  << "/Wordlists";
    QTest::newRow("file inside") << "\\WORDLISTS\\fullwordlist.TXT"
                                 << "/Wordlists/FullWordList.txt";
    QTest::newRow("forward slashes") << "/wordLists/FullWordList.txt"
                                     << "/Wordlists/FullWordList.txt";
    QTest::newRow("no leading separator") << "overflow\\lowprofile1.txt"
                                          << "/overflow/LowProfile1.txt";
    QTest::newRow("mixed case folder") << "\\OverFlow\\HighProfile1.txt"
                                       << "/overflow/HighProfile1.txt";
    QTest::newRow("doubled separators") << "\\\\backups\\\\"
                                        << "/backups";
    QTest::newRow("root") << ""
                          << "";
}

void TestProgramFolder::spellingsReachTheSameEntry() {
    QFETCH(QString, relative);
    QFETCH(QString, expected);
    TempProgramFolder temp;
    temp.writeFile("/Wordlists/FullWordList.txt", "a\r\n");
    temp.writeFile("/overflow/LowProfile1.txt", "");
    temp.writeFile("/overflow/HighProfile1.txt", "");
    QDir(temp.root()).mkdir("backups");
    QCOMPARE(temp.folder().path(relative), QDir::cleanPath(temp.root()) + expected);
}

void TestProgramFolder::missingComponentsKeepSpelling() {
    TempProgramFolder temp;
    QDir(temp.root()).mkdir("Searches");
    QCOMPARE(temp.folder().path("\\searches\\Google foo.txt"),
             QDir::cleanPath(temp.root()) + "/Searches/Google foo.txt");
    QCOMPARE(temp.folder().path("\\New\\Deeper"), QDir::cleanPath(temp.root()) + "/New/Deeper");
}

void TestProgramFolder::writableExecutableFolderIsUsed() {
    TempProgramFolder temp;
    const ProgramFolder folder = ProgramFolder::forApplication(temp.root(), QString());
    QCOMPARE(folder.root(), QDir::cleanPath(temp.root()));
    QVERIFY(!folder.isNull());
    QVERIFY(ProgramFolder().isNull());
    // The write probe leaves nothing behind.
    QCOMPARE(QDir(temp.root()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{});
}

QTEST_APPLESS_MAIN(TestProgramFolder)
#include "tst_programfolder.moc"
