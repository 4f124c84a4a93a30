#include "windowrun.h"

#include "session/appcontext.h"
#include "app/mainwindow.h"
#include "session/searchdriver.h"
#include "session/searchsession.h"
#include "benchrule.h"
#include "quietdesktop.h"
#include "core/desktop.h"
#include "core/filehelpers.h"
#include "core/resultlists.h"
#include "core/settingsstore.h"
#include "whois/lookuppool.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <sys/resource.h>

namespace {
double cpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

double peakMb() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss / 1024.0;
}

// Every free name of the list is in the mirror files and the captions equal the counters.
bool resultsExact(MainWindow &window, const QString &listPath, int lookups) {
    QStringList expected;
    for (const QString &name : TextFile::readLines(listPath).valueOr({}))
        if (!name.isEmpty() && BenchRule::isFree(name.toLatin1()))
            expected << name;
    // Names dumped by the overflow rule count as well.
    QStringList files = window.session().lists().mirrorFilePaths();
    const QDir overflow(window.session().context().folder.path(QStringLiteral("\\overflow")));
    for (const QString &name : overflow.entryList({QStringLiteral("*.txt")}, QDir::Files))
        files << overflow.filePath(name);
    QStringList mirrored;
    for (const QString &path : files)
        for (const QString &line : TextFile::readLines(path).valueOr({}))
            if (!line.isEmpty())
                mirrored << line;
    expected.sort();
    mirrored.sort();
    bool captions = true;
    for (int k = 1; k <= 4; ++k) {
        auto *label = window.findChild<QLabel *>(QStringLiteral("Label%1").arg(k));
        captions = captions && label && label->text() == window.session().lists().caption(k);
    }
    std::fprintf(stderr,
                 "  window check: %d lookups, mirror files hold %d free names (%d expected)%s\n",
                 lookups, int(mirrored.size()), int(expected.size()),
                 captions ? ", captions equal the counts" : ", captions DIFFER");
    return captions && mirrored == expected;
}
} // namespace

int runWindowBench(quint16 port, const QString &listPath, int timeoutS) {
    QTemporaryDir dir;
    QDir().mkpath(dir.path() + QStringLiteral("/wordlists"));
    QFile::copy(listPath, dir.path() + QStringLiteral("/wordlists/FullWordList.txt"));
    (void)TextFile::writeAll(dir.path() + QStringLiteral("/registrars.txt"),
                             QStringLiteral("com|127.0.0.1|%1|Enabled\r\n\r\n").arg(port));

    QuietDesktop desktop;
    IniSettingsStore userStore(dir.path() + QStringLiteral("/user.ini"));
    IniSettingsStore machineStore(dir.path() + QStringLiteral("/machine.ini"));
    AppContext ctx;
    ctx.folder = ProgramFolder(dir.path());
    ctx.branding = loadBranding();
    ctx.hosts = loadVendorHosts();
    ctx.userStore = &userStore;
    ctx.machineStore = &machineStore;
    ctx.desktop = &desktop;
    ctx.registrars.setFilePath(ctx.folder.path(QStringLiteral("\\registrars.txt")));
    userStore.write(ctx.productApp(), AppContext::Section, QStringLiteral("showHelp"),
                    QStringLiteral("0"));

    SearchSession session(ctx);
    MainWindow window(session);
    window.load();
    window.show();
    auto *combo = window.findChild<QComboBox *>(QStringLiteral("Combo1"));
    auto *start = window.findChild<QPushButton *>(QStringLiteral("cmdDoSearch"));
    auto *first = window.findChild<QLineEdit *>(QStringLiteral("txtWordNum"));
    if (!combo || !start || !first)
        return 3;
    combo->setCurrentIndex(combo->findText(QStringLiteral("Full Word List")));
    emit combo->activated(combo->currentIndex());
    first->setText(QStringLiteral("1"));
    // The window is laid out and painted once (fonts loaded) before the clock starts.
    {
        QEventLoop settle;
        QTimer::singleShot(500, &settle, &QEventLoop::quit);
        settle.exec();
    }

    int lookups = 0;
    QObject::connect(&window.session().pool(), &LookupPool::lookupEnded, [&lookups] { ++lookups; });
    // The longest time the event loop did not come round to a 5 ms timer.
    qint64 longestGapNs = 0;
    qint64 longestGapAtMs = 0;
    QList<qint64> longGapsAtMs; // every stall over 100 ms
    QElapsedTimer runClock;
    QElapsedTimer sinceTick;
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    probe.setInterval(5);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        if (sinceTick.nsecsElapsed() > 105000000)
            longGapsAtMs << runClock.elapsed();
        if (sinceTick.nsecsElapsed() > longestGapNs) {
            longestGapNs = sinceTick.nsecsElapsed();
            longestGapAtMs = runClock.elapsed();
        }
        sinceTick.restart();
    });

    QEventLoop loop;
    QObject::connect(&window.session().driver(), &SearchDriver::stopped, &loop, &QEventLoop::quit);
    QTimer::singleShot(timeoutS * 1000, &loop, &QEventLoop::quit);
    const double cpu0 = cpuSeconds();
    QElapsedTimer clock;
    clock.start();
    sinceTick.start();
    runClock.start();
    probe.start();
    start->click();
    if (window.session().driver().running())
        loop.exec();
    probe.stop();
    const double seconds = clock.nsecsElapsed() / 1e9;
    const bool finished = window.session().driver().halted();
    const double cpu = cpuSeconds() - cpu0;
    const bool exact = finished && resultsExact(window, listPath, lookups);
    std::fprintf(stderr, "  window: longest stall %.1f ms, %lld ms into the run\n",
                 longestGapNs / 1e6, static_cast<long long>(longestGapAtMs));
    std::fprintf(stderr, "  window: %d stalls over 100 ms, at (ms):", int(longGapsAtMs.size()));
    for (const qint64 at : longGapsAtMs)
        std::fprintf(stderr, " %lld", static_cast<long long>(at));
    std::fprintf(stderr, "\n");
    std::printf("WINDOW lookups %d seconds %.3f cpu %.2f peak-mb %.1f stall-ms %.1f check %s\n",
                lookups, seconds, cpu, peakMb(), (longestGapNs - 5000000) / 1e6,
                exact ? "ok" : "FAILED");
    std::fflush(stdout);
    window.close();
    return finished ? 0 : 2;
}
