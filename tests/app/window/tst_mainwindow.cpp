#include "app/elidedlabel.h"
#include "session/mainlayout.h"
#include "app/overflownotice.h"
#include "app/problemindicator.h"
#include "session/searchdriver.h"
#include "session/searchsession.h"
#include "core/machinesettings.h"
#include "core/resultlists.h"
#include "loopbackdnsserver.h"
#include "mainwindowfixture.h"
#include "whois/lookuppool.h"

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

namespace {
QByteArray entries(int n) {
    QByteArray text;
    for (int i = 1; i <= n; ++i)
        text += "word" + QByteArray::number(i) + "\r\n";
    return text;
}
} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void firstStartShowsTheWindowAndHelp();
    void badRegistrarRowStaysInView();
    void wordListSelection_data();
    void wordListSelection();
    void otherTypes();
    void customList();
    void numberFieldsTakeWholeNumbersOnly();
    void startFieldsFollowTheSession();
    void startAndStop();
    void dnsOptionsAreStoredAndUsedByTheNextSearch();
    void toolsMenuDuringARunStopsItFirst();
    void geometryAndMinimumSize();
    void nothingCutAtMinimumSize();
    void statusPanelsMarkCutText();
    void overflowNoticeAndShutdown();
    void failedOverflowNotice();
    void writeFailuresStayInView();
};

void TestMainWindow::firstStartShowsTheWindowAndHelp() {
    MainWindowFixture f;
    MainWindow &form = f.start();
    // The session's start-up ran.
    QVERIFY(QFileInfo(f.tmp.root() + "/wordlists").isDir());
    QCOMPARE(f.ctx.registrars.ownRowCount(),
             RegistrarTable::defaultFileContent().count("\r\n") - 1);

    QCOMPARE(form.windowTitle(), QStringLiteral("Kestrin by Kestrin Software"));
    QCOMPARE(f.child<QPushButton>("cmdWebsite")->text(), "Visit " + f.ctx.branding.WebsiteText);
    QCOMPARE(form.statusPanelText(3), QStringLiteral("Connection Status"));
    QVERIFY(form.windowState() & Qt::WindowMaximized);
    // Help is shown on the first start only.
    QCOMPARE(f.opened, QStringList{"Form8"});
    QVERIFY(!form.windows().window(WindowId::HelpLauncher));
    form.close();
    f.opened.clear();
    f.start();
    QVERIFY(f.opened.isEmpty());
    QVERIFY(f.desktop.messages.isEmpty());
}

// The table's first problem is shown at start-up where the connection texts cannot overwrite
// it, until the user dismisses it.
void TestMainWindow::badRegistrarRowStaysInView() {
    MainWindowFixture f;
    f.tmp.writeFile("\\registrars.txt", "com|whois.example|0|1\r\nbroken row\r\nnet|whois.example|"
                                        "43|1\r\n");
    MainWindow &form = f.start();
    form.show();
    QVERIFY(f.desktop.messages.isEmpty());
    QCOMPARE(f.ctx.registrars.ownRowCount(), 3);
    QVERIFY(f.ctx.registrars.rows().at(0).extension.isEmpty()); // port 0 is a bad row
    QCOMPARE(f.ctx.registrars.rows().at(2).extension, QStringLiteral("net"));

    emit form.session().driver().statusText(
        3, QStringLiteral("connecting(0): - Search String: a.com"));
    auto *indicator = f.child<ProblemIndicator>(QStringLiteral("StatusBar1Problems"));
    QVERIFY(indicator->isVisible());
    QCOMPARE(form.problems().size(), 1);
    QVERIFY2(indicator->shownText().startsWith("registrars.txt, line 1: "),
             qPrintable(indicator->shownText()));
    QVERIFY(indicator->toolTip().contains(form.problems().first()));
    QTest::mouseClick(indicator, Qt::LeftButton);
    QVERIFY(!indicator->isVisible());
    QVERIFY(form.problems().isEmpty());
}

