// RDAP replies read by what they prove: statuses, bodies, Retry-After, redirects, and servers
// that must show they speak RDAP before their 404s count.

#include "loopbackhttpserver.h"
#include "whois/rdapquery.h"
#include "whois/rdapreading.h"
#include "whois/rdapredirectpolicy.h"
#include "whois/rdapservers.h"

#include <QtTest>

namespace {
constexpr int WaitMs = 20000;
const QByteArray Rdap = "application/rdap+json";
} // namespace

class TestRdapQuery : public QObject {
    Q_OBJECT
private slots:
    void reading_data();
    void reading();
    void retryAfter();
    void redirectPolicy_data();
    void redirectPolicy();
    void redirectToANameThatResolvesLocally();
    void knownBaseEmpty404IsFree();
    void typedBaseMustShowItIsRdap();
    void nameIsOnePathSegment();
    void throttlesOverHttp();
    void redirectsOverLoopback();

private:
    RdapQuery::Result ask(RdapQuery &query, const QString &base, const QString &name);
};

RdapQuery::Result TestRdapQuery::ask(RdapQuery &query, const QString &base, const QString &name) {
    RdapQuery::Result result;
    bool done = false;
    const auto connection =
        connect(&query, &RdapQuery::finished, this, [&](const RdapQuery::Result &r) {
            result = r;
            done = true;
        });
    query.start(base, name);
    [&] { QTRY_VERIFY_WITH_TIMEOUT(done, WaitMs); }();
    disconnect(connection);
    return result;
}

void TestRdapQuery::reading_data() {
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("trusted");
    QTest::addColumn<int>("retryAfter");
    QTest::addColumn<int>("verdict");
    QTest::addColumn<QString>("reason");
    const int free = int(Verdict::Free), taken = int(Verdict::Taken),
              unknown = int(Verdict::Unknown);
    QTest::newRow("404, known base") << 404 << QByteArray() << true << 0 << free << "";
    QTest::newRow("404 with errorCode 500 inside")
        << 404 << QByteArray(R"({"errorCode":500})") << true << 0 << free << "";
    QTest::newRow("404, base not shown")
        << 404 << QByteArray() << false << 0 << unknown << RdapReading::NotShownReason;
    QTest::newRow("upper-case ldhName")
        << 200 << QByteArray(R"({"ldhName":"GOOGLE.COM"})") << false << 0 << taken << "";
    QTest::newRow("trailing-dot ldhName")
        << 200 << QByteArray(R"({"ldhName":"google.com."})") << false << 0 << taken << "";
    QTest::newRow("unicodeName") << 200 << QByteArray(R"({"unicodeName":"g\u00f6ogle.com"})")
                                 << false << 0 << taken << "";
    QTest::newRow("another name") << 200 << QByteArray(R"({"ldhName":"other.com"})") << true << 0
                                  << unknown << RdapReading::AnotherNameReason;
    QTest::newRow("no name (a web page)") << 200 << QByteArray("<html>hello</html>") << true << 0
                                          << unknown << RdapReading::AnotherNameReason;
    for (int status : {400, 403, 406, 500})
        QTest::newRow(qPrintable(QString::number(status)))
            << status << QByteArray("{}") << true << 0 << unknown
            << QString("RDAP error: HTTP %1").arg(status);
    QTest::newRow("429") << 429 << QByteArray() << true << 0 << unknown << "rate-limited";
    QTest::newRow("503 with Retry-After")
        << 503 << QByteArray() << true << 30 << unknown << "rate-limited";
    QTest::newRow("503 alone") << 503 << QByteArray() << true << 0 << unknown
                               << "RDAP error: HTTP 503";
}

void TestRdapQuery::reading() {
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    QFETCH(bool, trusted);
    QFETCH(int, retryAfter);
    QFETCH(int, verdict);
    QFETCH(QString, reason);
    RdapReading::Reply reply;
    reply.status = status;
    reply.body = body;
    reply.retryAfterSeconds = retryAfter;
    const QString asked =
        QString(QTest::currentDataTag()) == "unicodeName" ? "xn--gogle-jua.com" : "google.com";
    QString why;
    QCOMPARE(int(RdapReading::read(reply, asked, trusted, &why)), verdict);
    QCOMPARE(why, reason);
}

