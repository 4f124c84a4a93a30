#include "core/resultlists.h"
#include "core/timing.h"
#include "loopbackhttpserver.h"
#include "loopbackwhoisserver.h"
#include "tempprogramfolder.h"
#include "whois/lookuppool.h"
#include "whois/lookuprequest.h"
#include "whois/registrartable.h"
#include "whois/replyclassifier.h"
#include "whois/replyrules.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLoggingCategory>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <memory>

namespace {
constexpr int TickMs = 50;
constexpr int WaitMs = 10000;

RegistrarEntry row(const QString &extension, quint16 port, const QString &server = "127.0.0.1") {
    return RegistrarEntry{extension, server, quint16(port), true};
}
} // namespace

class TestLookupPool : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void requestLine_data();
    void requestLine();
    void classification_data();
    void classification();
    void controlCharactersAreNeitherSentNorFiled();
    void lookupsAreLoggedAtDebug();
    void firstConnectionUsesRowPortReconnectionsTheStandardOne();
    void silentServerIsRetriedEveryTenTicks();
    void refusedConnectionIsRetriedByTheTimer();
    void silentLookupIsGivenUpAtItsOwnDeadline();
    void proxySwitchSendsEveryNameToTheProxyRow();
    void haltedPoolFilesNothing();
    void reusedSlotIgnoresTheOldConnection();
    void emptyTableEndsTheLookupUnfiled();
    void badRowEndsTheLookupUnasked();
    void slotCountIsConfigurable();

    void connectionFailures_data();
    void connectionFailures();
    void repliesAreReadWithTheRulesOfTheNamesExtension_data();
    void repliesAreReadWithTheRulesOfTheNamesExtension();
    void idnNameGoesOutInPunycodeAndIsFiledAsWritten();
    void nameWithoutAsciiFormIsNotLookedUp();
    void rdap_data();
    void rdap();
    void rdapIdnAndSlotReuse();
    void slowRdapServerAnswersEverySlot();

private:
    QStringList names(int list) const { return m_lists->list(list)->names(); }
    QStringList freeNames() const {
        return names(ResultLists::High) + names(ResultLists::Mid) + names(ResultLists::Low);
    }
    int filedCount() const { return freeNames().size() + names(ResultLists::Registered).size(); }
    LookupOutcome lastOutcome(const QSignalSpy &ended) const {
        return ended.last().at(1).value<LookupOutcome>();
    }
    void makePool();
    // Routes `candidate` as every run does and starts it in `slot`.
    void start(const QString &candidate, int slot) {
        m_pool->startLookup(routeFor(candidate, m_table, m_options), slot);
    }

    std::unique_ptr<TempProgramFolder> m_folder;
    std::unique_ptr<ResultLists> m_lists;
    std::unique_ptr<LoopbackWhoisServer> m_server;
    std::unique_ptr<LookupPool> m_pool;
    RegistrarTable m_table;
    WhoisOptions m_options;
    Timing m_timing = Timing::shrunk(TickMs);
};

void TestLookupPool::init() {
    m_folder = std::make_unique<TempProgramFolder>();
    m_lists = std::make_unique<ResultLists>(m_folder->folder());
    m_server = std::make_unique<LoopbackWhoisServer>();
    QVERIFY(m_server->start());
    m_table.setRows({row("com", m_server->port()), row("net", m_server->port())});
    m_options = WhoisOptions();
    makePool();
}

void TestLookupPool::makePool() {
    m_pool = std::make_unique<LookupPool>(m_timing);
    m_pool->setReconnectPort(m_server->port());
    // Decided names are filed as a window run files them, so each case can say where they went.
    connect(m_pool.get(), &LookupPool::lookupEnded, this, [this](int, const LookupOutcome &o) {
        if (o.verdict == Verdict::Free)
            m_lists->fileFreeName(o.name);
        else if (o.verdict == Verdict::Taken)
            m_lists->fileTakenName(o.name);
    });
}

void TestLookupPool::cleanup() {
    m_pool.reset();
    m_server.reset();
    m_lists.reset();
    m_folder.reset();
}