void TestMainWindow::wordListSelection_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("count"); // -1: no file
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("wordNum");
    QTest::addColumn<bool>("viaMenu");
    QTest::newRow("full, continues") << 4 << "FullWordList.txt"
                                     << "FullWordNum" << 1000 << "731"
                                     << "731" << false;
    QTest::newRow("three, at end, from the menu") << 6 << "AllThreeLetter.txt"
                                                  << "ThreeWordNum" << 20 << "20"
                                                  << "1" << true;
}

void TestMainWindow::wordListSelection() {
    QFETCH(int, index);
    QFETCH(QString, file);
    QFETCH(QString, key);
    QFETCH(int, count);
    QFETCH(QString, stored);
    QFETCH(QString, wordNum);
    QFETCH(bool, viaMenu);
    MainWindowFixture f;
    if (count >= 0)
        f.tmp.writeFile("\\wordlists\\" + file, entries(count) + "\r\n");
    if (!stored.isEmpty())
        f.tmp.userStore().write("Orvane", "Settings", key, stored);
    MainWindow &form = f.start();
    form.show();

    if (viaMenu)
        f.child<QAction>(QStringLiteral("mnuToolsItem%1").arg(index))->trigger();
    else
        form.selectSearchType(index);

    QCOMPARE(f.child<QComboBox>("Combo1")->currentText(), SearchTypes::caption(SearchType(index)));
    QCOMPARE(QFileInfo(form.session().listPath()).fileName(), file);
    QCOMPARE(form.session().driver().listPath(), form.session().listPath());
    QCOMPARE(form.session().driver().positionKey(), key);
    QCOMPARE(f.child<QLineEdit>("txtWordMax")->text(), QString::number(qMax(count, 0)));
    QCOMPARE(f.child<QLineEdit>("txtWordNum")->text(), wordNum);
    QVERIFY(f.child<QPushButton>("cmdDoSearch")->isVisible());
    QVERIFY(f.child<QPushButton>("cmdDoSearch")->isEnabled());
    QVERIFY(!f.child<QPushButton>("Command3")->isEnabled());
    QVERIFY(!f.child<QLineEdit>("txtSearch")->isVisible());
    QVERIFY(!f.child<QComboBox>("Combo2")->isEnabled());
}

void TestMainWindow::otherTypes() {
    MainWindowFixture f;
    MainWindow &form = f.start();
    form.show();
    auto *search = f.child<QLineEdit>("txtSearch");
    auto *create = f.child<QPushButton>("cmdCreate");
    auto *wordNum = f.child<QLineEdit>("txtWordNum");

    form.selectSearchType(3); // Google
    QCOMPARE(form.session().listPath(), f.tmp.path("\\BrowserSearch.txt"));
    QVERIFY(search->isVisible() && search->isEnabled());
    QVERIFY(!wordNum->isVisible());
    QVERIFY(!create->isEnabled());
    QTest::keyClicks(search, "kestrel");
    QVERIFY(create->isEnabled());
    search->clear();
    QVERIFY(!create->isEnabled());
    search->setText("falcon");
    create->click();
    QCOMPARE(f.opened.last(), QStringLiteral("Form3"));
    QCOMPARE(form.session().searchText(), QStringLiteral("falcon"));

    f.tmp.writeFile("\\CreatedDomains.txt", entries(3));
    wordNum->setText("2");
    form.selectSearchType(1); // Generate
    QCOMPARE(form.session().listPath(), f.tmp.path("\\CreatedDomains.txt"));
    QCOMPARE(wordNum->text(), QStringLiteral("1"));
    QVERIFY(!search->isVisible() && !wordNum->isVisible());
    QCOMPARE(f.opened.last(), QStringLiteral("frmMake"));

    wordNum->setText("0");
    form.selectSearchType(0); // Browse keeps the list and the position
    QCOMPARE(form.session().listPath(), f.tmp.path("\\CreatedDomains.txt"));
    QCOMPARE(wordNum->text(), QStringLiteral("0"));
    QCOMPARE(f.opened.last(), QStringLiteral("Form5"));

    f.child<QPushButton>("cmdWebsite")->click();
    QCOMPARE(f.ctx.WebsiteMode, QStringLiteral("Website"));
    QCOMPARE(f.opened.last(), QStringLiteral("frmWebsite"));
}

