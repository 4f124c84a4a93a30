#include "app/elidedlabel.h"
#include "app/mainlayout.h"
#include "app/searchdriver.h"
#include "core/machinesettings.h"
#include "core/resultlists.h"
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
const QStringList ListFiles{"BrowserSearch.txt", "Appends.txt", "CreatedDomains.txt",
                            "Remembered.txt"};
const QStringList Folders{"backups", "overflow", "wordlists", "searches"};

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
    void firstStartPreparesTheFolder();
    void secondStartChangesNothing();
    void startupReadsOptions_data();
    void startupReadsOptions();
    void badRegistrarRowShowsInStatusBar();
    void wordListSelection_data();
    void wordListSelection();
    void otherTypes();
    void customList();
    void wordNumResetRule_data();
    void wordNumResetRule();
    void numberFieldsTakeWholeNumbersOnly();
    void startAndStop();
    void geometryAndMinimumSize();
    void nothingCutAtMinimumSize();
    void statusPanelsMarkCutText();
    void overflowNoticeAndShutdown();
};

void TestMainWindow::firstStartPreparesTheFolder() {
    MainWindowFixture f;
    MainWindow &form = f.start();
    for (const QString &file : ListFiles)
        QCOMPARE(f.tmp.readFile("\\" + file), QByteArray("\r\n"));
    for (const QString &folder : Folders)
        QVERIFY2(QFileInfo(f.tmp.root() + "/" + folder).isDir(), qPrintable(folder));
    QCOMPARE(f.tmp.readFile("\\registrars.txt"), RegistrarTable::defaultFileContent());
    QCOMPARE(f.ctx.registrars.rows().size(), 92);

    QCOMPARE(form.windowTitle(), QStringLiteral("Kestrin by Kestrin Software"));
    QCOMPARE(f.child<QPushButton>("cmdWebsite")->text(), "Visit " + f.ctx.branding.WebsiteText);
    QCOMPARE(form.statusPanelText(3), QStringLiteral("Connection Status"));
    QVERIFY(form.windowState() & Qt::WindowMaximized);
    // Help is shown on the first start only.
    QCOMPARE(f.opened, QStringList{"Form8"});
    QCOMPARE(f.tmp.userStore().read("Kestrin", "Settings", "showHelp", ""), QStringLiteral("0"));
    QVERIFY(!form.windows().window("Form8"));
    QVERIFY(f.desktop.messages.isEmpty());
}

void TestMainWindow::secondStartChangesNothing() {
    MainWindowFixture f;
    f.tmp.writeFile("\\Remembered.txt", "kept.com\r\n \r\n\r\nother.net\r\n");
    f.start();
    f.form.reset();

    // Back-date everything so any rewrite would show in the modification time.
    const QDateTime old = QDateTime::currentDateTime().addDays(-3);
    QHash<QString, QByteArray> before;
    for (const QString &name : ListFiles + QStringList{"registrars.txt"}) {
        QFile file(f.tmp.path("\\" + name));
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(old, QFileDevice::FileModificationTime));
        before.insert(name, file.readAll());
    }

    f.opened.clear();
    MainWindow &form = f.start();
    for (auto it = before.cbegin(); it != before.cend(); ++it) {
        QCOMPARE(f.tmp.readFile("\\" + it.key()), it.value());
        QCOMPARE(QFileInfo(f.tmp.path("\\" + it.key())).lastModified(), old);
    }
    QCOMPARE(form.lists().list(ResultLists::Saved)->names(),
             (QStringList{"kept.com", "other.net"}));
    QVERIFY(!f.opened.contains("Form8"));
}

void TestMainWindow::startupReadsOptions_data() {
    QTest::addColumn<QString>("machineProxy");
    QTest::addColumn<QString>("userProxy");
    QTest::addColumn<QString>("defaultExt");
    QTest::addColumn<bool>("proxy");
    QTest::addColumn<QString>("extension");
    QTest::newRow("nothing stored") << ""
                                    << ""
                                    << "" << false << ".com";
    QTest::newRow("machine store on") << "1"
                                      << ""
                                      << ".net" << true << ".net";
    QTest::newRow("machine store off wins") << "0"
                                            << "1"
                                            << "" << false << ".com";
}

