// `kestrin check` as a user runs it: the built executable with no display, a registrar table
// pointing at the loopback WHOIS server, names on standard input or in files.

#include "loopbackdnsserver.h"
#include "loopbackwhoisserver.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>

namespace {
constexpr int WaitMs = 60000;

struct Result {
    int status = -1;
    QByteArray out;
    QByteArray err;
};

// RFC 4180 records through Python's csv module when it is there, the standard parser the
// output is meant for; otherwise a plain split (the rows used here have no quoting).
QList<QStringList> parseCsv(const QByteArray &text) {
    const QString python = QStandardPaths::findExecutable("python3");
    if (!python.isEmpty()) {
        QProcess p;
        p.start(python, {"-c", "import csv,sys,json; "
                               "print(json.dumps(list(csv.reader(sys.stdin))))"});
        p.write(text);
        p.closeWriteChannel();
        if (p.waitForFinished(WaitMs) && p.exitCode() == 0) {
            QList<QStringList> rows;
            for (const QVariant &row :
                 QJsonDocument::fromJson(p.readAllStandardOutput()).array().toVariantList())
                rows << row.toStringList();
            return rows;
        }
    }
    QList<QStringList> rows;
    for (const QByteArray &line : text.split('\n'))
        if (!line.isEmpty())
            rows << QString::fromUtf8(line).split(',');
    return rows;
}

QList<QJsonObject> parseJsonLines(const QByteArray &text) {
    QList<QJsonObject> objects;
    for (const QByteArray &line : text.split('\n')) {
        if (line.isEmpty())
            continue;
        QJsonParseError error{};
        const QJsonDocument doc = QJsonDocument::fromJson(line, &error);
        if (error.error != QJsonParseError::NoError || !doc.isObject())
            return {};
        objects << doc.object();
    }
    return objects;
}
} // namespace

class TestCheckCommand : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void standardInputAsCsv();
    void filesAndExtensionsAsJson();
    void textIsAligned();
    void exitStatuses_data();
    void exitStatuses();
    void unknownsGiveStatusThree();
    void helpAndVersion();
    void interruptedRunPrintsEveryRow_data();
    void interruptedRunPrintsEveryRow();
    void closedReaderEndsTheRun();
    void unorderedPrintsEachRowAsDecided();
    void repeatedNameIsAskedOnce();
    void longLineIsRefusedInBoundedMemory();
    void outputCannotRunOrDriveAnything();
    void programFolderIsTouchedOnlyWhenAsked();
    void onlyDomainNamesAreAsked();
    void delegatedNamesAreTakenWithoutTheRegistry();

private:
    void storeSettings(const QByteArray &lines) const;
    Result run(const QStringList &arguments, const QByteArray &input = {},
               const QString &program = {}, const QString &outputFile = {});
    QString writeFile(const QString &name, const QByteArray &content) const;
    QString registrars() const;
    QProcessEnvironment environment() const;

    QString m_program;
    QTemporaryDir m_home;
    std::unique_ptr<LoopbackWhoisServer> m_server;
};

void TestCheckCommand::initTestCase() {
    m_program = qEnvironmentVariable("KESTRIN_PROGRAM_DIR") + "/kestrin";
    QVERIFY2(QFile::exists(m_program), qPrintable(m_program));
}

// The settings the window keeps; DNS first is off so no run asks the machine's resolver.
void TestCheckCommand::storeSettings(const QByteArray &lines) const {
    QDir().mkpath(m_home.filePath("config/Kestrin"));
    writeFile("config/Kestrin/user.ini", "[Kestrin]\n" + lines);
}

void TestCheckCommand::init() {
    storeSettings("Options\\DnsFirst=false\n");
    m_server = std::make_unique<LoopbackWhoisServer>();
    QVERIFY(m_server->start());
    for (const char *name : {"freeword.com", "abcdefghij.com", "free.net", "mid55.com"})
        m_server->replies.insert(name, LoopbackWhoisServer::freeReply());
}

QString TestCheckCommand::writeFile(const QString &name, const QByteArray &content) const {
    const QString path = m_home.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        qWarning("cannot write %s", qPrintable(path));
    return path;
}

