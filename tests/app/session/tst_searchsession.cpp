#include "session/searchdriver.h"
#include "session/searchsession.h"
#include "core/machinesettings.h"
#include "core/resultlists.h"
#include "loopbackwhoisserver.h"
#include "testcontext.h"

#include <QDateTime>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTest>
#include <memory>

namespace {
constexpr int WaitMs = 20000;
const QStringList StartupFiles{"BrowserSearch.txt", "Appends.txt", "CreatedDomains.txt",
                               "Remembered.txt"};
const QStringList StartupFolders{"backups", "overflow", "wordlists", "searches"};

QByteArray entries(int n) {
    QByteArray text;
    for (int i = 1; i <= n; ++i)
        text += "word" + QByteArray::number(i) + "\r\n";
    return text;
}

// A session over a fresh program folder; `server` answers every lookup when started.
struct Rig : TestContext {
    LoopbackWhoisServer server;
    std::unique_ptr<SearchSession> session;

    explicit Rig(int tickMs = 10)
        : TestContext(tickMs) {}

    // Loads the session, its lookups going to the loopback server.
    SearchSession &start(bool withServer = false) {
        if (withServer) {
            server.start();
            tmp.writeFile("\\registrars.txt",
                          "com|127.0.0.1|" + QByteArray::number(server.port()) + "|Enabled\r\n");
        }
        session = std::make_unique<SearchSession>(ctx);
        session->load();
        return *session;
    }
    QString stored(const QString &key) {
        return tmp.userStore().read("Orvane", "Settings", key, "");
    }
};
} // namespace

class TestSearchSession : public QObject {
    Q_OBJECT
private slots:
    void searchTypeCaptionsRoundTrip();
    void firstStartPreparesTheFolder();
    void secondStartChangesNothing();
    void startupReadsOptions_data();
    void startupReadsOptions();
    void badRegistrarRowIsReported();
    void wordListSelection_data();
    void wordListSelection();
    void otherTypes();
    void customListAndCancel();
    void startEntryRule_data();
    void startEntryRule();
    void startAndStop();
    void webSearchStartsAtTheFirstEntry();
    void typeChosenMidRunStopsTheRunFirst();
    void startListRunsTheGivenListFromItsFirstEntry();
    void openName();
};

void TestSearchSession::searchTypeCaptionsRoundTrip() {
    const QList<SearchType> all = SearchTypes::all();
    QCOMPARE(all.size(), 9);
    for (int i = 0; i < all.size(); ++i) {
        SearchType type{};
        QVERIFY(SearchTypes::fromIndex(i, &type));
        QCOMPARE(type, all.at(i));
        QCOMPARE(SearchTypes::index(type), i);
        SearchType back{};
        QVERIFY(SearchTypes::fromCaption(SearchTypes::caption(type), &back));
        QCOMPARE(back, type);
    }
    SearchType none = SearchType::Browse;
    QVERIFY(!SearchTypes::fromIndex(-1, &none));
    QVERIFY(!SearchTypes::fromIndex(9, &none));
    QVERIFY(!SearchTypes::fromCaption("full word list", &none));
    QCOMPARE(SearchTypes::caption(SearchType::TwoLetterList), QStringLiteral("All Two Letter"));
}

void TestSearchSession::firstStartPreparesTheFolder() {
    Rig rig;
    SearchSession session(rig.ctx);
    QVERIFY(session.takeFirstStartHelp());
    QVERIFY(!session.takeFirstStartHelp()); // once only
    session.load();
    for (const QString &file : StartupFiles)
        QCOMPARE(rig.tmp.readFile("\\" + file), QByteArray("\r\n"));
    for (const QString &folder : StartupFolders)
        QVERIFY2(QFileInfo(rig.tmp.root() + "/" + folder).isDir(), qPrintable(folder));
    QCOMPARE(rig.tmp.readFile("\\registrars.txt"), RegistrarTable::defaultFileContent());
    QCOMPARE(rig.ctx.registrars.ownRowCount(),
             RegistrarTable::defaultFileContent().count("\r\n") - 1);
    QCOMPARE(rig.tmp.userStore().read("Kestrin", "Settings", "showHelp", ""), QStringLiteral("0"));
    QVERIFY(rig.desktop.messages.isEmpty());
}

