#include "core/filehelpers.h"
#include "core/resultlists.h"
#include "tempprogramfolder.h"

#include <QDir>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTest>

class TestResultLists : public QObject {
    Q_OBJECT
private slots:
    void lengthClasses_data();
    void lengthClasses();
    void captionsAndToolTips();
    void registeredIsTrimmed();
    void mirrorFilesFollowTheLists();
    void mirrorRewrittenWhenChangedOutside();
    void listCommands();
    void overflowAt20000();
    void failedOverflowKeepsTheLists();
    void stampsNeverReuseFiles();
    void stampHasNoSeparators();
    void savedListLoadAndSave();
    void writeFailuresReportedPerFile();
    void unknownNamesAppendedUnderTheStamp();
    void modelSignalsAppends();
    void deferredViewsSeeBlocks();
    void counterNeverBelowZero();
};

namespace {
QStringList fileLines(const QString &path) {
    return TextFile::readLines(path).valueOr({"<missing>"});
}

// The three mirror files hold exactly the Low, Mid and High lists.
void checkMirrors(const ResultLists &lists) {
    const QStringList paths = lists.mirrorFilePaths();
    QCOMPARE(fileLines(paths.at(0)), lists.list(ResultLists::Low)->names());
    QCOMPARE(fileLines(paths.at(1)), lists.list(ResultLists::Mid)->names());
    QCOMPARE(fileLines(paths.at(2)), lists.list(ResultLists::High)->names());
}
} // namespace

void TestResultLists::lengthClasses_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("list"); // 0: not filed
    QTest::newRow("bare .com") << ".com" << 0;
    QTest::newRow("bare .net") << ".net" << 0;
    QTest::newRow("bare .org") << ".org" << int(ResultLists::High);
    QTest::newRow("no dot") << "abcdefgh" << int(ResultLists::Low);
    QTest::newRow("label 1") << "a.com" << int(ResultLists::High);
    QTest::newRow("label 4") << "abcd.com" << int(ResultLists::High);
    QTest::newRow("label 4, long extension") << "abcd.museum" << int(ResultLists::High);
    QTest::newRow("label 5") << "abcde.com" << int(ResultLists::Mid);
    QTest::newRow("label 7") << "abcdefg.co.uk" << int(ResultLists::Mid);
    QTest::newRow("label 8") << "abcdefgh.de" << int(ResultLists::Low);
    QTest::newRow("digits and hyphens count") << "a-1-b.com" << int(ResultLists::Mid);
    QTest::newRow("first dot decides") << "www.example.com" << int(ResultLists::High);
    QTest::newRow("upper-case bare") << ".COM" << int(ResultLists::High);
}

void TestResultLists::lengthClasses() {
    QFETCH(QString, name);
    QFETCH(int, list);
    TempProgramFolder temp;
    ResultLists lists(temp.folder());
    lists.fileFreeName(name);
    lists.fileFreeName(name); // never de-duplicated
    for (int k = ResultLists::Low; k <= ResultLists::Saved; ++k) {
        const int expected = k == list ? 2 : 0;
        QCOMPARE(lists.list(k)->count(), expected);
        QCOMPARE(lists.counter(k), k == ResultLists::Saved ? 0 : expected);
    }
    if (list == 0)
        QCOMPARE(QDir(temp.root()).entryList(QDir::Files), QStringList{});
    else
        checkMirrors(lists);

    lists.fileTakenName(name);
    QCOMPARE(lists.list(ResultLists::Registered)->count(), list == 0 ? 0 : 1);
}