QString TestCheckCommand::registrars() const {
    const QByteArray port = QByteArray::number(m_server->port());
    return writeFile("registrars.txt", "com|127.0.0.1|" + port + "|Enabled\r\n" + "net|127.0.0.1|" +
                                           port + "|Enabled\r\n" + "org||43|Enabled\r\n");
}

QProcessEnvironment TestCheckCommand::environment() const {
    // No display of any kind, and settings and data folders of our own.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(name);
    env.insert("HOME", m_home.path());
    env.insert("XDG_CONFIG_HOME", m_home.filePath("config"));
    env.insert("XDG_DATA_HOME", m_home.filePath("data"));
    return env;
}

Result TestCheckCommand::run(const QStringList &arguments, const QByteArray &input,
                             const QString &program, const QString &outputFile) {
    QProcess process;
    process.setProcessEnvironment(environment());
    if (!outputFile.isEmpty())
        process.setStandardOutputFile(outputFile);
    QSignalSpy finished(&process, &QProcess::finished);
    process.start(program.isEmpty() ? m_program : program, arguments);
    process.write(input);
    process.closeWriteChannel();
    // The loopback server lives in this process: wait with the event loop running.
    Result result;
    if (!finished.wait(WaitMs)) {
        process.kill();
        process.waitForFinished();
        return result;
    }
    result.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

void TestCheckCommand::standardInputAsCsv() {
    const Result r = run({"check", "--registrars", registrars(), "--format", "csv"},
                         "# names to try\r\nfreeword\r\n\r\ntaken.com\r\nabcdefghij.com\r\n"
                         "mid55\r\nfree.net\r\n");
    QCOMPARE(r.status, 0);
    QCOMPARE(r.err, QByteArray()); // not a terminal: no progress
    const QList<QStringList> rows = parseCsv(r.out);
    QCOMPARE(rows.size(), 6);
    QCOMPARE(rows.at(0), (QStringList{"name", "verdict", "class", "server", "reason", "ascii"}));
    QCOMPARE(rows.at(1),
             (QStringList{"freeword.com", "free", "low", "127.0.0.1", "", "freeword.com"}));
    QCOMPARE(rows.at(2), (QStringList{"taken.com", "taken", "", "127.0.0.1", "", "taken.com"}));
    QCOMPARE(rows.at(3),
             (QStringList{"abcdefghij.com", "free", "low", "127.0.0.1", "", "abcdefghij.com"}));
    QCOMPARE(rows.at(4), (QStringList{"mid55.com", "free", "mid", "127.0.0.1", "", "mid55.com"}));
    QCOMPARE(rows.at(5), (QStringList{"free.net", "free", "high", "127.0.0.1", "", "free.net"}));
    QCOMPARE(m_server->queries.size(), 5);
}

void TestCheckCommand::filesAndExtensionsAsJson() {
    const QString first = writeFile("first.txt", "freeword\nfree\n");
    const QString second = writeFile("second.txt", "mid55.com\n");
    const Result r = run({"check", "--registrars=" + registrars(), "--format=json", "--ext",
                          "com,net", "--parallel", "1", first, "-", second},
                         "taken\n");
    QCOMPARE(r.status, 0);
    const QList<QJsonObject> rows = parseJsonLines(r.out);
    const QStringList expected = {"freeword.com", "freeword.net", "free.com", "free.net",
                                  "taken.com",    "taken.net",    "mid55.com"};
    QCOMPARE(rows.size(), expected.size());
    for (int i = 0; i < rows.size(); ++i) {
        const QString name = expected.at(i);
        QCOMPARE(rows.at(i)["name"].toString(), name);
        // The server's own verdict: free exactly for the names it answers "No match" for.
        const bool free = m_server->replies.contains(name);
        QCOMPARE(rows.at(i)["verdict"].toString(), free ? QString("free") : QString("taken"));
        QCOMPARE(rows.at(i)["class"].isNull(), !free);
        QCOMPARE(rows.at(i)["server"].toString(), QStringLiteral("127.0.0.1"));
        QVERIFY(rows.at(i)["reason"].isNull());
    }
}

void TestCheckCommand::textIsAligned() {
    const Result r = run({"check", "--registrars", registrars()}, "freeword\nx.net\nmid55\n");
    QCOMPARE(r.status, 0);
    const QList<QByteArray> lines = r.out.trimmed().split('\n');
    QCOMPARE(lines.size(), 3);
    QVERIFY(lines.at(0).startsWith("freeword.com"));
    const qsizetype column = lines.at(0).indexOf("free ");
    QCOMPARE(lines.at(1).indexOf("taken"), column);
    QCOMPARE(lines.at(2).indexOf("free "), column);
    QCOMPARE(lines.at(0).indexOf("127.0.0.1"), lines.at(1).indexOf("127.0.0.1"));
}

void TestCheckCommand::exitStatuses_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message");
    QTest::newRow("unknown option") << QStringList{"--quick"} << 2 << "Try 'kestrin check --help'";
    QTest::newRow("bad format") << QStringList{"--format", "yaml"} << 2 << "not one of text";
    QTest::newRow("parallel out of range") << QStringList{"--parallel", "101"} << 2 << "1 to 100";
    QTest::newRow("missing names file")
        << QStringList{"/no/such/names.txt"} << 1 << "/no/such/names.txt";
    QTest::newRow("names file is a folder") << QStringList{"/"} << 1 << "cannot read /";
    QTest::newRow("missing table")
        << QStringList{"--registrars", "/no/such/registrars.txt"} << 1 << "/no/such/registrars.txt";
    QTest::newRow("missing rules")
        << QStringList{"--rules", "/no/such/rules.txt"} << 1 << "/no/such/rules.txt";
}