void TestSearchSession::secondStartChangesNothing() {
    Rig rig;
    rig.tmp.writeFile("\\Remembered.txt", "kept.com\r\n \r\n\r\nother.net\r\n");
    QVERIFY(rig.start().takeFirstStartHelp());
    rig.session.reset();

    // Back-date everything so any rewrite would show in the modification time.
    const QDateTime old = QDateTime::currentDateTime().addDays(-3);
    QHash<QString, QByteArray> before;
    for (const QString &name : StartupFiles + QStringList{"registrars.txt"}) {
        QFile file(rig.tmp.path("\\" + name));
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(old, QFileDevice::FileModificationTime));
        before.insert(name, file.readAll());
    }

    SearchSession &session = rig.start();
    for (auto it = before.cbegin(); it != before.cend(); ++it) {
        QCOMPARE(rig.tmp.readFile("\\" + it.key()), it.value());
        QCOMPARE(QFileInfo(rig.tmp.path("\\" + it.key())).lastModified(), old);
    }
    QCOMPARE(session.lists().list(ResultLists::Saved)->names(),
             (QStringList{"kept.com", "other.net"}));
    QVERIFY(!session.takeFirstStartHelp());
}

void TestSearchSession::startupReadsOptions_data() {
    QTest::addColumn<QString>("machineProxy");
    QTest::addColumn<QString>("userProxy");
    QTest::addColumn<QString>("defaultExt");
    QTest::addColumn<bool>("proxy");
    QTest::addColumn<QString>("extension");
    QTest::newRow("nothing stored") << ""
                                    << ""
                                    << "" << false << ".com";
    QTest::newRow("machine store on") << "1"
                                      << ""
                                      << ".net" << true << ".net";
    QTest::newRow("machine store off wins") << "0"
                                            << "1"
                                            << "" << false << ".com";
}

void TestSearchSession::startupReadsOptions() {
    QFETCH(QString, machineProxy);
    QFETCH(QString, userProxy);
    QFETCH(QString, defaultExt);
    QFETCH(bool, proxy);
    QFETCH(QString, extension);
    Rig rig;
    // The machine store keeps its values under the company and product names.
    if (!machineProxy.isEmpty())
        rig.setMachineSetting("chkProxy", machineProxy);
    if (!userProxy.isEmpty())
        rig.tmp.userStore().write("Kestrin", "Settings", "chkProxy", userProxy);
    if (!defaultExt.isEmpty())
        rig.tmp.userStore().write("Kestrin", "Settings", "DefaultExt", defaultExt);
    rig.tmp.userStore().write("Orvane", "Settings", "wordNumber", "42");
    rig.ctx.whois.ProxySwitch = !proxy;

    SearchSession &session = rig.start();
    QCOMPARE(rig.ctx.whois.ProxySwitch, proxy);
    QCOMPARE(rig.ctx.whois.DefaultExtension, extension);
    QCOMPARE(session.storedWordNumber(), 42);
}

void TestSearchSession::badRegistrarRowIsReported() {
    Rig rig;
    rig.tmp.writeFile("\\registrars.txt",
                      "com|whois.example|43|1\r\nbroken row\r\nnet|whois.example|43|1\r\n");
    SearchSession session(rig.ctx);
    QSignalSpy problems(&session, &SearchSession::problemReported);
    session.load();
    QCOMPARE(problems.size(), 1);
    QVERIFY2(problems.first().at(0).toString().contains("2"),
             qPrintable(problems.first().at(0).toString()));
    QVERIFY(rig.desktop.messages.isEmpty());
    // The bad row is simply unused.
    QCOMPARE(rig.ctx.registrars.ownRowCount(), 3);
    QCOMPARE(rig.ctx.registrars.rows().at(2).extension, QStringLiteral("net"));
}

