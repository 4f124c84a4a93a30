#include "app/mainwindow.h"
#include "session/searchdriver.h"
#include "session/searchsession.h"
#include "core/namelistmodel.h"
#include "core/resultlists.h"
#include "generator/generatorwindow.h"
#include "loopbackwhoisserver.h"
#include "testcontext.h"
#include "whois/lookuppool.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>
#include <memory>

namespace {
const int GenerateType = SearchTypes::index(SearchType::Generate);

// A started main window over a temporary program folder whose "Generate names" selection
// opens the real generator window.
struct Env : TestContext {
    std::unique_ptr<SearchSession> session;
    std::unique_ptr<MainWindow> main;

    explicit Env(int tickMs = 10)
        : TestContext(tickMs) {
        ctx.userStore->write("Kestrin", "Settings", "showHelp", "0");
    }
    ~Env() { main.reset(); }
    void start() {
        session = std::make_unique<SearchSession>(ctx);
        main = std::make_unique<MainWindow>(*session);
        main->windows().setFactory(WindowId::Generator,
                                   [this] { return new GeneratorWindow(*session); });
        main->load();
    }
    GeneratorWindow &open() {
        if (!main)
            start();
        main->selectSearchType(GenerateType);
        auto *w = qobject_cast<GeneratorWindow *>(main->windows().window(WindowId::Generator));
        if (!w)
            qFatal("the generator window did not open");
        return *w;
    }
    void setMachine(const QString &key, const QString &value) { setMachineSetting(key, value); }
    QString wordMax() const { return main->findChild<QLineEdit *>("txtWordMax")->text(); }
};

template <typename T> T *child(QWidget &w, const QString &name) {
    T *c = w.findChild<T *>(name);
    if (!c)
        qFatal("missing control %s", qPrintable(name));
    return c;
}

QString text(QWidget &w, const char *name) {
    return child<QLineEdit>(w, name)->text();
}

// Only .com and .net, all joining options, base word and words as given.
void prepare(GeneratorWindow &w, const QString &base) {
    for (int i = 2; i < 9; ++i)
        child<QCheckBox>(w, QStringLiteral("chkExt%1").arg(i))->setChecked(false);
    child<QLineEdit>(w, "Text1")->setText(base);
}

int run(GeneratorWindow &w) {
    QSignalSpy finished(&w, &GeneratorWindow::finished);
    QTest::mouseClick(child<QPushButton>(w, "Command1"), Qt::LeftButton);
    if (finished.isEmpty() && !finished.wait(20000))
        return -1;
    return finished.first().first().toInt();
}
} // namespace

class TestGeneratorWindow : public QObject {
    Q_OBJECT
private slots:
    void firstOpenDefaults();
    void optionsSurviveReopening();
    void addAndRemoveWords();
    void saveDomainsAs();
    void fileFailuresAreShown();
    void runFillsListFileAndMainWindow();
    void laterRunsSearchFromTheirFirstName();
    void runsThatMakeNoNames_data();
    void runsThatMakeNoNames();
    void missingAppendsFile();
    void runYieldsAndStopsWhenClosed();
    void generatedNamesAreLookedUpOnce();
};

void TestGeneratorWindow::firstOpenDefaults() {
    Env env;
    GeneratorWindow &w = env.open();
    QCOMPARE(w.windowTitle(), QStringLiteral("Domain Name Creator"));
    for (int i = 0; i < 9; ++i)
        QVERIFY(child<QCheckBox>(w, QStringLiteral("chkExt%1").arg(i))->isChecked());
    QCOMPARE(child<QCheckBox>(w, "chkExt8")->text(), QStringLiteral("Custom Extension:"));
    for (int i = 0; i < 3; ++i)
        QVERIFY(child<QCheckBox>(w, QStringLiteral("chkAdd%1").arg(i))->isChecked());
    QCOMPARE(text(w, "Text1"), QString());
    QCOMPARE(text(w, "txtCustom"), QStringLiteral(".co.uk"));
    QCOMPARE(text(w, "txtStatus"), QStringLiteral("Status..."));
    QCOMPARE(child<QPushButton>(w, "Command1")->toolTip(),
             QStringLiteral("Once you have a base word, click here to create your list!"));
    QVERIFY(child<QListView>(w, "List1")->uniformItemSizes());
    QCOMPARE(child<QListWidget>(w, "List2")->count(), 0); // start-up's file holds one empty line
}

