#include "core/resultlists.h"
#include "core/timing.h"
#include "harvest/browserharvest.h"
#include "harvest/harvestchecker.h"
#include "harvesttestdata.h"
#include "loopbackdnsserver.h"
#include "loopbackhttpserver.h"
#include "loopbackwhoisserver.h"
#include "tempprogramfolder.h"
#include "whois/dnssettings.h"
#include "whois/replyrules.h"

#include <QSignalSpy>
#include <QTest>
#include <memory>

// A browser harvest and its checker against a loopback WHOIS server.
struct CheckerRig {
    TempProgramFolder dir;
    LoopbackWhoisServer server;
    RegistrarTable table;
    VendorHosts hosts = harvestHosts();
    WhoisOptions whois;
    Timing timing = Timing::shrunk(20);
    std::unique_ptr<ResultLists> lists;
    std::unique_ptr<BrowserHarvest> harvest;
    std::unique_ptr<HarvestChecker> checker;

    CheckerRig() {
        server.start();
        table = harvestTable(QStringLiteral("127.0.0.1"), server.port());
        lists = std::make_unique<ResultLists>(dir.folder());
        harvest = std::make_unique<BrowserHarvest>(dir.folder(), table, hosts);
        checker = std::make_unique<HarvestChecker>(dir.folder(), table, whois, *lists, timing,
                                                   harvest->harvester());
        QObject::connect(harvest.get(), &BrowserHarvest::pageHarvested, checker.get(),
                         &HarvestChecker::checkNextName);
    }
};

class TestHarvestChecker : public QObject {
    Q_OBJECT
private slots:
    void filesFreeAndTakenNames();
    void abandonsSilentServerAfterFiveTicks();
    void missingQueueIsTheEnd();
    void readQueueEntry_data();
    void readQueueEntry();
    void skipsNamesWithoutEnabledExtension();
    void controlCharactersNeverReachTheServer();
    void readsRepliesWithTheReplyRules();
    void rdapRowsAreAskedOverRdap();
    void delegatedNamesAreTakenWithoutAWhoisQuery();
};

// The harvester's checker goes through the same run: with DNS first a delegated name is filed
// taken and only the others reach the WHOIS server.
void TestHarvestChecker::delegatedNamesAreTakenWithoutAWhoisQuery() {
    CheckerRig rig;
    LoopbackDnsServer dns;
    QVERIFY(dns.start());
    dns.delegated = {"taken.com", "other.net"};
    rig.server.replies.insert("free.com", LoopbackWhoisServer::freeReply());
    rig.checker->setDnsSettings(DnsSettings{true, dns.address()});
    QSignalSpy free(rig.checker.get(), &HarvestChecker::freeName);
    QSignalSpy taken(rig.checker.get(), &HarvestChecker::takenName);
    rig.checker->start();
    rig.harvest->pageCompleted("taken.com free.com other.net");
    QTRY_COMPARE_WITH_TIMEOUT(free.count() + taken.count(), 3, 10000);
    QCOMPARE(rig.lists->list(ResultLists::Registered)->names(),
             (QStringList{"taken.com", "other.net"}));
    QCOMPARE(rig.lists->list(ResultLists::High)->names(), QStringList{"free.com"});
    QCOMPARE(rig.server.queries, QList<QByteArray>{"free.com"});
    QCOMPARE(dns.queries, (QStringList{"taken.com", "free.com", "other.net"}));
}

// .info has no port 43 here: its row is an RDAP base address. A page naming two free .info
// names and a free .com name lists all three, each asked where its row says.
void TestHarvestChecker::rdapRowsAreAskedOverRdap() {
    CheckerRig rig;
    LoopbackHttpServer http;
    QVERIFY(http.start());
    QList<RegistrarEntry> rows = rig.table.rows();
    for (RegistrarEntry &row : rows)
        if (row.extension == "info")
            row = RegistrarEntry{"info", http.baseUrl() + "/rdap/", 43, true};
    rig.table.setRows(rows);
    // A typed base is believed once it answers as an RDAP server does.
    for (const char *name : {"firstfree.info", "secondfree.info"})
        http.setResponse(QString("/rdap/domain/") + name, 404, R"({"errorCode":404})");
    rig.server.replies.insert("freename.com", LoopbackWhoisServer::freeReply());
    QSignalSpy free(rig.checker.get(), &HarvestChecker::freeName);
    rig.checker->start();
    rig.harvest->pageCompleted("firstfree.info secondfree.info freename.com");
    QTRY_COMPARE_WITH_TIMEOUT(free.count(), 3, 10000);

    QStringList listed;
    for (const QVariantList &signal : free)
        listed << signal.at(0).toString();
    QCOMPARE(listed, (QStringList{"firstfree.info", "secondfree.info", "freename.com"}));
    QCOMPARE(http.requests,
             (QStringList{"/rdap/domain/firstfree.info", "/rdap/domain/secondfree.info"}));
    QCOMPARE(rig.server.queries, QList<QByteArray>{"freename.com"});
    QStringList filed = rig.lists->list(ResultLists::High)->names() +
                        rig.lists->list(ResultLists::Mid)->names() +
                        rig.lists->list(ResultLists::Low)->names();
    filed.sort();
    QCOMPARE(filed, (QStringList{"firstfree.info", "freename.com", "secondfree.info"}));
}