void TestResultLists::captionsAndToolTips() {
    TempProgramFolder temp;
    ResultLists lists(temp.folder());
    const QStringList bare = {"Low Profile", "Registered", "High Profile", "Mid Profile",
                              "Saved Domains"};
    const QStringList tips = {
        "These domains have 8 or more characters.", "These domain names are already registered.",
        "These domains have less than 5 characters", "These domains have 5 to 7 characters",
        "Drag a domain name here to save it."};
    for (int k = 1; k <= 5; ++k) {
        QCOMPARE(lists.caption(k), bare.at(k - 1));
        QCOMPARE(ResultLists::bareCaption(k), bare.at(k - 1));
        QCOMPARE(ResultLists::toolTip(k), tips.at(k - 1));
    }
    QSignalSpy spy(&lists, &ResultLists::captionChanged);
    lists.fileFreeName("abcdefgh.com");
    lists.fileFreeName("abcdef.com");
    lists.fileFreeName("abc.com");
    lists.fileTakenName("taken.com");
    lists.fileFreeName("xyz.com");
    QCOMPARE(lists.caption(ResultLists::Low), QString("Low Profile (1)"));
    QCOMPARE(lists.caption(ResultLists::Mid), QString("Mid Profile (1)"));
    QCOMPARE(lists.caption(ResultLists::High), QString("High Profile (2)"));
    QCOMPARE(lists.caption(ResultLists::Registered), QString("Registered (1)"));
    QCOMPARE(spy.size(), 5);
    QCOMPARE(spy.last().at(0).toInt(), int(ResultLists::High));
    QCOMPARE(spy.last().at(1).toString(), QString("High Profile (2)"));

    // Start of a run: counters restart, captions keep their text until the next filing.
    lists.resetCounters();
    QCOMPARE(lists.counter(ResultLists::High), 0);
    QCOMPARE(lists.caption(ResultLists::High), QString("High Profile (2)"));
    lists.fileFreeName("q.com");
    QCOMPARE(lists.caption(ResultLists::High), QString("High Profile (1)"));
    QCOMPARE(lists.list(ResultLists::High)->count(), 3);
}

void TestResultLists::registeredIsTrimmed() {
    TempProgramFolder temp;
    ResultLists lists(temp.folder());
    for (int i = 1; i <= 101; ++i)
        lists.fileTakenName(QString("taken%1.com").arg(i));
    QCOMPARE(lists.list(ResultLists::Registered)->count(), 101);
    QCOMPARE(lists.caption(ResultLists::Registered), QString("Registered (101)"));
    lists.fileTakenName("taken102.com");
    QCOMPARE(lists.list(ResultLists::Registered)->names(), QStringList{"taken102.com"});
    QCOMPARE(lists.caption(ResultLists::Registered), QString("Registered (102)"));
    // The Registered list is never written anywhere.
    QCOMPARE(QDir(temp.root()).entryList(QDir::Files), QStringList{});
}

void TestResultLists::mirrorFilesFollowTheLists() {
    TempProgramFolder temp;
    ResultLists lists(temp.folder());
    const QString stamp = lists.listStamp();
    QVERIFY(!stamp.isEmpty());
    const QString root = QDir::cleanPath(temp.root());
    // Shifted names: Mid lives in "HighProfile", High in "SuperHighProfile".
    QCOMPARE(lists.mirrorFilePaths(), QStringList({root + "/LowProfile" + stamp + ".txt",
                                                   root + "/HighProfile" + stamp + ".txt",
                                                   root + "/SuperHighProfile" + stamp + ".txt"}));

    lists.fileFreeName("abc.com");
    // Every mirror file exists after the first filing, empty ones included.
    checkMirrors(lists);
    QCOMPARE(temp.readFile("/SuperHighProfile" + stamp + ".txt"), QByteArray("abc.com\r\n"));
    for (int i = 0; i < 50; ++i) {
        lists.fileFreeName(QString("n%1.com").arg(i, 6, 10, QChar('0')));
        lists.fileFreeName(QString("x%1.net").arg(i));
    }
    checkMirrors(lists);
    lists.deleteAt(ResultLists::Mid, 3);
    lists.fileFreeName("later1.com");
    checkMirrors(lists);
    lists.clearList(ResultLists::High);
    lists.fileFreeName("verylongname.com");
    checkMirrors(lists);
    QCOMPARE(fileLines(lists.mirrorFilePaths().at(2)), QStringList{});
    lists.clearList(ResultLists::Low);
    lists.fileFreeName("ab.com");
    lists.fileFreeName("abcdefgh.com");
    checkMirrors(lists);
}