void TestCheckCommand::exitStatuses() {
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, message);
    QStringList full = {"check"};
    if (!arguments.contains("--registrars"))
        full << "--registrars" << registrars();
    const Result r = run(full + arguments, "freeword\n");
    QCOMPARE(r.status, status);
    QVERIFY2(r.err.contains(message.toUtf8()), r.err.constData());
    if (status == 2) // the problem and where help is, not the whole help
        QCOMPARE(r.err.count('\n'), 2);
    QVERIFY(r.out.isEmpty());
    QVERIFY(m_server->queries.isEmpty());
}

void TestCheckCommand::unknownsGiveStatusThree() {
    // A row without a server cannot be asked: unknown, with a reason, and status 3; the
    // other names are still checked and printed.
    const Result r = run({"check", "--registrars", registrars(), "--format", "csv"},
                         "nowhere.org\nfreeword\n???\n");
    QCOMPARE(r.status, 3);
    const QList<QStringList> rows = parseCsv(r.out);
    QCOMPARE(rows.size(), 4);
    QCOMPARE(rows.at(1).value(0), QStringLiteral("nowhere.org"));
    QCOMPARE(rows.at(1).value(1), QStringLiteral("unknown"));
    QVERIFY(!rows.at(1).value(4).isEmpty());
    QCOMPARE(rows.at(2).value(1), QStringLiteral("free"));
    QCOMPARE(rows.at(3).value(1), QStringLiteral("unknown"));

    // Results that cannot be written are a failure, whatever the verdicts.
    if (QFileInfo::exists("/dev/full")) {
        const Result full =
            run({"check", "--registrars", registrars()}, "freeword\n", {}, "/dev/full");
        QCOMPARE(full.status, 1);
        QVERIFY(full.err.contains("cannot write"));
    }
}

void TestCheckCommand::interruptedRunPrintsEveryRow_data() {
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGHUP") << int(SIGHUP); // the terminal closed
}

void TestCheckCommand::interruptedRunPrintsEveryRow() {
    // Killed while two names wait on a silent server: the answered name held behind the first
    // is printed, the others are unknown "interrupted", and the status says which signal.
    QFETCH(int, signal);
    m_server->silentNames = {"silent1.com", "silent2.com"};
    QProcess process;
    process.setProcessEnvironment(environment());
    QSignalSpy finished(&process, &QProcess::finished);
    process.start(m_program, {"check", "--registrars", registrars(), "--format", "csv"});
    process.write("silent1\nfreeword\nsilent2\n");
    process.closeWriteChannel();
    QTRY_COMPARE_WITH_TIMEOUT(m_server->queries.size(), 3, WaitMs);
    QTest::qWait(2000); // the free name's reply is on its way back
    QCOMPARE(::kill(pid_t(process.processId()), signal), 0);
    QVERIFY(finished.wait(WaitMs));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 128 + signal);
    const QList<QStringList> rows = parseCsv(process.readAllStandardOutput());
    QCOMPARE(rows.size(), 4);
    QCOMPARE(rows.at(1),
             (QStringList{"silent1.com", "unknown", "", "", "interrupted", "silent1.com"}));
    QCOMPARE(rows.at(2).mid(0, 2), (QStringList{"freeword.com", "free"}));
    QCOMPARE(rows.at(3).value(4), QString("interrupted"));
}