void TestMainWindow::customList() {
    MainWindowFixture f;
    f.tmp.writeFile("\\wordlists\\AllTwoLetter.txt", entries(10) + "\r\n");
    f.tmp.writeFile("\\mine\\names.txt", "a\r\n\r\nb\r\nc\r\n");
    MainWindow &form = f.start();
    auto *combo = f.child<QComboBox>("Combo1");
    auto *wordMax = f.child<QLineEdit>("txtWordMax");
    auto *wordNum = f.child<QLineEdit>("txtWordNum");

    f.desktop.fileAnswers << f.tmp.path("\\mine\\names.txt");
    form.selectSearchType(8);
    QCOMPARE(f.desktop.dialogFolders, QStringList{f.tmp.path("\\wordlists")});
    QCOMPARE(form.session().listPath(), f.tmp.path("\\mine\\names.txt"));
    QCOMPARE(wordMax->text(), QStringLiteral("3"));
    QCOMPARE(wordNum->text(), QStringLiteral("1"));

    // A cancelled dialog leaves the earlier choice in place, type shown included.
    form.selectSearchType(5);
    wordNum->setText("4");
    form.selectSearchType(8);
    QCOMPARE(combo->currentIndex(), 5);
    QCOMPARE(form.session().type(), SearchType::TwoLetterList);
    QCOMPARE(QFileInfo(form.session().listPath()).fileName(), QStringLiteral("AllTwoLetter.txt"));
    QCOMPARE(wordMax->text(), QStringLiteral("10"));
    QCOMPARE(wordNum->text(), QStringLiteral("4"));
}

void TestMainWindow::numberFieldsTakeWholeNumbersOnly() {
    MainWindowFixture f;
    f.start();
    for (const char *name : {"txtWordMax", "txtWordNum"}) {
        auto *field = f.child<QLineEdit>(name);
        field->clear();
        QTest::keyClicks(field, "-x3.5");
        QCOMPARE(field->text(), QStringLiteral("35"));
        field->clear();
        QTest::keyClicks(field, "99999999999");
        QCOMPARE(field->text(), QStringLiteral("999999999"));
        field->clear();
        QTest::keyClicks(field, "2147483647");
        QCOMPARE(field->text(), QStringLiteral("2147483647"));
        field->clear();
    }
}

// What is typed reaches the session, and the session's correction reaches the field.
void TestMainWindow::startFieldsFollowTheSession() {
    MainWindowFixture f;
    MainWindow &form = f.start();
    auto *wordMax = f.child<QLineEdit>("txtWordMax");
    auto *wordNum = f.child<QLineEdit>("txtWordNum");
    wordMax->setText("10");
    wordNum->setText("9");
    QCOMPARE(form.session().entryCount(), QStringLiteral("10"));
    QCOMPARE(form.session().startEntry(), QStringLiteral("9"));
    wordNum->setText("12");
    QCOMPARE(wordNum->text(), QStringLiteral("1"));
    QCOMPARE(form.session().startEntry(), QStringLiteral("1"));

    f.child<QLineEdit>("txtSearch")->setText("kestrel");
    f.child<QComboBox>("Combo2")->setCurrentIndex(2);
    QCOMPARE(form.session().searchText(), QStringLiteral("kestrel"));
    QCOMPARE(form.session().wantedCountIndex(), 2);
}

