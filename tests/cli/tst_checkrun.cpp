#include "cli/checkrun.h"
#include "core/timing.h"
#include "loopbackwhoisserver.h"
#include "whois/lookuppool.h"
#include "whois/registrartable.h"
#include "whois/replyrules.h"

#include <QSet>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

namespace {
constexpr int WaitMs = 20000;

QList<CheckItem> items(const QStringList &names) {
    QList<CheckItem> result;
    for (const QString &name : names)
        result << CheckItem{name, {}};
    return result;
}
} // namespace

class TestCheckRun : public QObject {
    Q_OBJECT
private slots:
    void init();
    void rowsComeInInputOrder();
    void silentServerBecomesUnknownAndOthersFlowOn();
    void unknownNamesAreRetriedOnceAtTheEnd();
    void aServerRestingTooLongIsNotWaitedFor();
    void unlookableNamesAndEmptyInput();
    void parallelIsTheSlotCount();

private:
    QList<CheckRow> run(const QList<CheckItem> &input, int parallel);

    QTemporaryDir m_dir;
    std::unique_ptr<LoopbackWhoisServer> m_server;
    RegistrarTable m_table;
    WhoisOptions m_options;
    ReplyRules m_rules;
    Timing m_timing = Timing::shrunk(20);
};

void TestCheckRun::init() {
    m_server = std::make_unique<LoopbackWhoisServer>();
    QVERIFY(m_server->start());
    m_table.setRows({RegistrarEntry{"com", "127.0.0.1", m_server->port(), true},
                     RegistrarEntry{"org", "", 43, true}});
    QVERIFY(m_rules.loadText(ReplyRules::defaultText(), "replyrules.txt").isEmpty());
}

QList<CheckRow> TestCheckRun::run(const QList<CheckItem> &input, int parallel) {
    LookupPool pool(m_timing, nullptr, parallel);
    pool.setReconnectPort(m_server->port());
    pool.setReplyRules(&m_rules);
    CheckRun check(pool, m_table, m_options, m_timing);
    QList<CheckRow> rows;
    connect(&check, &CheckRun::rowReady, this, [&rows](const CheckRow &row) { rows << row; });
    QSignalSpy finished(&check, &CheckRun::finished);
    check.start(input);
    if (!finished.wait(WaitMs))
        qWarning("the run did not finish");
    return rows;
}

void TestCheckRun::rowsComeInInputOrder() {
    QStringList names;
    for (int i = 0; i < 60; ++i)
        names << QStringLiteral("longname%1.com").arg(i);
    for (int i = 0; i < 60; i += 3)
        m_server->replies.insert(names.at(i), LoopbackWhoisServer::freeReply());
    const QList<CheckRow> rows = run(items(names), 7);
    QCOMPARE(rows.size(), names.size());
    for (int i = 0; i < rows.size(); ++i) {
        QCOMPARE(rows.at(i).name, names.at(i));
        QCOMPARE(rows.at(i).verdict, i % 3 == 0 ? Verdict::Free : Verdict::Taken);
        QCOMPARE(rows.at(i).lengthClass, i % 3 == 0 ? QStringLiteral("low") : QString());
        QCOMPARE(rows.at(i).server, QStringLiteral("127.0.0.1"));
    }
}

void TestCheckRun::silentServerBecomesUnknownAndOthersFlowOn() {
    // The first name never gets an answer; with two slots the other slot must carry all the
    // rest while the first waits for its deadline, and the rows still come out in order.
    m_server->silentNames.insert("silent.com");
    const QStringList names = {"silent.com", "a.com", "b.com", "c.com", "d.com"};
    const QList<CheckRow> rows = run(items(names), 2);
    QCOMPARE(rows.size(), 5);
    QCOMPARE(rows.at(0).verdict, Verdict::Unknown);
    QCOMPARE(rows.at(0).reason, QStringLiteral("no reply"));
    QCOMPARE(rows.at(0).server, QStringLiteral("127.0.0.1"));
    for (int i = 1; i < 5; ++i) {
        QCOMPARE(rows.at(i).name, names.at(i));
        QCOMPARE(rows.at(i).verdict, Verdict::Taken);
    }
    QCOMPARE(m_server->queries.count("a.com"), 1);
    QCOMPARE(m_server->queries.count("d.com"), 1);
    // Asked once more after the others (each lookup reconnects while silent), and still silent.
    QVERIFY(m_server->queries.count("silent.com") >= 2);
    QCOMPARE(m_server->queries.last(), QByteArray("silent.com"));
}

