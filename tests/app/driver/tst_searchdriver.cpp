#include "session/appcontext.h"
#include "session/searchdriver.h"
#include "core/filehelpers.h"
#include "core/resultlists.h"
#include "core/searchtype.h"
#include "core/timing.h"
#include "desktoprecorder.h"
#include "loopbackwhoisserver.h"
#include "tempprogramfolder.h"
#include "whois/lookuppool.h"
#include "whois/replyrules.h"

#include <QElapsedTimer>
#include <QSet>
#include <QSignalSpy>
#include <QTest>
#include <algorithm>
#include <memory>

namespace {
constexpr int WaitMs = 20000;

// Names n1.com ... nK.com; free when the number is a multiple of 3.
QString entryName(int k) {
    return QStringLiteral("n%1.com").arg(k);
}
} // namespace

class TestSearchDriver : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void runFilesEveryEntryExactlyOnce();
    void aRepeatedNameIsAskedAndFiledOnce();
    void slowNameDoesNotHoldTheOthers();
    void silentNamesAreGivenUpAtTheirOwnDeadline();
    void stopMidBatchFilesNothingMore();
    void resumesWhereItStopped();
    void positionKeys_data();
    void positionKeys();
    void typeChangedMidRunKeepsTheOldTypesPosition();
    void missingListFileIsReportedAndStopsTheRun();
    void runThatCannotLookUpStopsAndKeepsItsPosition();
    void entriesThatCannotStartAfterGoodOnesKeepThePositionBeforeThem();
    void statusPanels();
    void longRunFilesEveryNameOnce();
    void throttledAndResetNamesAreNeverFiled();
    void retryPassRunsAfterTheListAndFilesWhatItDecides();
    void throttledServerRestsWhileTheOtherServerGoesOn();
    void stopDuringTheRetryPassWritesTheNamesLeft();
    void badRowIsReportedOnce();
    void overflowRuleRunsAfterFiling();

private:
    // A list file of entries 1..count; `tail` ends the file (the last entry may lack a line end).
    QString writeList(int count, const QByteArray &tail = "\r\n", bool blankLines = false);
    QString read(const QString &key) const {
        return m_folder->userStore().read(AppContext::PositionsApp, AppContext::Section, key, "");
    }
    QStringList filed() const;
    int filedCount() const; // the Registered list keeps only its last entries: count them

    QSet<QByteArray> queried() const {
        return QSet<QByteArray>(m_server->queries.begin(), m_server->queries.end());
    }

    std::unique_ptr<TempProgramFolder> m_folder;
    std::unique_ptr<ResultLists> m_lists;
    std::unique_ptr<LoopbackWhoisServer> m_server;
    std::unique_ptr<LookupPool> m_pool;
    std::unique_ptr<SearchDriver> m_driver;
    RegistrarTable m_table;
    WhoisOptions m_options;
    DesktopRecorder m_desktop;
    Timing m_timing;
};

void TestSearchDriver::init() {
    // Replies come well within the ten ticks after which a slot reconnects.
    m_timing = Timing::shrunk(100);
    m_folder = std::make_unique<TempProgramFolder>();
    m_lists = std::make_unique<ResultLists>(m_folder->folder());
    m_server = std::make_unique<LoopbackWhoisServer>();
    QVERIFY(m_server->start());
    for (int k = 3; k <= 3000; k += 3)
        m_server->replies.insert(entryName(k), LoopbackWhoisServer::freeReply());
    m_table.setRows({RegistrarEntry{"com", "127.0.0.1", m_server->port(), true}});
    m_options = WhoisOptions();
    m_desktop = DesktopRecorder();
    m_pool = std::make_unique<LookupPool>(m_timing);
    m_pool->setReconnectPort(m_server->port());
    m_driver = std::make_unique<SearchDriver>(*m_pool, m_table, m_options, m_folder->userStore(),
                                              m_desktop, m_timing);
    m_driver->setResultLists(m_lists.get());
    m_driver->setPositionKey("FullWordNum");
}

void TestSearchDriver::cleanup() {
    m_driver.reset();
    m_pool.reset();
    m_server.reset();
    m_lists.reset();
    m_folder.reset();
}