void TestRdapQuery::retryAfter() {
    const QDateTime now(QDate(2026, 12, 10), QTime(10, 0, 0), Qt::UTC);
    QCOMPARE(RdapReading::retryAfterSeconds("120", now), 120);
    QCOMPARE(RdapReading::retryAfterSeconds("Thu, 10 Dec 2026 10:02:30 GMT", now), 150);
    QCOMPARE(RdapReading::retryAfterSeconds("Thu Dec 10 10:01:00 2026", now), 60);
    // Too large to hold is still a wait, and longer than Kestrin waits.
    QCOMPARE(RdapReading::retryAfterSeconds("99999999999999999999999", now),
             RdapReading::MaxRetryAfterSeconds);
    QCOMPARE(RdapReading::retryAfterSeconds("Fri, 31 Dec 9999 23:59:59 GMT", now),
             RdapReading::MaxRetryAfterSeconds);
    QCOMPARE(RdapReading::retryAfterSeconds("Wed, 09 Dec 2026 10:00:00 GMT", now), 0);
    QCOMPARE(RdapReading::retryAfterSeconds("soon", now), 0);
}

void TestRdapQuery::redirectPolicy_data() {
    QTest::addColumn<QString>("base");
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("refusal"); // a part of it, "" when followed
    const QString base = "https://rdap.example/";
    const QString from = "https://rdap.example/domain/a.com";
    QTest::newRow("same host") << base << from << "https://rdap.example/v2/domain/a.com" << 1 << "";
    QTest::newRow("other host over https")
        << base << from << "https://rdap2.example/domain/a.com" << 3 << "";
    QTest::newRow("a fourth") << base << from << "https://rdap2.example/domain/a.com" << 4
                              << "more than 3";
    QTest::newRow("https to http")
        << base << from << "http://rdap.example/domain/a.com" << 1 << "from https to http";
    QTest::newRow("other host over http")
        << "http://rdap.example/"
        << "http://rdap.example/domain/a.com"
        << "http://rdap2.example/domain/a.com" << 1 << "another host without https";
    for (const char *host : {"127.0.0.2", "localhost", "10.1.2.3", "172.20.0.1", "192.168.1.1",
                             "169.254.169.254", "0.0.0.0", "[::1]", "[fe80::1]", "[fd00::1]"})
        QTest::newRow(host) << base << from << QString("https://%1/domain/a.com").arg(host) << 1
                            << "local address";
    QTest::newRow("local base may stay local") << "http://127.0.0.1:8080/"
                                               << "http://127.0.0.1:8080/domain/a.com"
                                               << "http://127.0.0.1:8080/x/domain/a.com" << 1 << "";
    QTest::newRow("away from the lookup")
        << base << from << "https://rdap.example/login" << 1 << "away from the lookup";
    QTest::newRow("another name") << base << from << "https://rdap.example/domain/b.com" << 1
                                  << "away from the lookup";
    QTest::newRow("not the web") << base << from << "ftp://rdap.example/domain/a.com" << 1
                                 << "non-web";
}

void TestRdapQuery::redirectPolicy() {
    QFETCH(QString, base);
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(int, count);
    QFETCH(QString, refusal);
    const QString got =
        RdapRedirectPolicy::refusal(QUrl(base), QUrl(from), QUrl(to), count, "a.com");
    if (refusal.isEmpty())
        QCOMPARE(got, QString());
    else
        QVERIFY2(got.contains(refusal), qPrintable(got));
}

void TestRdapQuery::redirectToANameThatResolvesLocally() {
    // A public-looking name can point into the local network: what it resolves to decides.
    const QList<QHostAddress> pub{QHostAddress("192.0.2.10"), QHostAddress("2001:db8::1")};
    QCOMPARE(RdapRedirectPolicy::resolvedRefusal("rdap2.example", pub), QString());
    for (const char *local : {"127.0.0.1", "10.0.0.7", "::ffff:192.168.0.1", "fe80::2"}) {
        const QString got = RdapRedirectPolicy::resolvedRefusal(
            "rdap2.example", pub + QList<QHostAddress>{QHostAddress(local)});
        QVERIFY2(got.contains("local address (rdap2.example is"), qPrintable(got));
    }
}

void TestRdapQuery::knownBaseEmpty404IsFree() {
    LoopbackHttpServer http;
    QVERIFY(http.start());
    http.setResponse("/domain/free.info", 404, "", {}, "");
    RdapServers servers([](const QString &ext, const QString &) { return ext == "info"; });
    RdapQuery query;
    query.setServers(&servers);
    const RdapQuery::Result result = ask(query, http.baseUrl(), "free.info");
    QString reason;
    QCOMPARE(int(RdapQuery::verdictOf(result, &reason)), int(Verdict::Free));
    QCOMPARE(http.requests, QStringList{"/domain/free.info"});
}

