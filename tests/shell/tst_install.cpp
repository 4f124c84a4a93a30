#include "core/programfolder.h"

#include <QCoreApplication>
#include <QDirIterator>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>
#include <unistd.h>

namespace {
void writeFile(const QString &path, const QByteArray &content) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(content);
}

QByteArray readFile(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Every file under `root` with its size and time, to see that nothing in it changed.
QStringList snapshot(const QString &root) {
    QStringList entries;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        const QFileInfo info = it.fileInfo();
        entries << info.filePath() + QLatin1Char(' ') + QString::number(info.size()) +
                       QLatin1Char(' ') + info.lastModified().toString(Qt::ISODateWithMs);
    }
    entries.sort();
    return entries;
}
} // namespace

class TestInstall : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void installedProgramWorksInThePerUserFolder();
    void installedKestrinStartsAndKeepsItsData_data();
    void installedKestrinStartsAndKeepsItsData();
};

void TestInstall::initTestCase() {
    QCoreApplication::setOrganizationName(QStringLiteral("Kestrin Tests"));
    QCoreApplication::setApplicationName(QStringLiteral("tst_install"));
    QStandardPaths::setTestModeEnabled(true);
}

void TestInstall::installedProgramWorksInThePerUserFolder() {
    QTemporaryDir exe;
    QTemporaryDir data;
    writeFile(data.filePath("wordlists/AllTwoLetter.txt"), "aa\r\nab\r\n");
    writeFile(data.filePath("wordlists/AllFourLetter.txt"), "aaaa\r\n");
    writeFile(data.filePath("Help.chm"), "ITSF");
    writeFile(data.filePath("BrowseStart.html"), "<html></html>");
    const QString userDir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir(userDir).removeRecursively();
    // The user's own copy of a file wins over the installed one.
    writeFile(userDir + "/wordlists/AllTwoLetter.txt", "zz\r\n");

    // Installed: the per-user folder, even though the executable's folder is writable; the
    // files that are only read stay where the package put them, in either way of opening it.
    for (const bool readOnly : {false, true}) {
        const ProgramFolder folder = readOnly
                                         ? ProgramFolder::locate(exe.path(), data.path())
                                         : ProgramFolder::forApplication(exe.path(), data.path());
        QCOMPARE(folder.root(), QDir::cleanPath(userDir));
        QCOMPARE(folder.helpFile(), QDir::cleanPath(data.filePath("Help.chm")));
        QCOMPARE(folder.startPage(), QDir::cleanPath(data.filePath("BrowseStart.html")));
        QCOMPARE(readFile(folder.wordList(SearchType::FourLetterList)), QByteArray("aaaa\r\n"));
        QCOMPARE(readFile(folder.wordList(SearchType::TwoLetterList)), QByteArray("zz\r\n"));
        // A list neither folder has is looked for in the user's folder, as before.
        QCOMPARE(folder.wordList(SearchType::ThreeLetterList),
                 QDir::cleanPath(userDir) + "/wordlists/AllThreeLetter.txt");
    }
    QVERIFY(!QFileInfo::exists(userDir + "/Help.chm"));
    QVERIFY(!QFileInfo::exists(userDir + "/wordlists/AllFourLetter.txt"));

    // Not installed (no data folder): the executable's own folder.
    QCOMPARE(ProgramFolder::forApplication(exe.path(), exe.path() + "/none").root(),
             QDir::cleanPath(exe.path()));
    QDir(userDir).removeRecursively();
}

void TestInstall::installedKestrinStartsAndKeepsItsData_data() {
    QTest::addColumn<QString>("user");
    QTest::newRow("normal user") << "nobody";
    QTest::newRow("administrator") << "root";
}

void TestInstall::installedKestrinStartsAndKeepsItsData() {
    QFETCH(QString, user);
    if (geteuid() != 0)
        QSKIP("installing and switching users needs root");
    const QString build = QStringLiteral(KESTRIN_BINARY_DIR);
    if (!QFileInfo::exists(build + "/program/kestrin"))
        QSKIP("the kestrin executable is not built");
    const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
    if (setpriv.isEmpty())
        QSKIP("setpriv is missing");

    QTemporaryDir prefix;
    QTemporaryDir home;
    QVERIFY(prefix.isValid() && home.isValid());
    // Readable by everyone, writable by root only: a read-only program folder for the user.
    chmod(qPrintable(prefix.path()), 0755);
    chmod(qPrintable(home.path()), 0755);

    QProcess install;
    install.start(QStringLiteral(KESTRIN_CMAKE), {"--install", build, "--prefix", prefix.path()});
    QVERIFY(install.waitForFinished(120000));
    QVERIFY2(install.exitCode() == 0, install.readAllStandardError().constData());
    const QString launcher = prefix.path() + "/bin/kestrin";
    QVERIFY(QFileInfo(launcher).isExecutable());
    for (const char *file :
         {"share/applications/example.kestrin.Kestrin.desktop",
          "share/metainfo/example.kestrin.Kestrin.metainfo.xml",
          "share/icons/hicolor/scalable/apps/example.kestrin.Kestrin.svg",
          "share/man/man1/kestrin.1.gz", "share/bash-completion/completions/kestrin",
          "share/kestrin/BrowseStart.html", "share/kestrin/wordlists/AllTwoLetter.txt"})
        QVERIFY2(QFileInfo::exists(prefix.path() + "/" + file), file);
    const bool helpBuilt = QFileInfo::exists(build + "/program/Help.chm");
    if (helpBuilt)
        QVERIFY(QFileInfo::exists(prefix.path() + "/share/kestrin/Help.chm"));
    const QStringList installed = snapshot(prefix.path());

    QStringList command{launcher};
    if (user != QLatin1String("root")) {
        QVERIFY(QProcess::execute("chown", {user, home.path()}) == 0);
        command = QStringList{"--reuid=" + user, "--regid=nogroup", "--clear-groups"} + command;
    }
    QProcessEnvironment env;
    env.insert("HOME", home.path());
    env.insert("PATH", "/usr/local/bin:/usr/bin:/bin");
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("KESTRIN_QUIT_AFTER_MS", "3000");
    QProcess run;
    run.setProcessEnvironment(env);
    run.setWorkingDirectory(home.path());
    if (user == QLatin1String("root"))
        run.start(launcher, {});
    else
        run.start(setpriv, command);
    QVERIFY(run.waitForFinished(120000));
    const QByteArray errors = run.readAllStandardError();
    QVERIFY2(run.exitStatus() == QProcess::NormalExit && run.exitCode() == 0, errors.constData());

    // The program's files are in the user's data folder; what it only reads (word lists,
    // help) stays in the installed tree.
    const QString data = home.path() + "/.local/share/Kestrin Software/Kestrin";
    for (const char *file : {"registrars.txt", "Remembered.txt", "BrowserSearch.txt"})
        QVERIFY2(QFileInfo::exists(data + "/" + file), file);
    QVERIFY(!QFileInfo::exists(data + "/wordlists/AllTwoLetter.txt"));
    QVERIFY(!QFileInfo::exists(data + "/Help.chm"));
    QVERIFY(QFileInfo::exists(home.path() + "/.config/Kestrin/user.ini"));
    // ...and nothing in the installed tree changed.
    QCOMPARE(snapshot(prefix.path()), installed);
}

QTEST_GUILESS_MAIN(TestInstall)
#include "tst_install.moc"