void TestSearchSession::wordListSelection_data() {
    QTest::addColumn<SearchType>("type");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("count"); // -1: no file
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("startEntry");
    QTest::newRow("full, continues") << SearchType::FullWordList << "FullWordList.txt"
                                     << "FullWordNum" << 1000 << "731"
                                     << "731";
    QTest::newRow("two, default") << SearchType::TwoLetterList << "AllTwoLetter.txt"
                                  << "TwoWordNum" << 676 << ""
                                  << "1";
    QTest::newRow("three, at end") << SearchType::ThreeLetterList << "AllThreeLetter.txt"
                                   << "ThreeWordNum" << 20 << "20"
                                   << "1";
    QTest::newRow("four, missing") << SearchType::FourLetterList << "AllFourLetter.txt"
                                   << "FourWordNum" << -1 << "5"
                                   << "1";
}

void TestSearchSession::wordListSelection() {
    QFETCH(SearchType, type);
    QFETCH(QString, file);
    QFETCH(QString, key);
    QFETCH(int, count);
    QFETCH(QString, stored);
    QFETCH(QString, startEntry);
    Rig rig;
    if (count >= 0)
        rig.tmp.writeFile("\\wordlists\\" + file, entries(count) + "\r\n");
    if (!stored.isEmpty())
        rig.tmp.userStore().write("Orvane", "Settings", key, stored);
    SearchSession &session = rig.start();
    QSignalSpy selected(&session, &SearchSession::typeSelected);

    QVERIFY(session.selectType(type));
    QCOMPARE(session.type(), type);
    QCOMPARE(selected.size(), 1);
    QCOMPARE(QFileInfo(session.listPath()).fileName(), file);
    QCOMPARE(session.listPath(), rig.ctx.folder.wordList(type));
    QCOMPARE(session.driver().positionKey(), key);
    QCOMPARE(session.entryCount(), QString::number(qMax(count, 0)));
    QCOMPARE(session.startEntry(), startEntry);
}

void TestSearchSession::otherTypes() {
    Rig rig;
    SearchSession &session = rig.start();

    session.selectType(SearchType::GoogleSearch);
    QCOMPARE(session.listPath(), rig.tmp.path("\\BrowserSearch.txt"));
    QCOMPARE(session.driver().positionKey(), QStringLiteral("GoogleWordNum"));

    rig.tmp.writeFile("\\CreatedDomains.txt", entries(3));
    session.setStartEntry("2");
    session.selectType(SearchType::Generate);
    QCOMPARE(session.listPath(), rig.tmp.path("\\CreatedDomains.txt"));
    QCOMPARE(session.startEntry(), QStringLiteral("1"));
    QCOMPARE(session.driver().positionKey(), QString());

    // Browsing keeps the list and the position.
    session.setStartEntry("0");
    session.selectType(SearchType::Browse);
    QCOMPARE(session.type(), SearchType::Browse);
    QCOMPARE(session.listPath(), rig.tmp.path("\\CreatedDomains.txt"));
    QCOMPARE(session.startEntry(), QStringLiteral("0"));
}