QString TestSearchDriver::writeList(int count, const QByteArray &tail, bool blankLines) {
    QByteArray text;
    for (int k = 1; k <= count; ++k) {
        if (k > 1)
            text += blankLines && k % 4 == 0 ? "\r\n\r\n" : "\r\n";
        text += entryName(k).toLatin1();
    }
    text += tail;
    m_folder->writeFile("\\list.txt", text);
    const QString path = m_folder->path("\\list.txt");
    m_driver->setListPath(path);
    return path;
}

QStringList TestSearchDriver::filed() const {
    QStringList all;
    for (int k : {ResultLists::High, ResultLists::Mid, ResultLists::Low, ResultLists::Registered})
        all += m_lists->list(k)->names();
    all.sort();
    return all;
}

int TestSearchDriver::filedCount() const {
    int count = 0;
    for (int k : {ResultLists::High, ResultLists::Mid, ResultLists::Low, ResultLists::Registered})
        count += m_lists->counter(k);
    return count;
}

void TestSearchDriver::aRepeatedNameIsAskedAndFiledOnce() {
    // Letter case and a URL around the name do not make it another name.
    m_folder->writeFile("\\list.txt",
                        "n3.com\r\nn4.com\r\nN3.COM\r\nhttp://n3.com/x\r\nn4.com\r\n");
    m_driver->setListPath(m_folder->path("\\list.txt"));
    QSignalSpy stopped(m_driver.get(), &SearchDriver::stopped);
    m_driver->start(1, 5);
    QVERIFY(stopped.wait(WaitMs));
    QList<QByteArray> queries = m_server->queries;
    std::sort(queries.begin(), queries.end());
    QCOMPARE(queries, (QList<QByteArray>{"n3.com", "n4.com"}));
    QCOMPARE(filed(), (QStringList{"n3.com", "n4.com"}));
    QCOMPARE(read("FullWordNum"), QString("6"));
}

void TestSearchDriver::runFilesEveryEntryExactlyOnce() {
    // Blank lines do not count, and the last entry counts without a line end after it.
    writeList(60, "", true);
    QSignalSpy stopped(m_driver.get(), &SearchDriver::stopped);

    m_driver->start(1, 60);

    QVERIFY(stopped.wait(WaitMs));
    QStringList expected;
    for (int k = 1; k <= 60; ++k)
        expected << entryName(k);
    expected.sort();
    QCOMPARE(filed(), expected);
    QCOMPARE(m_lists->list(ResultLists::High)->count() + m_lists->list(ResultLists::Mid)->count(),
             20);
    QCOMPARE(m_server->queries.size(), 60);
    QVERIFY(m_driver->halted());
    QCOMPARE(read("FullWordNum"), QString("61"));
    QCOMPARE(read("wordNumber"), QString("61"));
    QVERIFY(m_desktop.messages.isEmpty());
}

void TestSearchDriver::throttledAndResetNamesAreNeverFiled() {
    // Every fifth name is throttled and the first connections are reset: the run still ends,
    // every answered name is filed once, and no unanswered one is filed at all.
    ReplyRules rules;
    QVERIFY(rules.loadText(ReplyRules::defaultText(), "replyrules.txt").isEmpty());
    m_pool->setReplyRules(&rules);
    m_timing.reconnectTicks = 2;
    writeList(40);
    for (int k = 5; k <= 40; k += 5)
        m_server->replies.insert(entryName(k), "WHOIS LIMIT EXCEEDED\r\n");
    m_server->resetFirst = 3;
    QSignalSpy ended(m_pool.get(), &LookupPool::lookupEnded);
    QSignalSpy stopped(m_driver.get(), &SearchDriver::stopped);

    m_driver->start(1, 40);

    QVERIFY(stopped.wait(WaitMs));
    QStringList expected;
    QStringList throttled;
    for (int k = 1; k <= 40; ++k)
        (k % 5 != 0 ? expected : throttled) << entryName(k);
    expected.sort();
    QCOMPARE(filed(), expected);
    // The server rests after each throttle, so names kept back meanwhile are answered in the
    // retry pass; every unknown outcome on the way is the throttle's.
    for (const QVariantList &signal : ended) {
        const LookupOutcome outcome = signal.at(1).value<LookupOutcome>();
        if (outcome.verdict == Verdict::Unknown)
            QCOMPARE(outcome.reason, QString("rate-limited"));
    }
    QStringList unknown;
    for (const LookupOutcome &outcome : m_driver->unknownOutcomes())
        unknown << outcome.name;
    unknown.sort();
    throttled.sort();
    QCOMPARE(unknown, throttled);
}

