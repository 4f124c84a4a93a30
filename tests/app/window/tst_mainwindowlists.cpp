#include "core/resultlists.h"
#include "loopbackwhoisserver.h"
#include "mainwindowfixture.h"
#include "whois/whoisviewer.h"

#include <QAction>
#include <QApplication>
#include <QDropEvent>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QMimeData>
#include <QTest>
#include <QTextEdit>
#include <QToolButton>

namespace {
const QStringList Low{"longname1.com", "longname2.com", "longname3.com"};
const QStringList Mid{"alpha.com", "bravo.com", "charl.com", "delta.com"};
const QStringList High{"ab.com", "x&y?.com"};
const QStringList Taken{"taken.com", "other.net"};
} // namespace

class TestMainWindowLists : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void copyButtonsAndMenu_data();
    void copyButtonsAndMenu();
    void deleteKeys_data();
    void deleteKeys();
    void clearAllFreeLeavesRegisteredAndSaved();
    void dragMidEntriesToSaved();
    void hostileDrops_data();
    void hostileDrops();
    void doubleClickOpensPurchasePage();
    void doubleClickReplacesViewer();
    void exportListsMenu();
    void windowKeys_data();
    void windowKeys();
    void listKeysAndContextMenu();

private:
    QListView *view(int k) const { return m_f->child<QListView>(QStringLiteral("List%1").arg(k)); }
    QString caption(int k) const {
        return m_f->child<QLabel>(QStringLiteral("Label%1").arg(k))->text();
    }

    std::unique_ptr<MainWindowFixture> m_f;
    MainWindow *m_form = nullptr;
};

void TestMainWindowLists::init() {
    m_f = std::make_unique<MainWindowFixture>();
    m_f->tmp.writeFile("\\Remembered.txt", "kept.com\r\n");
    m_form = &m_f->start();
    m_form->setWindowState(Qt::WindowNoState);
    m_form->resize(900, 600);
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form));
    ResultLists &lists = m_form->session().lists();
    for (const QStringList *names : {&Low, &Mid, &High})
        for (const QString &name : *names)
            lists.fileFreeName(name);
    for (const QString &name : Taken)
        lists.fileTakenName(name);
}

void TestMainWindowLists::cleanup() {
    m_f.reset();
    m_form = nullptr;
}

void TestMainWindowLists::copyButtonsAndMenu_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("cmdCopy1") << "cmdCopy1" << Low;
    QTest::newRow("cmdCopy2") << "cmdCopy2" << Taken;
    QTest::newRow("cmdCopy3") << "cmdCopy3" << High;
    QTest::newRow("cmdCopy4") << "cmdCopy4" << Mid;
    QTest::newRow("cmdCopy5") << "cmdCopy5" << QStringList{"kept.com"};
    QTest::newRow("Copy High") << "mnuEditItem6" << High;
    QTest::newRow("Copy Mid") << "mnuEditItem7" << Mid;
    QTest::newRow("Copy Low") << "mnuEditItem8" << Low;
    QTest::newRow("Copy Saved") << "mnuEditItem9" << QStringList{"kept.com"};
}

void TestMainWindowLists::copyButtonsAndMenu() {
    QFETCH(QString, control);
    QFETCH(QStringList, names);
    if (auto *button = m_f->child<QToolButton>(control)) {
        QCOMPARE(button->toolTip(), QStringLiteral("Copy List"));
        button->click();
    } else {
        m_f->child<QAction>(control)->trigger();
    }
    QCOMPARE(m_f->desktop.clipboard, names.join("\r\n") + "\r\n");
}

void TestMainWindowLists::deleteKeys_data() {
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("currentRow");
    QTest::addColumn<QStringList>("left");
    QTest::addColumn<QString>("expectedCaption");
    QTest::newRow("Delete") << int(Qt::NoModifier) << 1
                            << QStringList{"longname1.com", "longname3.com"} << "Low Profile (2)";
    QTest::newRow("Ctrl+Delete") << int(Qt::ControlModifier) << 0
                                 << QStringList{"longname2.com", "longname3.com"}
                                 << "Low Profile (2)";
    QTest::newRow("Ctrl+Shift+Delete")
        << int(Qt::ControlModifier | Qt::ShiftModifier) << 2
        << QStringList{"longname1.com", "longname2.com"} << "Low Profile (2)";
    QTest::newRow("Shift+Delete") << int(Qt::ShiftModifier) << 1 << QStringList{} << "Low Profile";
    QTest::newRow("no current entry") << int(Qt::NoModifier) << -1 << Low << "Low Profile (3)";
}

