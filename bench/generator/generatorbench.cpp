// Times one generator run of 14,000 words x 4 stems x 9 extensions (504,000 names) in the real
// window: names made, shown in List1, written to CreatedDomains.txt and handed to the main
// window. Reports the time, the resident memory growth and how often the window repainted.
#include "session/appcontext.h"
#include "desktoprecorder.h"
#include "app/mainwindow.h"
#include "session/searchsession.h"
#include "generator/generatorwindow.h"
#include "core/namelistmodel.h"
#include "tempprogramfolder.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <cstdio>

namespace {
// Resident and peak resident memory of this process, in MiB.
std::pair<double, double> memoryMiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    double rss = 0;
    double peak = 0;
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : status.readAll().split('\n')) {
            const QList<QByteArray> parts = line.simplified().split(' ');
            if (parts.size() >= 2 && parts[0] == "VmRSS:")
                rss = parts[1].toDouble() / 1024;
            if (parts.size() >= 2 && parts[0] == "VmHWM:")
                peak = parts[1].toDouble() / 1024;
        }
    }
    return {rss, peak};
}

class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject *, QEvent *event) override {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};
} // namespace

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    const int words = argc > 1 ? QByteArray(argv[1]).toInt() : 14000;

    TempProgramFolder tmp;
    DesktopRecorder desktop;
    AppContext ctx;
    ctx.folder = tmp.folder();
    ctx.branding = loadBranding();
    ctx.userStore = &tmp.userStore();
    ctx.machineStore = &tmp.machineStore();
    ctx.desktop = &desktop;
    ctx.userStore->write("Kestrin", "Settings", "showHelp", "0");
    // Every lookup the hand-over starts goes to a closed loopback port.
    tmp.writeFile("registrars.txt", "proxy|127.0.0.1|9|Enabled\r\ncom|127.0.0.1|9|Enabled\r\n");
    QByteArray list;
    for (int i = 0; i < words; ++i)
        list += "word" + QByteArray::number(i) + "\r\n";
    tmp.writeFile("Appends.txt", list);

    SearchSession session(ctx);
    MainWindow main(session);
    main.windows().setFactory(WindowId::Generator, [&] { return new GeneratorWindow(session); });
    main.load();
    main.selectSearchType(SearchTypes::index(SearchType::Generate));
    auto *w = qobject_cast<GeneratorWindow *>(main.windows().window(WindowId::Generator));
    if (!w)
        return 1;
    w->findChild<QLineEdit *>("Text1")->setText("Base");
    PaintCounter painted;
    w->findChild<QListView *>("List1")->viewport()->installEventFilter(&painted);
    w->findChild<QLineEdit *>("txtStatus")->installEventFilter(&painted);
    app.processEvents();

    const auto [rssBefore, peakBefore] = memoryMiB();
    QEventLoop loop;
    int created = 0;
    QObject::connect(w, &GeneratorWindow::finished, &loop, [&](int n) {
        created = n;
        loop.quit();
    });
    QElapsedTimer clock;
    clock.start();
    w->findChild<QPushButton *>("Command1")->click();
    if (w->running())
        loop.exec();
    const qint64 ms = clock.elapsed();
    main.stop();
    const auto [rssAfter, peakAfter] = memoryMiB();

    std::printf("names created:        %d (list %d, file %lld bytes)\n", created,
                w->generated().count(),
                static_cast<long long>(QFile(tmp.path("\\CreatedDomains.txt")).size()));
    std::printf("time to hand-over:    %lld ms\n", static_cast<long long>(ms));
    std::printf("resident memory:      %.1f MiB -> %.1f MiB (growth %.1f MiB)\n", rssBefore,
                rssAfter, rssAfter - rssBefore);
    std::printf("peak resident memory: %.1f MiB -> %.1f MiB (growth %.1f MiB)\n", peakBefore,
                peakAfter, peakAfter - peakBefore);
    std::printf("paint events during the run (list and status): %d\n", painted.paints);
    return created == words * 36 ? 0 : 2;
}