void TestResultLists::mirrorRewrittenWhenChangedOutside() {
    TempProgramFolder temp;
    ResultLists lists(temp.folder());
    lists.fileFreeName("abcdefgh.com");
    lists.fileFreeName("abcdefghi.com");
    QVERIFY(QFile::remove(lists.mirrorFilePaths().at(0)));
    lists.fileFreeName("abcdefghij.com");
    checkMirrors(lists);
    temp.writeFile("/LowProfile" + lists.listStamp() + ".txt", "junk\r\n");
    lists.fileFreeName("abcdefghijk.com");
    checkMirrors(lists);
}

void TestResultLists::listCommands() {
    TempProgramFolder temp;
    ResultLists lists(temp.folder());
    lists.fileFreeName("abcdefgh.com");
    lists.fileFreeName("abcdefghi.com");
    lists.fileFreeName("abcdefghij.com");

    lists.deleteAt(ResultLists::Low, 7); // no such row: nothing changes
    QCOMPARE(lists.counter(ResultLists::Low), 3);
    lists.deleteAt(ResultLists::Low, 1);
    QCOMPARE(lists.list(ResultLists::Low)->names(),
             QStringList({"abcdefgh.com", "abcdefghij.com"}));
    QCOMPARE(lists.counter(ResultLists::Low), 2);
    QCOMPARE(lists.caption(ResultLists::Low), QString("Low Profile (2)"));

    lists.clearList(ResultLists::Low);
    QCOMPARE(lists.list(ResultLists::Low)->count(), 0);
    QCOMPARE(lists.counter(ResultLists::Low), 0);
    QCOMPARE(lists.caption(ResultLists::Low), QString("Low Profile"));

    // The Saved list has no counter; its file waits for the next drop.
    lists.appendSaved({"keep1.com", "keep2.com"});
    const QByteArray saved = temp.readFile("/Remembered.txt");
    lists.deleteAt(ResultLists::Saved, 0);
    QCOMPARE(lists.list(ResultLists::Saved)->names(), QStringList{"keep2.com"});
    QCOMPARE(lists.caption(ResultLists::Saved), QString("Saved Domains"));
    lists.clearList(ResultLists::Saved);
    QCOMPARE(lists.list(ResultLists::Saved)->count(), 0);
    QCOMPARE(temp.readFile("/Remembered.txt"), saved);
}

