#include "harvest/resultlinks.h"
#include "harvest/resultpagecheck.h"

#include <QTest>

Q_DECLARE_METATYPE(LoadedPage)

class TestResultLinks : public QObject {
    Q_OBJECT
private slots:
    void unwrap_data();
    void unwrap();
    void engineHosts_data();
    void engineHosts();
    void pageProblems_data();
    void pageProblems();
};

void TestResultLinks::unwrap_data() {
    QTest::addColumn<QString>("link");
    QTest::addColumn<QString>("target");
    QTest::newRow("plain link") << "https://www.example.com/a?b=c"
                                << "https://www.example.com/a?b=c";
    QTest::newRow("yahoo RU")
        << "https://r.search.yahoo.com/_ylt=Awr;_ylu=Y29s/RV=2/RE=17/RO=10/"
           "RU=https%3a%2f%2fwww.example.com%2fshop%3fa%3d1%26b%3d2/RK=2/RS=x-"
        << "https://www.example.com/shop?a=1&b=2";
    QTest::newRow("yahoo RU last") << "https://r.search.yahoo.com/RV=2/RU=http%3A%2F%2Fexample.net"
                                   << "http://example.net";
    QTest::newRow("google q")
        << "https://www.google.com/url?q=https://example.com/p%3Fx%3D1%26y%3D2&sa=U&ved=2ah"
        << "https://example.com/p?x=1&y=2";
    QTest::newRow("google url, empty q")
        << "http://127.0.0.1:8080/url?esrc=s&q=&rct=j&sa=U&url=https://example.org/&ved=1"
        << "https://example.org/";
    QTest::newRow("google q not an address") << "https://www.google.com/url?q=/search%3Fq%3Dx&sa=U"
                                             << "https://www.google.com/url?q=/search%3Fq%3Dx&sa=U";
    QTest::newRow("q outside /url is a search")
        << "https://www.google.com/search?q=https://example.com/"
        << "https://www.google.com/search?q=https://example.com/";
    QTest::newRow("bing a1 base64url")
        << "https://www.bing.com/ck/"
           "a?!&&p=abc&ptn=3&u=a1aHR0cHM6Ly93d3cuZXhhbXBsZS5jb20vP2E9MQ&ntb=1"
        << "https://www.example.com/?a=1";
    QTest::newRow("bing broken base64") << "https://www.bing.com/ck/a?u=a1%%%%"
                                        << "https://www.bing.com/ck/a?u=a1%%%%";
    QTest::newRow("duckduckgo scheme-relative")
        << "//duckduckgo.com/l/?uddg=https%3A%2F%2Fwww.example.info%2Fx&rut=abc"
        << "https://www.example.info/x";
    QTest::newRow("nested yahoo -> bing")
        << "https://r.search.yahoo.com/RV=2/RU=https%3a%2f%2fwww.bing.com%2faclick%3fld%3de8%26u%3d"
           "a1aHR0cHM6Ly93d3cuaXJvbmtldHRsZS5jb20vc2FsZQ/RK=2"
        << "https://www.ironkettle.com/sale";
    QTest::newRow("target not http stays wrapped")
        << "https://r.search.yahoo.com/RU=javascript%3aalert(1)/RK=2"
        << "https://r.search.yahoo.com/RU=javascript%3aalert(1)/RK=2";
}

void TestResultLinks::unwrap() {
    QFETCH(QString, link);
    QFETCH(QString, target);
    QCOMPARE(ResultLinks::unwrap(link), target);
}