void TestHarvestChecker::readsRepliesWithTheReplyRules() {
    // .us answers "No Data Found" when free; a throttled reply files the name nowhere.
    CheckerRig rig;
    ReplyRules rules;
    QVERIFY(rules.loadText(ReplyRules::defaultText(), "replyrules.txt").isEmpty());
    rig.checker->setReplyRules(&rules);
    rig.server.replies.insert("free.us", "No Data Found\r\n");
    rig.server.replies.insert("busy.com", "WHOIS LIMIT EXCEEDED\r\n");
    rig.server.replies.insert("empty.net", "\r\n");
    QSignalSpy free(rig.checker.get(), &HarvestChecker::freeName);
    QSignalSpy taken(rig.checker.get(), &HarvestChecker::takenName);
    QSignalSpy progress(rig.checker.get(), &HarvestChecker::progressText);
    rig.checker->start();
    rig.harvest->pageCompleted("free.us busy.com empty.net taken.com");
    QTRY_COMPARE_WITH_TIMEOUT(rig.checker->checkPosition(), 4, 10000);
    QTRY_COMPARE_WITH_TIMEOUT(free.count() + taken.count(), 2, 10000);

    QCOMPARE(free.at(0).at(0).toString(), QString("free.us"));
    QCOMPARE(taken.at(0).at(0).toString(), QString("taken.com"));
    QCOMPARE(rig.lists->list(ResultLists::Registered)->names(), QStringList{"taken.com"});
    QStringList texts;
    for (const QVariantList &signal : progress)
        texts << signal.at(0).toString();
    QVERIFY(texts.contains("Unknown: busy.com (rate-limited)"));
    QVERIFY(texts.contains("Unknown: empty.net (empty reply)"));
}

void TestHarvestChecker::filesFreeAndTakenNames() {
    CheckerRig rig;
    rig.server.replies.insert("free.com", LoopbackWhoisServer::freeReply());
    rig.server.replies.insert("lowercase.net", "no match for \"LOWERCASE.NET\"\r\n");
    rig.server.replies.insert("other.com", "No entries found.\r\n"); // not the harvester's phrase
    QSignalSpy free(rig.checker.get(), &HarvestChecker::freeName);
    QSignalSpy taken(rig.checker.get(), &HarvestChecker::takenName);
    QSignalSpy progress(rig.checker.get(), &HarvestChecker::progressText);
    QSignalSpy page(rig.checker.get(), &HarvestChecker::pageStatus);
    rig.checker->start();
    rig.harvest->pageCompleted("free.com taken.com lowercase.net other.com");
    QTRY_COMPARE_WITH_TIMEOUT(free.count() + taken.count(), 4, 10000);

    QCOMPARE(free.at(0), (QVariantList{"free.com", "Unregistered: (1)"}));
    QCOMPARE(free.at(1), (QVariantList{"lowercase.net", "Unregistered: (2)"}));
    QCOMPARE(taken.at(0), (QVariantList{"taken.com", "Registered: (1)"}));
    QCOMPARE(taken.at(1), (QVariantList{"other.com", "Registered: (2)"}));
    // Filed into the main window's lists too, by the length of the first label.
    QCOMPARE(rig.lists->list(ResultLists::High)->names(), QStringList{"free.com"});
    QCOMPARE(rig.lists->list(ResultLists::Low)->names(), QStringList{"lowercase.net"});
    QCOMPARE(rig.lists->list(ResultLists::Registered)->names(),
             (QStringList{"taken.com", "other.com"}));
    QCOMPARE(rig.server.queries,
             (QList<QByteArray>{"free.com", "taken.com", "lowercase.net", "other.com"}));

    QTRY_VERIFY_WITH_TIMEOUT(progress.count() > 0 &&
                                 progress.last().at(0).toString() == "Checked 4 unique domains.",
                             5000);
    QCOMPARE(page.last().at(0).toString(), QStringLiteral("Finished domains on current page"));
    QCOMPARE(rig.checker->checkPosition(), 4);
}