void TestRdapQuery::typedBaseMustShowItIsRdap() {
    // A web server that is not RDAP: 404 for every path, its help included.
    LoopbackHttpServer web;
    QVERIFY(web.start());
    RdapServers servers([](const QString &, const QString &) { return false; });
    RdapQuery query;
    query.setServers(&servers);
    QString reason;
    for (const char *name : {"one.info", "two.info"}) {
        const RdapQuery::Result result = ask(query, web.baseUrl() + "/typo/", name);
        QCOMPARE(int(RdapQuery::verdictOf(result, &reason)), int(Verdict::Unknown));
        QCOMPARE(reason, RdapReading::NotShownReason);
    }
    // Its help was asked once in the run.
    QCOMPARE(web.requests,
             (QStringList{"/typo/domain/one.info", "/typo/help", "/typo/domain/two.info"}));

    // An RDAP server whose 404s are bare: its help shows what it is.
    LoopbackHttpServer rdap;
    QVERIFY(rdap.start());
    rdap.setResponse("/help", 200, R"({"rdapConformance":["rdap_level_0"]})", {}, Rdap);
    QCOMPARE(int(RdapQuery::verdictOf(ask(query, rdap.baseUrl(), "free.info"), &reason)),
             int(Verdict::Free));
    // One whose 404 is an RDAP error object needs no help.
    LoopbackHttpServer typed;
    QVERIFY(typed.start());
    typed.setResponse("/domain/free.info", 404, R"({"errorCode":404})", {}, "application/json");
    QCOMPARE(int(RdapQuery::verdictOf(ask(query, typed.baseUrl(), "free.info"), &reason)),
             int(Verdict::Free));
    QCOMPARE(typed.requests, QStringList{"/domain/free.info"});
}

void TestRdapQuery::nameIsOnePathSegment() {
    LoopbackHttpServer http;
    QVERIFY(http.start());
    RdapQuery query;
    ask(query, http.baseUrl() + "/rdap/", "a/../../b.info");
    QCOMPARE(http.requests.value(0), QString("/rdap/domain/a%2F..%2F..%2Fb.info"));
    QVERIFY(http.heads.value(0).toLower().contains("\r\naccept: application/rdap+json"));
    // No escape of a dot survives the way out, so a climbing segment is not sent at all.
    QString reason;
    QCOMPARE(int(RdapQuery::verdictOf(ask(query, http.baseUrl() + "/rdap/", ".."), &reason)),
             int(Verdict::Unknown));
    QCOMPARE(http.requests.size(), 1);
}

void TestRdapQuery::throttlesOverHttp() {
    LoopbackHttpServer http;
    QVERIFY(http.start());
    http.setResponse("/domain/a.info", 503, "", "Retry-After: 45\r\n");
    const QString in90s = QLocale::c().toString(QDateTime::currentDateTimeUtc().addSecs(90),
                                                "ddd, dd MMM yyyy HH:mm:ss 'GMT'");
    http.setResponse("/domain/b.info", 429, "", "Retry-After: " + in90s.toLatin1() + "\r\n");
    RdapQuery query;
    QString reason;
    const RdapQuery::Result seconds = ask(query, http.baseUrl(), "a.info");
    QCOMPARE(int(RdapQuery::verdictOf(seconds, &reason)), int(Verdict::Unknown));
    QCOMPARE(reason, QString("rate-limited"));
    QCOMPARE(seconds.retryAfterSeconds, 45);
    const RdapQuery::Result date = ask(query, http.baseUrl(), "b.info");
    QVERIFY2(date.retryAfterSeconds > 60 && date.retryAfterSeconds <= 90,
             qPrintable(QString::number(date.retryAfterSeconds)));
}

void TestRdapQuery::redirectsOverLoopback() {
    LoopbackHttpServer http;
    QVERIFY(http.start());
    http.setResponse("/domain/loop.info", 302, "", "Location: /domain/loop.info\r\n");
    http.setResponse("/domain/away.info", 302, "", "Location: /login\r\n");
    http.setResponse("/domain/other.info", 302, "", "Location: /domain/taken.info\r\n");
    http.setResponse("/domain/taken.info", 200, R"({"ldhName":"taken.info"})", {}, Rdap);
    RdapQuery query;
    QString reason;
    for (const auto &[name, refusal] :
         {std::pair{"loop.info", "more than 3 redirects"},
          {"away.info", "redirect away from the lookup of away.info"},
          {"other.info", "redirect away from the lookup of other.info"}}) {
        QCOMPARE(int(RdapQuery::verdictOf(ask(query, http.baseUrl(), name), &reason)),
                 int(Verdict::Unknown));
        QCOMPARE(reason, QString("RDAP error: ") + refusal);
    }
    QVERIFY(!http.requests.contains("/login"));
    QVERIFY(!http.requests.contains("/domain/taken.info"));
    QCOMPARE(http.requests.count("/domain/loop.info"), 4);
}

QTEST_GUILESS_MAIN(TestRdapQuery)
#include "tst_rdapquery.moc"