void TestResultLists::overflowAt20000() {
    TempProgramFolder temp;
    QDir(temp.root()).mkdir("overflow");
    QDir(temp.root()).mkdir("backups");
    ResultLists lists(temp.folder());
    QSignalSpy overflowed(&lists, &ResultLists::overflowed);
    lists.appendSaved({"kept.com"});
    lists.fileFreeName("abc.com");
    lists.fileFreeName("abcde.com");
    lists.fileTakenName("taken.com");
    QStringList low;
    for (int i = 0; i < ResultLists::OverflowLimit - 1; ++i) {
        low << QString("lowname%1.com").arg(i);
        lists.fileFreeName(low.last());
        QVERIFY(!lists.applyOverflowRule());
    }
    const QString oldStamp = lists.listStamp();
    const QStringList oldMirrors = lists.mirrorFilePaths();
    low << "lastname.com";
    lists.fileFreeName(low.last());
    QVERIFY(lists.applyOverflowRule());
    QCOMPARE(overflowed.size(), 1);

    // Dumped under the old stamp into the one overflow folder.
    QCOMPARE(fileLines(temp.path("/overflow/LowProfile" + oldStamp + ".txt")), low);
    QCOMPARE(fileLines(temp.path("/overflow/HighProfile" + oldStamp + ".txt")),
             QStringList{"abcde.com"});
    QCOMPARE(fileLines(temp.path("/overflow/SuperHighProfile" + oldStamp + ".txt")),
             QStringList{"abc.com"});
    QCOMPARE(QDir(temp.root() + "/overflow").entryList(QDir::Files).size(), 3);
    // The old mirror files keep the 20000-entry state.
    QCOMPARE(fileLines(oldMirrors.at(0)), low);

    for (int k : {1, 2, 3, 4}) {
        QCOMPARE(lists.list(k)->count(), 0);
        QCOMPARE(lists.counter(k), 0);
    }
    QCOMPARE(lists.caption(ResultLists::Low), QString("Low Profile (20000)"));
    QCOMPARE(lists.list(ResultLists::Saved)->names(), QStringList{"kept.com"});

    const QString newStamp = lists.listStamp();
    QVERIFY(newStamp != oldStamp);
    QCOMPARE(temp.readFile("/backups/HighProfile" + newStamp + ".txt"), QByteArray(" \r\n \r\n"));
    QCOMPARE(temp.readFile("/backups/MidProfile" + newStamp + ".txt"), QByteArray(" \r\n"));

    lists.fileFreeName("fresh12345.com");
    QCOMPARE(lists.counter(ResultLists::Low), 1);
    QCOMPARE(lists.caption(ResultLists::Low), QString("Low Profile (1)"));
    QVERIFY(lists.mirrorFilePaths().at(0).contains(newStamp));
    checkMirrors(lists);
    QCOMPARE(fileLines(oldMirrors.at(0)), low);
}

// A dump that fails (here the overflow folder's name is taken by a file) clears nothing: the
// lists, counters and stamp stay, the failure is told once with the folder it tried, and the
// next filing tries again and succeeds once the folder can be written.
void TestResultLists::failedOverflowKeepsTheLists() {
    TempProgramFolder temp;
    temp.writeFile("/overflow", "a file in the folder's place");
    ResultLists lists(temp.folder());
    QSignalSpy overflowed(&lists, &ResultLists::overflowed);
    QSignalSpy failedOverflow(&lists, &ResultLists::overflowFailed);
    QSignalSpy failedWrites(&lists, &ResultLists::writeFailed);
    QStringList low;
    for (int i = 0; i < ResultLists::OverflowLimit; ++i) {
        low << QString("lowname%1.com").arg(i);
        lists.fileFreeName(low.last());
    }
    lists.fileFreeName("abc.com");
    const QString stamp = lists.listStamp();

    QVERIFY(!lists.applyOverflowRule());
    QCOMPARE(overflowed.size(), 0);
    QCOMPARE(failedOverflow.size(), 1);
    QCOMPARE(failedOverflow.first().at(0).toString(),
             QDir::toNativeSeparators(temp.path("/overflow")));
    QCOMPARE(failedWrites.size(), 3); // each overflow file once
    QCOMPARE(lists.list(ResultLists::Low)->names(), low);
    QCOMPARE(lists.counter(ResultLists::Low), ResultLists::OverflowLimit);
    QCOMPARE(lists.list(ResultLists::High)->count(), 1);
    QCOMPARE(lists.listStamp(), stamp);

    // The run goes on; each filing tries again without telling the same failure again.
    low << "onemorename.com";
    lists.fileFreeName(low.last());
    QVERIFY(!lists.applyOverflowRule());
    QCOMPARE(failedOverflow.size(), 1);
    QCOMPARE(failedWrites.size(), 3);
    QCOMPARE(lists.list(ResultLists::Low)->count(), ResultLists::OverflowLimit + 1);

    QVERIFY(QFile::remove(temp.path("/overflow")));
    low << "lastname.com";
    lists.fileFreeName(low.last());
    QVERIFY(lists.applyOverflowRule());
    QCOMPARE(overflowed.size(), 1);
    QCOMPARE(fileLines(temp.path("/overflow/LowProfile" + stamp + ".txt")), low);
    QCOMPARE(fileLines(temp.path("/overflow/SuperHighProfile" + stamp + ".txt")),
             QStringList{"abc.com"});
    QCOMPARE(lists.list(ResultLists::Low)->count(), 0);
    QVERIFY(lists.listStamp() != stamp);
}

