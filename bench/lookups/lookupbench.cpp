// Lookup benchmark: the same names checked against the same loopback WHOIS server (a separate
// process) by (a) the real main window running a Full Word List search (a child process, so its
// peak memory is its own), (b) Kestrin's lookup pool and search driver alone, (c) a Python
// asyncio client keeping 25 connections busy and (d) Debian's whois client run 25 at a time
// through xargs. Prints lookups per second, CPU seconds and peak memory, and their ratios.

#include "session/searchdriver.h"
#include "benchrule.h"
#include "quietdesktop.h"
#include "core/desktop.h"
#include "core/filehelpers.h"
#include "core/listfile.h"
#include "core/programfolder.h"
#include "core/resultlists.h"
#include "core/searchtype.h"
#include "core/settingsstore.h"
#include "core/timing.h"
#include "whois/lookuppool.h"
#include "whois/registrartable.h"
#include "whois/replyrules.h"

#ifdef KESTRIN_BENCH_WINDOW
#include "windowrun.h"

#include <QApplication>
#endif

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <sys/resource.h>
#include <unistd.h>

namespace {
constexpr int Parallel = 25;

struct Figures {
    int lookups = 0;
    double seconds = 0;
    double cpu = 0;
    double peakMb = 0;
    bool finished = false;
    double rate() const { return seconds > 0 ? lookups / seconds : 0; }
};

rusage usage(int who) {
    rusage u{};
    getrusage(who, &u);
    return u;
}

double cpuSeconds(const rusage &u) {
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

QStringList freeNames(const QStringList &names) {
    QStringList result;
    for (const QString &n : names)
        if (BenchRule::isFree(n.toLatin1()))
            result << n;
    result.sort();
    return result;
}

// (a) Kestrin: a search run over `listPath` with the real pool, driver and result lists.
// `names` (the list's entries) is empty when the list is too long to keep a copy of here.
Figures runKestrin(quint16 port, const QString &listPath, const QStringList &names, int count,
                   int timeoutS, bool useRules) {
    QTemporaryDir dir;
    const ProgramFolder folder(dir.path());
    IniSettingsStore store(dir.path() + QStringLiteral("/user.ini"));
    ResultLists lists(folder);
    RegistrarTable table;
    table.setRows({RegistrarEntry{"com", "127.0.0.1", quint16(port), true}});
    const WhoisOptions options;
    const Timing timing;
    QuietDesktop desktop;
    LookupPool pool(timing);
    // The shipped reply rules, as the main window reads replies (--no-rules: the five phrases).
    ReplyRules rules;
    rules.loadText(ReplyRules::defaultText(), QStringLiteral("replyrules.txt"));
    if (useRules)
        pool.setReplyRules(&rules);
    SearchDriver driver(pool, table, options, store, desktop, timing);
    driver.setResultLists(&lists);
    driver.setPositionKey(SearchTypes::positionKey(SearchType::CustomList));
    driver.setListPath(listPath);

    Figures f;
    int overflows = 0;
    QObject::connect(&pool, &LookupPool::lookupEnded, [&f] { ++f.lookups; });
    QObject::connect(&driver, &SearchDriver::stopped, [&driver] {
        if (!driver.unknownOutcomes().isEmpty())
            std::printf("  %d lookups ended unknown\n", int(driver.unknownOutcomes().size()));
    });
    QObject::connect(&driver, &SearchDriver::overflowed, [&overflows] { ++overflows; });
    QEventLoop loop;
    QObject::connect(&driver, &SearchDriver::stopped, &loop, &QEventLoop::quit);
    QTimer::singleShot(timeoutS * 1000, &loop, &QEventLoop::quit);

    const double cpu0 = cpuSeconds(usage(RUSAGE_SELF));
    QElapsedTimer clock;
    clock.start();
    driver.start(1, count);
    if (!driver.halted())
        loop.exec();
    f.seconds = clock.nsecsElapsed() / 1e9;
    f.finished = driver.halted();
    driver.stop();
    const rusage after = usage(RUSAGE_SELF);
    f.cpu = cpuSeconds(after) - cpu0;
    f.peakMb = after.ru_maxrss / 1024.0;

    if (overflows > 0 || names.isEmpty()) {
        std::printf("  check: %d overflow dump(s); %d lookups ended\n", overflows, f.lookups);
        return f;
    }
    // The mirror files must hold exactly the names the server called free.
    QStringList mirrored;
    for (const QString &path : lists.mirrorFilePaths())
        for (const QString &line : TextFile::readLines(path).valueOr({}))
            if (!line.isEmpty())
                mirrored << line;
    mirrored.sort();
    const QStringList expected = freeNames(names);
    int filed = 0;
    for (int k : {ResultLists::High, ResultLists::Mid, ResultLists::Low, ResultLists::Registered})
        filed += lists.counter(k);
    std::printf("  check: Kestrin filed %d of %d names; mirror files hold %d free names, %s\n",
                filed, int(names.size()), int(mirrored.size()),
                mirrored == expected ? "exactly the expected ones" : "NOT the expected ones");
    return f;
}

// `kestrin check`: the executable itself over the same names, with a registrar table that sends
// .com to the benchmark server. Its peak memory is taken by /usr/bin/time, as for whois.
Figures runCheckCommand(quint16 port, const QString &listPath, const QStringList &names,
                        int timeoutS) {
    QTemporaryDir dir;
    const QString table = dir.filePath(QStringLiteral("registrars.txt"));
    (void)TextFile::writeLines(table, {QStringLiteral("com|127.0.0.1|%1|Enabled").arg(port)});
    const QString program = QStringLiteral(KESTRIN_PROGRAM_DIR "/kestrin");
    // The registry path only: there is no DNS to ask on loopback.
    QStringList arguments = {program,  "check", "--no-dns", "--registrars",
                             table,    "--format", "csv",   listPath};
    const QString timeTool = QStringLiteral("/usr/bin/time");
    const bool timed = QFile::exists(timeTool);
    QProcess check;
    if (timed) {
        arguments = QStringList{"-f", "peak-kb %M"} + arguments;
        check.setProgram(timeTool);
    } else {
        check.setProgram(arguments.takeFirst());
    }
    check.setArguments(arguments);
    check.setStandardOutputFile(dir.filePath(QStringLiteral("out.csv")));
    const rusage before = usage(RUSAGE_CHILDREN);
    QElapsedTimer clock;
    clock.start();
    check.start();
    Figures f;
    f.finished = check.waitForFinished(timeoutS * 1000);
    if (!f.finished) {
        check.kill();
        check.waitForFinished();
    }
    f.seconds = clock.nsecsElapsed() / 1e9;
    f.cpu = cpuSeconds(usage(RUSAGE_CHILDREN)) - cpuSeconds(before);
    const QByteArray err = check.readAllStandardError();
    const qsizetype at = err.lastIndexOf("peak-kb ");
    f.peakMb = at >= 0 ? err.mid(at + 8).trimmed().toDouble() / 1024.0 : 0;
    QStringList free;
    const QStringList lines =
        TextFile::readLines(dir.filePath(QStringLiteral("out.csv"))).valueOr({});
    for (const QString &line : lines.mid(1)) {
        ++f.lookups;
        if (line.section(QLatin1Char(','), 1, 1) == QLatin1String("free"))
            free << line.section(QLatin1Char(','), 0, 0);
    }
    free.sort();
    std::printf("  check: kestrin check printed %d rows (exit status %d), %d free, %s\n", f.lookups,
                check.exitCode(), int(free.size()),
                names.isEmpty() || free == freeNames(names) ? "exactly the expected ones"
                                                            : "NOT the expected ones");
    return f;
}

// (b) Debian's whois client, 25 at a time.
Figures runWhois(quint16 port, const QStringList &names, int timeoutS) {
    // A child forked from this process starts with this process's peak memory, so the peak of
    // the whois side is taken by /usr/bin/time, whose own children start small.
    const QString timeTool = QStringLiteral("/usr/bin/time");
    const bool timed = QFile::exists(timeTool);
    QStringList arguments = {"xargs",     "-P", QString::number(Parallel), "-n", "1", "whois", "-h",
                             "127.0.0.1", "-p", QString::number(port)};
    QProcess xargs;
    if (timed) {
        arguments = QStringList{"-f", "peak-kb %M"} + arguments;
        xargs.setProgram(timeTool);
    } else {
        xargs.setProgram(arguments.takeFirst());
    }
    xargs.setArguments(arguments);
    const rusage before = usage(RUSAGE_CHILDREN);
    QElapsedTimer clock;
    clock.start();
    xargs.start();
    xargs.write(names.join(QLatin1Char('\n')).toLatin1() + '\n');
    xargs.closeWriteChannel();
    Figures f;
    f.finished = xargs.waitForFinished(timeoutS * 1000);
    if (!f.finished) {
        xargs.kill();
        xargs.waitForFinished();
    }
    f.seconds = clock.nsecsElapsed() / 1e9;
    const rusage after = usage(RUSAGE_CHILDREN);
    f.cpu = cpuSeconds(after) - cpuSeconds(before);
    // The largest single process (xargs or one whois).
    const QByteArray err = xargs.readAllStandardError();
    const qsizetype at = err.lastIndexOf("peak-kb ");
    f.peakMb =
        timed && at >= 0 ? err.mid(at + 8).trimmed().toDouble() / 1024.0 : after.ru_maxrss / 1024.0;
    const QByteArray out = xargs.readAllStandardOutput();
    f.lookups = int(out.count("Last update of whois database"));
    std::printf("  check: whois printed %d replies, %d of them free (expected %d)\n", f.lookups,
                int(out.count("No match for")), int(freeNames(names).size()));
    return f;
}

// A value after `key` in a line of "key value" pairs.
double field(const QByteArray &line, const char *key) {
    const QList<QByteArray> parts = line.simplified().split(' ');
    const qsizetype at = parts.indexOf(QByteArray(key));
    return at >= 0 && at + 1 < parts.size() ? parts.at(at + 1).toDouble() : 0;
}

#ifdef KESTRIN_BENCH_WINDOW
// (a) The real main window, in a process of its own (offscreen unless a display is named).
Figures runWindow(quint16 port, const QString &listPath, int timeoutS, double *stallMs) {
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (!env.contains(QStringLiteral("QT_QPA_PLATFORM")))
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(),
                {"--window-run", QString::number(port), listPath, QString::number(timeoutS)});
    Figures f;
    child.waitForFinished(timeoutS * 1000 + 30000);
    const QByteArray out = child.readAllStandardOutput();
    const qsizetype at = out.indexOf("WINDOW ");
    if (at < 0) {
        std::printf("  the window run printed nothing (exit %d)\n", child.exitCode());
        return f;
    }
    const QByteArray line = out.mid(at, out.indexOf('\n', at) - at);
    f.lookups = int(field(line, "lookups"));
    f.seconds = field(line, "seconds");
    f.cpu = field(line, "cpu");
    f.peakMb = field(line, "peak-mb");
    f.finished = child.exitCode() == 0;
    *stallMs = field(line, "stall-ms");
    std::printf("  check: window results %s\n", line.contains("check ok") ? "exact" : "NOT exact");
    return f;
}

#endif

// (c) A client beside Kestrin, 25 connections kept busy: Python asyncio, or the epoll client
// (the floor of this machine's loopback). Both print "lookups N seconds S free F".
Figures runPeerClient(const char *who, QStringList arguments, int expectedFree, int timeoutS) {
    // Its peak memory through /usr/bin/time: this process's children include the window run.
    const QString timeTool = QStringLiteral("/usr/bin/time");
    QProcess client;
    if (QFile::exists(timeTool)) {
        client.setProgram(timeTool);
        client.setArguments(QStringList{"-f", "peak-kb %M"} + arguments);
    } else {
        client.setProgram(arguments.takeFirst());
        client.setArguments(arguments);
    }
    const rusage before = usage(RUSAGE_CHILDREN);
    client.start();
    Figures f;
    f.finished = client.waitForFinished(timeoutS * 1000);
    const rusage after = usage(RUSAGE_CHILDREN);
    const QByteArray line = client.readAllStandardOutput();
    f.lookups = int(field(line, "lookups"));
    f.seconds = field(line, "seconds");
    f.cpu = cpuSeconds(after) - cpuSeconds(before);
    const QByteArray err = client.readAllStandardError();
    const qsizetype at = err.lastIndexOf("peak-kb ");
    f.peakMb = at >= 0 ? err.mid(at + 8).trimmed().toDouble() / 1024.0 : 0;
    std::printf("  check: %s saw %d free names (expected %d)\n", who, int(field(line, "free")),
                expectedFree);
    return f;
}

Figures runAsyncio(quint16 port, const QString &listPath, int expectedFree, int timeoutS) {
    return runPeerClient("asyncio",
                         {QStringLiteral("python3"),
                          QStringLiteral(KESTRIN_BENCH_DIR "/asyncclient.py"),
                          QStringLiteral("127.0.0.1"), QString::number(port), listPath},
                         expectedFree, timeoutS);
}

Figures runEpollClient(quint16 port, const QString &listPath, int expectedFree, int timeoutS) {
    return runPeerClient("epoll client",
                         {QCoreApplication::applicationDirPath() + QStringLiteral("/epollclient"),
                          QString::number(port), listPath},
                         expectedFree, timeoutS);
}

// User + system CPU of a running process, from /proc.
double processCpuSeconds(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray text = stat.readAll();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    // utime and stime are fields 14 and 15 of the line, 12 and 13 after the command name.
    return (fields.value(11).toDouble() + fields.value(12).toDouble()) / sysconf(_SC_CLK_TCK);
}

void printRow(const char *who, const Figures &f) {
    std::printf("  %-24s %8d %9.2f %11.0f %8.2f %9.1f%s\n", who, f.lookups, f.seconds, f.rate(),
                f.cpu, f.peakMb, f.finished ? "" : "  (timed out)");
}
} // namespace