void TestGeneratorWindow::optionsSurviveReopening() {
    Env env;
    env.setMachine("chkExt5", "garbage");
    {
        GeneratorWindow &w = env.open();
        QVERIFY(child<QCheckBox>(w, "chkExt5")->isChecked());
        child<QCheckBox>(w, "chkExt3")->click();
        child<QCheckBox>(w, "chkAdd2")->click();
        QTest::keyClicks(child<QLineEdit>(w, "Text1"), "Big Blue");
        child<QLineEdit>(w, "txtCustom")->setText(".de");
        w.close();
    }
    QTRY_VERIFY(!env.main->windows().window(WindowId::Generator));
    GeneratorWindow &w = env.open();
    QVERIFY(!child<QCheckBox>(w, "chkExt3")->isChecked());
    QVERIFY(!child<QCheckBox>(w, "chkAdd2")->isChecked());
    QVERIFY(child<QCheckBox>(w, "chkExt4")->isChecked());
    QCOMPARE(text(w, "Text1"), QStringLiteral("Big Blue"));
    QCOMPARE(text(w, "txtCustom"), QStringLiteral(".de"));
}

void TestGeneratorWindow::addAndRemoveWords() {
    Env env;
    GeneratorWindow &w = env.open();
    auto *list = child<QListWidget>(w, "List2");
    auto *word = child<QLineEdit>(w, "Text2");
    QTest::mouseClick(child<QPushButton>(w, "cmdSub"), Qt::LeftButton);
    QCOMPARE(env.desktop.messageTexts(),
             QStringList{"You must first select an item to remove from the list."});

    for (const char *typed : {"alpha", "beta", "alpha"}) {
        QTest::keyClicks(word, typed);
        QTest::keyClick(word, Qt::Key_Return);
    }
    QCOMPARE(word->text(), QString());
    QCOMPARE(list->count(), 3);
    list->setCurrentRow(2);
    QTest::mouseClick(child<QPushButton>(w, "cmdSub"), Qt::LeftButton);
    // Both lines leave the file; the list keeps the other entry until reopened.
    QCOMPARE(env.tmp.readFile("Appends.txt"), QByteArray("\r\nbeta\r\n\r\n"));
    QCOMPARE(list->count(), 2);
    QCOMPARE(list->item(0)->text(), QStringLiteral("alpha"));
    QCOMPARE(env.desktop.messages.size(), 1);
}

void TestGeneratorWindow::saveDomainsAs() {
    Env env;
    GeneratorWindow &w = env.open();
    env.tmp.writeFile("CreatedDomains.txt", "a.com\r\n\r\n");
    child<QLineEdit>(w, "Text1")->setText("base");
    auto *save = child<QPushButton>(w, "Command2");
    QTest::mouseClick(save, Qt::LeftButton); // cancelled: nothing copied
    QCOMPARE(env.desktop.dialogFolders.value(0),
             env.tmp.folder().path("\\CustomLists") + "/base.txt");
    QVERIFY(QDir(env.tmp.path("\\CustomLists")).isEmpty());
    QVERIFY(!QFile::exists(env.tmp.root() + "/base.txt"));

    const QString target = env.tmp.path("\\CustomLists") + "/mine.txt";
    env.desktop.fileAnswers << target;
    QTest::mouseClick(save, Qt::LeftButton);
    QFile copy(target);
    QVERIFY(copy.open(QIODevice::ReadOnly));
    QCOMPARE(copy.readAll(), QByteArray("a.com\r\n\r\n"));
}

void TestGeneratorWindow::fileFailuresAreShown() {
    // Appends.txt and the chosen target are folders: nothing can be written (even as root).
    Env env;
    GeneratorWindow &w = env.open();
    auto *list = child<QListWidget>(w, "List2");
    QFile::remove(env.tmp.path("\\Appends.txt"));
    QVERIFY(QDir().mkpath(env.tmp.root() + "/Appends.txt"));
    auto *word = child<QLineEdit>(w, "Text2");
    QTest::keyClicks(word, "alpha");
    QTest::keyClick(word, Qt::Key_Return);
    // The word the file did not take is neither listed nor lost from the box.
    QCOMPARE(list->count(), 0);
    QCOMPARE(word->text(), QStringLiteral("alpha"));
    QCOMPARE(env.desktop.messages.size(), 1);
    QVERIFY2(env.desktop.messages.at(0).text.startsWith("Could not append to"),
             qPrintable(env.desktop.messages.at(0).text));
    QVERIFY(env.desktop.messages.at(0).text.contains("Appends.txt"));

    env.tmp.writeFile("CreatedDomains.txt", "a.com\r\n");
    const QString target = env.tmp.root() + "/taken";
    QVERIFY(QDir().mkpath(target));
    env.desktop.fileAnswers << target;
    QTest::mouseClick(child<QPushButton>(w, "Command2"), Qt::LeftButton);
    QCOMPARE(env.desktop.messages.size(), 2);
    QVERIFY2(env.desktop.messages.at(1).text.startsWith("Could not copy"),
             qPrintable(env.desktop.messages.at(1).text));
    QVERIFY(env.desktop.messages.at(1).text.contains("taken"));
}

