#include "lookuprig.h"
#include "loopbackdnsserver.h"
#include "whois/dnsprobe.h"
#include "whois/lookuprun.h"

#include <QSignalSpy>
#include <QTest>

namespace {
constexpr int WaitMs = 20000;
} // namespace

class TestDnsFirst : public QObject {
    Q_OBJECT
private slots:
    void delegatedNamesNeverReachTheRegistry();
    void readsAheadOfTheSlotsWithinBounds();
    void haltReportsNamesWaitingForDns();
    void aFailingResolverIsLeftForTheRestOfTheRun();
};

// Delegated names are taken on DNS's word; every other name (no such name, registered without
// name servers, a failing or silent resolver, a name that cannot be asked) is the registry's
// to decide, and "not delegated" never makes a name free by itself.
void TestDnsFirst::delegatedNamesNeverReachTheRegistry() {
    LookupRig rig(20, 3);
    QVERIFY(rig.started);
    LoopbackDnsServer dns;
    QVERIFY(dns.start());
    QStringList names;
    for (int i = 0; i < 40; ++i) {
        names << QStringLiteral("word%1.com").arg(i);
        if (i % 4 != 0)
            dns.delegated.insert(names.last());
    }
    names << "held.com"
          << "broken.net"
          << "quiet.com"
          << "nxdomain.net"
          << "y.zz"
          << "x.zz";
    dns.withoutNs = {"held.com"};
    dns.failing = {"broken.net"};
    dns.silent = {"quiet.com"};
    rig.server.replies.insert("nxdomain.net", LoopbackWhoisServer::freeReply());
    DnsProbe probe;
    QCOMPARE(probe.open({dns.address(), 100, 1}), QString());
    LookupRun run(*rig.pool, rig.table, rig.options, rig.timing);
    run.setDnsFirst(&probe);
    QList<Ended> ended;
    connect(&run, &LookupRun::lookupEnded, this,
            [&ended](qint64 tag, const LookupOutcome &outcome, bool settled) {
                ended.append(Ended{tag, outcome, settled});
            });
    QSignalSpy finished(&run, &LookupRun::finished);
    int next = 0;

    run.start(listSource(names, &next));
    QVERIFY(finished.wait(WaitMs));

    QSet<QByteArray> asked(rig.server.queries.cbegin(), rig.server.queries.cend());
    QSet<QByteArray> expected = {"held.com", "broken.net", "quiet.com", "nxdomain.net"};
    for (int i = 0; i < 40; i += 4)
        expected.insert(QStringLiteral("word%1.com").arg(i).toLatin1());
    QCOMPARE(asked, expected);
    QCOMPARE(rig.server.queries.size(), expected.size());
    QVERIFY(!dns.queries.contains("x.zz")); // names that cannot be asked skip DNS

    QSet<qint64> tags;
    for (const Ended &end : std::as_const(ended)) {
        QVERIFY(end.settled);
        tags.insert(end.tag);
        if (dns.delegated.contains(end.outcome.name)) {
            QCOMPARE(end.outcome.verdict, Verdict::Taken);
            QCOMPARE(end.outcome.server, QString("dns"));
            QCOMPARE(end.outcome.reason, QString("delegated"));
        } else {
            QVERIFY(end.outcome.server != "dns");
        }
    }
    QCOMPARE(tags.size(), names.size());
    QCOMPARE(ended.size(), names.size());
    QCOMPARE(run.takenCount(), 30 + 10 + 3); // DNS's, then the registry's default reply
    QCOMPARE(run.freeCount(), 1);
    QCOMPARE(run.unknownCount(), 2); // the two that cannot be asked
    QCOMPARE(run.lowestOpenTag(), -1);
}