void TestLookupPool::requestLine_data() {
    QTest::addColumn<QString>("candidate");
    QTest::addColumn<QString>("defaultExtension");
    QTest::addColumn<QByteArray>("sent");

    QTest::newRow("plain name") << "example.com"
                                << ".com" << QByteArray("example.com\r\n");
    QTest::newRow("word gets default extension") << "kestrin"
                                                 << ".com" << QByteArray("kestrin.com\r\n");
    QTest::newRow("other default extension") << "kestrin"
                                             << ".net" << QByteArray("kestrin.net\r\n");
    QTest::newRow("url scheme") << "http://example.com"
                                << ".com" << QByteArray("example.com\r\n");
    QTest::newRow("scheme on a bare word") << "https://word"
                                           << ".com" << QByteArray("word.com\r\n");
    QTest::newRow("percent escapes") << "my%20site.com"
                                     << ".com" << QByteArray("mysite.com\r\n");
    QTest::newRow("control characters") << "ab\tc\x01.com"
                                        << ".com" << QByteArray("abc.com\r\n");
}

void TestLookupPool::requestLine() {
    QFETCH(QString, candidate);
    QFETCH(QString, defaultExtension);
    QFETCH(QByteArray, sent);
    m_options.DefaultExtension = defaultExtension;
    QSignalSpy ended(m_pool.get(), &LookupPool::lookupEnded);

    start(candidate, 3);

    QVERIFY(ended.wait(WaitMs));
    QCOMPARE(m_server->rawQueries, QByteArrayList{sent});
}

void TestLookupPool::classification_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<int>("list");

    const QByteArray big(ReplyClassifier::MaxReplyBytes + 4096, 'x');
    QTest::newRow("first phrase in capitals")
        << "abc.com" << QByteArray("NO MATCH FOR \"ABC\"") << int(ResultLists::High);
    QTest::newRow("not found in a footer")
        << "abcdef.com" << QByteArray("Domain: x\r\n\r\n% help: page not found\r\n")
        << int(ResultLists::Mid);
    QTest::newRow("long free name")
        << "abcdefghij.com" << QByteArray("No domain records were found") << int(ResultLists::Low);
    QTest::newRow("taken") << "abc.com" << QByteArray("Domain Name: ABC.COM\r\n")
                           << int(ResultLists::Registered);
    QTest::newRow("phrase within the first MiB")
        << "abc.com" << QByteArray("not registered") + big << int(ResultLists::High);
    QTest::newRow("phrase past the first MiB")
        << "abc.com" << big + QByteArray("not registered") << int(ResultLists::Registered);
}

void TestLookupPool::classification() {
    QFETCH(QString, name);
    QFETCH(QByteArray, reply);
    QFETCH(int, list);
    m_server->replies.insert(name, reply);
    QSignalSpy ended(m_pool.get(), &LookupPool::lookupEnded);

    start(name, 0);

    QVERIFY(ended.wait(WaitMs));
    QCOMPARE(names(list), QStringList{name});
    const int all = names(ResultLists::High).size() + names(ResultLists::Mid).size() +
                    names(ResultLists::Low).size() + names(ResultLists::Registered).size();
    QCOMPARE(all, 1);
    QVERIFY(m_pool->slot(0).reply.size() <= ReplyClassifier::MaxReplyBytes);
}

void TestLookupPool::controlCharactersAreNeitherSentNorFiled() {
    // A decoded line break would otherwise split the filed name over two lines of the mirror.
    m_server->replies.insert("evilname.com", LoopbackWhoisServer::freeReply());
    QSignalSpy ended(m_pool.get(), &LookupPool::lookupEnded);

    start("evil%0D%0Aname.com", 0);

    QVERIFY(ended.wait(WaitMs));
    QCOMPARE(m_server->rawQueries, QByteArrayList{"evilname.com\r\n"});
    QCOMPARE(names(ResultLists::Low), QStringList{"evilname.com"});
    QFile mirror(m_lists->mirrorFilePaths().at(0));
    QVERIFY(mirror.open(QIODevice::ReadOnly));
    QCOMPARE(mirror.readAll(), QByteArray("evilname.com\r\n"));
}

