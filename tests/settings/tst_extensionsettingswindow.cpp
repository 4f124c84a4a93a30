#include "core/resultlists.h"
#include "loopbackwhoisserver.h"
#include "settings/extensionsettingswindow.h"
#include "testcontext.h"
#include "whois/lookuppool.h"
#include "whois/lookuprequest.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>
#include <memory>

namespace {
// A program folder with the default registrar table, and a context over it.
struct Env : TestContext {
    Env() {
        (void)ctx.registrars.ensureRegistrarFile(false);
        (void)ctx.registrars.loadRegistrars();
    }
    QString machine(const QString &key) { return machineSetting(key, "?"); }
    QStringList fileRows() const {
        QStringList rows;
        for (const QStringList &row : ctx.registrars.fileRows())
            rows << row.join('|');
        return rows;
    }
};

template <typename T> T *child(QWidget &w, const char *name) {
    T *c = w.findChild<T *>(QLatin1String(name));
    if (!c)
        qFatal("missing control %s", name);
    return c;
}

void click(QWidget &w, const char *button) {
    QTest::mouseClick(child<QPushButton>(w, button), Qt::LeftButton);
}

void clickRow(QWidget &w, int row) {
    auto *list = child<QTreeWidget>(w, "lstDomains");
    QTreeWidgetItem *item = list->topLevelItem(row);
    list->scrollToItem(item);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
}

void clickHeader(QWidget &w, int column) {
    QHeaderView *header = child<QTreeWidget>(w, "lstDomains")->header();
    const QPoint at(header->sectionViewportPosition(column) + 5, header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
}

void fill(QWidget &w, const QString &ext, const QString &server, const QString &port) {
    child<QLineEdit>(w, "txtExt")->setText(ext);
    child<QLineEdit>(w, "txtServer")->setText(server);
    child<QLineEdit>(w, "txtPort")->setText(port);
}

// Rows of the default file.
int defaultRowCount() {
    return int(RegistrarTable::defaultFileContent().count("\r\n")) - 1;
}

int rowOf(const Env &env, const QString &ext) {
    const auto &rows = env.ctx.registrars.rows();
    for (int i = 0; i < rows.size(); ++i) {
        if (rows.at(i).extension == ext)
            return i;
    }
    return -1;
}

void loseFocus(QWidget &w) {
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(child<QLineEdit>(w, "txtDefault"), &out);
}
} // namespace

class TestExtensionSettingsWindow : public QObject {
    Q_OBJECT
private slots:
    void opensWithTheFileRows();
    void editingKeepsOrSetsTheStatus();
    void invalidInputWritesNothing_data();
    void invalidInputWritesNothing();
    void toggleFlipsTheSelectedRow();
    void sortFlipsAndDeleteWritesDisplayedOrder();
    void restoreAfterDeletingEverything();
    void badRowsAreReportedWithTheirLine();
    void deleteKeepsRowsAfterABadRow();
    void failedDeleteIsReported();
    void proxySwitchIsStoredAndRestored();
    void defaultExtension();
    void lookupUsesTheEditedServer();
    void filterHidesRowsButDeleteKeepsThem();
    void closeButtonAndEscapeClose();
};

void TestExtensionSettingsWindow::opensWithTheFileRows() {
    Env env;
    env.tmp.writeFile("registrars.txt", "COM|Whois.X|43|Enabled\r\n\r\n \r\nnet|y|44|Off\r\n");
    ExtensionSettingsWindow w(env.ctx);
    QCOMPARE(w.objectName(), QStringLiteral("frmSettings"));
    QCOMPARE(w.windowTitle(), QStringLiteral("Domain extension settings"));
    auto *list = child<QTreeWidget>(w, "lstDomains");
    QCOMPARE(list->columnCount(), 5);
    QCOMPARE(list->headerItem()->text(3), QStringLiteral("Status"));
    QCOMPARE(list->topLevelItem(0)->text(4), QStringLiteral("WHOIS"));
    QCOMPARE(list->topLevelItemCount(), 2);
    // Shown as written, not lowered.
    QCOMPARE(list->topLevelItem(0)->text(1), QStringLiteral("Whois.X"));
    QCOMPARE(list->topLevelItem(1)->text(3), QStringLiteral("Off"));
    QVERIFY(w.editEnabled());
    QVERIFY(env.desktop.messages.isEmpty());
}

void TestExtensionSettingsWindow::editingKeepsOrSetsTheStatus() {
    Env env;
    ExtensionSettingsWindow w(env.ctx);
    w.show();
    const int org = rowOf(env, "org");
    clickRow(w, org);
    QVERIFY(!w.editEnabled());
    QCOMPARE(child<QLineEdit>(w, "txtExt")->text(), QStringLiteral("org"));
    child<QLineEdit>(w, "txtServer")->setText("whois.changed.test");
    click(w, "cmdSave");
    QCOMPARE(env.fileRows().at(org), QStringLiteral("org|whois.changed.test|443|Disabled"));
    QCOMPARE(env.ctx.registrars.rows().at(org).server, QStringLiteral("whois.changed.test"));

    // COM after "New Extension": replaces the com row in place, enabled.
    click(w, "Command1");
    QVERIFY(w.editEnabled());
    QVERIFY(child<QLineEdit>(w, "txtExt")->text().isEmpty());
    fill(w, "COM", "whois.new.test", "4343");
    click(w, "cmdSave");
    QCOMPARE(env.fileRows().size(), defaultRowCount());
    QCOMPARE(env.fileRows().at(1), QStringLiteral("com|whois.new.test|4343|Enabled"));
    QCOMPARE(env.ctx.registrars.rows().at(1).port, quint16(4343));

    fill(w, "test", "whois.test.test", "43");
    click(w, "cmdSave");
    QCOMPARE(env.fileRows().size(), defaultRowCount() + 1);
    QCOMPARE(env.fileRows().last(), QStringLiteral("test|whois.test.test|43|Enabled"));
    QCOMPARE(child<QTreeWidget>(w, "lstDomains")->topLevelItemCount(), defaultRowCount() + 1);
    QCOMPARE(env.ctx.registrars.ownRowCount(), defaultRowCount() + 1);
    QVERIFY(env.desktop.messages.isEmpty());
}

void TestExtensionSettingsWindow::invalidInputWritesNothing_data() {
    QTest::addColumn<QString>("ext");
    QTest::addColumn<QString>("server");
    QTest::addColumn<QString>("port");
    QTest::newRow("no extension") << ""
                                  << "s"
                                  << "43";
    QTest::newRow("no server") << "xyz"
                               << ""
                               << "43";
    QTest::newRow("no port") << "xyz"
                             << "s"
                             << "";
    QTest::newRow("port text") << "xyz"
                               << "s"
                               << "abc";
    QTest::newRow("port 0") << "xyz"
                            << "s"
                            << "0";
    QTest::newRow("port too high") << "xyz"
                                   << "s"
                                   << "70000";
    QTest::newRow("bar in extension") << "x|y"
                                      << "s"
                                      << "43";
    QTest::newRow("line break in server") << "xyz"
                                          << "s\r\nnet|t"
                                          << "43";
}

void TestExtensionSettingsWindow::invalidInputWritesNothing() {
    QFETCH(QString, ext);
    QFETCH(QString, server);
    QFETCH(QString, port);
    Env env;
    const QByteArray before = env.tmp.readFile("registrars.txt");
    ExtensionSettingsWindow w(env.ctx);
    fill(w, ext, server, port);
    click(w, "cmdSave");
    QCOMPARE(env.desktop.messageTexts(),
             QStringList{"Please enter valid information for all fields."});
    QCOMPARE(env.tmp.readFile("registrars.txt"), before);
}

void TestExtensionSettingsWindow::toggleFlipsTheSelectedRow() {
    Env env;
    ExtensionSettingsWindow w(env.ctx);
    w.show();
    click(w, "cmdToggle"); // nothing selected: refresh only
    QCOMPARE(env.fileRows().at(0), QStringLiteral("proxy|127.0.0.1|43|Enabled"));
    clickRow(w, 0);
    click(w, "cmdToggle");
    QCOMPARE(env.fileRows().at(0), QStringLiteral("proxy|127.0.0.1|43|Disabled"));
    QVERIFY(!env.ctx.registrars.rows().at(0).enabled);
    clickRow(w, 0);
    click(w, "cmdToggle");
    QVERIFY(env.ctx.registrars.rows().at(0).enabled);
    QVERIFY(env.desktop.messages.isEmpty());
}

void TestExtensionSettingsWindow::sortFlipsAndDeleteWritesDisplayedOrder() {
    Env env;
    env.tmp.writeFile("registrars.txt", "com|a|43|Enabled\r\nnet|b|44|Enabled\r\n"
                                        "com|c|45|Disabled\r\nbiz|d|9|Enabled\r\n");
    QVERIFY(env.ctx.registrars.loadRegistrars().ok());
    ExtensionSettingsWindow w(env.ctx);
    w.show();
    auto *list = child<QTreeWidget>(w, "lstDomains");
    auto column = [list](int c) {
        QStringList texts;
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            texts << list->topLevelItem(i)->text(c);
        return texts;
    };
    clickHeader(w, 2); // first click: descending, ports compare as text
    QCOMPARE(column(2), (QStringList{"9", "45", "44", "43"}));
    clickHeader(w, 2);
    QCOMPARE(column(2), (QStringList{"43", "44", "45", "9"}));
    clickHeader(w, 1); // another column continues the flip: descending
    QCOMPARE(column(1), (QStringList{"d", "c", "b", "a"}));

    clickRow(w, 0);
    click(w, "Command2");
    QCOMPARE(
        env.tmp.readFile("registrars.txt"),
        QByteArray("com|c|45|Disabled\r\n\r\nnet|b|44|Enabled\r\n\r\ncom|a|43|Enabled\r\n\r\n"));
    QVERIFY(child<QLineEdit>(w, "txtExt")->text().isEmpty());
    // The reloaded table follows the new order: the first com row is now "c".
    QCOMPARE(env.ctx.registrars.findRegistrar("x.com", false), 0);
    QCOMPARE(env.ctx.registrars.rows().at(0).server, QStringLiteral("c"));

    // A refresh keeps the sort.
    list->clearSelection();
    click(w, "cmdToggle");
    QCOMPARE(column(1), (QStringList{"c", "b", "a"}));
}

void TestExtensionSettingsWindow::restoreAfterDeletingEverything() {
    Env env;
    env.tmp.writeFile("registrars.txt", "com|a|43|Enabled\r\nnet|b|44|Enabled\r\n");
    ExtensionSettingsWindow w(env.ctx);
    w.show();
    auto *list = child<QTreeWidget>(w, "lstDomains");
    while (list->topLevelItemCount() > 0) {
        clickRow(w, 0);
        click(w, "Command2");
    }
    QCOMPARE(env.fileRows().size(), 0);
    click(w, "Command3");
    QCOMPARE(list->topLevelItemCount(), defaultRowCount());
    QCOMPARE(env.ctx.registrars.ownRowCount(), defaultRowCount());
    QCOMPARE(env.tmp.readFile("registrars.txt"), RegistrarTable::defaultFileContent());
    QVERIFY(env.desktop.messages.isEmpty());
}

void TestExtensionSettingsWindow::badRowsAreReportedWithTheirLine() {
    Env env;
    env.tmp.writeFile("registrars.txt", "com|a|43|Enabled\r\n\r\nbroken|row\r\n");
    {
        ExtensionSettingsWindow w(env.ctx);
        QCOMPARE(env.desktop.messages.size(), 1);
        QCOMPARE(env.desktop.messages.at(0).title, QStringLiteral("Error"));
        QVERIFY2(env.desktop.messages.at(0).text.startsWith("registrars.txt, line 3"),
                 qPrintable(env.desktop.messages.at(0).text));
    }
    env.desktop.messages.clear();
    env.tmp.writeFile("registrars.txt", "com|a|43|Enabled\r\nnet|b|forty|Enabled\r\n");
    ExtensionSettingsWindow w(env.ctx);
    w.show();
    QVERIFY(env.desktop.messages.isEmpty()); // the list does not check ports
    clickRow(w, 0);
    click(w, "cmdToggle");
    QCOMPARE(env.desktop.messages.size(), 1);
    QVERIFY(env.desktop.messages.at(0).text.contains("forty"));
    QVERIFY(!env.ctx.registrars.rows().at(0).enabled);
}

void TestExtensionSettingsWindow::deleteKeepsRowsAfterABadRow() {
    Env env;
    const QByteArray content = "com|a|43|Enabled\r\nbroken\r\nnet|b|44|Enabled\r\n";
    env.tmp.writeFile("registrars.txt", content);
    ExtensionSettingsWindow w(env.ctx);
    w.show();
    env.desktop.messages.clear();
    clickRow(w, 0);
    click(w, "Command2");
    QCOMPARE(env.tmp.readFile("registrars.txt"), content);
    QCOMPARE(env.desktop.messages.size(), 1);
    QVERIFY(env.desktop.messages.at(0).text.startsWith("registrars.txt, line 2"));
    QCOMPARE(child<QTreeWidget>(w, "lstDomains")->topLevelItemCount(), 1);
}

void TestExtensionSettingsWindow::failedDeleteIsReported() {
    // The table's path becomes a folder after the list was filled: the rewrite fails (even as
    // root), and the user hears why instead of seeing the row silently come back.
    Env env;
    ExtensionSettingsWindow w(env.ctx);
    w.show();
    const qsizetype rowsBefore = env.ctx.registrars.rows().size();
    const QString path = env.ctx.registrars.filePath();
    QVERIFY(QFile::remove(path));
    QVERIFY(QDir().mkpath(path));
    clickRow(w, 0);
    click(w, "Command2");
    QCOMPARE(env.desktop.messages.size(), 1);
    const QString text = env.desktop.messages.at(0).text;
    QVERIFY2(text.startsWith("Could not write") && text.contains("registrars.txt"),
             qPrintable(text));
    QCOMPARE(env.ctx.registrars.rows().size(), rowsBefore); // the table in memory is untouched
}

void TestExtensionSettingsWindow::proxySwitchIsStoredAndRestored() {
    Env env;
    {
        ExtensionSettingsWindow w(env.ctx);
        auto *box = child<QCheckBox>(w, "chkProxy");
        QVERIFY(!box->isChecked());
        QVERIFY(box->text().contains("\"proxy\""));
        box->click();
        QVERIFY(env.ctx.whois.ProxySwitch);
        QCOMPARE(env.machine("chkProxy"), QStringLiteral("1"));
    }
    env.ctx.whois.ProxySwitch = false;
    ExtensionSettingsWindow w(env.ctx);
    QVERIFY(child<QCheckBox>(w, "chkProxy")->isChecked());
    QVERIFY(env.ctx.whois.ProxySwitch);
    child<QCheckBox>(w, "chkProxy")->click();
    QVERIFY(!env.ctx.whois.ProxySwitch);
    QCOMPARE(env.machine("chkProxy"), QStringLiteral("0"));
}

void TestExtensionSettingsWindow::defaultExtension() {
    Env env;
    ExtensionSettingsWindow w(env.ctx);
    auto *box = child<QLineEdit>(w, "txtDefault");
    auto stored = [&env] {
        return env.ctx.userStore->read("Kestrin", "Settings", "DefaultExt", "?");
    };
    QCOMPARE(box->text(), QStringLiteral(".com"));

    box->clear();
    QTest::keyClicks(box, "ne");
    QCOMPARE(stored(), QStringLiteral("ne")); // every keystroke, before any normalisation
    QCOMPARE(env.ctx.whois.DefaultExtension, QStringLiteral("ne"));
    QTest::keyClicks(box, "t");
    loseFocus(w);
    QCOMPARE(box->text(), QStringLiteral(".net"));
    QCOMPARE(stored(), QStringLiteral(".net"));
    QCOMPARE(env.ctx.whois.DefaultExtension, QStringLiteral(".net"));

    box->clear();
    loseFocus(w);
    QCOMPARE(env.ctx.whois.DefaultExtension, QStringLiteral(".com"));

    box->setText("co.uk");
    loseFocus(w);
    QCOMPARE(env.ctx.whois.DefaultExtension, QStringLiteral("co.uk"));

    box->setText("org");
    w.close();
    QCOMPARE(env.ctx.whois.DefaultExtension, QStringLiteral(".org"));
    QCOMPARE(stored(), QStringLiteral(".org"));
}

void TestExtensionSettingsWindow::lookupUsesTheEditedServer() {
    Env env;
    LoopbackWhoisServer server;
    QVERIFY(server.start());
    LookupPool pool(env.ctx.timing);
    ExtensionSettingsWindow w(env.ctx);
    fill(w, "com", "127.0.0.1", QString::number(server.port()));
    click(w, "cmdSave");
    QSignalSpy ended(&pool, &LookupPool::lookupEnded);
    pool.startLookup(routeFor("example.com", env.ctx.registrars, env.ctx.whois), 0);
    QTRY_COMPARE_WITH_TIMEOUT(ended.size(), 1, 10000);
    QCOMPARE(server.queries, QList<QByteArray>{"example.com"});
}

void TestExtensionSettingsWindow::filterHidesRowsButDeleteKeepsThem() {
    Env env;
    ExtensionSettingsWindow w(env.ctx);
    w.show();
    auto *list = child<QTreeWidget>(w, "lstDomains");
    auto visible = [list] {
        QStringList shown;
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            if (!list->topLevelItem(i)->isHidden())
                shown << list->topLevelItem(i)->text(0) + ' ' + list->topLevelItem(i)->text(4);
        }
        return shown;
    };
    QCOMPARE(visible().size(), defaultRowCount());
    // By extension or server, letter case ignored; each row says how it is asked.
    child<QLineEdit>(w, "txtFilter")->setText("NOMINET");
    QVERIFY(visible().contains("uk RDAP"));
    child<QLineEdit>(w, "txtFilter")->setText("whois.nic.it");
    QCOMPARE(visible(), QStringList{"it WHOIS"});

    // Deleting the one row shown writes every hidden row back.
    const int it = rowOf(env, "it");
    clickRow(w, it);
    click(w, "Command2");
    QCOMPARE(env.fileRows().size(), defaultRowCount() - 1);
    QCOMPARE(rowOf(env, "it"), -1 + int(env.ctx.registrars.rows().size())); // shipped, at the end
    QVERIFY(visible().isEmpty());
    child<QLineEdit>(w, "txtFilter")->clear();
    QCOMPARE(visible().size(), defaultRowCount() - 1);
}

void TestExtensionSettingsWindow::closeButtonAndEscapeClose() {
    Env env;
    ExtensionSettingsWindow w(env.ctx);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    child<QDialogButtonBox>(w, "buttonBox")->button(QDialogButtonBox::Close)->click();
    QVERIFY(!w.isVisible());
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.activateWindow();
    QTest::keyClick(child<QLineEdit>(w, "txtFilter"), Qt::Key_Escape);
    QVERIFY(!w.isVisible());
}

QTEST_MAIN(TestExtensionSettingsWindow)
#include "tst_extensionsettingswindow.moc"