void TestMainWindowLists::deleteKeys() {
    QFETCH(int, modifiers);
    QFETCH(int, currentRow);
    QFETCH(QStringList, left);
    QFETCH(QString, expectedCaption);
    QListView *list = view(1);
    if (currentRow >= 0)
        list->setCurrentIndex(list->model()->index(currentRow, 0));
    QTest::keyClick(list, Qt::Key_Delete, Qt::KeyboardModifiers(modifiers));
    QCOMPARE(m_form->session().lists().list(1)->names(), left);
    QCOMPARE(caption(1), expectedCaption);
    QCOMPARE(m_form->session().lists().counter(1), int(left.size()));

    // The button deletes the same way; in the Saved list the file stays as it was.
    QListView *saved = view(5);
    saved->setCurrentIndex(saved->model()->index(0, 0));
    m_f->child<QToolButton>("cmdClear5")->click();
    QCOMPARE(m_form->session().lists().list(5)->count(), 0);
    QCOMPARE(m_f->tmp.readFile("\\Remembered.txt"), QByteArray("kept.com\r\n"));
}

void TestMainWindowLists::clearAllFreeLeavesRegisteredAndSaved() {
    m_f->child<QAction>("mnuEditItem0")->trigger();
    for (int k : {1, 3, 4}) {
        QCOMPARE(m_form->session().lists().list(k)->count(), 0);
        QCOMPARE(caption(k), ResultLists::bareCaption(k));
    }
    QCOMPARE(m_form->session().lists().list(2)->names(), Taken);
    QCOMPARE(caption(2), QStringLiteral("Registered (2)"));
    QCOMPARE(m_form->session().lists().list(5)->names(), QStringList{"kept.com"});

    m_f->child<QToolButton>("cmdClear22")->click();
    QCOMPARE(m_form->session().lists().list(2)->count(), 0);
    QCOMPARE(caption(2), QStringLiteral("Registered"));
}

void TestMainWindowLists::dragMidEntriesToSaved() {
    QListView *mid = view(4);
    // A click in the Mid Profile list makes it the list drops take their names from.
    QTest::mouseClick(mid->viewport(), Qt::LeftButton, {},
                      mid->visualRect(mid->model()->index(3, 0)).center());
    QCOMPARE(m_form->activeList(), 4);
    QTest::mouseClick(view(5)->viewport(), Qt::LeftButton, {},
                      view(5)->visualRect(view(5)->model()->index(0, 0)).center());
    QCOMPARE(m_form->activeList(), 4);

    for (int row : {0, 2})
        mid->selectionModel()->select(mid->model()->index(row, 0), QItemSelectionModel::Select);
    std::unique_ptr<QMimeData> data(m_form->dragData(4));
    QCOMPARE(data->text(), QStringLiteral("0|2|3"));

    // Dropped onto the Saved list's view as a drag from the Mid Profile list would be: the
    // view must accept the drag's entry to receive its drop.
    QWidget *target = view(5)->viewport();
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &drop);
    QVERIFY(drop.isAccepted());
    const QStringList saved{"kept.com", "alpha.com", "charl.com", "delta.com"};
    QCOMPARE(m_form->session().lists().list(5)->names(), saved);
    QCOMPARE(m_f->tmp.readFile("\\Remembered.txt"), saved.join("\r\n").toLatin1() + "\r\n");
    QCOMPARE(m_form->session().lists().list(4)->names(), Mid);
}

void TestMainWindowLists::hostileDrops_data() {
    QTest::addColumn<int>("activeList");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("added");
    QTest::newRow("text from elsewhere") << 4 << "http://example.com/a|b" << QStringList{};
    QTest::newRow("past the end") << 4 << "1|4|400" << QStringList{"bravo.com"};
    QTest::newRow("no list clicked yet") << 0 << "0|1" << QStringList{};
    QTest::newRow("registered list") << 2 << "1|x" << QStringList{"other.net"};
}