void TestLookupPool::lookupsAreLoggedAtDebug() {
    // A user's trace of a wrong verdict: name, server and verdict of every lookup.
    QLoggingCategory::setFilterRules(QStringLiteral("kestrin.whois.debug=true"));
    m_server->replies.insert("logged.com", LoopbackWhoisServer::freeReply());
    QTest::ignoreMessage(QtDebugMsg,
                         QRegularExpression(R"(^Looking up "logged\.com" at "127\.0\.0\.1")"));
    QTest::ignoreMessage(
        QtDebugMsg, QRegularExpression(
                        R"(^Lookup of logged\.com at 127\.0\.0\.1 ended: free after \d+ bytes$)"));
    QSignalSpy ended(m_pool.get(), &LookupPool::lookupEnded);
    start("logged.com", 0);
    const bool done = ended.wait(WaitMs);
    QLoggingCategory::setFilterRules(QString());
    QVERIFY(done);
}

void TestLookupPool::firstConnectionUsesRowPortReconnectionsTheStandardOne() {
    // The row points at a server that never answers; the standard port answers.
    LoopbackWhoisServer silent;
    silent.mode = LoopbackWhoisServer::Mode::Silent;
    QVERIFY(silent.start());
    m_table.setRows({row("com", silent.port())});
    m_server->replies.insert("abc.com", LoopbackWhoisServer::freeReply());
    QSignalSpy ended(m_pool.get(), &LookupPool::lookupEnded);

    start("abc.com", 7);

    QTRY_COMPARE_WITH_TIMEOUT(silent.queries.size(), 1, WaitMs);
    QCOMPARE(m_server->connections, 0);
    QVERIFY(ended.wait(WaitMs));
    QCOMPARE(silent.connections, 1);
    QCOMPARE(m_server->queries, QList<QByteArray>{"abc.com"});
    QCOMPARE(names(ResultLists::High), QStringList{"abc.com"});
}