void TestCheckCommand::closedReaderEndsTheRun() {
    // `| head -1` on 600 names: the run stops soon after head goes, and says why.
    m_server->delayMs = 50; // head has gone long before the run could end on its own
    QByteArray names;
    for (int i = 0; i < 600; ++i)
        names += "name" + QByteArray::number(i) + '\n';
    const Result r = run({"-c",
                          "\"$0\" check --registrars \"$1\" | head -1; "
                          "echo \"status ${PIPESTATUS[0]}\" >&2",
                          m_program, registrars()},
                         names, "/bin/bash");
    QCOMPARE(r.out.count('\n'), 1);
    QVERIFY(r.out.startsWith("name0.com"));
    QVERIFY2(r.err.endsWith("status 141\n"), r.err.constData());
    QVERIFY2(m_server->queries.size() < 100, QByteArray::number(m_server->queries.size()));
}

void TestCheckCommand::outputCannotRunOrDriveAnything() {
    // Formula starts and terminal escapes, in names that are looked up and in lines refused.
    const QByteArray input = "=1+2\n-2.5+3+cmd|' /C calc'!A0\n@sum\n+x.com\n"
                             ".\x1b]0;title\x07\n\x1b[2Jfreeword\n\t=x\n.\x9b"
                             "2J\n";
    for (const char *format : {"csv", "text", "json"}) {
        const Result r = run({"check", "--registrars", registrars(), "--format", format}, input);
        QCOMPARE(r.out.count('\n'), format == QByteArray("csv") ? 9 : 8);
        for (const char byte : r.out)
            QVERIFY2((uchar(byte) >= 0x20 && byte != 0x7f) || byte == '\n', format);
        if (format != QByteArray("csv"))
            continue;
        for (const QStringList &row : parseCsv(r.out))
            for (const QString &cell : row)
                QVERIFY2(cell.isEmpty() || !QStringLiteral("=+-@\t\r").contains(cell.front()),
                         qPrintable(cell));
    }
}

void TestCheckCommand::unorderedPrintsEachRowAsDecided() {
    // The free name comes out while the silent one before it is still open.
    m_server->silentNames = {"silent1.com"};
    QProcess process;
    process.setProcessEnvironment(environment());
    QSignalSpy finished(&process, &QProcess::finished);
    process.start(m_program, {"check", "--registrars", registrars(), "--unordered"});
    process.write("silent1\nfreeword\n");
    process.closeWriteChannel();
    QByteArray out;
    QTRY_VERIFY_WITH_TIMEOUT((out += process.readAllStandardOutput()).contains("freeword.com"),
                             WaitMs);
    QVERIFY(!out.contains("silent1"));
    process.terminate();
    QVERIFY(finished.wait(WaitMs));
    out += process.readAllStandardOutput();
    QVERIFY(out.startsWith("freeword.com"));
    QVERIFY(out.contains("silent1.com"));
}

void TestCheckCommand::repeatedNameIsAskedOnce() {
    // Letter case aside, a name is one name: asked once, a row for each line, same verdict.
    const Result r = run({"check", "--registrars", registrars(), "--format", "csv"},
                         "freeword\nx.net\nFreeWord.com\nx.net\nfreeword\n");
    QCOMPARE(r.status, 0);
    const QList<QStringList> rows = parseCsv(r.out);
    QCOMPARE(rows.size(), 6);
    QCOMPARE(rows.at(3).mid(0, 5), (QStringList{"freeword.com", "free", "low", "127.0.0.1", ""}));
    QCOMPARE(rows.at(5), rows.at(1));
    QCOMPARE(rows.at(4), rows.at(2));
    QCOMPARE(m_server->queries.size(), 2);
}