void TestSearchDriver::slowNameDoesNotHoldTheOthers() {
    // One name never answers (and its slot neither reconnects nor gives up within the test):
    // the other 24 slots take the rest of the list meanwhile, one entry as each lookup ends.
    m_timing.reconnectTicks = 100000;
    m_timing.lookupDeadlineTicks = 100000;
    writeList(200);
    m_server->silentNames.insert("n1.com");
    QSignalSpy stopped(m_driver.get(), &SearchDriver::stopped);

    m_driver->start(1, 200);
    QCOMPARE(m_pool->slot(0).name, entryName(1));
    QTRY_COMPARE_WITH_TIMEOUT(filedCount(), 199, WaitMs);

    QVERIFY(m_driver->running());
    QVERIFY(m_driver->listEnded());
    QCOMPARE(m_driver->openLookups(), 1);
    QCOMPARE(m_pool->openLookups(), 1);
    QCOMPARE(m_pool->slot(0).name, entryName(1));
    QCOMPARE(stopped.size(), 0);
    QTRY_COMPARE_WITH_TIMEOUT(read("FullWordNum"), QString("201"), WaitMs);
    m_driver->stop();
    QCOMPARE(m_pool->openLookups(), 0);
    QCOMPARE(filedCount(), 199);
    QCOMPARE(m_server->queries.count("n1.com"), 1);
}

void TestSearchDriver::silentNamesAreGivenUpAtTheirOwnDeadline() {
    m_timing = Timing::shrunk(20); // gives up after 30 ticks = 600 ms, reconnects every 200 ms
    writeList(40);
    m_server->silentNames = {"n2.com", "n30.com"};
    QSignalSpy stopped(m_driver.get(), &SearchDriver::stopped);
    QSignalSpy ended(m_pool.get(), &LookupPool::lookupEnded);

    m_driver->start(1, 40);
    QVERIFY(stopped.wait(WaitMs));

    QStringList expected;
    for (int k = 1; k <= 40; ++k)
        if (k != 2 && k != 30)
            expected << entryName(k);
    expected.sort();
    QCOMPARE(filed(), expected);
    QCOMPARE(read("FullWordNum"), QString("41"));
    // Asked again at each reconnection, then given up, each after the rest of the list ended,
    // and once more in the retry pass.
    QVERIFY(m_server->queries.count("n2.com") >= 2);
    QCOMPARE(ended.size(), 42);
    for (int i = 0; i < 38; ++i)
        QCOMPARE(ended.at(i).at(1).value<LookupOutcome>().verdict == Verdict::Unknown, false);
    const QList<LookupOutcome> &unknown = m_driver->unknownOutcomes();
    QCOMPARE(unknown.size(), 2);
    // Both give up at about the same time; which one first is up to the timers.
    QStringList unknownNames{unknown.at(0).name, unknown.at(1).name};
    unknownNames.sort();
    QCOMPARE(unknownNames, (QStringList{entryName(2), entryName(30)}));
    for (const LookupOutcome &outcome : unknown) {
        QCOMPARE(outcome.reason, LookupPool::NoReplyReason);
        QCOMPARE(outcome.server, QString("127.0.0.1"));
    }
}

void TestSearchDriver::stopMidBatchFilesNothingMore() {
    writeList(40);
    // Replies come only well after Stop (however slow the machine), and no slot reconnects
    // meanwhile: any filing after Stop would be a late reply getting through.
    m_server->delayMs = 1500;
    m_timing.reconnectTicks = 100000;
    QSignalSpy stopped(m_driver.get(), &SearchDriver::stopped);
    QSignalSpy ended(m_pool.get(), &LookupPool::lookupEnded);

    m_driver->start(1, 40);
    QTRY_COMPARE_WITH_TIMEOUT(m_server->queries.size(), 25, WaitMs);
    // The position is stored while the run goes on, not only when it stops.
    QTRY_COMPARE_WITH_TIMEOUT(read("FullWordNum"), QString("26"), WaitMs);
    m_driver->stop();
    QTest::qWait(2000);

    QCOMPARE(stopped.size(), 1);
    QCOMPARE(ended.size(), 0);
    QVERIFY(filed().isEmpty());
    QCOMPARE(m_server->queries.size(), 25);
    QCOMPARE(read("FullWordNum"), QString("26"));
    QVERIFY(m_pool->halted());
}