void TestMainWindow::startAndStop() {
    MainWindowFixture f;
    f.tmp.writeFile("\\wordlists\\AllTwoLetter.txt", entries(30) + "\r\n");
    MainWindow &form = f.start();
    form.show();
    form.selectSearchType(5);
    form.session().lists().fileTakenName("counted.com");
    auto *wordNum = f.child<QLineEdit>("txtWordNum");
    wordNum->clear(); // an empty start field starts at the first entry

    form.start();
    QVERIFY(form.session().driver().running());
    QCOMPARE(form.session().lists().counter(ResultLists::Registered), 0);
    QCOMPARE(wordNum->text(), QStringLiteral("1"));
    for (const char *name :
         {"cmdDoSearch", "Combo1", "txtWordNum", "Combo2", "cmdCreate", "txtSearch"})
        QVERIFY2(!f.child<QWidget>(name)->isEnabled(), name);
    QVERIFY(f.child<QPushButton>("Command3")->isEnabled());

    f.child<QPushButton>("Command3")->click();
    QTRY_VERIFY_WITH_TIMEOUT(!form.session().driver().running(), 10000);
    QVERIFY(f.child<QComboBox>("Combo1")->isEnabled());
    QVERIFY(f.child<QPushButton>("cmdDoSearch")->isEnabled());
    QVERIFY(!f.child<QPushButton>("Command3")->isEnabled());
    QCOMPARE(form.statusPanelText(1), QStringLiteral("Entry Status"));
    QCOMPARE(form.statusPanelText(2), QStringLiteral("Open Connections"));
    // The selection is applied again: the stored position continues the list.
    QCOMPARE(wordNum->text(),
             f.tmp.userStore().read("Orvane", "Settings", "TwoWordNum", "missing"));
    QVERIFY(wordNum->text() != QStringLiteral("1"));
}

// Options > Ask DNS First and DNS Server... write the keys the command line reads too, refuse
// an address that is none, and the next Start asks that server: delegated names are filed
// taken without a registry.
void TestMainWindow::dnsOptionsAreStoredAndUsedByTheNextSearch() {
    LoopbackDnsServer dns;
    QVERIFY(dns.start());
    MainWindowFixture f;
    f.tmp.writeFile("\\wordlists\\AllTwoLetter.txt", entries(5) + "\r\n");
    for (int i = 1; i <= 5; ++i)
        dns.delegated.insert(QStringLiteral("word%1.com").arg(i));
    MainWindow &form = f.start();
    auto *first = f.child<QAction>("mnuOptionsDnsFirst");
    QVERIFY(first && first->isCheckable());
    QVERIFY(!first->isChecked()); // as the test context stores it

    f.desktop.textAnswers = {"dns.example", dns.address()};
    f.child<QAction>("mnuOptionsDnsServer")->trigger();
    QCOMPARE(f.desktop.textQuestions.size(), 2);
    QCOMPARE(f.desktop.messages.size(), 1);
    QVERIFY(f.desktop.messages.first().text.contains("dns.example"));
    first->trigger();
    QVERIFY(first->isChecked());
    QCOMPARE(f.tmp.userStore().read("Kestrin", "Options", "DnsFirst", "-"), QString("true"));
    QCOMPARE(f.tmp.userStore().read("Kestrin", "Options", "DnsServer", "-"), dns.address());

    form.selectSearchType(5);
    form.start();
    QVERIFY(form.session().driver().dnsFirst());
    QTRY_VERIFY_WITH_TIMEOUT(!form.session().driver().running(), 20000);
    QCOMPARE(form.session().lists().counter(ResultLists::Registered), 5);
    QCOMPARE(dns.queries.size(), 5);

    first->trigger(); // off again: the next search asks nobody but the registries
    QCOMPARE(f.tmp.userStore().read("Kestrin", "Options", "DnsFirst", "-"), QString("false"));
    form.start();
    QVERIFY(!form.session().driver().dnsFirst());
    form.stop();
}