void TestCheckCommand::longLineIsRefusedInBoundedMemory() {
    // A 20 MB line is refused without being held whole, and the next name is checked.
    const QString names = writeFile("long.txt", QByteArray(20 << 20, 'x') + "\nfreeword\n");
    const QString time = "/usr/bin/time";
    const bool measured = QFileInfo(time).isExecutable();
    const QString report = m_home.filePath("time.txt");
    const Result r = measured
                         ? run({"-f", "%M", "-o", report, m_program, "check", "--registrars",
                                registrars(), "--format", "csv", names},
                               {}, time)
                         : run({"check", "--registrars", registrars(), "--format", "csv", names});
    QCOMPARE(r.status, 3);
    const QList<QStringList> rows = parseCsv(r.out);
    QCOMPARE(rows.size(), 3);
    QCOMPARE(rows.at(1).value(4), QStringLiteral("not a domain name"));
    QVERIFY(rows.at(1).value(0).size() < 100);
    QCOMPARE(rows.at(2).mid(0, 2), (QStringList{"freeword.com", "free"}));
    QCOMPARE(m_server->queries.size(), 1);
    if (!measured)
        QSKIP("no /usr/bin/time to measure the peak memory with");
    QFile file(report);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const qint64 peakKb = file.readAll().trimmed().split('\n').last().toLongLong();
    QVERIFY2(peakKb > 0 && peakKb < 200 * 1024, QByteArray::number(peakKb));
}

void TestCheckCommand::helpAndVersion() {
    const Result help = run({"check", "--help"});
    QCOMPARE(help.status, 0);
    for (const char *text : {"--format", "--ext", "--registrars", "--rules", "--parallel",
                             "--file-results", "Exit status"})
        QVERIFY2(help.out.contains(text), text);
    const Result version = run({"--version"});
    QCOMPARE(version.status, 0);
    QVERIFY(version.out.startsWith("Kestrin 1."));
    const Result usage = run({"--help"});
    QCOMPARE(usage.status, 0);
    QVERIFY(usage.out.contains("kestrin check"));
}

void TestCheckCommand::programFolderIsTouchedOnlyWhenAsked() {
    // A program folder of its own: a copy of the executable next to a registrar table.
    QTemporaryDir folder;
    const QString program = folder.filePath("kestrin");
    QVERIFY(QFile::copy(m_program, program));
    QVERIFY(QFile::copy(registrars(), folder.filePath("registrars.txt")));
    const auto listing = [&folder] {
        return QDir(folder.path())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    };
    const QStringList before = listing();

    const Result plain = run({"check"}, "freeword\ntaken\n", program);
    QCOMPARE(plain.status, 0);
    QVERIFY(plain.out.contains("freeword.com"));
    QCOMPARE(listing(), before);
    const QDir config(m_home.filePath("config/Kestrin"));
    QCOMPARE(config.entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"user.ini"});
    QFile settings(config.filePath("user.ini"));
    QVERIFY(settings.open(QIODevice::ReadOnly));
    QCOMPARE(settings.readAll(), QByteArray("[Kestrin]\nOptions\\DnsFirst=false\n"));

    // Filed as a window run files them; the name left unknown goes to the unknown-names file.
    const Result filed = run({"check", "--file-results"},
                             "freeword\ntaken\nnowhere.org\nfreeword\nnowhere.org\n", program);
    QCOMPARE(filed.status, 3);
    const QStringList low = QDir(folder.path()).entryList({"LowProfile*.txt"});
    QCOMPARE(low.size(), 1);
    QFile mirror(folder.filePath(low.first()));
    QVERIFY(mirror.open(QIODevice::ReadOnly));
    QCOMPARE(mirror.readAll(), QByteArray("freeword.com\r\n"));
    const QStringList unknown = QDir(folder.path()).entryList({"Unknown*.txt"});
    QCOMPARE(unknown.size(), 1);
    QFile unknownFile(folder.filePath(unknown.first()));
    QVERIFY(unknownFile.open(QIODevice::ReadOnly));
    const QByteArray unknownLines = unknownFile.readAll();
    QVERIFY(unknownLines.startsWith("nowhere.org\t"));
    QCOMPARE(unknownLines.count('\n'), 1); // filed once, however often it was given
    QVERIFY(filed.err.contains(unknown.first().toUtf8()));
}