// DNS is kept busy ahead of the slots, but the names held between the source and the slots stay
// bounded whatever the list's length.
void TestDnsFirst::readsAheadOfTheSlotsWithinBounds() {
    LookupRig rig(20, 2);
    QVERIFY(rig.started);
    rig.server.mode = LoopbackWhoisServer::Mode::Silent;
    LoopbackDnsServer dns;
    QVERIFY(dns.start());
    DnsProbe probe;
    QCOMPARE(probe.open({dns.address(), 1000, 1}), QString());
    LookupRun run(*rig.pool, rig.table, rig.options, rig.timing);
    run.setDnsFirst(&probe);
    run.setLookAhead(10);
    int next = 0;
    int maxHeld = 0;
    connect(&probe, &DnsProbe::answered, this,
            [&] { maxHeld = qMax(maxHeld, next - run.openLookups()); });
    QStringList names;
    for (int i = 0; i < 1000; ++i)
        names << QStringLiteral("n%1.com").arg(i); // none delegated: all wait for the registry
    run.start(listSource(names, &next));
    QCOMPARE(run.inDns(), LookupRun::DnsInFlight);
    QTRY_COMPARE_WITH_TIMEOUT(rig.server.queries.size(), 2, WaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(run.inDns(), 0, WaitMs);
    QCOMPARE(next, LookupRun::DnsInFlight + 10 + 2);
    QCOMPARE(run.waiting(), LookupRun::DnsInFlight + 10);
    QVERIFY(maxHeld <= LookupRun::DnsInFlight + 10 + 2);
    run.halt();
}

// Stop must report the names read into DNS as unknown ("not asked"), with the ones in slots and
// queues, and the lowest open tag covers them while they wait.
void TestDnsFirst::haltReportsNamesWaitingForDns() {
    LookupRig rig(20, 2);
    QVERIFY(rig.started);
    rig.server.mode = LoopbackWhoisServer::Mode::Silent;
    LoopbackDnsServer dns;
    QVERIFY(dns.start());
    dns.silent = {"c.com", "d.com"};
    DnsProbe probe;
    QCOMPARE(probe.open({dns.address(), 10000, 1}), QString());
    LookupRun run(*rig.pool, rig.table, rig.options, rig.timing);
    run.setDnsFirst(&probe);
    QSignalSpy ended(&run, &LookupRun::lookupEnded);
    int next = 0;
    run.start(listSource({"a.com", "b.com", "c.com", "d.com", "e.com"}, &next));
    QTRY_COMPARE_WITH_TIMEOUT(rig.server.queries.size(), 2, WaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(run.waiting(), 3, WaitMs); // c, d in DNS; e waits for a slot
    QCOMPARE(run.inDns(), 2);
    QCOMPARE(run.lowestOpenTag(), 0);

    run.halt();

    QStringList names;
    QStringList reasons;
    for (const LookupOutcome &outcome : run.unknownOutcomes()) {
        names << outcome.name;
        reasons << outcome.reason;
    }
    names.sort();
    QCOMPARE(names, (QStringList{"a.com", "b.com", "c.com", "d.com", "e.com"}));
    QCOMPARE(reasons.count("not asked"), 3);
    QCOMPARE(ended.size(), 0);
    QCOMPARE(probe.inFlight(), 0);
}

// A resolver that never answers costs each name its timeouts: after a full window of failures
// the rest of the names go straight to the registry, and every name is still decided.
void TestDnsFirst::aFailingResolverIsLeftForTheRestOfTheRun() {
    LookupRig rig(20, 5);
    QVERIFY(rig.started);
    LoopbackDnsServer dns;
    QVERIFY(dns.start());
    QStringList names;
    for (int i = 0; i < 400; ++i) {
        names << QStringLiteral("n%1.com").arg(i);
        dns.silent.insert(names.last());
    }
    dns.delegated = {"n399.com"}; // never asked
    dns.silent.remove("n399.com");
    DnsProbe probe;
    QCOMPARE(probe.open({dns.address(), 50, 1}), QString());
    LookupRun run(*rig.pool, rig.table, rig.options, rig.timing);
    run.setDnsFirst(&probe);
    QSignalSpy finished(&run, &LookupRun::finished);
    int next = 0;
    run.start(listSource(names, &next));
    QVERIFY(finished.wait(WaitMs));
    QVERIFY(run.dnsGaveUp());
    QCOMPARE(run.takenCount(), names.size());
    QCOMPARE(rig.server.queries.size(), names.size());
    QVERIFY(dns.queries.size() < 2 * LookupRun::DnsInFlight);
    QVERIFY(!dns.queries.contains("n399.com"));
}

QTEST_GUILESS_MAIN(TestDnsFirst)
#include "tst_dnsfirst.moc"