void TestSearchSession::customListAndCancel() {
    Rig rig;
    rig.tmp.writeFile("\\wordlists\\AllTwoLetter.txt", entries(10) + "\r\n");
    rig.tmp.writeFile("\\mine\\names.txt", "a\r\n\r\nb\r\nc\r\n");
    SearchSession &session = rig.start();

    rig.desktop.fileAnswers << rig.tmp.path("\\mine\\names.txt");
    QVERIFY(session.selectType(SearchType::CustomList));
    QCOMPARE(rig.desktop.dialogFolders, QStringList{rig.tmp.path("\\wordlists")});
    QCOMPARE(session.listPath(), rig.tmp.path("\\mine\\names.txt"));
    QCOMPARE(session.entryCount(), QStringLiteral("3"));
    QCOMPARE(session.startEntry(), QStringLiteral("1"));
    QCOMPARE(session.driver().positionKey(), QStringLiteral("CustWordNum"));

    // A cancelled dialog leaves the earlier choice in place.
    session.selectType(SearchType::TwoLetterList);
    session.setStartEntry("4");
    QSignalSpy selected(&session, &SearchSession::typeSelected);
    QVERIFY(!session.selectType(SearchType::CustomList));
    QVERIFY(selected.isEmpty());
    QCOMPARE(session.type(), SearchType::TwoLetterList);
    QCOMPARE(session.driver().positionKey(), QStringLiteral("TwoWordNum"));
    QCOMPARE(QFileInfo(session.listPath()).fileName(), QStringLiteral("AllTwoLetter.txt"));
    QCOMPARE(session.entryCount(), QStringLiteral("10"));
    QCOMPARE(session.startEntry(), QStringLiteral("4"));
}

void TestSearchSession::startEntryRule_data() {
    QTest::addColumn<QString>("count");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("kept");
    QTest::newRow("below") << "10"
                           << "9"
                           << "9";
    QTest::newRow("equal") << "10"
                           << "10"
                           << "1";
    QTest::newRow("above") << "10"
                           << "11"
                           << "1";
    QTest::newRow("empty while typing") << "10"
                                        << ""
                                        << "";
    QTest::newRow("no count") << ""
                              << "7"
                              << "7";
}

void TestSearchSession::startEntryRule() {
    QFETCH(QString, count);
    QFETCH(QString, typed);
    QFETCH(QString, kept);
    Rig rig;
    SearchSession &session = rig.start();
    session.setEntryCount(count);
    session.setStartEntry("5");
    QSignalSpy changed(&session, &SearchSession::startFieldsChanged);
    session.setStartEntry(typed);
    QCOMPARE(session.startEntry(), kept);
    // Only a corrected entry is announced: the field already shows what was typed.
    QCOMPARE(changed.size(), kept == typed ? 0 : 1);
}

void TestSearchSession::startAndStop() {
    Rig rig;
    rig.tmp.writeFile("\\wordlists\\AllTwoLetter.txt", entries(30) + "\r\n");
    SearchSession &session = rig.start(true);
    rig.server.delayMs = 50;
    session.selectType(SearchType::TwoLetterList);
    session.lists().fileTakenName("counted.com");
    session.setStartEntry(""); // an empty start field starts at the first entry
    session.setEntryCount(""); // an empty count field counts the list
    QSignalSpy starting(&session, &SearchSession::runStarting);
    QSignalSpy stopped(&session, &SearchSession::runStopped);

    session.start();
    QVERIFY(session.running());
    QCOMPARE(starting.size(), 1);
    QCOMPARE(session.lists().counter(ResultLists::Registered), 0);
    QCOMPARE(session.startEntry(), QStringLiteral("1"));
    QCOMPARE(session.entryCount(), QStringLiteral("30"));

    session.stop();
    QCOMPARE(stopped.size(), 1);
    QVERIFY(!session.running());
    // The selection is applied again: the stored position continues the list.
    QCOMPARE(rig.stored("TwoWordNum"), QStringLiteral("26"));
    QCOMPARE(session.startEntry(), QStringLiteral("26"));
}

void TestSearchSession::webSearchStartsAtTheFirstEntry() {
    Rig rig(100);
    SearchSession &session = rig.start(true);
    rig.tmp.writeFile("\\BrowserSearch.txt", "n1.com\r\nn2.com\r\nn3.com\r\nn4.com\r\nn5.com\r\n");
    session.selectType(SearchType::YahooSearch);
    session.setEntryCount("5");
    session.setStartEntry("4");
    QSignalSpy stopped(&session, &SearchSession::runStopped);

    session.start();
    QVERIFY(stopped.wait(WaitMs));

    QCOMPARE(rig.server.queries.size(), 5);
}