void TestLookupPool::silentServerIsRetriedEveryTenTicks() {
    m_server->mode = LoopbackWhoisServer::Mode::Silent;
    QSignalSpy accepted(m_server.get(), &LoopbackWhoisServer::connectionAccepted);
    QSignalSpy ended(m_pool.get(), &LookupPool::lookupEnded);
    QElapsedTimer clock;
    clock.start();

    start("abc.com", 24);
    QTRY_COMPARE_WITH_TIMEOUT(m_server->connections, 1, WaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(m_server->connections, 2, WaitMs);
    const qint64 second = clock.elapsed();
    QTRY_COMPARE_WITH_TIMEOUT(m_server->connections, 3, WaitMs);
    const qint64 third = clock.elapsed();

    // Ten ticks between attempts (coarse timers may fire a little early, never much).
    QVERIFY2(second >= 8 * TickMs, qPrintable(QString::number(second)));
    QVERIFY2(third - second >= 8 * TickMs, qPrintable(QString::number(third - second)));
    QCOMPARE(m_server->queries, QList<QByteArray>({"abc.com", "abc.com", "abc.com"}));
    QCOMPARE(ended.size(), 0);
    QVERIFY(names(ResultLists::Registered).isEmpty());
}

void TestLookupPool::silentLookupIsGivenUpAtItsOwnDeadline() {
    // Each lookup counts its own 30 ticks: a silent one is given up unfiled while another slot
    // is answered and ends with its verdict.
    m_server->silentNames.insert("slow.com");
    m_server->replies.insert("fast.com", LoopbackWhoisServer::freeReply());
    QSignalSpy ended(m_pool.get(), &LookupPool::lookupEnded);
    QElapsedTimer clock;
    clock.start();

    start("slow.com", 3);
    start("fast.com", 4);
    QCOMPARE(m_pool->openLookups(), 2);

    QVERIFY(ended.wait(WaitMs));
    QCOMPARE(ended.at(0).at(0).toInt(), 4);
    const LookupOutcome fast = ended.at(0).at(1).value<LookupOutcome>();
    QCOMPARE(fast.name, QString("fast.com"));
    QVERIFY(fast.verdict == Verdict::Free);
    QCOMPARE(m_pool->openLookups(), 1);

    QTRY_COMPARE_WITH_TIMEOUT(ended.size(), 2, WaitMs);
    QVERIFY2(clock.elapsed() >= 25 * TickMs, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(ended.at(1).at(0).toInt(), 3);
    const LookupOutcome slow = ended.at(1).at(1).value<LookupOutcome>();
    QCOMPARE(slow.name, QString("slow.com"));
    QVERIFY(slow.verdict == Verdict::Unknown);
    QCOMPARE(slow.reason, LookupPool::NoReplyReason);
    QCOMPARE(m_pool->openLookups(), 0);
    // Asked at the start and at each reconnection, never filed, and not asked again after.
    QCOMPARE(m_server->queries.count("slow.com"), 3);
    QCOMPARE(names(ResultLists::Registered), QStringList());
    QCOMPARE(names(ResultLists::High), QStringList{"fast.com"});
    QTest::qWait(15 * TickMs);
    QCOMPARE(m_server->queries.count("slow.com"), 3);
}

void TestLookupPool::refusedConnectionIsRetriedByTheTimer() {
    LoopbackWhoisServer closed;
    QVERIFY(closed.start());
    const quint16 deadPort = closed.port();
    closed.stop();
    m_table.setRows({row("com", deadPort)});
    QSignalSpy ended(m_pool.get(), &LookupPool::lookupEnded);

    start("abc.com", 0);

    QVERIFY(ended.wait(WaitMs));
    QCOMPARE(m_server->queries, QList<QByteArray>{"abc.com"});
    QCOMPARE(names(ResultLists::Registered), QStringList{"abc.com"});
}

void TestLookupPool::proxySwitchSendsEveryNameToTheProxyRow() {
    m_table.setRows({row("proxy", m_server->port()), row("com", 1), row("org", 1)});
    m_options.ProxySwitch = true;
    QSignalSpy ended(m_pool.get(), &LookupPool::lookupEnded);

    start("one.com", 0);
    start("two.org", 1);

    QTRY_COMPARE_WITH_TIMEOUT(ended.size(), 2, WaitMs);
    QCOMPARE(m_server->connections, 2);
}

void TestLookupPool::haltedPoolFilesNothing() {
    m_server->delayMs = 100;
    QSignalSpy ended(m_pool.get(), &LookupPool::lookupEnded);
    for (int i = 0; i < 5; ++i)
        start(QString("name%1.com").arg(i), i);
    QTRY_COMPARE_WITH_TIMEOUT(m_server->queries.size(), 5, WaitMs);

    m_pool->setHalted(true);
    start("late.com", 5);
    QTest::qWait(300);

    QCOMPARE(ended.size(), 0);
    QVERIFY(names(ResultLists::Registered).isEmpty());
    QCOMPARE(m_server->queries.size(), 5);
}

void TestLookupPool::reusedSlotIgnoresTheOldConnection() {
    m_server->replies.insert("new.com", LoopbackWhoisServer::freeReply());
    m_server->silentNames.insert("old.com");
    QSignalSpy ended(m_pool.get(), &LookupPool::lookupEnded);

    start("old.com", 2);
    QTRY_COMPARE_WITH_TIMEOUT(m_server->queries.size(), 1, WaitMs);
    m_pool->closeSlot(2);
    start("new.com", 2);

    QVERIFY(ended.wait(WaitMs));
    QTest::qWait(100);
    QCOMPARE(ended.size(), 1);
    QCOMPARE(names(ResultLists::High), QStringList{"new.com"});
    QVERIFY(names(ResultLists::Registered).isEmpty());
    QVERIFY(m_pool->slot(2).reply.startsWith("No match"));
}

void TestLookupPool::emptyTableEndsTheLookupUnfiled() {
    m_table.setRows({});
    QSignalSpy ended(m_pool.get(), &LookupPool::lookupEnded);

    // No row, and no shipped route either: nobody is asked.
    start("abc.al", 0);
    start("def.al", 1);

    QTRY_COMPARE_WITH_TIMEOUT(ended.size(), 2, WaitMs);
    for (const QVariantList &end : ended) {
        const LookupOutcome outcome = end.at(1).value<LookupOutcome>();
        QCOMPARE(outcome.reason, QString("no public registry service for .al"));
        QVERIFY(outcome.server.isEmpty());
        QCOMPARE(outcome.sentMs, -1);
    }
    QCOMPARE(m_server->connections, 0);
}

void TestLookupPool::badRowEndsTheLookupUnasked() {
    m_table.setRows({RegistrarEntry{"com", "whois.test", 0, false}});
    QSignalSpy ended(m_pool.get(), &LookupPool::lookupEnded);

    for (int i = 0; i < LookupPool::SlotCount; ++i)
        start(QString("n%1.com").arg(i), i);

    QTRY_COMPARE_WITH_TIMEOUT(ended.size(), LookupPool::SlotCount, WaitMs);
    QCOMPARE(lastOutcome(ended).reason, LookupPool::NoServerReason);
    QCOMPARE(m_server->connections, 0);

    // A slot number with no socket starts nothing and ends nothing.
    start("abc.com", LookupPool::SlotCount);
    QTest::qWait(100);
    QCOMPARE(ended.size(), LookupPool::SlotCount);
}

void TestLookupPool::connectionFailures_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("resetFirst");
    QTest::addColumn<int>("verdict");
    QTest::addColumn<int>("connections");
    using Mode = LoopbackWhoisServer::Mode;
    QTest::newRow("reset once, then answered") << int(Mode::Answer) << 1 << int(Verdict::Free) << 2;
    QTest::newRow("reset every time") << int(Mode::Reset) << 0 << int(Verdict::Unknown) << 2;
    QTest::newRow("closed without a word every time")
        << int(Mode::CloseAtOnce) << 0 << int(Verdict::Unknown) << 2;
}

void TestLookupPool::connectionFailures() {
    // A reset or an empty close is not an answer: tried again, then unknown, never filed.
    QFETCH(int, mode);
    QFETCH(int, resetFirst);
    QFETCH(int, verdict);
    QFETCH(int, connections);
    m_server->mode = LoopbackWhoisServer::Mode(mode);
    m_server->resetFirst = resetFirst;
    m_server->defaultReply = LoopbackWhoisServer::freeReply();
    QSignalSpy ended(m_pool.get(), &LookupPool::lookupEnded);

    start("abcdef.com", 4);

    QVERIFY(ended.wait(WaitMs));
    const LookupOutcome outcome = lastOutcome(ended);
    QCOMPARE(ended.last().at(0).toInt(), 4);
    QCOMPARE(int(outcome.verdict), verdict);
    QCOMPARE(outcome.name, QString("abcdef.com"));
    QCOMPARE(m_server->connections, connections);
    QCOMPARE(filedCount(), verdict == int(Verdict::Unknown) ? 0 : 1);
    if (verdict == int(Verdict::Unknown))
        QVERIFY2(!outcome.reason.isEmpty(), "an unknown name says why");
}

void TestLookupPool::repliesAreReadWithTheRulesOfTheNamesExtension_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("sample");
    QTest::addColumn<int>("verdict");
    QTest::addColumn<QString>("reason");
    // Every row points at the one loopback server: the name's extension picks the rules.
    QTest::newRow(".de free") << "u34jedzcq.de"
                              << "whois.denic.de__de__available.txt" << int(Verdict::Free) << "";
    QTest::newRow(".co registered, free phrase in the footer")
        << "t.co"
        << "whois.nic.co__co__registered.txt" << int(Verdict::Taken) << "";
    QTest::newRow(".biz free") << "u34jedzcq.biz"
                               << "whois.biz__biz__available.txt" << int(Verdict::Free) << "";
    QTest::newRow(".org throttled")
        << "google.org"
        << "whois.pir.org__org__ratelimit.txt" << int(Verdict::Unknown) << "rate-limited";
    QTest::newRow(".de with a reply of another registry")
        << "google.de"
        << "whois.nic.tm__tm__available.txt" << int(Verdict::Unknown) << "unrecognised reply";
}

