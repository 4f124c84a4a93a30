#include "desktoprecorder.h"
#include "session/listcommands.h"
#include "core/resultlists.h"
#include "tempprogramfolder.h"

#include <QTest>

// Mid Profile (list 4) holds five names, High Profile (list 3) two, Low Profile (list 1) one.
class TestListCommands : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void positionsPickOnlyValidEntries_data();
    void positionsPickOnlyValidEntries();
    void editMenu_data();
    void editMenu();
    void copyWritesEveryEntryWithCrLf();

private:
    std::unique_ptr<TempProgramFolder> m_tmp;
    std::unique_ptr<ResultLists> m_lists;
    DesktopRecorder m_desktop;
};

void TestListCommands::init() {
    m_tmp = std::make_unique<TempProgramFolder>();
    m_lists = std::make_unique<ResultLists>(m_tmp->folder());
    m_desktop.clipboard.clear();
    for (const char *name : {"alpha.com", "bravo.com", "charl.com", "delta.com", "echoo.com"})
        m_lists->fileFreeName(QString::fromLatin1(name));
    m_lists->fileFreeName(QStringLiteral("ab.com"));
    m_lists->fileFreeName(QStringLiteral("cd.net"));
    m_lists->fileFreeName(QStringLiteral("longername.org"));
    m_lists->fileTakenName(QStringLiteral("taken.com"));
    m_lists->appendSaved({QStringLiteral("kept.com")});
}

void TestListCommands::cleanup() {
    m_lists.reset();
    m_tmp.reset();
}

void TestListCommands::positionsPickOnlyValidEntries_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("source");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("ascending") << "0|2|4" << 4
                               << QStringList{"alpha.com", "charl.com", "echoo.com"};
    QTest::newRow("single") << "1" << 3 << QStringList{"cd.net"};
    QTest::newRow("past the end") << "0|5|99" << 4 << QStringList{"alpha.com"};
    QTest::newRow("negative") << "-1|1" << 4 << QStringList{"bravo.com"};
    QTest::newRow("foreign text") << "http://example.com/x|y" << 4 << QStringList{};
    QTest::newRow("empty pieces and spaces") << "|| 3 |" << 4 << QStringList{"delta.com"};
    QTest::newRow("huge number") << "99999999999999999999" << 4 << QStringList{};
    QTest::newRow("crlf after text") << "0|1\r\n" << 4 << QStringList{"alpha.com", "bravo.com"};
    QTest::newRow("no active list") << "0|1" << 0 << QStringList{};
    QTest::newRow("saved is no source") << "0" << 5 << QStringList{};
}

void TestListCommands::positionsPickOnlyValidEntries() {
    QFETCH(QString, text);
    QFETCH(int, source);
    QFETCH(QStringList, names);
    ListCommands commands(*m_lists, m_desktop);
    QCOMPARE(commands.namesAtPositions(text, source), names);

    commands.dropOnSaved(text, source);
    QCOMPARE(m_lists->list(5)->names(), QStringList{"kept.com"} + names);
    QCOMPARE(m_tmp->readFile("\\Remembered.txt"),
             (QStringList{"kept.com"} + names).join("\r\n").toLatin1() + "\r\n");
}

void TestListCommands::editMenu_data() {
    QTest::addColumn<int>("item");
    QTest::addColumn<QList<int>>("cleared");
    QTest::addColumn<QString>("clipboard");
    QTest::newRow("clear high/mid/low") << 0 << QList<int>{1, 3, 4} << QString();
    QTest::newRow("clear high") << 1 << QList<int>{3} << QString();
    QTest::newRow("clear mid") << 2 << QList<int>{4} << QString();
    QTest::newRow("clear low") << 3 << QList<int>{1} << QString();
    QTest::newRow("clear registered") << 4 << QList<int>{2} << QString();
    QTest::newRow("clear saved") << 5 << QList<int>{5} << QString();
    QTest::newRow("copy high") << 6 << QList<int>{} << "ab.com\r\ncd.net\r\n";
    QTest::newRow("copy mid") << 7 << QList<int>{}
                              << "alpha.com\r\nbravo.com\r\ncharl.com\r\ndelta.com\r\necho"
                                 "o.com\r\n";
    QTest::newRow("copy low") << 8 << QList<int>{} << "longername.org\r\n";
    QTest::newRow("copy saved") << 9 << QList<int>{} << "kept.com\r\n";
}

void TestListCommands::editMenu() {
    QFETCH(int, item);
    QFETCH(QList<int>, cleared);
    QFETCH(QString, clipboard);
    const QByteArray saved = m_tmp->readFile("\\Remembered.txt");
    ListCommands commands(*m_lists, m_desktop);
    commands.editMenuItem(item);
    const int sizes[] = {0, 1, 1, 2, 5, 1};
    for (int k = 1; k <= 5; ++k) {
        QCOMPARE(m_lists->list(k)->count(), cleared.contains(k) ? 0 : sizes[k]);
        if (cleared.contains(k) && k != 5) {
            QCOMPARE(m_lists->counter(k), 0);
            QCOMPARE(m_lists->caption(k), ResultLists::bareCaption(k));
        }
    }
    QCOMPARE(m_desktop.clipboard, clipboard);
    // No command rewrites the Saved list's file; only a drop does.
    QCOMPARE(m_tmp->readFile("\\Remembered.txt"), saved);
}

void TestListCommands::copyWritesEveryEntryWithCrLf() {
    ListCommands commands(*m_lists, m_desktop);
    commands.copyList(2);
    QCOMPARE(m_desktop.clipboard, QStringLiteral("taken.com\r\n"));
    m_lists->clearList(2);
    m_desktop.clipboard = QStringLiteral("old");
    commands.copyList(2);
    QCOMPARE(m_desktop.clipboard, QString());
}

QTEST_GUILESS_MAIN(TestListCommands)
#include "tst_listcommands.moc"