void TestGeneratorWindow::runFillsListFileAndMainWindow() {
    Env env;
    env.tmp.writeFile("Appends.txt", "\r\nmy hat\r\n \r\nW2\r\n");
    GeneratorWindow &w = env.open();
    prepare(w, "Big Blue");
    QCOMPARE(run(w), 16);
    const QStringList names = w.generated().names();
    QCOMPARE(names.size(), 16);
    QCOMPARE(names.first(), QStringLiteral("myhatBigBlue.com"));
    QCOMPARE(names.at(7), QStringLiteral("BigBlue-myhat.net"));
    QCOMPARE(names.last(), QStringLiteral("BigBlue-W2.net"));
    QCOMPARE(env.tmp.readFile("CreatedDomains.txt"),
             NameGenerator::createdDomainsText(names).toLatin1());
    QCOMPARE(env.wordMax(), QStringLiteral("16"));
    QCOMPARE(text(w, "txtStatus"), QStringLiteral("Created 16 domains...  Search Started"));
    QVERIFY(child<QPushButton>(w, "Command1")->isEnabled());
    QVERIFY(child<QLineEdit>(w, "Text1")->isEnabled());

    // A second run replaces the first one's names everywhere.
    env.main->stop();
    child<QCheckBox>(w, "chkAdd2")->setChecked(false);
    QCOMPARE(run(w), 8);
    QCOMPARE(w.generated().count(), 8);
    QCOMPARE(env.tmp.readFile("CreatedDomains.txt").count("\r\n\r\n"), 8);
    QCOMPARE(env.wordMax(), QStringLiteral("8"));
}

void TestGeneratorWindow::laterRunsSearchFromTheirFirstName() {
    Env env;
    env.tmp.writeFile("Appends.txt", "w\r\n");
    env.ctx.userStore->write("Orvane", "Settings", "CustWordNum", "5");
    GeneratorWindow &w = env.open();
    QCOMPARE(run(w), 36);
    // A stopped generated search shows the stored custom position in the start field.
    env.main->stop();
    QCOMPARE(text(*env.main, "txtWordNum"), QStringLiteral("5"));
    QCOMPARE(run(w), 36);
    QCOMPARE(text(*env.main, "txtWordNum"), QStringLiteral("1"));

    // Another search type chosen while the generator stays open.
    env.main->stop();
    env.main->selectSearchType(4);
    QCOMPARE(run(w), 36);
    QCOMPARE(env.session->listPath(), env.tmp.path("\\CreatedDomains.txt"));
    QCOMPARE(env.session->type(), SearchType::Generate);
    QCOMPARE(child<QComboBox>(*env.main, "Combo1")->currentText(),
             QStringLiteral("Generate names"));
    QCOMPARE(text(*env.main, "txtWordNum"), QStringLiteral("1"));
    QCOMPARE(env.wordMax(), QStringLiteral("36"));
}

void TestGeneratorWindow::runsThatMakeNoNames_data() {
    QTest::addColumn<QStringList>("cleared");
    QTest::newRow("no joining option") << QStringList{"chkAdd0", "chkAdd1", "chkAdd2"};
    QTest::newRow("hyphens alone") << QStringList{"chkAdd0", "chkAdd1"};
    QTest::newRow("no extension") << QStringList{"chkExt0", "chkExt1"};
}

void TestGeneratorWindow::runsThatMakeNoNames() {
    QFETCH(QStringList, cleared);
    Env env;
    env.tmp.writeFile("Appends.txt", "w\r\n");
    env.tmp.writeFile("CreatedDomains.txt", "old.com\r\n");
    GeneratorWindow &w = env.open();
    prepare(w, "b");
    for (const QString &name : cleared)
        child<QCheckBox>(w, name)->setChecked(false);
    QCOMPARE(run(w), 0);
    QCOMPARE(w.generated().count(), 0);
    QCOMPARE(env.tmp.readFile("CreatedDomains.txt"), QByteArray());
    QCOMPARE(env.wordMax(), QStringLiteral("0"));
    QCOMPARE(text(w, "txtStatus"), QStringLiteral("Created 0 domains...  Search Started"));
}