// Choosing another type while a run goes on stops the run first and stores its position under
// its own type; the new type's stored position is left alone and shown.
void TestSearchSession::typeChosenMidRunStopsTheRunFirst() {
    Rig rig;
    rig.tmp.writeFile("\\wordlists\\FullWordList.txt", entries(100) + "\r\n");
    rig.tmp.writeFile("\\wordlists\\AllTwoLetter.txt", entries(50) + "\r\n");
    rig.tmp.userStore().write("Orvane", "Settings", "TwoWordNum", "7");
    SearchSession &session = rig.start(true);
    rig.server.delayMs = 200;
    session.selectType(SearchType::FullWordList);
    QSignalSpy stopped(&session, &SearchSession::runStopped);
    session.start();
    QVERIFY(session.running());

    QVERIFY(session.selectType(SearchType::TwoLetterList));
    QCOMPARE(stopped.size(), 1);
    QVERIFY(!session.running());
    QCOMPARE(rig.stored("FullWordNum"), QStringLiteral("26"));
    QCOMPARE(rig.stored("TwoWordNum"), QStringLiteral("7"));
    QCOMPARE(session.type(), SearchType::TwoLetterList);
    QCOMPARE(session.startEntry(), QStringLiteral("7"));
    QCOMPARE(session.entryCount(), QStringLiteral("50"));

    // Nothing more is looked up for the stopped run.
    const int queried = rig.server.queries.size();
    QTest::qWait(400);
    QCOMPARE(rig.server.queries.size(), queried);
    QVERIFY(queried <= 25);
}

void TestSearchSession::startListRunsTheGivenListFromItsFirstEntry() {
    Rig rig(100);
    rig.tmp.writeFile("\\wordlists\\AllTwoLetter.txt", entries(50) + "\r\n");
    rig.tmp.writeFile("\\CreatedDomains.txt", "g1.com\r\ng2.com\r\ng3.com\r\n");
    SearchSession &session = rig.start(true);
    session.selectType(SearchType::TwoLetterList);
    session.setStartEntry("30");
    QSignalSpy selected(&session, &SearchSession::typeSelected);
    QSignalSpy stopped(&session, &SearchSession::runStopped);

    session.startList(SearchType::Generate, rig.ctx.folder.createdDomains(), 3);
    QCOMPARE(selected.size(), 1);
    QCOMPARE(session.type(), SearchType::Generate);
    QCOMPARE(session.listPath(), rig.tmp.path("\\CreatedDomains.txt"));
    QCOMPARE(session.entryCount(), QStringLiteral("3"));
    QVERIFY(stopped.wait(WaitMs));

    QStringList queried;
    for (const QByteArray &q : std::as_const(rig.server.queries))
        queried << QString::fromLatin1(q);
    queried.sort();
    QCOMPARE(queried, (QStringList{"g1.com", "g2.com", "g3.com"}));
    // The word list's position is not touched by the generated run.
    QCOMPARE(rig.stored("TwoWordNum"), QString());
}

void TestSearchSession::openName() {
    Rig rig;
    SearchSession &session = rig.start();
    QSignalSpy viewer(&session, &SearchSession::viewerRequested);
    rig.ctx.branding.PurchaseSwitch = true;
    session.openName("x&y?.com");
    QCOMPARE(rig.desktop.openedUrls, QStringList{rig.ctx.branding.PurchasePrefix + "x&y?.com"});
    QCOMPARE(rig.ctx.WhoisName, QStringLiteral("x&y?.com"));
    QVERIFY(viewer.isEmpty());

    rig.ctx.branding.PurchaseSwitch = false;
    session.openName("other.net");
    QCOMPARE(viewer.size(), 1);
    QCOMPARE(viewer.first().first().toString(), QStringLiteral("other.net"));
    QCOMPARE(rig.ctx.WhoisName, QStringLiteral("other.net"));
    QCOMPARE(rig.desktop.openedUrls.size(), 1);
}

QTEST_MAIN(TestSearchSession)
#include "tst_searchsession.moc"
