#include "core/timing.h"
#include "whois/lookuppool.h"
#include "whois/retrypass.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

namespace {
constexpr int WaitMs = 20000;

LookupOutcome unknown(const QString &name, const QString &server, const QString &reason,
                      int retryAfterSeconds = 0) {
    LookupOutcome outcome;
    outcome.name = name;
    outcome.server = server;
    outcome.reason = reason;
    outcome.retryAfterSeconds = retryAfterSeconds;
    return outcome;
}
} // namespace

// The retry pass on its own: the slots are a fake that answers every retry at once.
class TestRetryPass : public QObject {
    Q_OBJECT
private slots:
    void retriesEachNameOnceAfterItsServersRest();
    void aRestLongerThanTheLongestWaitIsNotWaitedFor();
    void haltLeavesTheNamesUnknown();
};

void TestRetryPass::retriesEachNameOnceAfterItsServersRest() {
    const Timing timing = Timing::shrunk(50); // failed: 50 ms, throttled: 150 ms
    struct Start {
        int slot;
        QString name;
        qint64 atMs;
    };
    QList<Start> starts;
    QElapsedTimer clock;
    RetryPass *pass = nullptr;
    RetryPass retry(2, timing, [&](int slot, const QString &name) {
        starts.append(Start{slot, name, clock.elapsed()});
        // Answered from the event loop, as the pool answers.
        QMetaObject::invokeMethod(
            pass,
            [&retry, slot, name] {
                LookupOutcome decided;
                decided.name = name;
                decided.server = "s";
                decided.verdict = name.startsWith("free") ? Verdict::Free : Verdict::Unknown;
                decided.reason = decided.verdict == Verdict::Unknown ? "no reply" : QString();
                retry.lookupEnded(slot, decided);
            },
            Qt::QueuedConnection);
    });
    pass = &retry;
    QSignalSpy retried(&retry, &RetryPass::retried);
    QSignalSpy finished(&retry, &RetryPass::finished);
    clock.start();

    QVERIFY(retry.noteUnknown(unknown("busy.com", "throttler", "rate-limited"), 7));
    QVERIFY(retry.noteUnknown(unknown("free1.com", "slow", "no reply"), 8));
    QVERIFY(retry.noteUnknown(unknown("still.com", "slow", "no reply"), 9));
    // Nobody to ask: not retried, unknown at once.
    QVERIFY(!retry.noteUnknown(unknown("nowhere.zz", "", "extension not served"), 10));
    QCOMPARE(retry.namesLeft(), 3);
    QVERIFY(retry.begin());
    QVERIFY(finished.wait(WaitMs));

    QCOMPARE(starts.size(), 3);
    // The failed server's names first, in the order they ended; the throttler's after its
    // longer rest, never before it.
    QCOMPARE(starts.at(0).name, QString("free1.com"));
    QCOMPARE(starts.at(1).name, QString("still.com"));
    QCOMPARE(starts.at(2).name, QString("busy.com"));
    QVERIFY2(starts.at(2).atMs >= timing.throttledRestMs - 20,
             qPrintable(QString::number(starts.at(2).atMs)));
    QCOMPARE(retried.size(), 3);
    QCOMPARE(finished.size(), 1);
    QStringList left;
    for (const LookupOutcome &outcome : retry.unknownOutcomes())
        left << outcome.name;
    left.sort();
    QCOMPARE(left, (QStringList{"busy.com", "nowhere.zz", "still.com"}));
    QVERIFY(!retry.active());
}

void TestRetryPass::aRestLongerThanTheLongestWaitIsNotWaitedFor() {
    const Timing timing = Timing::shrunk(50);
    int started = 0;
    RetryPass retry(1, timing, [&started](int, const QString &) { ++started; });
    QSignalSpy retried(&retry, &RetryPass::retried);
    QSignalSpy finished(&retry, &RetryPass::finished);
    // Asked for an hour: far past the longest wait.
    retry.noteUnknown(unknown("later.com", "throttler", "rate-limited", 3600), 1);

    QVERIFY(retry.begin());

    QCOMPARE(started, 0);
    QCOMPARE(retried.size(), 1);
    QCOMPARE(retried.first().at(0).toLongLong(), 1);
    QCOMPARE(finished.size(), 1);
    QCOMPARE(retry.unknownOutcomes().size(), 1);
}

void TestRetryPass::haltLeavesTheNamesUnknown() {
    const Timing timing = Timing::shrunk(50);
    int started = 0;
    RetryPass retry(1, timing, [&started](int, const QString &) { ++started; });
    QSignalSpy finished(&retry, &RetryPass::finished);
    retry.noteUnknown(unknown("a.com", "s", "no reply"), 1);
    retry.noteUnknown(unknown("b.com", "s", "no reply"), 2);
    QVERIFY(retry.begin());
    QTRY_COMPARE_WITH_TIMEOUT(started, 1, WaitMs); // one slot: one in flight

    retry.halt();
    QTest::qWait(200);

    QCOMPARE(started, 1);
    QCOMPARE(finished.size(), 0);
    QVERIFY(!retry.active());
    QCOMPARE(retry.unknownOutcomes().size(), 2);
    QCOMPARE(retry.namesLeft(), 0);
}

QTEST_GUILESS_MAIN(TestRetryPass)
#include "tst_retrypass.moc"