void TestLookupPool::repliesAreReadWithTheRulesOfTheNamesExtension() {
    QFETCH(QString, name);
    QFETCH(QString, sample);
    QFETCH(int, verdict);
    QFETCH(QString, reason);
    ReplyRules rules;
    QVERIFY(rules.loadText(ReplyRules::defaultText(), "replyrules.txt").isEmpty());
    m_pool->setReplyRules(&rules);
    const QString extension = name.section('.', -1);
    m_table.setRows({row(extension, m_server->port())});
    m_server->defaultReply = LoopbackWhoisServer::sampleReply(sample);
    QVERIFY(!m_server->defaultReply.isEmpty());
    QSignalSpy ended(m_pool.get(), &LookupPool::lookupEnded);

    start(name, 0);

    QVERIFY(ended.wait(WaitMs));
    QCOMPARE(int(lastOutcome(ended).verdict), verdict);
    QCOMPARE(lastOutcome(ended).reason, reason);
    QCOMPARE(freeNames(), verdict == int(Verdict::Free) ? QStringList{name} : QStringList());
    QCOMPARE(names(ResultLists::Registered),
             verdict == int(Verdict::Taken) ? QStringList{name} : QStringList());
}

void TestLookupPool::idnNameGoesOutInPunycodeAndIsFiledAsWritten() {
    const QString name = QString::fromUtf8("b\xc3\xbc"
                                           "cher.com");
    m_server->replies.insert("xn--bcher-kva.com", LoopbackWhoisServer::freeReply());
    QSignalSpy ended(m_pool.get(), &LookupPool::lookupEnded);

    start(name, 0);

    QVERIFY(ended.wait(WaitMs));
    QCOMPARE(m_server->rawQueries, QByteArrayList{"xn--bcher-kva.com\r\n"});
    QCOMPARE(freeNames(), QStringList{name});
    QCOMPARE(lastOutcome(ended).name, name);
}

