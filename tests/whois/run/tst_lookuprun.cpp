#include "lookuprig.h"
#include "whois/lookuprun.h"
#include "whois/replyrules.h"

#include <QSignalSpy>
#include <QTest>

namespace {
constexpr int WaitMs = 20000;
} // namespace

class TestLookupRun : public QObject {
    Q_OBJECT
private slots:
    void everyNameSettlesOnceWithItsTagAndTimings();
    void aRestingServersNamesWaitWhileAnotherServerIsAsked();
    void theSourceMayEndTheRun();
    void haltReportsNamesInFlightAndReadAhead();
};

void TestLookupRun::everyNameSettlesOnceWithItsTagAndTimings() {
    LookupRig rig(20, 5);
    QVERIFY(rig.started);
    QStringList names;
    for (int i = 0; i < 30; ++i) {
        names << QStringLiteral("name%1.com").arg(i);
        if (i % 3 == 0)
            rig.server.replies.insert(names.last(), LoopbackWhoisServer::freeReply());
    }
    names << QStringLiteral("b\u00fccher.net") << QStringLiteral("bare");
    rig.server.replies.insert("xn--bcher-kva.net", LoopbackWhoisServer::freeReply());
    LookupRun run(*rig.pool, rig.table, rig.options, rig.timing);
    QList<Ended> ended;
    connect(&run, &LookupRun::lookupEnded, this,
            [&ended](qint64 tag, const LookupOutcome &outcome, bool settled) {
                ended.append(Ended{tag, outcome, settled});
            });
    QSignalSpy finished(&run, &LookupRun::finished);
    int next = 0;

    run.start(listSource(names, &next));
    QVERIFY(run.openLookups() <= 5);
    QVERIFY(finished.wait(WaitMs));

    QCOMPARE(finished.size(), 1);
    QCOMPARE(ended.size(), names.size());
    QSet<qint64> tags;
    for (const Ended &end : std::as_const(ended)) {
        QVERIFY(end.settled);
        tags.insert(end.tag);
        const LookupOutcome &o = end.outcome;
        // A bare word gets the default extension; the name as written goes with its ASCII form.
        const QString asked =
            names.at(int(end.tag)) == "bare" ? "bare.com" : names.at(int(end.tag));
        QCOMPARE(o.name, asked);
        QCOMPARE(o.ascii, o.name == names.at(30) ? QString("xn--bcher-kva.net") : o.name);
        QVERIFY(o.verdict != Verdict::Unknown);
        QVERIFY(!o.reply.isEmpty());
        QVERIFY(o.startedMs >= 0 && o.startedMs <= o.sentMs && o.sentMs <= o.endedMs);
    }
    QCOMPARE(tags.size(), names.size());
    QCOMPARE(run.started(), names.size());
    QCOMPARE(run.decided(), names.size());
    QCOMPARE(run.freeCount(), 11);
    QCOMPARE(run.takenCount(), names.size() - 11);
    QCOMPARE(run.unknownCount(), 0);
    QCOMPARE(run.lowestOpenTag(), -1);
    QVERIFY(!run.running());
}