void TestMainWindowLists::hostileDrops() {
    QFETCH(int, activeList);
    QFETCH(QString, text);
    QFETCH(QStringList, added);
    m_form->setActiveList(activeList);
    QMimeData data;
    data.setText(text);
    m_form->dropOnSaved(data);
    QCOMPARE(m_form->session().lists().list(5)->names(), QStringList{"kept.com"} + added);
    QMimeData noText;
    noText.setData("application/octet-stream", "0|1");
    m_form->dropOnSaved(noText);
    QCOMPARE(m_form->session().lists().list(5)->count(), 1 + added.size());
}

void TestMainWindowLists::doubleClickOpensPurchasePage() {
    QListView *high = view(3);
    const QPoint second = high->visualRect(high->model()->index(1, 0)).center();
    // A double-click follows a press on the same entry.
    QTest::mousePress(high->viewport(), Qt::LeftButton, {}, second);
    QTest::mouseDClick(high->viewport(), Qt::LeftButton, {}, second);
    const QString prefix = m_f->ctx.branding.PurchasePrefix;
    QCOMPARE(m_f->desktop.openedUrls, QStringList{prefix + "x&y?.com"});
    QCOMPARE(m_f->ctx.WhoisName, QStringLiteral("x&y?.com"));

    // Below the last entry there is nothing to open.
    QTest::mouseDClick(high->viewport(), Qt::LeftButton, {},
                       QPoint(5, high->viewport()->height() - 3));
    QCOMPARE(m_f->desktop.openedUrls.size(), 1);

    m_form->openEntry(2, 0);
    QCOMPARE(m_f->desktop.openedUrls.last(), prefix + "taken.com");
}

void TestMainWindowLists::doubleClickReplacesViewer() {
    LoopbackWhoisServer server;
    QVERIFY(server.start());
    server.replies.insert("taken.com", "first reply\r\n");
    server.replies.insert("other.net", "second reply\r\n");
    m_f->ctx.branding.PurchaseSwitch = false;
    m_f->ctx.hosts.viewerServer = QStringLiteral("127.0.0.1");
    m_f->ctx.hosts.viewerPort = server.port();

    m_form->openEntry(2, 0);
    QPointer<QWidget> first = m_form->windows().window(WindowId::WhoisViewer);
    QVERIFY(first);
    QTRY_VERIFY_WITH_TIMEOUT(
        first->findChild<QTextEdit *>("text1")->toPlainText().contains("first"), 10000);
    m_form->openEntry(2, 1);
    auto *second = qobject_cast<WhoisViewer *>(m_form->windows().window(WindowId::WhoisViewer));
    QVERIFY(second && second != first);
    QCOMPARE(m_f->ctx.WhoisName, QStringLiteral("other.net"));
    QVERIFY(second->isWindow() && second->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(
        second->findChild<QTextEdit *>("text1")->toPlainText().contains("second"), 10000);
    QVERIFY(!second->findChild<QTextEdit *>("text1")->toPlainText().contains("first"));
    QTRY_VERIFY(!first);
    QVERIFY(m_f->desktop.openedUrls.isEmpty());
}

void TestMainWindowLists::exportListsMenu() {
    auto *item = m_f->form->findChild<QAction *>("mnuFileExport");
    QVERIFY(item);
    QCOMPARE(item->text().remove('&'), QStringLiteral("Export Lists..."));

    // A name without suffix becomes CSV; the file holds every list.
    m_f->desktop.fileAnswers = {m_f->tmp.root() + "/lists"};
    item->trigger();
    const QByteArray csv = m_f->tmp.readFile("\\lists.csv");
    QVERIFY(csv.startsWith("list,name\r\nhigh,ab.com\r\n"));
    QVERIFY(csv.contains("registered,other.net\r\n"));
    QVERIFY(csv.endsWith("saved,kept.com\r\n"));
    QVERIFY(m_f->desktop.messages.isEmpty());

    // Cancelled: nothing written, nothing said.
    m_f->desktop.fileAnswers = {""};
    item->trigger();
    QVERIFY(m_f->desktop.messages.isEmpty());

    // A folder that does not exist: a warning naming the file, not a silent failure.
    const QString bad = m_f->tmp.root() + "/missing/lists.json";
    m_f->desktop.fileAnswers = {bad};
    item->trigger();
    QCOMPARE(m_f->desktop.messages.size(), 1);
    QCOMPARE(m_f->desktop.messages.at(0).icon, Desktop::Icon::Warning);
    QVERIFY(m_f->desktop.messages.at(0).text.contains(bad));
}

void TestMainWindowLists::windowKeys_data() {
    QTest::addColumn<QKeySequence>("key");
    QTest::addColumn<QString>("effect");
    QTest::newRow("F1") << QKeySequence(Qt::Key_F1) << "help";
    QTest::newRow("Ctrl+E") << QKeySequence(Qt::CTRL | Qt::Key_E) << "export";
    QTest::newRow("Ctrl+Q") << QKeySequence(Qt::CTRL | Qt::Key_Q) << "quit";
}

void TestMainWindowLists::windowKeys() {
    QFETCH(QKeySequence, key);
    QFETCH(QString, effect);
    QApplication::setActiveWindow(m_form);
    QVERIFY(QTest::qWaitForWindowActive(m_form));
    // The search type comes first.
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("Combo1"));
    m_f->opened.clear();
    m_f->desktop.fileAnswers = {""};
    QTest::keySequence(m_form, key);
    if (effect == "help")
        QCOMPARE(m_f->opened, QStringList{"Form8"});
    else if (effect == "export")
        QCOMPARE(m_f->desktop.dialogFolders.size(), 1);
    else
        QVERIFY(!m_form->isVisible());
}