void TestResultLists::stampsNeverReuseFiles() {
    // Two runs in the same second, and an overflow folder spelt in another case.
    TempProgramFolder temp;
    QDir(temp.root()).mkdir("OverFlow");
    QStringList stamps;
    for (int run = 0; run < 3; ++run) {
        ResultLists lists(temp.folder());
        QVERIFY(!stamps.contains(lists.listStamp()));
        stamps << lists.listStamp();
        lists.fileFreeName(QString("run%1.com").arg(run));
        lists.dumpToOverflow();
    }
    QCOMPARE(QDir(temp.root()).entryList({"SuperHighProfile*"}, QDir::Files).size(), 3);
    QCOMPARE(QDir(temp.root() + "/OverFlow").entryList(QDir::Files).size(), 9);
    QVERIFY(!QFileInfo::exists(temp.root() + "/overflow"));
}

void TestResultLists::stampHasNoSeparators() {
    const QDateTime when(QDate(2026, 12, 7), QTime(11, 20, 53));
    for (const QLocale &locale : {QLocale(QLocale::English, QLocale::UnitedStates),
                                  QLocale(QLocale::German), QLocale::system(), QLocale::c()}) {
        const QString stamp = ResultLists::makeStamp(when, locale);
        QVERIFY2(!stamp.isEmpty(), qPrintable(locale.name()));
        for (const QChar c : stamp)
            QVERIFY2(c != '/' && c != ':' && c != '\\' && !c.isSpace(), qPrintable(stamp));
        QVERIFY2(stamp.contains("2053"), qPrintable(stamp));
        QVERIFY(ResultLists::makeStamp(when.addSecs(1), locale) != stamp);
    }
    QCOMPARE(ResultLists::makeStamp(when), ResultLists::makeStamp(when, QLocale::system()));
}

void TestResultLists::savedListLoadAndSave() {
    TempProgramFolder temp;
    temp.writeFile("/Remembered.txt", "\r\none.com\r\n \r\n\r\ntwo.net\n  \r\nthree.org");
    ResultLists lists(temp.folder());
    lists.loadSavedList();
    QCOMPARE(lists.list(ResultLists::Saved)->names(),
             QStringList({"one.com", "two.net", "  ", "three.org"}));
    lists.appendSaved({"four.com", " ", ""});
    QCOMPARE(temp.readFile("/Remembered.txt"),
             QByteArray("one.com\r\ntwo.net\r\n  \r\nthree.org\r\nfour.com\r\n"));
    lists.clearList(ResultLists::Saved);
    lists.saveSavedList();
    QCOMPARE(temp.readFile("/Remembered.txt"), QByteArray());

    // Loading again replaces rather than adds; a missing file gives an empty list.
    QVERIFY(QFile::remove(temp.root() + "/Remembered.txt"));
    temp.writeFile("/remembered.TXT", "x.com\r\n");
    lists.loadSavedList();
    lists.loadSavedList();
    QCOMPARE(lists.list(ResultLists::Saved)->names(), QStringList{"x.com"});
    QFile::remove(temp.root() + "/remembered.TXT");
    lists.loadSavedList();
    QCOMPARE(lists.list(ResultLists::Saved)->count(), 0);
}

