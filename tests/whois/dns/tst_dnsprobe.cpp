#include "core/settingsstore.h"
#include "loopbackdnsserver.h"
#include "whois/dnsprobe.h"
#include "whois/dnssettings.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {
constexpr int WaitMs = 20000;

// Asks `names` of `probe` at once and waits for every answer, by name.
QHash<QString, DnsAnswer> askAll(DnsProbe &probe, const QStringList &names) {
    QHash<quint64, QString> asked;
    QHash<QString, DnsAnswer> answers;
    QObject::connect(&probe, &DnsProbe::answered, &probe, [&](quint64 id, const DnsAnswer &answer) {
        answers.insert(asked.value(id), answer);
    });
    for (const QString &name : names)
        asked.insert(probe.ask(name), name);
    if (!QTest::qWaitFor([&] { return answers.size() == names.size(); }, WaitMs))
        qWarning("%d of %d names answered", int(answers.size()), int(names.size()));
    probe.disconnect();
    return answers;
}
} // namespace

class TestDnsProbe : public QObject {
    Q_OBJECT
private slots:
    void answersEachKindOfName();
    void fallsBackToTcpOnATruncatedAnswer();
    void manyNamesAtOnce();
    void cancelledQueriesAreNotAnswered();
    void serverAddresses_data();
    void serverAddresses();
    void settingsLandUnderOptionsInTheProductsSection();
};

// The one place each answer kind is read: NS records of the name itself, NXDOMAIN, an empty
// NOERROR, SERVFAIL and silence; a name asked is never extended by a search domain.
void TestDnsProbe::answersEachKindOfName() {
    LoopbackDnsServer server;
    QVERIFY(server.start());
    server.delegated = {"taken.com", "xn--bcher-kva.net"};
    server.withoutNs = {"held.com"};
    server.failing = {"broken.com"};
    server.silent = {"quiet.com"};
    DnsProbe probe;
    QCOMPARE(probe.open({server.address(), 200, 2}), QString());

    const QHash<QString, DnsAnswer> answers =
        askAll(probe, {"taken.com", "TAKEN.com.", "xn--bcher-kva.net", "free.com", "held.com",
                       "broken.com", "quiet.com"});

    QCOMPARE(answers.size(), 7);
    QCOMPARE(answers["taken.com"].kind, DnsAnswer::Kind::Delegated);
    QCOMPARE(answers["TAKEN.com."].kind, DnsAnswer::Kind::Delegated);
    QCOMPARE(answers["xn--bcher-kva.net"].kind, DnsAnswer::Kind::Delegated);
    QCOMPARE(answers["free.com"].kind, DnsAnswer::Kind::NotDelegated);
    QCOMPARE(answers["free.com"].detail, QString("NXDOMAIN"));
    QCOMPARE(answers["held.com"].kind, DnsAnswer::Kind::NotDelegated);
    QCOMPARE(answers["held.com"].detail, QString("no NS records"));
    QCOMPARE(answers["broken.com"].kind, DnsAnswer::Kind::Failed);
    QCOMPARE(answers["quiet.com"].kind, DnsAnswer::Kind::Failed);
    QCOMPARE(answers["quiet.com"].detail, QString("timeout"));
    QCOMPARE(server.queries.count("quiet.com"), 2); // its tries, and no more
    for (const QString &query : std::as_const(server.queries))
        QVERIFY2(query.count('.') == 1, qPrintable(query));
    QCOMPARE(probe.inFlight(), 0);
}

void TestDnsProbe::fallsBackToTcpOnATruncatedAnswer() {
    LoopbackDnsServer server;
    QVERIFY(server.start());
    server.delegated = {"taken.com"};
    server.truncateUdp = true;
    DnsProbe probe;
    QCOMPARE(probe.open({server.address(), 1000, 2}), QString());
    const QHash<QString, DnsAnswer> answers = askAll(probe, {"taken.com", "free.com"});
    QCOMPARE(answers["taken.com"].kind, DnsAnswer::Kind::Delegated);
    QCOMPARE(answers["free.com"].kind, DnsAnswer::Kind::NotDelegated);
    QVERIFY(server.tcpQueries >= 2);
}

