#include "app/mainwindow.h"
#include "session/searchdriver.h"
#include "session/searchsession.h"
#include "core/filehelpers.h"
#include "core/resultlists.h"
#include "loopbackwhoisserver.h"
#include "testcontext.h"

#include <QAbstractItemModel>
#include <QComboBox>
#include <QLabel>
#include <QListView>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

// The whole road through the real main window: choose a word list, press Start, and the lists,
// captions and mirror files end up holding exactly what the server called free.
class TestMainWindowRun : public QObject {
    Q_OBJECT

private slots:
    void twoLetterRunFilesExactlyTheFreeNames();
    void retryPassKeepsTheRunLocked();
};

void TestMainWindowRun::twoLetterRunFilesExactlyTheFreeNames() {
    TestContext test(100);
    TempProgramFolder &tmp = test.tmp;
    LoopbackWhoisServer server;
    QVERIFY(server.start());

    QByteArray list;
    QStringList expectedFree;
    for (char a = 'a'; a <= 'z'; ++a)
        for (char b = 'a'; b <= 'z'; ++b) {
            const QByteArray label = QByteArray(1, a) + b;
            list += label + "\r\n";
            if ((a + b) % 7 == 0) {
                expectedFree << QString::fromLatin1(label + ".com");
                server.replies.insert(expectedFree.last(), LoopbackWhoisServer::freeReply());
            }
        }
    expectedFree.sort();
    tmp.writeFile("\\wordlists\\AllTwoLetter.txt", list);
    tmp.writeFile("\\registrars.txt",
                  "com|127.0.0.1|" + QByteArray::number(server.port()) + "|Enabled\r\n\r\n");

    AppContext &ctx = test.ctx;
    SearchSession session(ctx);
    MainWindow form(session);
    form.load();
    form.show();

    auto *combo = form.findChild<QComboBox *>("Combo1");
    auto *start = form.findChild<QPushButton *>("cmdDoSearch");
    auto *high = form.findChild<QListView *>("List3");
    auto *highCaption = form.findChild<QLabel *>("Label3");
    auto *takenCaption = form.findChild<QLabel *>("Label2");
    QVERIFY(combo && start && high && highCaption && takenCaption);
    combo->setCurrentIndex(combo->findText("All Two Letter"));
    emit combo->activated(combo->currentIndex());
    QVERIFY(start->isEnabled());

    QSignalSpy stopped(&form.session().driver(), &SearchDriver::stopped);
    start->click();
    QVERIFY(stopped.wait(120000));

    QStringList shown;
    for (int row = 0; row < high->model()->rowCount(); ++row)
        shown << high->model()->index(row, 0).data().toString();
    shown.sort();
    QCOMPARE(shown, expectedFree);
    QCOMPARE(highCaption->text(), QString("High Profile (%1)").arg(expectedFree.size()));
    QCOMPARE(takenCaption->text(), QString("Registered (%1)").arg(676 - expectedFree.size()));

    const QStringList mirrors = form.session().lists().mirrorFilePaths();
    QVERIFY(mirrors.last().contains("SuperHighProfile"));
    QStringList mirrored = TextFile::readLines(mirrors.last()).value();
    mirrored.removeAll(QString());
    mirrored.sort();
    QCOMPARE(mirrored, expectedFree);
    QCOMPARE(server.queries.size(), 676);
    QVERIFY(test.desktop.messages.isEmpty());

    // During the run the views were refreshed in blocks; at its end every view and caption
    // equals its true list, and the panels are back at rest.
    for (int k = 1; k <= 5; ++k) {
        auto *view = form.findChild<QListView *>(QString("List%1").arg(k));
        auto *caption = form.findChild<QLabel *>(QString("Label%1").arg(k));
        QVERIFY(view && caption);
        const NameListModel *list = form.session().lists().list(k);
        QCOMPARE(view->model()->rowCount(), list->count());
        if (list->count() > 0)
            QCOMPARE(view->model()->index(list->count() - 1, 0).data().toString(),
                     list->names().last());
        QCOMPARE(caption->text(), form.session().lists().caption(k));
    }
    QCOMPARE(form.statusPanelText(1), QString("Entry Status"));
    QCOMPARE(form.statusPanelText(2), QString("Open Connections"));
    // Beside them, what the run found stays in view.
    const QString summary = form.findChild<QLabel *>("StatusBar1Run")->text();
    QVERIFY2(summary.startsWith("676 checked in ") &&
                 summary.endsWith(QString(": %1 free, %2 taken, 0 unknown")
                                      .arg(expectedFree.size())
                                      .arg(676 - expectedFree.size())),
             qPrintable(summary));
    QVERIFY(!form.findChild<QProgressBar *>("StatusBar1Progress")->isVisible());
}