void TestCheckRun::unknownNamesAreRetriedOnceAtTheEnd() {
    // The second name gets a reply no rule reads and the last is throttled (a throttle keeps
    // back the names after it too) on their first ask; both answer "not found" when asked again.
    // Their rows wait for the retry, and everything comes out in input order with what the retry
    // found; the others are taken.
    const QStringList names = {"n0.com", "n1.com", "n2.com", "n3.com", "n4.com"};
    m_server->replies.insert("n1.com", "Service busy, please come back later\r\n");
    m_server->replies.insert("n4.com", "WHOIS LIMIT EXCEEDED\r\n");
    m_server->laterReplies.insert("n1.com", LoopbackWhoisServer::freeReply());
    m_server->laterReplies.insert("n4.com", LoopbackWhoisServer::freeReply());
    const QList<CheckRow> rows = run(items(names), 2);
    QCOMPARE(rows.size(), 5);
    for (int i = 0; i < 5; ++i) {
        const bool retried = i == 1 || i == 4;
        QCOMPARE(rows.at(i).name, names.at(i));
        QCOMPARE(rows.at(i).verdict, retried ? Verdict::Free : Verdict::Taken);
        QCOMPARE(m_server->queries.count(names.at(i).toLatin1()), retried ? 2 : 1);
    }
    // The retries came after every first ask.
    QStringList firstAsks;
    for (const QByteArray &query : m_server->queries.mid(0, 5))
        firstAsks << QString::fromLatin1(query);
    firstAsks.sort();
    QCOMPARE(firstAsks, names);
}

void TestCheckRun::aServerRestingTooLongIsNotWaitedFor() {
    // A throttle asking for days (cut to one) would hold the rows after it, and the run, that
    // long: the name stays unknown instead, and the run ends.
    m_server->replies.insert("limited.com", "Limit exceeded, wait 7777777 seconds\r\n");
    m_server->laterReplies.insert("limited.com", LoopbackWhoisServer::freeReply());
    const QList<CheckRow> rows = run(items({"a.com", "b.com", "limited.com"}), 2);
    QCOMPARE(rows.size(), 3);
    QCOMPARE(rows.at(2).verdict, Verdict::Unknown);
    QCOMPARE(rows.at(2).reason, QStringLiteral("rate-limited"));
    QCOMPARE(m_server->queries.count("limited.com"), 1);
}

void TestCheckRun::unlookableNamesAndEmptyInput() {
    QList<CheckItem> input = items({"x.com", "y.org", "z.com"});
    input.insert(1, CheckItem{"???", "not a domain name"});
    const QList<CheckRow> rows = run(input, 25);
    QCOMPARE(rows.size(), 4);
    QCOMPARE(rows.at(1).verdict, Verdict::Unknown);
    QCOMPARE(rows.at(1).reason, QStringLiteral("not a domain name"));
    // A registrar row without a server ends the lookup unknown, not taken.
    QCOMPARE(rows.at(2).name, QStringLiteral("y.org"));
    QCOMPARE(rows.at(2).verdict, Verdict::Unknown);
    QVERIFY(!rows.at(2).reason.isEmpty());
    QCOMPARE(rows.at(3).verdict, Verdict::Taken);

    QVERIFY(run({}, 25).isEmpty());
}

void TestCheckRun::parallelIsTheSlotCount() {
    for (const auto &[asked, got] : {std::pair{0, 1}, {1, 1}, {25, 25}, {100, 100}, {500, 100}}) {
        LookupPool pool(m_timing, nullptr, asked);
        QCOMPARE(pool.slotCount(), got);
    }
    // No answers at all: the run keeps exactly `parallel` names on the wire until the first
    // deadline frees a slot.
    m_timing = Timing::shrunk(100);
    m_timing.lookupDeadlineTicks = 15;
    const QStringList names = {"n0.com", "n1.com", "n2.com", "n3.com", "n4.com"};
    for (const QString &name : names)
        m_server->silentNames.insert(name);
    QSet<QByteArray> asked;
    qsizetype askedAtFirstRow = -1;
    connect(m_server.get(), &LoopbackWhoisServer::queryReceived, this,
            [&asked](const QByteArray &name) { asked.insert(name); });
    LookupPool pool(m_timing, nullptr, 4);
    pool.setReconnectPort(m_server->port());
    CheckRun check(pool, m_table, m_options, m_timing);
    connect(&pool, &LookupPool::lookupEnded, this, [&] {
        if (askedAtFirstRow < 0)
            askedAtFirstRow = asked.size();
    });
    QSignalSpy finished(&check, &CheckRun::finished);
    check.start(items(names));
    QVERIFY(finished.wait(WaitMs));
    QCOMPARE(askedAtFirstRow, 4);
    QCOMPARE(asked.size(), 5);
}

QTEST_GUILESS_MAIN(TestCheckRun)
#include "tst_checkrun.moc"