void TestLookupPool::nameWithoutAsciiFormIsNotLookedUp() {
    QSignalSpy ended(m_pool.get(), &LookupPool::lookupEnded);

    start(QString(70, QChar(0xe9)) + ".com", 0);

    QVERIFY(ended.wait(WaitMs));
    QCOMPARE(int(lastOutcome(ended).verdict), int(Verdict::Unknown));
    QVERIFY(lastOutcome(ended).reason.startsWith("not a domain name: "));
    QCOMPARE(m_server->connections, 0);
    QCOMPARE(filedCount(), 0);
}

void TestLookupPool::rdap_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("verdict");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<int>("retryAfter");
    QTest::newRow("404 free") << "free.info" << int(Verdict::Free) << "" << 0;
    QTest::newRow("200 taken") << "taken.info" << int(Verdict::Taken) << "" << 0;
    QTest::newRow("429 with Retry-After")
        << "busy.info" << int(Verdict::Unknown) << "rate-limited" << 120;
    QTest::newRow("500") << "broken.info" << int(Verdict::Unknown) << "RDAP error: HTTP 500" << 0;
    QTest::newRow("body past the cap") << "huge.info" << int(Verdict::Taken) << "" << 0;
    QTest::newRow("body never finishes") << "slow.info" << int(Verdict::Unknown) << "no reply" << 0;
    QTest::newRow("redirect on the same host") << "moved.info" << int(Verdict::Taken) << "" << 0;
    QTest::newRow("redirect to another host over http")
        << "away.info" << int(Verdict::Unknown)
        << "RDAP error: redirect to another host without https" << 0;
    QTest::newRow("endless redirects")
        << "loop.info" << int(Verdict::Unknown) << "RDAP error: more than 3 redirects" << 0;
}

void TestLookupPool::rdap() {
    QFETCH(QString, name);
    QFETCH(int, verdict);
    QFETCH(QString, reason);
    QFETCH(int, retryAfter);
    LoopbackHttpServer http;
    QVERIFY(http.start());
    const QByteArray taken = R"({"objectClassName":"domain","ldhName":"TAKEN.INFO"})";
    http.setResponse("/rdap/domain/taken.info", 200, taken);
    http.setResponse("/rdap/domain/busy.info", 429, "{}", "Retry-After: 120\r\n");
    http.setResponse("/rdap/domain/broken.info", 500, "{}");
    http.setStalled("/rdap/domain/slow.info");
    http.setResponse("/rdap/domain/huge.info", 200,
                     R"({"ldhName":"huge.info","x":")" +
                         QByteArray(ReplyClassifier::MaxReplyBytes + 512 * 1024, ' ') + "\"}");
    http.setResponse("/rdap/domain/moved.info", 301, "", "Location: /v2/domain/moved.info\r\n");
    http.setResponse("/v2/domain/moved.info", 200, R"({"ldhName":"moved.info"})");
    http.setResponse("/rdap/domain/away.info", 302, "",
                     "Location: http://localhost:" + QByteArray::number(http.port()) +
                         "/rdap/domain/taken.info\r\n");
    http.setResponse("/rdap/domain/loop.info", 302, "", "Location: /rdap/domain/loop.info\r\n");
    // The port field of an RDAP row is kept as written and not used.
    m_table.setRows({RegistrarEntry{"info", http.baseUrl() + "/rdap/", 43, true}});
    // Published for .info as far as this pool knows, so its plain 404s are believed.
    m_pool->rdapServers().setKnownBase([](const QString &, const QString &) { return true; });
    QSignalSpy ended(m_pool.get(), &LookupPool::lookupEnded);

    start(name, 0);

    QVERIFY(ended.wait(WaitMs));
    const LookupOutcome outcome = lastOutcome(ended);
    QCOMPARE(outcome.reason, reason);
    QCOMPARE(int(outcome.verdict), verdict);
    QCOMPARE(outcome.retryAfterSeconds, retryAfter);
    QCOMPARE(http.requests.first(), "/rdap/domain/" + name);
    QCOMPARE(freeNames(), verdict == int(Verdict::Free) ? QStringList{name} : QStringList());
    QCOMPARE(names(ResultLists::Registered),
             verdict == int(Verdict::Taken) ? QStringList{name} : QStringList());
    if (name == "taken.info")
        QCOMPARE(m_pool->slot(0).reply, taken);
    QVERIFY(m_pool->slot(0).reply.size() <= ReplyClassifier::MaxReplyBytes);
}

