// Lookup benchmark: the same names checked against the same loopback WHOIS server (a separate
// process) by (a) Kestrin's lookup pool and search driver and (b) Debian's whois client run 25
// at a time through xargs. Prints lookups per second, CPU seconds and peak memory of both.

#include "app/searchdriver.h"
#include "benchrule.h"
#include "core/desktop.h"
#include "core/filehelpers.h"
#include "core/listfile.h"
#include "core/programfolder.h"
#include "core/resultlists.h"
#include "core/settingsstore.h"
#include "core/timing.h"
#include "whois/lookuppool.h"
#include "whois/registrartable.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
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

class PrintingDesktop : public Desktop {
public:
    Answer message(const QString &title, const QString &text, Icon, Buttons) override {
        std::fprintf(stderr, "[%s] %s\n", qPrintable(title), qPrintable(text));
        return Answer::Ok;
    }
    QString openFileName(const QString &, const QString &) override { return {}; }
    QString saveFileName(const QString &, const QString &) override { return {}; }
    QString clipboardText() const override { return {}; }
    void setClipboardText(const QString &) override {}
    void openUrl(const QString &) override {}
    void openFile(const QString &) override {}
};

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
                   int timeoutS) {
    QTemporaryDir dir;
    const ProgramFolder folder(dir.path());
    IniSettingsStore store(dir.path() + QStringLiteral("/user.ini"));
    ResultLists lists(folder);
    RegistrarTable table;
    table.setRows({RegistrarEntry{"com", "127.0.0.1", quint16(port), true}});
    const WhoisOptions options;
    const Timing timing;
    PrintingDesktop desktop;
    LookupPool pool(table, options, lists, desktop, timing);
    SearchDriver driver(pool, store, desktop, timing);
    driver.setSearchType(QStringLiteral("Custom List"));
    driver.setListPath(listPath);

    Figures f;
    int overflows = 0;
    QObject::connect(&pool, &LookupPool::lookupEnded, [&f] { ++f.lookups; });
    QObject::connect(&pool, &LookupPool::overflowed, [&overflows] { ++overflows; });
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

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOption({"count", "Number of names (four-letter .com names).", "n", "20000"});
    parser.addOption(
        {"list", "Check this word list instead (Kestrin only, no result check).", "file"});
    parser.addOption({"delay-ms", "Server delay before each answer.", "ms", "0"});
    parser.addOption({"no-whois", "Run Kestrin only."});
    parser.addOption({"timeout-s", "Bound for each side.", "s", "300"});
    parser.process(app);
    const int delayMs = parser.value("delay-ms").toInt();
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
    server.setArguments({"--delay-ms", QString::number(delayMs), "--max-seconds",
                         QString::number(3 * timeoutS + 60)});
    server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    server.start();
    if (!server.waitForReadyRead(10000)) {
        std::fprintf(stderr, "the benchmark server did not start\n");
        return 1;
    }
    const quint16 port = server.readLine().trimmed().split(' ').value(1).toUShort();

    std::printf("Scenario: %d names, server delay %d ms, port %u\n", count, delayMs,
                unsigned(port));
    const Figures kestrin = runKestrin(port, listPath, names, count, timeoutS);
    Figures whois;
    const bool withWhois = ownList && !parser.isSet("no-whois");
    if (withWhois)
        whois = runWhois(port, names, timeoutS);

    std::printf("  %-24s %8s %9s %11s %8s %9s\n", "", "lookups", "seconds", "lookups/s", "CPU s",
                "peak MB");
    printRow("Kestrin pool + driver", kestrin);
    if (withWhois) {
        printRow("whois via xargs -P 25", whois);
        std::printf("  ratio Kestrin / whois: %.1fx the rate, %.2fx the CPU seconds\n",
                    whois.rate() > 0 ? kestrin.rate() / whois.rate() : 0.0,
                    whois.cpu > 0 ? kestrin.cpu / whois.cpu : 0.0);
    }
    if (delayMs > 0) {
        const double limit = Parallel / (delayMs / 1000.0);
        std::printf("  limit %d / %.3f s = %.0f lookups/s; Kestrin reaches %.0f%% of it\n",
                    Parallel, delayMs / 1000.0, limit, 100.0 * kestrin.rate() / limit);
    }

    std::printf("  server process CPU: %.2f s\n", processCpuSeconds(server.processId()));
    server.terminate();
    if (!server.waitForFinished(5000))
        server.kill();
    return kestrin.finished ? 0 : 2;
}