double ratio(double a, double b) {
    return b > 0 ? a / b : 0.0;
}

int main(int argc, char *argv[]) {
#ifdef KESTRIN_BENCH_WINDOW
    if (argc == 5 && qstrcmp(argv[1], "--window-run") == 0) {
        QApplication app(argc, argv);
        return runWindowBench(QByteArray(argv[2]).toUShort(), QString::fromLocal8Bit(argv[3]),
                              QByteArray(argv[4]).toInt());
    }
#endif
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOption({"count", "Number of names (four-letter .com names).", "n", "20000"});
    parser.addOption(
        {"list", "Check this word list instead (Kestrin only, no result check).", "file"});
    parser.addOption({"delay-ms", "Server delay before each answer.", "ms", "0"});
    parser.addOption({"tail", "Latency tail: 80% / 15% / 5% of names after 50 / 300 / 1500 ms."});
    parser.addOption({"window", "Also run the real main window (offscreen)."});
    parser.addOption({"asyncio", "Also run the 25-connection Python asyncio client."});
    parser.addOption({"epoll", "Also run the 25-connection epoll client (the machine's floor)."});
    parser.addOption({"no-engine", "Skip the pool and driver without the window."});
    parser.addOption({"no-whois", "Skip Debian's whois client."});
    parser.addOption({"no-rules", "Read replies with the five phrases, not the reply rules."});
    parser.addOption({"no-check", "Skip the kestrin check executable."});
    parser.addOption({"timeout-s", "Bound for each side.", "s", "300"});
    parser.process(app);
    const int delayMs = parser.value("delay-ms").toInt();
    const bool tail = parser.isSet("tail");
    const int timeoutS = parser.value("timeout-s").toInt();

    QTemporaryDir work;
    QString listPath = parser.value("list");
    QStringList names;
    int count = 0;
    const bool ownList = listPath.isEmpty();
    if (ownList) {
        count = parser.value("count").toInt();
        for (int i = 0; i < count; ++i)
            names << BenchRule::name(i);
        listPath = work.path() + QStringLiteral("/names.txt");
        if (const Result<> written = TextFile::writeLines(listPath, names); written.failed()) {
            std::fprintf(stderr, "%s\n", qPrintable(written.error().text()));
            return 1;
        }
    } else {
        // No copy of a long list is kept here: it would count as Kestrin's memory.
        count = ListFile::countListEntries(listPath);
    }

    QProcess server;
    server.setProgram(QCoreApplication::applicationDirPath() + QStringLiteral("/whoisbenchserver"));
    QStringList serverArguments = {"--delay-ms", QString::number(delayMs), "--max-seconds",
                                   QString::number(5 * timeoutS + 60)};
    if (tail)
        serverArguments << QStringLiteral("--tail");
    server.setArguments(serverArguments);
    server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    server.start();
    if (!server.waitForReadyRead(10000)) {
        std::fprintf(stderr, "the benchmark server did not start\n");
        return 1;
    }
    const quint16 port = server.readLine().trimmed().split(' ').value(1).toUShort();

    std::printf("Scenario: %d names, server %s, port %u\n", count,
                tail ? "latency tail 50/300/1500 ms"
                     : qPrintable(QStringLiteral("delay %1 ms").arg(delayMs)),
                unsigned(port));
    Figures window;
    double stallMs = 0;
    const bool withWindow = parser.isSet("window");
#ifdef KESTRIN_BENCH_WINDOW
    if (withWindow)
        window = runWindow(port, listPath, timeoutS, &stallMs);
#else
    if (withWindow)
        std::printf("  (built without the windows: no window run)\n");
#endif
    Figures kestrin;
    const bool withEngine = !parser.isSet("no-engine");
    if (withEngine)
        kestrin = runKestrin(port, listPath, names, count, timeoutS, !parser.isSet("no-rules"));
    Figures asyncio;
    const bool withAsyncio = parser.isSet("asyncio");
    if (withAsyncio)
        asyncio = runAsyncio(port, listPath, int(freeNames(names).size()), timeoutS);
    Figures epoll;
    const bool withEpoll = parser.isSet("epoll");
    if (withEpoll)
        epoll = runEpollClient(port, listPath, int(freeNames(names).size()), timeoutS);
    Figures check;
    const bool withCheck = !parser.isSet("no-check");
    if (withCheck)
        check = runCheckCommand(port, listPath, names, timeoutS);
    Figures whois;
    const bool withWhois = ownList && !parser.isSet("no-whois");
    if (withWhois)
        whois = runWhois(port, names, timeoutS);

    std::printf("  %-24s %8s %9s %11s %8s %9s\n", "", "lookups", "seconds", "lookups/s", "CPU s",
                "peak MB");
    if (withWindow)
        printRow("Kestrin main window", window);
    if (withEngine)
        printRow("Kestrin pool + driver", kestrin);
    if (withCheck)
        printRow("kestrin check", check);
    if (withAsyncio)
        printRow("asyncio, 25 connections", asyncio);
    if (withEpoll)
        printRow("epoll client, 25", epoll);
    if (withWhois)
        printRow("whois via xargs -P 25", whois);
    if (withWindow) {
        std::printf("  longest event-loop stall of the window run: %.1f ms\n", stallMs);
        if (withAsyncio)
            std::printf("  ratio window / asyncio: %.2fx\n", ratio(window.rate(), asyncio.rate()));
        if (withEpoll)
            std::printf("  ratio window / epoll client: %.2fx\n",
                        ratio(window.rate(), epoll.rate()));
        if (withEngine)
            std::printf("  ratio window / engine: %.2fx\n", ratio(window.rate(), kestrin.rate()));
        if (withWhois)
            std::printf("  ratio window / whois: %.1fx\n", ratio(window.rate(), whois.rate()));
    }
    if (withEngine && withAsyncio)
        std::printf("  ratio engine / asyncio: %.2fx\n", ratio(kestrin.rate(), asyncio.rate()));
    if (withEngine && withWhois)
        std::printf("  ratio engine / whois: %.1fx the rate, %.2fx the CPU seconds\n",
                    ratio(kestrin.rate(), whois.rate()), ratio(kestrin.cpu, whois.cpu));
    if (delayMs > 0 && !tail) {
        const double limit = Parallel / (delayMs / 1000.0);
        std::printf("  limit %d / %.3f s = %.0f lookups/s:", Parallel, delayMs / 1000.0, limit);
        if (withWindow)
            std::printf(" window %.0f%%", 100.0 * window.rate() / limit);
        if (withEngine)
            std::printf(" engine %.0f%%", 100.0 * kestrin.rate() / limit);
        if (withAsyncio)
            std::printf(" asyncio %.0f%%", 100.0 * asyncio.rate() / limit);
        if (withEpoll)
            std::printf(" epoll client %.0f%%", 100.0 * epoll.rate() / limit);
        std::printf("\n");
    }

    std::printf("  server process CPU: %.2f s\n", processCpuSeconds(server.processId()));
    server.terminate();
    if (!server.waitForFinished(5000))
        server.kill();
    return (!withEngine || kestrin.finished) && (!withWindow || window.finished) ? 0 : 2;
}
