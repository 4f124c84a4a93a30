// The retry pass over many names left unknown by one server (a throttling registry can leave
// thousands): how long choosing and starting the retries takes as the number of names grows.
// Every retry ends at once through the event loop, so what is measured is the pass's own work.
//
// Usage: retrypassbench [NAMES...]   (default 2000 10000 40000)

#include "core/timing.h"
#include "whois/retrypass.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLoggingCategory>
#include <cstdio>

namespace {
double secondsFor(int names) {
    Timing timing = Timing::shrunk(1);
    timing.failedRestMs = 0;
    RetryPass *self = nullptr;
    RetryPass pass(25, timing, [&self](int slot, const QString &name) {
        QMetaObject::invokeMethod(
            self,
            [&self, slot, name] {
                LookupOutcome outcome;
                outcome.name = name;
                outcome.server = QStringLiteral("whois.example");
                outcome.reason = QStringLiteral("no reply");
                self->lookupEnded(slot, outcome);
            },
            Qt::QueuedConnection);
    });
    self = &pass;
    for (int i = 0; i < names; ++i) {
        LookupOutcome outcome;
        outcome.name = QStringLiteral("name%1.com").arg(i);
        outcome.server = QStringLiteral("whois.example");
        outcome.reason = QStringLiteral("no reply");
        pass.noteUnknown(outcome, i);
    }
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
