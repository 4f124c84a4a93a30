// Times urlDecode on page lines built to be slow to decode: "%25" followed by "25" repeated
// (each "%25" decoded leaves a new one), the nested "%25%25...20", and an ordinary line of
// the same size. Prints the median of several runs per line; exits 1 when a 1 MB hostile
// line takes 100 ms or more.
#include "core/namecleaning.h"

#include <QElapsedTimer>
#include <QList>
#include <algorithm>
#include <cstdio>

namespace {
constexpr int Runs = 7;
constexpr double LimitMs = 100;

double medianMs(const QString &line) {
    QList<double> times;
    for (int run = 0; run < Runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        const QString decoded = urlDecode(line);
        times << timer.nsecsElapsed() / 1e6;
        if (decoded.isEmpty())
            std::printf("unexpected empty result\n");
    }
    std::sort(times.begin(), times.end());
    return times.at(Runs / 2);
}
} // namespace

int main(int argc, char **argv) {
    const qsizetype bytes = argc > 1 ? QByteArray(argv[1]).toLongLong() : 1 << 20;
    const struct {
        const char *name;
        QString line;
        bool hostile;
    } lines[] = {
        {"%25 then 25 repeated", "%25" + QString("25").repeated((bytes - 3) / 2), true},
        {"%25 repeated, then 20", QString("%25").repeated(bytes / 3) + "20", true},
        {"link text, escapes spread",
         QString("http%3A%2F%2Fwww.example.com%2Fpage%3Fq%3Dx ").repeated(bytes / 45), false},
    };
    bool ok = true;
    for (const auto &l : lines) {
        const double ms = medianMs(l.line);
        std::printf("%-28s %9lld chars  %8.2f ms\n", l.name, static_cast<long long>(l.line.size()),
                    ms);
        if (l.hostile && ms >= LimitMs)
            ok = false;
    }
    std::printf(ok ? "every hostile line under %.0f ms\n" : "a hostile line took %.0f ms or more\n",
                LimitMs);
    return ok ? 0 : 1;
}