void TestResultLinks::engineHosts_data() {
    QTest::addColumn<QString>("engineHost");
    QTest::addColumn<QString>("host");
    QTest::addColumn<bool>("engines");
    QTest::newRow("template domain") << "www.google.com"
                                     << "www.google.com" << true;
    QTest::newRow("template subdomain") << "www.google.com"
                                        << "accounts.google.com" << true;
    QTest::newRow("country domain") << "www.google.com"
                                    << "www.google.co.uk" << true;
    QTest::newRow("other engine too") << "www.google.com"
                                      << "r.search.yahoo.com" << true;
    QTest::newRow("static host") << "www.google.com"
                                 << "encrypted-tbn0.gstatic.com" << true;
    QTest::newRow("user content") << "www.google.com"
                                  << "webcache.googleusercontent.com" << true;
    QTest::newRow("yahoo images") << "search.yahoo.com"
                                  << "s.yimg.com" << true;
    QTest::newRow("loopback engine") << "127.0.0.1"
                                     << "127.0.0.1" << true;
    QTest::newRow("extra domain") << "127.0.0.1"
                                  << "www.marketplace.example" << true;
    QTest::newRow("a result") << "www.google.com"
                              << "www.example.com" << false;
    QTest::newRow("name merely contains google") << "www.google.com"
                                                 << "googlefans.com" << false;
    QTest::newRow("google label deep in a result") << "127.0.0.1"
                                                   << "google.example-site.com" << false;
    QTest::newRow("suffix lookalike") << "www.google.com"
                                      << "notgoogle.com" << false;
}

void TestResultLinks::engineHosts() {
    QFETCH(QString, engineHost);
    QFETCH(QString, host);
    QFETCH(bool, engines);
    const EngineHosts hosts(engineHost, {QStringLiteral("marketplace.example")});
    QCOMPARE(hosts.isEngineHost(host), engines);
}

void TestResultLinks::pageProblems_data() {
    QTest::addColumn<LoadedPage>("page");
    QTest::addColumn<bool>("hasResults");
    QTest::addColumn<int>("kind");
    LoadedPage results;
    results.address = "https://www.google.com/search?q=x";
    results.title = "x - Google Search";
    results.text = "Results about x";
    QTest::newRow("results") << results << true << int(PageProblem::None);
    QTest::newRow("end of results") << results << false << int(PageProblem::None);

    LoadedPage failed;
    failed.loaded = false;
    failed.errorText = "Connection refused";
    QTest::newRow("load failure") << failed << false << int(PageProblem::LoadFailed);
    LoadedPage tooMany = results;
    tooMany.httpStatus = 429;
    QTest::newRow("429 even with links") << tooMany << true << int(PageProblem::HttpError);
    LoadedPage server = results;
    server.httpStatus = 503;
    QTest::newRow("503") << server << false << int(PageProblem::HttpError);

    LoadedPage consent;
    consent.address = "https://consent.google.com/ml?continue=https://www.google.com/search";
    consent.title = "Before you continue to Google";
    QTest::newRow("consent host") << consent << false << int(PageProblem::Consent);
    LoadedPage consentForm = results;
    consentForm.formActions = {"https://consent.google.com/save"};
    QTest::newRow("consent form") << consentForm << false << int(PageProblem::Consent);
    QTest::newRow("consent banner over results") << consentForm << true << int(PageProblem::None);
    LoadedPage yahooConsent;
    yahooConsent.address = "https://guce.yahoo.com/consent?brandType=nonEu";
    QTest::newRow("yahoo consent") << yahooConsent << false << int(PageProblem::Consent);

    LoadedPage sorry;
    sorry.address = "https://www.google.com/sorry/index?continue=x";
    QTest::newRow("google sorry") << sorry << false << int(PageProblem::Captcha);
    LoadedPage unusual = results;
    unusual.text = "Our systems have detected unusual traffic from your computer network.";
    QTest::newRow("unusual traffic text") << unusual << false << int(PageProblem::Captcha);
    LoadedPage recaptcha = results;
    recaptcha.frameSources = {"https://www.google.com/recaptcha/api2/anchor?k=x"};
    QTest::newRow("recaptcha frame") << recaptcha << false << int(PageProblem::Captcha);
}

void TestResultLinks::pageProblems() {
    QFETCH(LoadedPage, page);
    QFETCH(bool, hasResults);
    QFETCH(int, kind);
    const PageProblem problem = ResultPageCheck::check(page, hasResults);
    QCOMPARE(int(problem.kind), kind);
    QCOMPARE(bool(problem), kind != int(PageProblem::None));
    if (problem.kind == PageProblem::HttpError)
        QVERIFY(problem.description.contains(QString::number(page.httpStatus)));
}

QTEST_GUILESS_MAIN(TestResultLinks)
#include "tst_resultlinks.moc"
