#include "session/listexport.h"
#include "core/resultlists.h"
#include "desktoprecorder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

class TestListExport : public QObject {
    Q_OBJECT
private slots:
    void init();
    void csvHasEveryListInOrder();
    void jsonParsesBackToTheLists();
    void formatFollowsTheName();
    void writeFailureNamesTheFileAndKeepsTheOldOne();
    void exportAsksBeforeReplacingTheFileItWrites();
    void csvCellsCannotRunOrDriveAnything();

private:
    QTemporaryDir m_dir;
    std::unique_ptr<ResultLists> m_lists;
};

void TestListExport::init() {
    m_lists = std::make_unique<ResultLists>(ProgramFolder(m_dir.path()));
    m_lists->fileFreeName("abc.com");
    m_lists->fileFreeName("middle.net");
    m_lists->fileFreeName("longername.org");
    m_lists->fileTakenName("taken.com");
    // Saved entries come from drops and may hold anything a clipboard does.
    m_lists->list(ResultLists::Saved)->append("odd,\"name\".com");
}

void TestListExport::csvHasEveryListInOrder() {
    QCOMPARE(ListExport::csv(*m_lists), QByteArray("list,name\r\n"
                                                   "high,abc.com\r\n"
                                                   "mid,middle.net\r\n"
                                                   "low,longername.org\r\n"
                                                   "registered,taken.com\r\n"
                                                   "saved,\"odd,\"\"name\"\".com\"\r\n"));
    m_lists->clearList(ResultLists::High);
    m_lists->clearList(ResultLists::Saved);
    QVERIFY(!ListExport::csv(*m_lists).contains("high,"));
}

void TestListExport::jsonParsesBackToTheLists() {
    QJsonParseError error{};
    const QJsonObject object = QJsonDocument::fromJson(ListExport::json(*m_lists), &error).object();
    QCOMPARE(error.error, QJsonParseError::NoError);
    QCOMPARE(object.keys(), (QStringList{"high", "low", "mid", "registered", "saved"}));
    QCOMPARE(object["low"].toArray().toVariantList(), QVariantList{"longername.org"});
    QCOMPARE(object["saved"].toArray().at(0).toString(), QStringLiteral("odd,\"name\".com"));
    m_lists->clearList(ResultLists::Low);
    const QJsonObject empty = QJsonDocument::fromJson(ListExport::json(*m_lists)).object();
    QVERIFY(empty["low"].isArray() && empty["low"].toArray().isEmpty());
}

void TestListExport::formatFollowsTheName() {
    QCOMPARE(ListExport::formatFor("/x/lists.JSON"), ListExport::Format::Json);
    QCOMPARE(ListExport::formatFor("/x/lists.csv"), ListExport::Format::Csv);
    QCOMPARE(ListExport::formatFor("/x/lists.txt"), ListExport::Format::Csv);
    QCOMPARE(ListExport::withSuffix("/x/lists"), QStringLiteral("/x/lists.csv"));
    QCOMPARE(ListExport::withSuffix("/x/lists.json"), QStringLiteral("/x/lists.json"));

    const QString path = m_dir.filePath("out.json");
    QVERIFY(!ListExport::write(*m_lists, path));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(QJsonDocument::fromJson(file.readAll()).isObject());
}

void TestListExport::writeFailureNamesTheFileAndKeepsTheOldOne() {
    const QString missing = m_dir.filePath("no/such/folder/lists.csv");
    const auto error = ListExport::write(*m_lists, missing);
    QVERIFY(error);
    QVERIFY(error->contains(missing));
    QVERIFY(!QFile::exists(missing));

    // A file that cannot be replaced keeps what it held.
    const QString locked = m_dir.filePath("locked");
    QVERIFY(QDir().mkpath(locked));
    QFile old(locked + "/lists.csv");
    QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old\r\n") == 5);
    old.close();
    QFile(locked).setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    if (QFileInfo(locked).isWritable())
        QSKIP("running with rights that ignore folder permissions");
    QVERIFY(ListExport::write(*m_lists, locked + "/lists.csv"));
    QVERIFY(old.open(QIODevice::ReadOnly));
    QCOMPARE(old.readAll(), QByteArray("old\r\n"));
}

void TestListExport::exportAsksBeforeReplacingTheFileItWrites() {
    // "lists" typed over an existing lists.csv: the question names lists.csv; declined, the
    // dialog comes back and, cancelled, nothing is written.
    const QString bare = m_dir.filePath("lists");
    QFile old(bare + ".csv");
    QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old\r\n") == 5);
    old.close();
    DesktopRecorder desktop;
    desktop.fileAnswers = {bare};
    desktop.answers = {Desktop::Answer::No};
    QCOMPARE(ListExport::exportLists(desktop, *m_lists, bare + ".csv"), QString());
    QCOMPARE(desktop.messages.size(), 1);
    QVERIFY(desktop.messages.first().text.contains(bare + ".csv"));
    QCOMPARE(desktop.messages.first().buttons, Desktop::Buttons::YesNo);
    QCOMPARE(desktop.dialogFolders, (QStringList{bare + ".csv", bare + ".csv"}));
    QVERIFY(old.open(QIODevice::ReadOnly));
    QCOMPARE(old.readAll(), QByteArray("old\r\n"));
    old.close();

    // Agreed: replaced.
    desktop.fileAnswers = {bare};
    desktop.answers = {Desktop::Answer::Yes};
    QCOMPARE(ListExport::exportLists(desktop, *m_lists, bare), bare + ".csv");
    QVERIFY(old.open(QIODevice::ReadOnly));
    QVERIFY(old.readAll().startsWith("list,name"));

    // The JSON filter with a bare name writes JSON, under a new name: no question.
    desktop.messages.clear();
    desktop.fileAnswers = {bare};
    desktop.filterAnswers = {"JSON files (*.json)"};
    QCOMPARE(ListExport::exportLists(desktop, *m_lists, bare), bare + ".json");
    QVERIFY(desktop.messages.isEmpty());
    QFile json(bare + ".json");
    QVERIFY(json.open(QIODevice::ReadOnly));
    QVERIFY(QJsonDocument::fromJson(json.readAll()).isObject());
    // A typed suffix wins over the filter.
    QCOMPARE(ListExport::targetFor("/x/a.csv", "JSON files (*.json)").format,
             ListExport::Format::Csv);
}

void TestListExport::csvCellsCannotRunOrDriveAnything() {
    m_lists->clearList(ResultLists::Saved);
    for (const char *entry : {"=1+2", "+x", "-2.5+3+cmd|' /C calc'!A0", "@sum", "\tx", "a\x1b[2Jb"})
        m_lists->list(ResultLists::Saved)->append(QString::fromLatin1(entry));
    const QByteArray csv = ListExport::csv(*m_lists);
    QVERIFY2(csv.contains("saved,'=1+2\r\nsaved,'+x\r\nsaved,'-2.5+3+cmd|' /C calc'!A0\r\n"
                          "saved,'@sum\r\nsaved,' x\r\nsaved,a [2Jb\r\n"),
             csv.constData());
}

QTEST_GUILESS_MAIN(TestListExport)
#include "tst_listexport.moc"
