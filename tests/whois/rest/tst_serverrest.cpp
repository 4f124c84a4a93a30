#include "whois/serverrest.h"

#include <QTest>

class TestServerRest : public QObject {
    Q_OBJECT

private slots:
    void throttleBlocksUntilItsRestIsOver();
    void failureOnlyDelaysTheRetry();
};

void TestServerRest::throttleBlocksUntilItsRestIsOver() {
    qint64 now = 1000;
    ServerRest rest([&now] { return now; });
    QVERIFY(!rest.isThrottled("whois.example"));
    QVERIFY(rest.isReady("whois.example"));

    rest.throttled("whois.example", 60000);
    // The same server whatever the case of its name; other servers are not touched.
    QVERIFY(rest.isThrottled("WHOIS.Example"));
    QVERIFY(!rest.isReady("whois.example"));
    QVERIFY(!rest.isThrottled("whois.other"));
    QCOMPARE(rest.readyAt("whois.example"), qint64(61000));

    // A shorter rest asked later never cuts the longer one short.
    now = 2000;
    rest.throttled("whois.example", 5000);
    QCOMPARE(rest.readyAt("whois.example"), qint64(61000));
    now = 60999;
    QVERIFY(rest.isThrottled("whois.example"));
    now = 61000;
    QVERIFY(!rest.isThrottled("whois.example"));
    QVERIFY(rest.isReady("whois.example"));

    // A negative rest (a server's nonsense) rests nothing.
    rest.throttled("whois.neg", -5);
    QVERIFY(!rest.isThrottled("whois.neg"));
}

void TestServerRest::failureOnlyDelaysTheRetry() {
    qint64 now = 0;
    ServerRest rest([&now] { return now; });
    rest.failed("whois.example", 10000);
    // Still asked for other names, but a retry waits.
    QVERIFY(!rest.isThrottled("whois.example"));
    QVERIFY(!rest.isReady("whois.example"));
    now = 10000;
    QVERIFY(rest.isReady("whois.example"));

    // A throttle after a failure rests the server as long as the throttle asks.
    rest.throttled("whois.example", 30000);
    rest.failed("whois.example", 10000);
    QCOMPARE(rest.readyAt("whois.example"), qint64(40000));
    QVERIFY(rest.isThrottled("whois.example"));
    rest.clear();
    QVERIFY(rest.isReady("whois.example"));
}

QTEST_GUILESS_MAIN(TestServerRest)
#include "tst_serverrest.moc"