void TestSearchDriver::resumesWhereItStopped() {
    writeList(40);
    m_server->delayMs = 100;
    QSignalSpy stopped(m_driver.get(), &SearchDriver::stopped);
    m_driver->start(1, 40);
    m_driver->stop();
    QCOMPARE(read("FullWordNum"), QString("26"));
    QTest::qWait(50);
    m_server->queries.clear();

    m_driver->start(read("FullWordNum").toInt(), 40);
    QVERIFY(stopped.wait(WaitMs));

    QSet<QByteArray> expected;
    for (int k = 26; k <= 40; ++k)
        expected << entryName(k).toLatin1();
    QCOMPARE(queried(), expected);
    QCOMPARE(filed().size(), 15);
    QCOMPARE(read("FullWordNum"), QString("41"));
}

void TestSearchDriver::positionKeys_data() {
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("key");
    QTest::newRow("two letters") << "All Two Letter"
                                 << "TwoWordNum";
    QTest::newRow("four letters") << "All Four Letter"
                                  << "FourWordNum";
    QTest::newRow("custom") << "Custom List"
                            << "CustWordNum";
    QTest::newRow("google") << "Google Search"
                            << "GoogleWordNum";
    QTest::newRow("generated") << "Generate names"
                               << "";
    QTest::newRow("browsing") << "Browse for names"
                              << "";
}

void TestSearchDriver::positionKeys() {
    QFETCH(QString, type);
    QFETCH(QString, key);
    writeList(3);
    SearchType searchType{};
    QVERIFY(SearchTypes::fromCaption(type, &searchType));
    m_driver->setPositionKey(SearchTypes::positionKey(searchType));
    QSignalSpy stopped(m_driver.get(), &SearchDriver::stopped);

    m_driver->start(1, 3);
    QVERIFY(stopped.wait(WaitMs));

    QCOMPARE(read("wordNumber"), QString("4"));
    const QStringList keys = {"FullWordNum", "TwoWordNum",   "ThreeWordNum", "FourWordNum",
                              "CustWordNum", "YahooWordNum", "GoogleWordNum"};
    for (const QString &k : keys)
        QCOMPARE(read(k), k == key ? QString("4") : QString());
}

void TestSearchDriver::typeChangedMidRunKeepsTheOldTypesPosition() {
    // Another type chosen from the menu while a batch runs: the entries already taken belong
    // to the list they came from, not to the newly chosen one.
    writeList(25);
    m_server->delayMs = 50;
    QSignalSpy stopped(m_driver.get(), &SearchDriver::stopped);

    m_driver->start(1, 25);
    m_driver->setPositionKey("TwoWordNum");
    QVERIFY(stopped.wait(WaitMs));

    QCOMPARE(read("FullWordNum"), QString("26"));
    QCOMPARE(read("TwoWordNum"), QString());
    QCOMPARE(read("wordNumber"), QString("26"));
}

void TestSearchDriver::missingListFileIsReportedAndStopsTheRun() {
    const QString path = m_folder->path("\\missing.txt");
    m_driver->setListPath(path);
    QSignalSpy stopped(m_driver.get(), &SearchDriver::stopped);

    m_driver->start(1, 10);

    QTRY_COMPARE_WITH_TIMEOUT(m_desktop.messages.size(), 1, WaitMs);
    QCOMPARE(m_desktop.messages.first().text, "File " + path + " not found.");
    QCOMPARE(stopped.size(), 1);
    QCOMPARE(m_server->connections, 0);
    QCOMPARE(read("FullWordNum"), QString());
}