// With names read ahead, a free slot skips the names of a server that rests and asks another
// server's; the resting server is not asked again before its rest is over.
void TestLookupRun::aRestingServersNamesWaitWhileAnotherServerIsAsked() {
    LookupRig rig(20, 1);
    QVERIFY(rig.started);
    LoopbackWhoisServer other;
    QVERIFY(other.start());
    rig.table.setRows({RegistrarEntry{"com", "127.0.0.1", rig.server.port(), true},
                       RegistrarEntry{"net", "localhost", other.port(), true}});
    // Longer than the longest wait: the throttled server's names are not retried in this run.
    rig.timing.throttledRestMs = 10 * rig.timing.longestRetryWaitMs;
    ReplyRules rules;
    QVERIFY(rules.loadText(ReplyRules::defaultText(), "replyrules.txt").isEmpty());
    rig.pool->setReplyRules(&rules);
    rig.server.defaultReply = "WHOIS LIMIT EXCEEDED\r\n";
    other.defaultReply = LoopbackWhoisServer::freeReply();
    LookupRun run(*rig.pool, rig.table, rig.options, rig.timing);
    run.setLookAhead(4);
    QList<Ended> ended;
    connect(&run, &LookupRun::lookupEnded, this,
            [&ended](qint64 tag, const LookupOutcome &outcome, bool settled) {
                ended.append(Ended{tag, outcome, settled});
            });
    QSignalSpy notAsked(&run, &LookupRun::notAsked);
    QSignalSpy finished(&run, &LookupRun::finished);
    int next = 0;

    run.start(listSource({"a1.com", "a2.com", "b1.net", "a3.com", "b2.net"}, &next));
    QVERIFY(finished.wait(WaitMs));

    QCOMPARE(rig.server.queries, QList<QByteArray>{"a1.com"});
    QCOMPARE(other.queries, (QList<QByteArray>{"b1.net", "b2.net"}));
    QCOMPARE(notAsked.size(), 2); // a2.com and a3.com, kept for a retry that does not wait
    QCOMPARE(run.freeCount(), 2);
    QCOMPARE(run.unknownCount(), 3);
    QStringList unknown;
    for (const LookupOutcome &outcome : run.unknownOutcomes()) {
        QCOMPARE(outcome.reason, LookupPool::RateLimitedReason);
        unknown << outcome.name;
    }
    unknown.sort();
    QCOMPARE(unknown, (QStringList{"a1.com", "a2.com", "a3.com"}));
    QCOMPARE(run.waiting(), 0);
}

void TestLookupRun::theSourceMayEndTheRun() {
    // An adapter may halt the run from inside its source (every row is out): nothing more is
    // asked or reported, and a new run starts clean.
    LookupRig rig(20, 3);
    QVERIFY(rig.started);
    LookupRun run(*rig.pool, rig.table, rig.options, rig.timing);
    QSignalSpy ended(&run, &LookupRun::lookupEnded);
    QSignalSpy finished(&run, &LookupRun::finished);
    int calls = 0;
    run.start([&]() -> std::optional<LookupItem> {
        if (++calls == 2) {
            run.halt();
            return std::nullopt;
        }
        return LookupItem{QStringLiteral("first.com"), 0};
    });
    QTest::qWait(200);
    QVERIFY(!run.running());
    QCOMPARE(ended.size(), 0);
    QCOMPARE(finished.size(), 0);

    int next = 0;
    run.start(listSource({"again.com"}, &next));
    QVERIFY(finished.wait(WaitMs));
    QCOMPARE(ended.size(), 1);
    QVERIFY(rig.server.queries.contains("again.com"));
}

// Stop moves the caller's position past every name read, so each one in a slot or waiting in a
// queue must come back as unknown, in the order read, or Stop loses it.
void TestLookupRun::haltReportsNamesInFlightAndReadAhead() {
    LookupRig rig(20, 2);
    QVERIFY(rig.started);
    rig.server.mode = LoopbackWhoisServer::Mode::Silent;
    LookupRun run(*rig.pool, rig.table, rig.options, rig.timing);
    run.setLookAhead(0);
    int next = 0;
    run.start(listSource({"a.com", "b.com", "c.com"}, &next));
    QTRY_COMPARE_WITH_TIMEOUT(rig.server.queries.size(), 2, WaitMs);
    QCOMPARE(next, 2);

    run.halt();

    const QList<LookupOutcome> unknown = run.unknownOutcomes();
    QCOMPARE(unknown.size(), 2);
    QCOMPARE(unknown.at(0).name, QString("a.com"));
    QCOMPARE(unknown.at(1).name, QString("b.com"));
    QCOMPARE(unknown.at(0).reason, QString("interrupted"));
    QVERIFY(!run.running());
}

QTEST_GUILESS_MAIN(TestLookupRun)
#include "tst_lookuprun.moc"