// Each file that cannot be written is reported on its own, once until it is written again;
// the other files' writes neither hide nor repeat its report.
void TestResultLists::writeFailuresReportedPerFile() {
    TempProgramFolder temp;
    // A folder where a file should be: writing it fails, also as root.
    QVERIFY(QDir(temp.root()).mkdir("Remembered.txt"));
    ResultLists lists(temp.folder());
    QSignalSpy failed(&lists, &ResultLists::writeFailed);
    const auto reported = [&failed] {
        QStringList files;
        for (const QList<QVariant> &report : failed)
            files << report.at(0).toString().section(QDir::separator(), -1).section(QLatin1Char(':'), 0, 0);
        return files;
    };

    lists.appendSaved({"keep.com"});
    lists.fileFreeName("abc.com"); // mirror files written fine
    lists.appendSaved({"keep2.com"});
    lists.fileFreeName("abd.com");
    QCOMPARE(reported(), QStringList{"Remembered.txt"});

    const QString high = lists.mirrorFilePaths().at(2);
    QVERIFY(QFile::remove(high));
    QVERIFY(QDir().mkdir(high));
    lists.fileFreeName("abe.com");
    lists.fileFreeName("abcdef.com"); // the Mid file is written fine in between
    lists.appendSaved({"keep3.com"});
    QCOMPARE(reported(), (QStringList{"Remembered.txt", QFileInfo(high).fileName()}));
    QCOMPARE(lists.list(ResultLists::High)->count(), 3);
    QCOMPARE(lists.counter(ResultLists::High), 3);
    QCOMPARE(lists.list(ResultLists::Saved)->count(), 3);

    // Written again, then failing again: that is a new failure, reported anew.
    QVERIFY(QDir(temp.root()).rmdir("Remembered.txt"));
    lists.appendSaved({"keep4.com"});
    QCOMPARE(fileLines(temp.path("/Remembered.txt")).size(), 4);
    QCOMPARE(failed.size(), 2);
    QVERIFY(QFile::remove(temp.path("/Remembered.txt")));
    QVERIFY(QDir(temp.root()).mkdir("Remembered.txt"));
    lists.appendSaved({"keep5.com"});
    QCOMPARE(failed.size(), 3);
    QVERIFY(failed.last().at(0).toString().contains("Remembered.txt"));

    // The program folder vanishes under the running lists: every file once, then the files
    // catch up with the lists when it is back.
    TempProgramFolder gone;
    const QString root = gone.root() + "/program";
    QVERIFY(QDir().mkpath(root));
    ResultLists orphan{ProgramFolder(root)};
    QSignalSpy orphanFailed(&orphan, &ResultLists::writeFailed);
    QVERIFY(QDir(root).removeRecursively());
    gone.writeFile("/program", "a file where the folder was");
    for (int i = 0; i < 5; ++i) {
        orphan.fileFreeName(QString("n%1.com").arg(i));
        orphan.appendSaved({"s.com"});
    }
    QCOMPARE(orphanFailed.size(), 4); // three mirror files and Remembered.txt
    // The status names what failed and the file.
    const QString message = orphanFailed.first().at(0).toString();
    QVERIFY2(message.startsWith("Could not "), qPrintable(message));
    QVERIFY2(message.endsWith("; the lists go on without it."), qPrintable(message));
    QVERIFY(QFile::remove(root));
    QVERIFY(QDir().mkpath(root));
    orphan.fileFreeName("back.com");
    checkMirrors(orphan);
    QCOMPARE(orphan.list(ResultLists::High)->count(), 6);
}

void TestResultLists::unknownNamesAppendedUnderTheStamp() {
    TempProgramFolder temp;
    ResultLists lists(temp.folder());
    QSignalSpy failed(&lists, &ResultLists::writeFailed);
    const QString path = lists.unknownFilePath();
    QCOMPARE(QFileInfo(path).fileName(), "Unknown" + lists.listStamp() + ".txt");

    QVERIFY(lists.appendUnknownNames({"a.com\trate-limited", "b.de\tno reply"}));
    QVERIFY(lists.appendUnknownNames({"c.com\tconnection reset"}));
    QCOMPARE(fileLines(path),
             (QStringList{"a.com\trate-limited", "b.de\tno reply", "c.com\tconnection reset"}));

    // A failed write is reported, not passed off as written.
    QVERIFY(QFile::remove(path));
    QVERIFY(QDir().mkdir(path));
    QVERIFY(!lists.appendUnknownNames({"d.com\tno reply"}));
    QCOMPARE(failed.size(), 1);
    QVERIFY(failed.at(0).at(0).toString().contains(QFileInfo(path).fileName()));
}