void TestSearchDriver::runThatCannotLookUpStopsAndKeepsItsPosition() {
    // A broken row (a WHOIS server without a port): no lookup can start. The run stops after
    // 25 such entries instead of racing to the end of the list and storing that as its
    // position. (A name with no registry service is only unknown: the run goes on.)
    m_table.setRows({RegistrarEntry{"com", "whois.test", 0, true}});
    QByteArray names;
    for (int k = 1; k <= 100; ++k)
        names += "n" + QByteArray::number(k) + ".com\r\n";
    m_folder->writeFile("\\list.txt", names);
    m_driver->setListPath(m_folder->path("\\list.txt"));
    QSignalSpy stopped(m_driver.get(), &SearchDriver::stopped);

    m_driver->start(10, 100);

    QVERIFY(stopped.wait(WaitMs));
    QTRY_VERIFY_WITH_TIMEOUT(std::any_of(m_desktop.messages.begin(), m_desktop.messages.end(),
                                         [](const auto &m) {
                                             return m.text.contains("no lookup could start");
                                         }),
                             WaitMs);
    QVERIFY(filed().isEmpty());
    QCOMPARE(read("FullWordNum"), QString("10"));
    QCOMPARE(read("wordNumber"), QString("10"));
    QVERIFY(m_driver->halted());
    QCOMPARE(m_server->connections, 0);
}

void TestSearchDriver::entriesThatCannotStartAfterGoodOnesKeepThePositionBeforeThem() {
    // .com names go to the server; .net names meet a broken row. The run stops in the
    // .net part; the stored position is before every entry that was not looked up, so
    // nothing below it is lost and the next run starts with the first unchecked entry.
    m_table.setRows({RegistrarEntry{"com", "127.0.0.1", m_server->port(), true},
                     RegistrarEntry{"net", "whois.test", 0, true}});
    QByteArray text;
    for (int k = 1; k <= 30; ++k)
        text += entryName(k).toLatin1() + "\r\n";
    for (int k = 31; k <= 100; ++k)
        text += "o" + QByteArray::number(k) + ".net\r\n";
    m_folder->writeFile("\\list.txt", text);
    m_driver->setListPath(m_folder->path("\\list.txt"));
    QSignalSpy stopped(m_driver.get(), &SearchDriver::stopped);

    m_driver->start(1, 100);

    QVERIFY(stopped.wait(WaitMs));
    QTRY_VERIFY_WITH_TIMEOUT(!m_desktop.messages.isEmpty(), WaitMs);
    QTest::qWait(50);
    QVERIFY(std::any_of(m_desktop.messages.begin(), m_desktop.messages.end(),
                        [](const auto &m) { return m.text.contains("no lookup could start"); }));
    const int kept = read("FullWordNum").toInt();
    QVERIFY2(kept >= 1 && kept <= 31, qPrintable(QString::number(kept)));
    QVERIFY(filedCount() >= kept - 1);
    for (int k = 1; k < kept; ++k)
        QVERIFY(filed().contains(entryName(k)));
}

void TestSearchDriver::statusPanels() {
    writeList(30);
    m_server->delayMs = 100;
    QSignalSpy status(m_driver.get(), &SearchDriver::statusText);
    auto last = [&status](int panel) {
        for (qsizetype i = status.size() - 1; i >= 0; --i)
            if (status.at(i).at(0).toInt() == panel)
                return status.at(i).at(1).toString();
        return QString();
    };

    m_driver->start(1, 30);
    QCOMPARE(last(1), QString("26 of 30"));
    QCOMPARE(last(2), QString("Open: 25"));

    QTRY_COMPARE_WITH_TIMEOUT(last(2), QString("Open: Closing connections..."), WaitMs);
    QCOMPARE(last(1), QString("30 of 30"));

    // The names still in flight are not lost: the third panel says where they went.
    m_driver->stop();
    QCOMPARE(last(1), QString("Entry Status"));
    QCOMPARE(last(2), QString("Open Connections"));
    QVERIFY2(last(3).contains(" stayed unknown; listed in "), qPrintable(last(3)));
}

void TestSearchDriver::longRunFilesEveryNameOnce() {
    const int count = 3000;
    writeList(count);
    QSignalSpy stopped(m_driver.get(), &SearchDriver::stopped);

    m_driver->start(1, count);

    QVERIFY(stopped.wait(120000));
    QCOMPARE(queried().size(), count);
    QCOMPARE(m_server->queries.size(), count);
    QStringList free =
        m_lists->list(ResultLists::High)->names() + m_lists->list(ResultLists::Mid)->names();
    free.sort();
    QStringList expected;
    for (int k = 3; k <= count; k += 3)
        expected << entryName(k);
    expected.sort();
    QCOMPARE(free, expected);
    QCOMPARE(m_lists->counter(ResultLists::Registered), count - count / 3);
}