void TestLookupPool::rdapIdnAndSlotReuse() {
    LoopbackHttpServer http;
    QVERIFY(http.start());
    http.setStalled("/domain/old.info");
    m_table.setRows({RegistrarEntry{"info", http.baseUrl(), 43, true}});
    m_pool->rdapServers().setKnownBase([](const QString &, const QString &) { return true; });
    QSignalSpy ended(m_pool.get(), &LookupPool::lookupEnded);

    start("old.info", 1);
    QTRY_COMPARE_WITH_TIMEOUT(http.requests.size(), 1, WaitMs);
    m_pool->closeSlot(1);
    const QString name = QString::fromUtf8("b\xc3\xbc"
                                           "cher.info");
    start(name, 1);

    QVERIFY(ended.wait(WaitMs));
    QTest::qWait(100);
    QCOMPARE(ended.size(), 1);
    QCOMPARE(http.requests.last(), QString("/domain/xn--bcher-kva.info"));
    QCOMPARE(freeNames(), QStringList{name});
}

void TestLookupPool::slowRdapServerAnswersEverySlot() {
    // Each answer takes a second; six connections at a time would need five.
    LoopbackHttpServer http;
    QVERIFY(http.start());
    http.responseDelayMs = 1000;
    m_table.setRows({RegistrarEntry{"info", http.baseUrl(), 43, true}});
    Timing timing = m_timing;
    timing.slotTickMs = 100;
    timing.lookupDeadlineTicks = 40;
    LookupPool pool(timing, nullptr, 30);
    pool.rdapServers().setKnownBase([](const QString &, const QString &) { return true; });
    QSignalSpy ended(&pool, &LookupPool::lookupEnded);

    for (int i = 0; i < 30; ++i)
        pool.startLookup(routeFor(QString("slow%1.info").arg(i), m_table, m_options), i);

    QTRY_COMPARE_WITH_TIMEOUT(ended.size(), 30, WaitMs);
    for (const QList<QVariant> &signal : ended)
        QCOMPARE(int(signal.at(1).value<LookupOutcome>().verdict), int(Verdict::Free));
}

void TestLookupPool::slotCountIsConfigurable() {
    QCOMPARE(m_pool->slotCount(), LookupPool::SlotCount);
    for (const auto &[asked, got] : {std::pair{0, 1}, {2, 2}, {100, 100}, {500, 100}})
        QCOMPARE(LookupPool(m_timing, nullptr, asked).slotCount(), got);
    // A slot past the pool's own count starts nothing and ends nothing.
    LookupPool small(m_timing, nullptr, 2);
    small.setReconnectPort(m_server->port());
    QSignalSpy ended(&small, &LookupPool::lookupEnded);
    small.startLookup(routeFor("taken.com", m_table, m_options), 1);
    QVERIFY(ended.wait(WaitMs));
    small.startLookup(routeFor("taken.com", m_table, m_options), 2);
    QTest::qWait(100);
    QCOMPARE(ended.size(), 1);
}

QTEST_GUILESS_MAIN(TestLookupPool)
#include "tst_lookuppool.moc"