void TestHarvestChecker::abandonsSilentServerAfterFiveTicks() {
    CheckerRig rig;
    rig.server.silentNames.insert("silent.com");
    rig.server.replies.insert("after.com", LoopbackWhoisServer::freeReply());
    QSignalSpy free(rig.checker.get(), &HarvestChecker::freeName);
    QSignalSpy taken(rig.checker.get(), &HarvestChecker::takenName);
    rig.checker->start();
    rig.harvest->pageCompleted("silent.com after.com");
    QTRY_COMPARE_WITH_TIMEOUT(free.count(), 1, 10000);
    QCOMPARE(free.at(0).at(0).toString(), QStringLiteral("after.com"));
    QCOMPARE(taken.count(), 0); // the abandoned name goes to neither list
    // The step timer ticked several times while the silent lookup waited, and never
    // restarted it: one query, and one more after the server's rest, as every lookup is
    // retried once.
    QCOMPARE(rig.server.queries, (QList<QByteArray>{"silent.com", "silent.com", "after.com"}));
}

void TestHarvestChecker::missingQueueIsTheEnd() {
    CheckerRig rig;
    rig.server.replies.insert("first.com", LoopbackWhoisServer::freeReply());
    QSignalSpy free(rig.checker.get(), &HarvestChecker::freeName);
    rig.checker->start();
    QTest::qWait(rig.timing.checkerTickMs * 5); // ticks before anything was queued
    QCOMPARE(rig.checker->checkPosition(), 0);
    rig.harvest->pageCompleted("first.com");
    QTRY_COMPARE_WITH_TIMEOUT(free.count(), 1, 10000);
    QCOMPARE(free.at(0).at(0).toString(), QStringLiteral("first.com"));
}

void TestHarvestChecker::readQueueEntry_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("entry");
    const QByteArray file = "a.com\r\nb.com \r\n\r\n \r\nc.com\nd.com\r\n\r\n\r\n\r\n";
    QTest::newRow("first") << file << 0 << "a.com";
    QTest::newRow("trailing space kept") << file << 1 << "b.com ";
    QTest::newRow("blank and one-space lines skipped") << file << 2 << "c.com";
    QTest::newRow("last") << file << 3 << "d.com";
    QTest::newRow("past the end, empty lines after") << file << 4 << "endoffileffile";
    QTest::newRow("negative") << file << -1 << "endoffileffile";
}

void TestHarvestChecker::readQueueEntry() {
    CheckerRig rig;
    QFETCH(QByteArray, file);
    rig.dir.writeFile("\\BrowserSearch.txt", file);
    QFETCH(int, index);
    QFETCH(QString, entry);
    QCOMPARE(rig.checker->readQueueEntry(index), entry);
}

void TestHarvestChecker::skipsNamesWithoutEnabledExtension() {
    CheckerRig rig;
    rig.server.replies.insert("good.com", LoopbackWhoisServer::freeReply());
    QSignalSpy free(rig.checker.get(), &HarvestChecker::freeName);
    // Queued by hand: names that never reach a server.
    rig.dir.writeFile("\\BrowserSearch.txt", "nodot\r\nbad.org\r\ngood.com\r\n\r\n");
    rig.harvest->pageCompleted("x.com y.com z.com"); // foundTotal 3; appended after them
    rig.checker->start();
    QTRY_COMPARE_WITH_TIMEOUT(free.count(), 1, 10000);
    QCOMPARE(rig.server.queries.first(), QByteArray("good.com"));
}

// Cleaned as the lookup pool cleans: the name filed, shown and classed by length is the one
// asked, without the tabs a page's indentation leaves in front of it.
void TestHarvestChecker::controlCharactersNeverReachTheServer() {
    CheckerRig rig;
    rig.server.replies.insert("abc.com", LoopbackWhoisServer::freeReply());
    QSignalSpy free(rig.checker.get(), &HarvestChecker::freeName);
    QSignalSpy taken(rig.checker.get(), &HarvestChecker::takenName);
    rig.dir.writeFile("\\BrowserSearch.txt", "\t\tabc.com\r\nab\x01\x1b"
                                             "c.net\r\n\r\n");
    rig.harvest->pageCompleted("filler.com");
    rig.checker->start();
    QTRY_COMPARE_WITH_TIMEOUT(free.count() + taken.count(), 2, 10000);
    QCOMPARE(rig.server.rawQueries.mid(0, 2), (QList<QByteArray>{"abc.com\r\n", "abc.net\r\n"}));
    QCOMPARE(free.first().at(0).toString(), QStringLiteral("abc.com"));
    QCOMPARE(taken.first().at(0).toString(), QStringLiteral("abc.net"));
    QCOMPARE(rig.lists->list(ResultLists::High)->names(), QStringList{"abc.com"});
    QCOMPARE(rig.lists->list(ResultLists::Registered)->names(), QStringList{"abc.net"});
    QCOMPARE(rig.dir.readFile(rig.lists->mirrorFilePaths().at(2).mid(rig.dir.root().size())),
             QByteArray("abc.com\r\n"));
}

QTEST_GUILESS_MAIN(TestHarvestChecker)
#include "tst_harvestchecker.moc"