// Ctrl+C, Delete and the context menu work on the selected entries of the focused list.
void TestMainWindowLists::listKeysAndContextMenu() {
    QApplication::setActiveWindow(m_form);
    QVERIFY(QTest::qWaitForWindowActive(m_form));
    QListView *mid = view(4);
    mid->setFocus();
    mid->setCurrentIndex(mid->model()->index(2, 0));
    mid->selectionModel()->select(mid->model()->index(0, 0), QItemSelectionModel::Select);
    QTest::keyClick(mid, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(m_f->desktop.clipboard, QStringLiteral("alpha.com\r\ncharl.com\r\n"));

    // The menu of the list that was right-clicked; Save takes the selection as a drop would.
    emit mid->customContextMenuRequested(QPoint(5, 5));
    auto *menu = m_f->child<QMenu>("mnuList");
    QTRY_VERIFY(menu->isVisible());
    auto *save = m_f->child<QAction>("mnuListSave");
    QVERIFY(save->isEnabled() && menu->actions().contains(save));
    save->trigger();
    menu->close();
    const QStringList saved{"kept.com", "alpha.com", "charl.com"};
    QCOMPARE(m_form->session().lists().list(5)->names(), saved);
    QCOMPARE(m_f->tmp.readFile("\\Remembered.txt"), saved.join("\r\n").toLatin1() + "\r\n");

    m_f->child<QAction>("mnuListOpen")->trigger();
    QCOMPARE(m_f->desktop.openedUrls, QStringList{m_f->ctx.branding.PurchasePrefix + "charl.com"});
    m_f->child<QAction>("mnuListReply")->trigger();
    auto *viewer = qobject_cast<WhoisViewer *>(m_form->windows().window(WindowId::WhoisViewer));
    QVERIFY(viewer && viewer->name() == QStringLiteral("charl.com"));
    viewer->close();

    QTest::keyClick(mid, Qt::Key_Delete);
    QCOMPARE(m_form->session().lists().list(4)->names(), (QStringList{"bravo.com", "delta.com"}));
    QCOMPARE(caption(4), QStringLiteral("Mid Profile (2)"));

    // The Saved list takes several entries too, and cannot be saved into itself.
    QListView *savedView = view(5);
    savedView->setFocus();
    savedView->selectAll();
    emit savedView->customContextMenuRequested(QPoint(5, 5));
    QVERIFY(!save->isEnabled());
    menu->close();
    m_f->child<QAction>("mnuListDelete")->trigger();
    QCOMPARE(m_form->session().lists().list(5)->count(), 0);
}

QTEST_MAIN(TestMainWindowLists)
#include "tst_mainwindowlists.moc"