void TestSearchDriver::retryPassRunsAfterTheListAndFilesWhatItDecides() {
    // n40 is throttled and n8 gets a reply no rule reads on their first ask, n12 stays silent
    // until its deadline; all three
    // answer when asked again. Each is retried once, after the whole list and after its server
    // rested, and then filed; the retry pass leaves the stored position alone.
    ReplyRules rules;
    QVERIFY(rules.loadText(ReplyRules::defaultText(), "replyrules.txt").isEmpty());
    m_pool->setReplyRules(&rules);
    m_driver->setResultLists(m_lists.get());
    m_timing = Timing::shrunk(20);
    writeList(40);
    // The last entry: a throttle earlier in the list would keep the names after it back too.
    m_server->replies.insert("n40.com", "WHOIS LIMIT EXCEEDED\r\n");
    m_server->replies.insert("n8.com", "Service busy, please come back later\r\n");
    m_server->laterReplies.insert("n40.com", LoopbackWhoisServer::freeReply());
    m_server->laterReplies.insert("n8.com", LoopbackWhoisServer::freeReply());
    // Answered only once it is no longer silent.
    m_server->silentNames.insert("n12.com");
    m_server->replies.insert("n12.com", LoopbackWhoisServer::freeReply());
    connect(m_server.get(), &LoopbackWhoisServer::queryReceived, this,
            [this](const QByteArray &name) {
                if (name == "n12.com" && m_driver->retrying())
                    m_server->silentNames.clear();
            });
    QSignalSpy ended(m_pool.get(), &LookupPool::lookupEnded);
    QSignalSpy status(m_driver.get(), &SearchDriver::statusText);
    QSignalSpy stopped(m_driver.get(), &SearchDriver::stopped);

    m_driver->start(1, 40);
    QVERIFY(stopped.wait(WaitMs));

    QStringList expected;
    for (int k = 1; k <= 40; ++k)
        expected << entryName(k);
    expected.sort();
    QCOMPARE(filed(), expected);
    for (const char *name : {"n40.com", "n8.com", "n12.com"})
        QVERIFY2(m_lists->list(ResultLists::High)->names().contains(name) ||
                     m_lists->list(ResultLists::Mid)->names().contains(name),
                 qPrintable(name));
    // Every entry ended once before the first retry did; then the three were retried.
    QStringList endedNames;
    for (const QVariantList &args : ended)
        endedNames << args.at(1).value<LookupOutcome>().name;
    QCOMPARE(endedNames.size(), 43);
    QStringList firstPass = endedNames.mid(0, 40);
    QStringList retried = endedNames.mid(40);
    firstPass.sort();
    retried.sort();
    QCOMPARE(firstPass, expected);
    QCOMPARE(retried, (QStringList{"n12.com", "n40.com", "n8.com"}));
    QVERIFY(m_driver->unknownOutcomes().isEmpty());
    QVERIFY(!QFileInfo::exists(m_lists->unknownFilePath()));
    QCOMPARE(read("FullWordNum"), QString("41"));
    bool shown = false;
    for (const QVariantList &args : status)
        shown = shown || args.at(1).toString() == "Retrying 3 unknown names...";
    QVERIFY(shown);
}