// A type chosen from the Tools menu during a run stops the run (Stop disarmed, the type box
// usable again) and shows the new type's own list and stored position.
void TestMainWindow::toolsMenuDuringARunStopsItFirst() {
    MainWindowFixture f;
    f.tmp.writeFile("\\wordlists\\AllTwoLetter.txt", entries(60) + "\r\n");
    f.tmp.writeFile("\\wordlists\\AllThreeLetter.txt", entries(40) + "\r\n");
    f.tmp.userStore().write("Orvane", "Settings", "ThreeWordNum", "12");
    MainWindow &form = f.start();
    form.show();
    form.selectSearchType(5);
    form.start();
    QVERIFY(form.session().running());

    f.child<QAction>("mnuToolsItem6")->trigger();
    QVERIFY(!form.session().running());
    QVERIFY(!f.child<QPushButton>("Command3")->isEnabled());
    QVERIFY(f.child<QPushButton>("cmdDoSearch")->isEnabled());
    QVERIFY(f.child<QComboBox>("Combo1")->isEnabled());
    QCOMPARE(f.child<QComboBox>("Combo1")->currentText(), QStringLiteral("All Three Letter"));
    QCOMPARE(f.child<QLineEdit>("txtWordNum")->text(), QStringLiteral("12"));
    QCOMPARE(f.child<QLineEdit>("txtWordMax")->text(), QStringLiteral("40"));
    QCOMPARE(form.statusPanelText(1), QStringLiteral("Entry Status"));
    QCOMPARE(f.tmp.userStore().read("Orvane", "Settings", "ThreeWordNum", ""),
             QStringLiteral("12"));
    QVERIFY(!f.tmp.userStore().read("Orvane", "Settings", "TwoWordNum", "").isEmpty());
}

void TestMainWindow::geometryAndMinimumSize() {
    MainWindowFixture f;
    MainWindow &form = f.start();
    form.setWindowState(Qt::WindowNoState);
    form.show();
    const double dpi = form.logicalDpiX();
    const int wide = MainLayout::sizeInPixels(10000, dpi);
    form.resize(wide, MainLayout::sizeInPixels(9000, form.logicalDpiY()));
    QTRY_COMPARE(form.width(), wide);

    QList<QRect> lists;
    for (int k : {3, 4, 1, 2, 5})
        lists << f.child<QListView>(QStringLiteral("List%1").arg(k))->geometry();
    const double listTwips = MainLayout::toTwips(wide, dpi) / 5 - 250;
    for (int i = 0; i < lists.size(); ++i) {
        QVERIFY(qAbs(MainLayout::toTwips(lists[i].width(), dpi) - listTwips) <= 1440 / dpi);
        if (i > 0) {
            const double gap = MainLayout::toTwips(lists[i].left() - lists[i - 1].right() - 1, dpi);
            QVERIFY(qAbs(gap - (i < 3 ? 75 : 300)) <= 1440 / dpi);
        }
    }
    auto *frame2 = f.child<QWidget>("Frame2");
    QVERIFY(frame2->rect().contains(lists.last()));
    QVERIFY(frame2->geometry().bottom() < form.centralWidget()->height());

    form.resize(50, 50);
    QTRY_VERIFY(form.width() > 50);
    QVERIFY(MainLayout::toTwips(form.width(), dpi) >= MainLayout::MinimumSize);
    QVERIFY(MainLayout::toTwips(form.height(), form.logicalDpiY()) >= MainLayout::MinimumSize);
}