void TestMainWindow::startupReadsOptions() {
    QFETCH(QString, machineProxy);
    QFETCH(QString, userProxy);
    QFETCH(QString, defaultExt);
    QFETCH(bool, proxy);
    QFETCH(QString, extension);
    MainWindowFixture f;
    // The machine store keeps its values under the company and product names.
    MachineSettings machine(f.tmp.machineStore(), f.tmp.userStore(), f.ctx.branding.CompanyName,
                            f.ctx.branding.ProductName);
    if (!machineProxy.isEmpty())
        QVERIFY(machine.saveMachineSetting("Kestrin", "Settings", "chkProxy", machineProxy).ok());
    if (!userProxy.isEmpty())
        f.tmp.userStore().write("Kestrin", "Settings", "chkProxy", userProxy);
    if (!defaultExt.isEmpty())
        f.tmp.userStore().write("Kestrin", "Settings", "DefaultExt", defaultExt);
    f.tmp.userStore().write("Orvane", "Settings", "wordNumber", "42");
    f.ctx.whois.ProxySwitch = !proxy;

    MainWindow &form = f.start();
    QCOMPARE(f.ctx.whois.ProxySwitch, proxy);
    QCOMPARE(f.ctx.whois.DefaultExtension, extension);
    QCOMPARE(form.storedWordNumber(), 42);
}

void TestMainWindow::badRegistrarRowShowsInStatusBar() {
    MainWindowFixture f;
    f.tmp.writeFile("\\registrars.txt", "com|whois.example|43|1\r\nbroken row\r\nnet|whois.example|"
                                        "43|1\r\n");
    MainWindow &form = f.start();
    QVERIFY2(form.statusPanelText(3).contains("2"), qPrintable(form.statusPanelText(3)));
    QVERIFY(f.desktop.messages.isEmpty());
    QCOMPARE(f.ctx.registrars.rows().size(), 3);
    QCOMPARE(f.ctx.registrars.rows().at(2).extension, QStringLiteral("net"));
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
    QTest::newRow("two, default") << 5 << "AllTwoLetter.txt"
                                  << "TwoWordNum" << 676 << ""
                                  << "1" << true;
    QTest::newRow("three, at end") << 6 << "AllThreeLetter.txt"
                                   << "ThreeWordNum" << 20 << "20"
                                   << "1" << false;
    QTest::newRow("four, missing") << 7 << "AllFourLetter.txt"
                                   << "FourWordNum" << -1 << "5"
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

    QCOMPARE(form.searchType(), MainWindow::searchTypes().at(index));
    QCOMPARE(QFileInfo(form.listPath()).fileName(), file);
    QCOMPARE(form.driver().listPath(), form.listPath());
    QCOMPARE(form.driver().searchType(), MainWindow::searchTypes().at(index));
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
    QCOMPARE(form.listPath(), f.tmp.path("\\BrowserSearch.txt"));
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
    QCOMPARE(form.searchText(), QStringLiteral("falcon"));

    f.tmp.writeFile("\\CreatedDomains.txt", entries(3));
    wordNum->setText("2");
    form.selectSearchType(1); // Generate
    QCOMPARE(form.listPath(), f.tmp.path("\\CreatedDomains.txt"));
    QCOMPARE(wordNum->text(), QStringLiteral("1"));
    QVERIFY(!search->isVisible() && !wordNum->isVisible());
    QCOMPARE(f.opened.last(), QStringLiteral("frmMake"));

    wordNum->setText("0");
    form.selectSearchType(0); // Browse keeps the list and the position
    QCOMPARE(form.listPath(), f.tmp.path("\\CreatedDomains.txt"));
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
    QCOMPARE(form.listPath(), f.tmp.path("\\mine\\names.txt"));
    QCOMPARE(wordMax->text(), QStringLiteral("3"));
    QCOMPARE(wordNum->text(), QStringLiteral("1"));

    // A cancelled dialog leaves the earlier choice in place, type shown included.
    form.selectSearchType(5);
    wordNum->setText("4");
    form.selectSearchType(8);
    QCOMPARE(combo->currentIndex(), 5);
    QCOMPARE(form.driver().searchType(), QStringLiteral("All Two Letter"));
    QCOMPARE(QFileInfo(form.listPath()).fileName(), QStringLiteral("AllTwoLetter.txt"));
    QCOMPARE(wordMax->text(), QStringLiteral("10"));
    QCOMPARE(wordNum->text(), QStringLiteral("4"));
}