void TestSearchDriver::throttledServerRestsWhileTheOtherServerGoesOn() {
    // .com names go to a server that throttles every query, .net names to another that answers
    // after a moment. Once the first throttle ended, the .com server is not asked until its
    // rest is over; the .net names go on meanwhile; the .com names end in the unknown file.
    ReplyRules rules;
    QVERIFY(rules.loadText(ReplyRules::defaultText(), "replyrules.txt").isEmpty());
    m_pool->setReplyRules(&rules);
    m_driver->setResultLists(m_lists.get());
    m_timing = Timing::shrunk(20);
    m_timing.throttledRestMs = 1000;
    LoopbackWhoisServer other;
    QVERIFY(other.start());
    other.delayMs = 30;
    m_server->replies.clear();
    m_server->defaultReply = "WHOIS LIMIT EXCEEDED\r\n";
    m_table.setRows({RegistrarEntry{"com", "127.0.0.1", m_server->port(), true},
                     RegistrarEntry{"net", "localhost", other.port(), true}});
    QByteArray list;
    for (int k = 1; k <= 30; ++k)
        list += QStringLiteral("n%1.com\r\nn%1.net\r\n").arg(k).toLatin1();
    m_folder->writeFile("\\list.txt", list);
    m_driver->setListPath(m_folder->path("\\list.txt"));

    QElapsedTimer clock;
    clock.start();
    qint64 firstThrottleEnded = -1;
    qint64 askedAgainAt = -1;
    int comAskedInFirstPass = 0;
    int netFiledBeforeRetry = -1;
    connect(m_pool.get(), &LookupPool::lookupEnded, this, [&](int, const LookupOutcome &outcome) {
        if (outcome.reason == "rate-limited" && firstThrottleEnded < 0)
            firstThrottleEnded = clock.elapsed();
    });
    connect(m_server.get(), &LoopbackWhoisServer::queryReceived, this, [&](const QByteArray &) {
        if (!m_driver->retrying())
            ++comAskedInFirstPass;
        else if (askedAgainAt < 0)
            askedAgainAt = clock.elapsed();
    });
    connect(m_driver.get(), &SearchDriver::statusText, this, [&](int, const QString &text) {
        if (text.startsWith("Retrying") && netFiledBeforeRetry < 0)
            netFiledBeforeRetry = int(filed().size());
    });
    QSignalSpy status(m_driver.get(), &SearchDriver::statusText);
    QSignalSpy stopped(m_driver.get(), &SearchDriver::stopped);

    m_driver->start(1, 60);
    QVERIFY(stopped.wait(WaitMs));

    // Only the .com names among the first 25 entries were sent before the first throttle.
    QVERIFY2(comAskedInFirstPass <= 13, qPrintable(QString::number(comAskedInFirstPass)));
    QVERIFY(firstThrottleEnded >= 0 && askedAgainAt >= 0);
    // (The rest began a moment before this test's own handler saw the throttle end.)
    QVERIFY(askedAgainAt - firstThrottleEnded >= m_timing.throttledRestMs - 50);
    QCOMPARE(netFiledBeforeRetry, 30);
    QCOMPARE(other.queries.size(), 30);
    // Each .com name asked at most once more, and none filed.
    QVERIFY(m_server->queries.size() <= comAskedInFirstPass + 30);
    QStringList expectedNet;
    QStringList expectedLines;
    for (int k = 1; k <= 30; ++k) {
        expectedNet << QStringLiteral("n%1.net").arg(k);
        expectedLines << QStringLiteral("n%1.com\trate-limited").arg(k);
    }
    expectedNet.sort();
    expectedLines.sort();
    QCOMPARE(filed(), expectedNet);
    QStringList lines = TextFile::readLines(m_lists->unknownFilePath()).value();
    lines.removeAll(QString());
    lines.sort();
    QCOMPARE(lines, expectedLines);
    QCOMPARE(status.last().at(1).toString(),
             "30 names stayed unknown; listed in " + m_lists->unknownFilePath());
    QCOMPARE(read("FullWordNum"), QString("61"));
}