// At the minimum size the search panel shows its texts whole, and a list is narrower than its
// counted caption: the caption wraps instead of being cut, and stays clear of its buttons.
void TestMainWindow::nothingCutAtMinimumSize() {
    MainWindowFixture f;
    MainWindow &form = f.start();
    form.setWindowState(Qt::WindowNoState);
    form.show();
    form.resize(50, 50);
    QTRY_VERIFY(form.width() > 50);
    const double dpi = form.logicalDpiX();
    QVERIFY(MainLayout::toTwips(form.width(), dpi) < MainLayout::MinimumSize + 1440 / dpi);

    for (const char *name :
         {"wLabel1", "wLabel2", "SLabel1", "SLabel2", "Combo2", "cmdWebsite", "Combo1"}) {
        auto *w = f.child<QWidget>(QString::fromLatin1(name));
        QVERIFY2(w->sizeHint().width() <= w->width(), name);
    }

    for (const char *name : {"ab.com", "abcdef.com", "abcdefghij.com"})
        form.session().lists().fileFreeName(QString::fromLatin1(name));
    form.session().lists().fileTakenName(QStringLiteral("taken.com"));
    const QStringList longest{"Low Profile (19999)", "Registered (19999)", "High Profile (19999)",
                              "Mid Profile (19999)"};
    for (int k = 1; k <= 5; ++k) {
        auto *label = f.child<QLabel>(QStringLiteral("Label%1").arg(k));
        auto *copy = f.child<QToolButton>(QStringLiteral("cmdCopy%1").arg(k));
        QVERIFY(label->geometry().bottom() < copy->geometry().top());
        QStringList captions{label->text()};
        if (k <= 4) {
            QVERIFY2(label->text().endsWith(QStringLiteral("(1)")), qPrintable(label->text()));
            captions << longest.at(k - 1);
        }
        for (const QString &text : captions) {
            label->setText(text);
            QVERIFY2(label->heightForWidth(label->width()) <= label->height(), qPrintable(text));
            for (const QString &word : text.split(QLatin1Char(' ')))
                QVERIFY2(label->fontMetrics().horizontalAdvance(word) <= label->width(),
                         qPrintable(word));
        }
    }
}

// A status text too long for its panel is shown shortened with an ellipsis, while the panel
// still holds the whole text and offers it as a tool tip.
void TestMainWindow::statusPanelsMarkCutText() {
    MainWindowFixture f;
    MainWindow &form = f.start();
    form.setWindowState(Qt::WindowNoState);
    form.show();
    form.resize(50, 50);
    QTRY_VERIFY(form.width() > 50);

    auto *panel = f.child<ElidedLabel>(QStringLiteral("StatusBar1Panel1"));
    QVERIFY(panel);
    const QString longText = QStringLiteral("Checking status of: ") + QString(80, QLatin1Char('x'));
    emit form.session().driver().statusText(1, longText);
    QCOMPARE(form.statusPanelText(1), longText);
    QVERIFY(panel->isElided());
    QVERIFY(panel->shownText().endsWith(QChar(0x2026)));
    QCOMPARE(panel->toolTip(), longText);

    emit form.session().driver().statusText(1, QStringLiteral("Idle"));
    QCOMPARE(form.statusPanelText(1), QStringLiteral("Idle"));
    QVERIFY(!panel->isElided());
    QCOMPARE(panel->shownText(), QStringLiteral("Idle"));
    QVERIFY(panel->toolTip().isEmpty());

    // Widening the window makes room: the same text is shown whole again.
    const QString reply = QStringLiteral("Connected to whois.example, waiting for its answer");
    emit form.session().driver().statusText(3, reply);
    auto *third = f.child<ElidedLabel>(QStringLiteral("StatusBar1Panel3"));
    QVERIFY(third->isElided());
    form.resize(MainLayout::sizeInPixels(20000, form.logicalDpiX()), form.height());
    QTRY_VERIFY(!third->isElided());
    QCOMPARE(third->shownText(), reply);
    QVERIFY(third->toolTip().isEmpty());
}

// A dump that failed tells where it tried and that nothing was cleared; a later dump that
// succeeds turns the open notice back into the usual one.
void TestMainWindow::failedOverflowNotice() {
    MainWindowFixture f;
    MainWindow &form = f.start();
    form.show();
    const QString folder = QDir::toNativeSeparators(f.tmp.path("\\overflow"));
    emit form.session().lists().overflowFailed(folder);
    auto *notice = qobject_cast<QDialog *>(form.windows().window(WindowId::OverflowNotice));
    QVERIFY(notice && notice->isVisible() && !notice->isModal());
    auto *label = notice->findChild<QLabel *>("Label1");
    QCOMPARE(label->text(), OverflowNotice::failureText(folder));
    QVERIFY(label->text().contains(folder) && label->text().contains("not been cleared"));
    QCOMPARE(form.problems(), QStringList{OverflowNotice::failureText(folder)});

    emit form.session().driver().overflowed();
    QCOMPARE(form.findChildren<QDialog *>().size(), 1);
    QCOMPARE(label->text(), OverflowNotice::noticeText());
}

