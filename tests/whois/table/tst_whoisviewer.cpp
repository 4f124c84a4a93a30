#include "loopbackhttpserver.h"
#include "loopbackwhoisserver.h"
#include "whois/replyclassifier.h"
#include "whois/whoisviewer.h"

#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <QTextEdit>

namespace {

constexpr int Wait = 10000;

QString shownText(QWidget *viewer) {
    auto *box = viewer->findChild<QTextEdit *>(QStringLiteral("text1"));
    return box ? box->toPlainText() : QStringLiteral("<no text1>");
}

} // namespace

class TestWhoisViewer : public QObject {
    Q_OBJECT

    LoopbackWhoisServer *m_server = nullptr;

    WhoisViewer *open(const QString &name) {
        auto *viewer = new WhoisViewer(QStringLiteral("127.0.0.1"), m_server->port(), name);
        viewer->show();
        return viewer;
    }

private slots:
    void init() {
        m_server = new LoopbackWhoisServer(this);
        QVERIFY(m_server->start());
    }
    void cleanup() {
        delete m_server;
        m_server = nullptr;
    }

    void showsAnRdapBodyPrettyPrinted() {
        LoopbackHttpServer http;
        QVERIFY(http.start());
        http.setResponse("/rdap/domain/xn--bcher-kva.com", 200,
                         R"({"objectClassName":"domain","ldhName":"XN--BCHER-KVA.COM"})");
        QPointer<WhoisViewer> viewer = new WhoisViewer(http.baseUrl() + "/rdap/", 43,
                                                       QString::fromUtf8("b\xc3\xbc" "cher.com"));
        viewer->show();
        QSignalSpy shown(viewer.data(), &WhoisViewer::replyShown);
        QVERIFY(shown.wait(Wait));
        const QString text = shownText(viewer);
        QVERIFY2(text.startsWith("HTTP 200\n"), qPrintable(text));
        QVERIFY2(text.contains("\n    \"ldhName\": \"XN--BCHER-KVA.COM\""), qPrintable(text));
        viewer->close();
    }

    void showsTheWholeReplyWhenTheServerCloses() {
        QByteArray reply = LoopbackWhoisServer::sampleReply(
            QStringLiteral("whois.verisign-grs.com__com__registered.txt"));
        if (reply.isEmpty())
            reply = "Domain Name: EXAMPLE.COM\r\nRegistrar: X\r\n";
        m_server->replies.insert(QStringLiteral("example.com"), reply);

        QPointer<WhoisViewer> viewer = open(QStringLiteral("example.com"));
        QCOMPARE(viewer->windowTitle(), QStringLiteral("WHOIS Information"));
        auto *box = viewer->findChild<QTextEdit *>(QStringLiteral("text1"));
        QVERIFY(box);
        QVERIFY(box->isReadOnly());
        QVERIFY(box->toPlainText().isEmpty());

        QSignalSpy shown(viewer.data(), &WhoisViewer::replyShown);
        QVERIFY(shown.wait(Wait));
        QCOMPARE(m_server->rawQueries, QByteArrayList{"example.com\r\n"});
        QCOMPARE(box->toPlainText(), QString::fromLatin1(reply).remove(QLatin1Char('\r')));
        viewer->close();
        QTRY_VERIFY_WITH_TIMEOUT(viewer.isNull(), Wait);
    }

    void aSecondViewerShowsOnlyItsOwnReply() {
        m_server->delayMs = 300;
        m_server->replies.insert(QStringLiteral("first.com"), "reply about first\r\n");
        m_server->replies.insert(QStringLiteral("second.com"), "reply about second\r\n");

        QPointer<WhoisViewer> first = open(QStringLiteral("first.com"));
        QSignalSpy queried(m_server, &LoopbackWhoisServer::queryReceived);
        QVERIFY(queried.wait(Wait));
        // Replaced while the first reply is still on its way.
        delete first.data();
        QPointer<WhoisViewer> second = open(QStringLiteral("second.com"));
        QSignalSpy shown(second.data(), &WhoisViewer::replyShown);
        QVERIFY(shown.wait(Wait));
        QCOMPARE(shownText(second), QStringLiteral("reply about second\n"));
        QCOMPARE(m_server->queries, (QByteArrayList{"first.com", "second.com"}));
        delete second.data();
    }

    void twoViewersKeepTheirRepliesApart() {
        m_server->replies.insert(QStringLiteral("a.com"), "about a\r\n");
        m_server->replies.insert(QStringLiteral("b.com"), "about b\r\n");
        std::unique_ptr<WhoisViewer> a(open(QStringLiteral("a.com")));
        std::unique_ptr<WhoisViewer> b(open(QStringLiteral("b.com")));
        a->setAttribute(Qt::WA_DeleteOnClose, false);
        b->setAttribute(Qt::WA_DeleteOnClose, false);
        QTRY_COMPARE_WITH_TIMEOUT(shownText(a.get()), QStringLiteral("about a\n"), Wait);
        QTRY_COMPARE_WITH_TIMEOUT(shownText(b.get()), QStringLiteral("about b\n"), Wait);
    }

    void theNameCannotAddAQueryLine() {
        std::unique_ptr<WhoisViewer> viewer(open(QStringLiteral("a.com\r\nb.com")));
        QSignalSpy shown(viewer.get(), &WhoisViewer::replyShown);
        QVERIFY(shown.wait(Wait));
        QCOMPARE(m_server->rawQueries, QByteArrayList{"a.comb.com\r\n"});
    }

    void replyIsShownAsPlainText() {
        m_server->defaultReply = "<b>bold</b> &amp; caf\xe9\r\n";
        std::unique_ptr<WhoisViewer> viewer(open(QStringLiteral("x.com")));
        QSignalSpy shown(viewer.get(), &WhoisViewer::replyShown);
        QVERIFY(shown.wait(Wait));
        QCOMPARE(shownText(viewer.get()), QString::fromLatin1("<b>bold</b> &amp; caf\xe9\n"));
    }

    void anOversizedReplyIsCapped() {
        m_server->mode = LoopbackWhoisServer::Mode::Oversized;
        m_server->oversizeBytes = 2 * ReplyClassifier::MaxReplyBytes;
        std::unique_ptr<WhoisViewer> viewer(open(QStringLiteral("x.com")));
        QSignalSpy shown(viewer.get(), &WhoisViewer::replyShown);
        QVERIFY(shown.wait(60000));
        QCOMPARE(shownText(viewer.get()).size(), ReplyClassifier::MaxReplyBytes);
    }

    void aSilentOrMissingServerLeavesTheBoxEmpty() {
        m_server->mode = LoopbackWhoisServer::Mode::Silent;
        std::unique_ptr<WhoisViewer> silent(open(QStringLiteral("x.com")));
        QSignalSpy queried(m_server, &LoopbackWhoisServer::queryReceived);
        QVERIFY(queried.wait(Wait));
        QTest::qWait(50);
        QVERIFY(shownText(silent.get()).isEmpty());

        const quint16 port = m_server->port();
        m_server->stop();
        std::unique_ptr<WhoisViewer> refused(
            new WhoisViewer(QStringLiteral("127.0.0.1"), port, QStringLiteral("y.com")));
        QSignalSpy shown(refused.get(), &WhoisViewer::replyShown);
        QVERIFY(!shown.wait(200));
        QVERIFY(shownText(refused.get()).isEmpty());
        // Destroying a viewer with an open connection is quiet.
        silent.reset();
    }
};

QTEST_MAIN(TestWhoisViewer)
#include "tst_whoisviewer.moc"