void TestDnsProbe::manyNamesAtOnce() {
    LoopbackDnsServer server;
    QVERIFY(server.start());
    QStringList names;
    for (int i = 0; i < 300; ++i) {
        names << QStringLiteral("name%1.com").arg(i);
        if (i % 2 == 0)
            server.delegated.insert(names.last());
    }
    DnsProbe probe;
    QCOMPARE(probe.open({server.address(), 2000, 3}), QString());
    const QHash<QString, DnsAnswer> answers = askAll(probe, names);
    QCOMPARE(answers.size(), names.size());
    for (int i = 0; i < names.size(); ++i)
        QCOMPARE(answers[names[i]].kind,
                 i % 2 == 0 ? DnsAnswer::Kind::Delegated : DnsAnswer::Kind::NotDelegated);
}

// A run that stops forgets its queries: an answer arriving later must not reach the next run.
void TestDnsProbe::cancelledQueriesAreNotAnswered() {
    LoopbackDnsServer server;
    QVERIFY(server.start());
    server.delegated = {"taken.com"};
    DnsProbe probe;
    QCOMPARE(probe.open({server.address(), 1000, 1}), QString());
    QSignalSpy answered(&probe, &DnsProbe::answered);
    probe.ask("taken.com");
    probe.ask("other.com");
    probe.cancelAll();
    QCOMPARE(probe.inFlight(), 0);
    const quint64 later = probe.ask("taken.com");
    QVERIFY(answered.wait(WaitMs));
    QTest::qWait(100);
    QCOMPARE(answered.size(), 1);
    QCOMPARE(answered.at(0).at(0).value<quint64>(), later);
}

void TestDnsProbe::serverAddresses_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("address"); // "" for refused
    QTest::newRow("v4") << "192.0.2.1"
                        << "192.0.2.1:53";
    QTest::newRow("v4 port") << " 127.0.0.1:5353 "
                             << "127.0.0.1:5353";
    QTest::newRow("v6") << "::1"
                        << "[::1]:53";
    QTest::newRow("v6 port") << "[2001:db8::1]:5300"
                             << "[2001:db8::1]:5300";
    QTest::newRow("name") << "dns.example"
                          << "";
    QTest::newRow("port 0") << "127.0.0.1:0"
                            << "";
    QTest::newRow("port too big") << "127.0.0.1:65536"
                                  << "";
    QTest::newRow("port sign") << "127.0.0.1:+53"
                               << "";
    QTest::newRow("empty port") << "127.0.0.1:"
                                << "";
    QTest::newRow("v6 unclosed") << "[::1:53"
                                 << "";
}

void TestDnsProbe::serverAddresses() {
    QFETCH(QString, text);
    QFETCH(QString, address);
    const std::optional<QString> parsed = DnsProbe::serverAddress(text);
    QCOMPARE(parsed.value_or(QString()), address);
    DnsProbe probe;
    QCOMPARE(probe.open({text, 100, 1}).isEmpty(), !address.isEmpty());
}

// The keys are read by hand-edited files and other versions: they must land exactly as
// Options\DnsFirst and Options\DnsServer in the product's section.
void TestDnsProbe::settingsLandUnderOptionsInTheProductsSection() {
    QTemporaryDir dir;
    const QString path = dir.filePath("user.ini");
    {
        IniSettingsStore store(path);
        const DnsSettings defaults = DnsSettings::read(store, "Kestrin");
        QVERIFY(defaults.enabled);
        QVERIFY(defaults.server.isEmpty());
        QVERIFY((DnsSettings{false, "127.0.0.1:5353"}).write(store, "Kestrin"));
    }
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    QVERIFY2(text.contains("[Kestrin]\nOptions\\DnsFirst=false\nOptions\\DnsServer=127.0.0.1:5353"),
             text.constData());
    IniSettingsStore store(path);
    const DnsSettings read = DnsSettings::read(store, "Kestrin");
    QVERIFY(!read.enabled);
    QCOMPARE(read.server, QString("127.0.0.1:5353"));
}

QTEST_GUILESS_MAIN(TestDnsProbe)
#include "tst_dnsprobe.moc"