void TestMainWindowRun::retryPassKeepsTheRunLocked() {
    // A throttling server asks for a long rest: the run waits in its retry pass, which belongs
    // to the run. Stop ends it, and the status bar says where the unknown names went.
    TestContext test(20);
    test.ctx.timing.throttledRestMs = 600000;
    test.ctx.timing.longestRetryWaitMs = 3600000;
    TempProgramFolder &tmp = test.tmp;
    LoopbackWhoisServer server;
    QVERIFY(server.start());
    server.defaultReply = "WHOIS LIMIT EXCEEDED\r\n";
    tmp.writeFile("\\wordlists\\AllTwoLetter.txt", "aa\r\nab\r\nac\r\n");
    tmp.writeFile("\\registrars.txt",
                  "com|127.0.0.1|" + QByteArray::number(server.port()) + "|Enabled\r\n\r\n");

    SearchSession session(test.ctx);
    MainWindow form(session);
    form.load();
    form.show();
    auto *combo = form.findChild<QComboBox *>("Combo1");
    auto *start = form.findChild<QPushButton *>("cmdDoSearch");
    auto *stop = form.findChild<QPushButton *>("Command3");
    QVERIFY(combo && start && stop);
    combo->setCurrentIndex(combo->findText("All Two Letter"));
    emit combo->activated(combo->currentIndex());

    start->click();
    QTRY_VERIFY_WITH_TIMEOUT(form.session().driver().retrying(), 20000);
    QTRY_COMPARE_WITH_TIMEOUT(form.statusPanelText(1), QString("Retrying 3 unknown names..."),
                              20000);
    QVERIFY(!start->isEnabled());
    QVERIFY(!combo->isEnabled());
    QVERIFY(stop->isEnabled());
    auto *bar = form.findChild<QProgressBar *>("StatusBar1Progress");
    auto *run = form.findChild<QLabel *>("StatusBar1Run");
    QTRY_VERIFY2(run->text().startsWith("Retry pass 0 of 3"), qPrintable(run->text()));
    QVERIFY(bar->isVisible() && bar->maximum() == 3);

    stop->click();
    QTRY_VERIFY_WITH_TIMEOUT(start->isEnabled(), 20000);
    QVERIFY(combo->isEnabled());
    QVERIFY(!form.session().running());
    const QString file = form.session().lists().unknownFilePath();
    QCOMPARE(form.statusPanelText(3), "3 names stayed unknown; listed in " + file);
    QVERIFY2(run->text().endsWith(
                 ": 0 free, 0 taken, 3 unknown · 3 names stayed unknown; listed in " + file),
             qPrintable(run->text()));
    QStringList lines = TextFile::readLines(file).value();
    lines.removeAll(QString());
    lines.sort();
    QCOMPARE(lines,
             (QStringList{"aa.com\trate-limited", "ab.com\trate-limited", "ac.com\trate-limited"}));
    QVERIFY(form.problems().isEmpty());
    for (int k = 1; k <= 4; ++k)
        QCOMPARE(form.session().lists().list(k)->count(), 0);
}

QTEST_MAIN(TestMainWindowRun)
#include "tst_mainwindowrun.moc"