void TestMainWindow::wordNumResetRule_data() {
    QTest::addColumn<QString>("max");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::newRow("below") << "10"
                           << "9"
                           << "9";
    QTest::newRow("equal") << "10"
                           << "10"
                           << "1";
    QTest::newRow("above") << "10"
                           << "11"
                           << "1";
    QTest::newRow("empty while typing") << "10"
                                        << ""
                                        << "";
    QTest::newRow("no count") << ""
                              << "7"
                              << "7";
}

void TestMainWindow::wordNumResetRule() {
    QFETCH(QString, max);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    MainWindowFixture f;
    f.start();
    f.child<QLineEdit>("txtWordMax")->setText(max);
    auto *wordNum = f.child<QLineEdit>("txtWordNum");
    wordNum->setText("5");
    wordNum->setText(typed);
    QCOMPARE(wordNum->text(), shown);
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

void TestMainWindow::startAndStop() {
    MainWindowFixture f;
    f.tmp.writeFile("\\wordlists\\AllTwoLetter.txt", entries(30) + "\r\n");
    MainWindow &form = f.start();
    form.show();
    form.selectSearchType(5);
    form.lists().fileTakenName("counted.com");
    auto *wordNum = f.child<QLineEdit>("txtWordNum");
    wordNum->clear(); // an empty start field starts at the first entry

    form.start();
    QVERIFY(form.driver().running());
    QCOMPARE(form.lists().counter(ResultLists::Registered), 0);
    QCOMPARE(wordNum->text(), QStringLiteral("1"));
    for (const char *name :
         {"cmdDoSearch", "Combo1", "txtWordNum", "Combo2", "cmdCreate", "txtSearch"})
        QVERIFY2(!f.child<QWidget>(name)->isEnabled(), name);
    QVERIFY(f.child<QPushButton>("Command3")->isEnabled());

    f.child<QPushButton>("Command3")->click();
    QTRY_VERIFY_WITH_TIMEOUT(!form.driver().running(), 10000);
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
        form.lists().fileFreeName(QString::fromLatin1(name));
    form.lists().fileTakenName(QStringLiteral("taken.com"));
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
    emit form.pool().statusText(1, longText);
    QCOMPARE(form.statusPanelText(1), longText);
    QVERIFY(panel->isElided());
    QVERIFY(panel->shownText().endsWith(QChar(0x2026)));
    QCOMPARE(panel->toolTip(), longText);

    emit form.pool().statusText(1, QStringLiteral("Idle"));
    QCOMPARE(form.statusPanelText(1), QStringLiteral("Idle"));
    QVERIFY(!panel->isElided());
    QCOMPARE(panel->shownText(), QStringLiteral("Idle"));
    QVERIFY(panel->toolTip().isEmpty());

    // Widening the window makes room: the same text is shown whole again.
    const QString reply = QStringLiteral("Connected to whois.example, waiting for its answer");
    emit form.pool().statusText(3, reply);
    auto *third = f.child<ElidedLabel>(QStringLiteral("StatusBar1Panel3"));
    QVERIFY(third->isElided());
    form.resize(MainLayout::sizeInPixels(20000, form.logicalDpiX()), form.height());
    QTRY_VERIFY(!third->isElided());
    QCOMPARE(third->shownText(), reply);
    QVERIFY(third->toolTip().isEmpty());
}

void TestMainWindow::overflowNoticeAndShutdown() {
    MainWindowFixture f;
    MainWindow &form = f.start();
    form.show();
    emit form.lists().overflowed();
    emit form.pool().overflowed(); // the same overflow reported twice opens one notice
    auto *notice = qobject_cast<QDialog *>(form.windows().window("Form2"));
    QVERIFY(notice);
    QVERIFY(notice->isVisible() && !notice->isModal());
    QCOMPARE(notice->windowTitle(), QStringLiteral("File backup"));
    QCOMPARE(form.findChildren<QDialog *>().size(), 1);
    QVERIFY(notice->findChild<QLabel *>()->text().startsWith("One of your lists has reached 20000 "
                                                             "entries.  They"));
    notice->findChild<QPushButton *>("Command1")->click();
    QTRY_VERIFY(!form.windows().window("Form2"));

    emit form.lists().overflowed();
    form.selectSearchType(0);
    form.selectSearchType(1);
    QVERIFY(form.windows().window("Form2") && form.windows().window("Form5"));
    f.child<QAction>("mnuFileItem0")->trigger();
    QVERIFY(!form.isVisible());
    for (const char *name : {"Form2", "Form5", "frmMake"})
        QVERIFY2(!form.windows().window(name), name);
    QVERIFY(form.driver().halted());
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
