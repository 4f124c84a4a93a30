// Harvests one large page (1 MB, 5,000 links and 5,000 plain-text names) from the completed-page
// report to the queue file written, with the default registrar table, and reports the time and
// the longest stretch the event loop was kept busy (what the window would feel as a stall).
#include "harvest/browserharvest.h"
#include "whois/registrartable.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

namespace {
QString buildPage(int names, qsizetype targetBytes) {
    QString page = QStringLiteral("<div id=\"results\">\n");
    for (int i = 0; i < names; ++i) {
        page += QStringLiteral("<li><a href=\"https://www.site%1-links.com/page/%1\">Result %1 "
                               "<b>title</b></a><p>Mail us at desk@mail.plain%1-text.net or "
                               "visit plain%1-site.com today.</p></li>\n")
                    .arg(i);
    }
    const QString filler =
        QStringLiteral("<p>Lorem ipsum dolor sit amet, consectetur adipiscing elit, sed do "
                       "eiusmod tempor incididunt ut labore et dolore magna aliqua.</p>\n");
    while (page.size() < targetBytes)
        page += filler;
    return page + QStringLiteral("</div>");
}
} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? qMax(1, atoi(argv[1])) : 5;

    QTemporaryDir dir;
    RegistrarTable table(dir.path() + QStringLiteral("/registrars.txt"));
    if (const Result<> made = table.ensureRegistrarFile(false); made.failed()) {
        std::fprintf(stderr, "%s\n", qPrintable(made.error().text()));
        return 1;
    }
    (void)table.loadRegistrars(); // the default table has no bad rows
    VendorHosts hosts = loadVendorHosts();
    const QString page = buildPage(5000, 1024 * 1024);

    std::printf("page: %lld characters, %d registrar rows\n", (long long)page.size(),
                int(table.rows().size()));
    qint64 worst = 0;
    for (int run = 0; run < runs; ++run) {
        BrowserHarvest harvest{ProgramFolder(dir.path()), table, hosts};
        harvest.deleteQueueFile();
        QElapsedTimer clock;
        QElapsedTimer sinceTick;
        qint64 longestStall = 0;
        QTimer ticker; // runs whenever the event loop gets a turn
        ticker.setInterval(0);
        QObject::connect(&ticker, &QTimer::timeout,
                         [&] { longestStall = qMax(longestStall, sinceTick.restart()); });
        QObject::connect(&harvest, &BrowserHarvest::pageHarvested, &app, &QCoreApplication::quit);
        clock.start();
        sinceTick.start();
        ticker.start();
        harvest.pageCompleted(page);
        app.exec();
        const qint64 ms = clock.elapsed();
        worst = qMax(worst, ms);
        QFile queue(harvest.queuePath());
        queue.open(QIODevice::ReadOnly);
        const int lines = queue.readAll().count('\n');
        std::printf("run %d: %lld ms, queue %d lines, %d names, longest event-loop stall %lld ms\n",
                    run + 1, (long long)ms, lines, harvest.harvester().foundTotal(),
                    (long long)longestStall);
    }
    std::printf("worst: %lld ms (limit 1000 ms)\n", (long long)worst);
    return worst < 1000 ? 0 : 1;
}