// Each file that cannot be written gets its own report in the indicator, which neither the
// connection texts nor a later successful write replace; the status bar keeps its width.
void TestMainWindow::writeFailuresStayInView() {
    MainWindowFixture f;
    MainWindow &form = f.start();
    form.show();
    auto *indicator = f.child<ProblemIndicator>(QStringLiteral("StatusBar1Problems"));
    auto *panel3 = f.child<ElidedLabel>(QStringLiteral("StatusBar1Panel3"));
    QVERIFY(!indicator->isVisible());
    const int panelWidth = panel3->minimumWidth();

    QVERIFY(QFile::remove(f.tmp.path("\\Remembered.txt")));
    QVERIFY(QDir(f.tmp.root()).mkdir("Remembered.txt"));
    form.session().lists().appendSaved({"kept.com"});
    const QString high = form.session().lists().mirrorFilePaths().at(2);
    QVERIFY(QDir().mkdir(high));
    form.session().lists().fileFreeName("abc.com");
    form.session().lists().fileFreeName("abcdefgh.com"); // its own file is written fine
    emit form.session().driver().statusText(
        3, QStringLiteral("connecting(3): - Search String: x.com"));

    QVERIFY(indicator->isVisible());
    QCOMPARE(form.problems().size(), 2);
    QVERIFY(form.problems().at(0).contains("Remembered.txt"));
    QVERIFY(form.problems().at(1).contains(QFileInfo(high).fileName()));
    QVERIFY(indicator->shownText().startsWith("(2) "));
    QVERIFY(indicator->toolTip().contains("Remembered.txt"));
    QCOMPARE(form.statusPanelText(3), QStringLiteral("connecting(3): - Search String: x.com"));
    QCOMPARE(panel3->minimumWidth() + indicator->minimumWidth(), panelWidth);

    QTest::mouseClick(indicator, Qt::LeftButton);
    QVERIFY(!indicator->isVisible());
    QCOMPARE(panel3->minimumWidth(), panelWidth);
}

void TestMainWindow::overflowNoticeAndShutdown() {
    MainWindowFixture f;
    MainWindow &form = f.start();
    form.show();
    emit form.session().lists().overflowed();
    emit form.session().driver().overflowed(); // the same overflow reported twice opens one notice
    auto *notice = qobject_cast<QDialog *>(form.windows().window(WindowId::OverflowNotice));
    QVERIFY(notice);
    QVERIFY(notice->isVisible() && !notice->isModal());
    QCOMPARE(notice->windowTitle(), QStringLiteral("File backup"));
    QCOMPARE(form.findChildren<QDialog *>().size(), 1);
    QVERIFY(notice->findChild<QLabel *>()->text().startsWith("One of your lists has reached 20000 "
                                                             "entries.  They"));
    notice->findChild<QPushButton *>("Command1")->click();
    QTRY_VERIFY(!form.windows().window(WindowId::OverflowNotice));

    emit form.session().lists().overflowed();
    form.selectSearchType(0);
    form.selectSearchType(1);
    QVERIFY(form.windows().window(WindowId::OverflowNotice) &&
            form.windows().window(WindowId::HarvestBrowser));
    f.child<QAction>("mnuFileItem0")->trigger();
    QVERIFY(!form.isVisible());
    for (WindowId id : {WindowId::OverflowNotice, WindowId::HarvestBrowser, WindowId::Generator})
        QVERIFY(!form.windows().window(id));
    QVERIFY(form.session().driver().halted());
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