void TestCheckCommand::onlyDomainNamesAreAsked() {
    // A registry that calls every name free: only what is not asked can stay unknown.
    m_server->defaultReply = LoopbackWhoisServer::freeReply();
    const QByteArray malformed[] = {"foo..com",   "a.b c",         QByteArray(64, 'a') + ".com",
                                    "xn--zz.com", "kestrin_x.com", "free.zzzz-not-delegated"};
    QByteArray input;
    for (const QByteArray &line : malformed)
        input += line + "\n";
    input += "http://freeword.com/about\nfreeword.com:8080\nFA\xc3\x9f.com\np\xd0\xb0ypal.com\n";
    const Result r = run({"check", "--registrars", registrars(), "--format", "csv"}, input);
    const QList<QStringList> rows = parseCsv(r.out);
    QCOMPARE(rows.size(), 1 + int(std::size(malformed)) + 4);
    for (int i = 1; i <= int(std::size(malformed)); ++i) {
        QCOMPARE(rows.at(i).value(1), QString("unknown"));
        QVERIFY2(rows.at(i).value(4).startsWith("not a domain name: "),
                 qPrintable(rows.at(i).join('|')));
        QCOMPARE(rows.at(i).value(5), QString());
    }
    const int first = 1 + int(std::size(malformed));
    QCOMPARE(rows.at(first).mid(0, 2), (QStringList{"freeword.com", "free"}));
    QCOMPARE(rows.at(first + 1).mid(0, 2), (QStringList{"freeword.com", "free"}));
    // Non-transitional: the sharp s is asked as itself, and filed under the name asked.
    QCOMPARE(rows.at(first + 2).value(0), QString::fromUtf8("fa\xc3\x9f.com"));
    QCOMPARE(rows.at(first + 2).value(5), QString("xn--fa-hia.com"));
    // A look-alike shows in the last column.
    QCOMPARE(rows.at(first + 3).value(5), QString("xn--pypal-4ve.com"));
    // The URL and the host with a port are one name: asked once.
    QCOMPARE(m_server->queries,
             (QByteArrayList{"freeword.com", "xn--fa-hia.com", "xn--pypal-4ve.com"}));
}

// --dns names the resolver (and turns DNS first on over the stored "off"); the stored server is
// used without it; --no-dns and a malformed address are handled before anything is asked.
void TestCheckCommand::delegatedNamesAreTakenWithoutTheRegistry() {
    LoopbackDnsServer dns;
    QVERIFY(dns.start());
    dns.delegated = {"taken.com"};
    dns.withoutNs = {"held.com"};
    const QByteArray input = "taken\nfreeword\nheld\n";
    const QStringList check{"check", "--registrars", registrars(), "--format", "csv"};

    const Result r = run(check + QStringList{"--dns", dns.address()}, input);
    QCOMPARE(r.status, 0);
    const QList<QStringList> rows = parseCsv(r.out);
    QCOMPARE(rows.size(), 4);
    QCOMPARE(rows.at(1), (QStringList{"taken.com", "taken", "", "dns", "delegated", "taken.com"}));
    QCOMPARE(rows.at(2).mid(0, 2), (QStringList{"freeword.com", "free"}));
    QCOMPARE(rows.at(3).mid(0, 4), (QStringList{"held.com", "taken", "", "127.0.0.1"}));
    QCOMPARE(m_server->queries, (QByteArrayList{"freeword.com", "held.com"}));
    QCOMPARE(dns.queries.size(), 3);

    storeSettings("Options\\DnsServer=" + dns.address().toLatin1() + "\n");
    m_server->queries.clear();
    QCOMPARE(run(check, input).status, 0);
    QCOMPARE(dns.queries.size(), 6);
    QCOMPARE(m_server->queries.size(), 2);
    QCOMPARE(run(check + QStringList{"--no-dns"}, input).status, 0);
    QCOMPARE(dns.queries.size(), 6);
    QCOMPARE(m_server->queries.size(), 5);

    for (const QStringList &bad :
         {QStringList{"--dns", "dns.example"}, QStringList{"--dns=127.0.0.1:99999"},
          QStringList{"--dns", dns.address(), "--no-dns"}}) {
        const Result refused = run(check + bad, input);
        QCOMPARE(refused.status, 2);
        QVERIFY2(refused.err.contains("--dns"), refused.err.constData());
    }
    QCOMPARE(dns.queries.size(), 6);
}

QTEST_GUILESS_MAIN(TestCheckCommand)
#include "tst_checkcommand.moc"
