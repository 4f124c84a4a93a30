// The retry pass over many names left unknown by one server (a throttling registry can leave
// thousands): how long choosing and starting the retries takes as the number of names grows.
// The pool has no registrar rows, so every retry ends at once through the event loop and what
// is measured is the pass's own work.
//
// Usage: retrypassbench [NAMES...]   (default 2000 10000 40000)

#include "cli/consoledesktop.h"
#include "core/programfolder.h"
#include "core/resultlists.h"
#include "core/timing.h"
#include "whois/lookuppool.h"
#include "whois/registrartable.h"
#include "whois/retrypass.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLoggingCategory>
#include <QTemporaryDir>
#include <cstdio>

namespace {
double secondsFor(int names) {
    QTemporaryDir folder;
    ResultLists lists{ProgramFolder(folder.path())};
    RegistrarTable table;
    WhoisOptions options;
    ConsoleDesktop desktop;
    Timing timing = Timing::shrunk(1);
    timing.failedRestMs = 0;
    LookupPool pool(table, options, lists, desktop, timing);
    RetryPass pass(pool, timing);
    QObject::connect(&pool, &LookupPool::lookupEnded, &pass, &RetryPass::lookupEnded);
    for (int i = 0; i < names; ++i)
        pass.noteUnknown(LookupOutcome{QStringLiteral("name%1.com").arg(i),
                                       QStringLiteral("whois.example"), Verdict::Unknown,
                                       QStringLiteral("no reply"), 0},
                         i);
    QEventLoop loop;
    QObject::connect(&pass, &RetryPass::finished, &loop, &QEventLoop::quit);
    QElapsedTimer clock;
    clock.start();
    pass.begin();
    loop.exec();
    return clock.nsecsElapsed() / 1e9;
}
} // namespace

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("kestrin.*=false")); // a line per retry
    QList<int> counts;
    for (int i = 1; i < argc; ++i)
        counts << QByteArray(argv[i]).toInt();
    if (counts.isEmpty())
        counts = {2000, 10000, 40000};
    for (const int names : counts) {
        const double seconds = secondsFor(names);
        std::printf("%7d names: %.3f s, %.1f us a name\n", names, seconds, seconds * 1e6 / names);
    }
    return 0;
}