void TestResultLists::modelSignalsAppends() {
    NameListModel model;
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    model.append("a");
    model.appendMany({"b", "c"});
    model.appendMany({});
    QCOMPARE(inserted.size(), 2);
    QCOMPARE(inserted.at(1).at(1).toInt(), 1);
    QCOMPARE(inserted.at(1).at(2).toInt(), 2);
    QCOMPARE(model.data(model.index(2)).toString(), QString("c"));
    QVERIFY(!model.data(model.index(3)).isValid());
    model.removeAt(5);
    model.removeAt(0);
    QCOMPARE(model.names(), QStringList({"b", "c"}));
    model.clear();
    QCOMPARE(model.rowCount(), 0);
    QCOMPARE(reset.size(), 1);
}

void TestResultLists::deferredViewsSeeBlocks() {
    NameListModel model;
    model.append("a");
    model.setDeferred(true);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);

    // Appends reach the views as one block per publish; names() is always the true list.
    model.append("b");
    model.appendMany({"c", "d"});
    QCOMPARE(model.rowCount(), 1);
    QCOMPARE(model.count(), 4);
    model.publish();
    QCOMPARE(inserted.size(), 1);
    QCOMPARE(inserted.at(0).at(1).toInt(), 1);
    QCOMPARE(inserted.at(0).at(2).toInt(), 3);
    QCOMPARE(model.data(model.index(3)).toString(), QString("d"));
    model.publish();
    QCOMPARE(inserted.size(), 1);

    // A clear and new rows between two publishes: the views keep their rows until one reset.
    model.clear();
    model.append("e");
    QCOMPARE(model.rowCount(), 4);
    QCOMPARE(model.shownAt(2), QString("c"));
    QVERIFY(!model.shownRowIsCurrent(2));
    model.publish();
    QCOMPARE(reset.size(), 1);
    QCOMPARE(model.rowCount(), 1);
    QCOMPARE(model.shownAt(0), QString("e"));
    QVERIFY(model.shownRowIsCurrent(0));

    // A removal (the user's Delete) is exact at once, pending appends included.
    model.append("f");
    model.removeAt(0);
    QCOMPARE(model.names(), QStringList{"f"});
    QCOMPARE(model.rowCount(), 1);
    QCOMPARE(model.shownAt(0), QString("f"));

    model.append("g");
    model.setDeferred(false);
    QCOMPARE(model.rowCount(), 2);
    model.append("h");
    QCOMPARE(model.rowCount(), 3);
}

void TestResultLists::counterNeverBelowZero() {
    // Start resets the counters while the lists keep their rows; deleting them then must not
    // show "Low Profile (-1)".
    TempProgramFolder temp;
    ResultLists lists(temp.folder());
    lists.fileFreeName("abcdefgh.com");
    lists.fileFreeName("abcdefghi.com");
    lists.resetCounters();
    lists.deleteAt(ResultLists::Low, 0);
    QCOMPARE(lists.counter(ResultLists::Low), 0);
    QCOMPARE(lists.caption(ResultLists::Low), QString("Low Profile (0)"));
    lists.deleteAt(ResultLists::Low, 0);
    QCOMPARE(lists.counter(ResultLists::Low), 0);
    QCOMPARE(lists.list(ResultLists::Low)->count(), 0);
}

QTEST_GUILESS_MAIN(TestResultLists)
#include "tst_resultlists.moc"