void TestGeneratorWindow::missingAppendsFile() {
    Env env;
    env.tmp.writeFile("Appends.txt", "w\r\n");
    GeneratorWindow &w = env.open();
    QCOMPARE(run(w), 36); // leaves names in the list
    QFile::remove(env.tmp.path("\\Appends.txt"));
    env.main->stop();
    QSignalSpy finished(&w, &GeneratorWindow::finished);
    QTest::mouseClick(child<QPushButton>(w, "Command1"), Qt::LeftButton);
    QVERIFY(QFile::exists(env.tmp.path("\\Appends.txt")));
    QCOMPARE(env.tmp.readFile("Appends.txt"), QByteArray());
    QCOMPARE(w.generated().count(), 0);
    QVERIFY(text(w, "txtStatus").contains("Appends.txt"));
    QVERIFY(child<QPushButton>(w, "Command1")->isEnabled());
    QVERIFY(finished.isEmpty());
}

void TestGeneratorWindow::runYieldsAndStopsWhenClosed() {
    Env env;
    QByteArray words;
    for (int i = 0; i < 3000; ++i)
        words += "w" + QByteArray::number(i) + "\r\n";
    env.tmp.writeFile("Appends.txt", words);
    GeneratorWindow &w = env.open();
    prepare(w, "b");
    child<QCheckBox>(w, "chkExt1")->setChecked(false);
    child<QCheckBox>(w, "chkAdd2")->setChecked(false);
    child<QCheckBox>(w, "chkAdd0")->setChecked(false);
    w.setChunkMs(0);

    const QString wordMaxBefore = env.wordMax();
    QPointer<GeneratorWindow> window(&w);
    QSignalSpy finished(&w, &GeneratorWindow::finished);
    QTest::mouseClick(child<QPushButton>(w, "Command1"), Qt::LeftButton);
    // The first piece has ended at a progress report and handed the event loop back.
    QVERIFY(w.running());
    QCOMPARE(w.generated().count(), 1000);
    QCOMPARE(text(w, "txtStatus"), QStringLiteral("Creating Domains - Created 1000 so far..."));
    for (const char *input : {"Command1", "Command2", "cmdAdd", "cmdSub"})
        QVERIFY(!child<QPushButton>(w, input)->isEnabled());
    QVERIFY(!child<QLineEdit>(w, "Text1")->isEnabled());
    QVERIFY(!child<QCheckBox>(w, "chkExt0")->isEnabled());
    QVERIFY(child<QListView>(w, "List1")->isEnabled());

    w.close();
    QTRY_VERIFY(window.isNull());
    QTest::qWait(50);
    QVERIFY(finished.isEmpty());
    QCOMPARE(env.wordMax(), wordMaxBefore);
}

void TestGeneratorWindow::generatedNamesAreLookedUpOnce() {
    Env env(100);
    LoopbackWhoisServer server;
    QVERIFY(server.start());
    const QByteArray port = QByteArray::number(server.port());
    env.tmp.writeFile("registrars.txt", "proxy|127.0.0.1|" + port + "|Enabled\r\ncom|127.0.0.1|" +
                                            port + "|Enabled\r\n");
    QByteArray words;
    for (int i = 0; i < 30; ++i)
        words += "word" + QByteArray::number(i) + "\r\n";
    env.tmp.writeFile("Appends.txt", words);
    GeneratorWindow &w = env.open();
    for (int i = 1; i < 9; ++i)
        child<QCheckBox>(w, QStringLiteral("chkExt%1").arg(i))->setChecked(false);
    child<QCheckBox>(w, "chkAdd2")->setChecked(false);
    child<QLineEdit>(w, "Text1")->setText("kestrin");

    QSignalSpy stopped(&env.session->driver(), &SearchDriver::stopped);
    QCOMPARE(run(w), 60);
    QVERIFY(stopped.wait(60000));
    QStringList queried;
    for (const QByteArray &q : std::as_const(server.queries))
        queried << QString::fromLatin1(q);
    queried.sort();
    QStringList generated = w.generated().names();
    generated.sort();
    QCOMPARE(queried, generated);
    QCOMPARE(env.session->lists().counter(ResultLists::Registered), 60);
}

QTEST_MAIN(TestGeneratorWindow)
#include "tst_generatorwindow.moc"