void TestSearchDriver::stopDuringTheRetryPassWritesTheNamesLeft() {
    // A throttled server asks for a long rest: the pass waits, Stop ends it at once, and the
    // names it had not retried go to the unknown file. Run later as a Custom List, that file
    // looks up exactly those names.
    m_driver->setResultLists(m_lists.get());
    m_timing.throttledRestMs = 600000;
    m_timing.longestRetryWaitMs = 3600000;
    writeList(30);
    m_server->replies.clear();
    m_server->defaultReply = "WHOIS LIMIT EXCEEDED\r\n";
    ReplyRules rules;
    QVERIFY(rules.loadText(ReplyRules::defaultText(), "replyrules.txt").isEmpty());
    m_pool->setReplyRules(&rules);
    QSignalSpy stopped(m_driver.get(), &SearchDriver::stopped);

    m_driver->start(1, 30);
    QTRY_VERIFY_WITH_TIMEOUT(m_driver->retrying(), WaitMs);
    QVERIFY(m_driver->running());
    QCOMPARE(stopped.size(), 0);
    const qsizetype askedBeforeStop = m_server->queries.size();
    m_driver->stop();

    QCOMPARE(stopped.size(), 1);
    QVERIFY(!m_driver->running());
    QVERIFY(!m_driver->retrying());
    QCOMPARE(m_pool->openLookups(), 0);
    QCOMPARE(m_server->queries.size(), askedBeforeStop);
    QCOMPARE(filedCount(), 0);
    QCOMPARE(read("FullWordNum"), QString("31"));
    const QString unknownFile = m_lists->unknownFilePath();
    QStringList names;
    const QStringList written = TextFile::readLines(unknownFile).value();
    for (const QString &line : written) {
        if (line.isEmpty())
            continue;
        QCOMPARE(line.section('\t', 1), QString("rate-limited"));
        names << line.section('\t', 0, 0);
    }
    names.sort();
    QStringList expected;
    for (int k = 1; k <= 30; ++k)
        expected << entryName(k);
    expected.sort();
    QCOMPARE(names, expected);

    // Later (a new session: the server has rested), the file run as a list asks for the names
    // alone.
    m_server->defaultReply = LoopbackWhoisServer::freeReply();
    m_server->queries.clear();
    m_driver = std::make_unique<SearchDriver>(*m_pool, m_table, m_options, m_folder->userStore(),
                                              m_desktop, m_timing);
    m_driver->setResultLists(m_lists.get());
    m_driver->setPositionKey("CustomWordNum");
    m_driver->setListPath(unknownFile);
    QSignalSpy stoppedLater(m_driver.get(), &SearchDriver::stopped);
    m_driver->start(1, 30);
    QVERIFY(stoppedLater.wait(WaitMs));
    QStringList asked;
    for (const QByteArray &query : std::as_const(m_server->queries))
        asked << QString::fromLatin1(query);
    asked.sort();
    QCOMPARE(asked, expected);
    QCOMPARE(filed(), expected);
}

void TestSearchDriver::badRowIsReportedOnce() {
    // With a broken table every lookup fails the same way: one box, not one per name.
    m_table.setRows({RegistrarEntry{"com", "whois.test", 0, false}});
    writeList(10);
    QSignalSpy stopped(m_driver.get(), &SearchDriver::stopped);
    QSignalSpy status(m_driver.get(), &SearchDriver::statusText);

    m_driver->start(1, 10);

    QVERIFY(stopped.wait(WaitMs));
    QTRY_COMPARE_WITH_TIMEOUT(m_desktop.messages.size(), 1, WaitMs);
    QTest::qWait(100);
    QCOMPARE(m_desktop.messages.size(), 1);
    const DesktopRecorder::Message &box = m_desktop.messages.first();
    QCOMPARE(box.title, QString("Error"));
    QCOMPARE(box.icon, Desktop::Icon::Warning);
    QVERIFY(box.text.startsWith("An error has occurred.\r\nError #: 5\r\nDescription: "));
    QCOMPARE(m_server->connections, 0);
    bool shown = false;
    for (const QVariantList &text : status)
        shown |= text.at(1).toString() == "The registrar row for n1.com has no server or no "
                                          "valid port.";
    QVERIFY(shown);
}

void TestSearchDriver::overflowRuleRunsAfterFiling() {
    QStringList full;
    for (int i = 0; i < ResultLists::OverflowLimit - 1; ++i)
        full << QString("x%1.com").arg(i);
    m_lists->list(ResultLists::Low)->appendMany(full);
    m_server->replies.insert("abcdefghij.com", LoopbackWhoisServer::freeReply());
    QSignalSpy overflowed(m_driver.get(), &SearchDriver::overflowed);
    QSignalSpy stopped(m_driver.get(), &SearchDriver::stopped);

    // A taken name fills another list: nothing overflows.
    m_folder->writeFile("\\list.txt", "taken.com\r\n");
    m_driver->setListPath(m_folder->path("\\list.txt"));
    m_driver->start(1, 1);
    QVERIFY(stopped.wait(WaitMs));
    QCOMPARE(overflowed.size(), 0);

    m_folder->writeFile("\\list.txt", "abcdefghij.com\r\n");
    m_driver->start(1, 1);
    QVERIFY(stopped.wait(WaitMs));
    QCOMPARE(overflowed.size(), 1);
    QCOMPARE(m_lists->list(ResultLists::Low)->count(), 0);
    QCOMPARE(m_lists->list(ResultLists::Registered)->count(), 0);
}

QTEST_GUILESS_MAIN(TestSearchDriver)
#include "tst_searchdriver.moc"
