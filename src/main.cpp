#include "cli/checkcommand.h"

#include <QFileInfo>
#include <QLibrary>
#include <cstdio>

namespace {
using WindowMain = int (*)(int, char **);

// The window lives in a module beside the executable (the real file, not a link to it).
QString windowModulePath() {
    const QString executable = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    return QFileInfo(executable).absolutePath() + QStringLiteral("/kestrin-window.so");
}
} // namespace

int main(int argc, char **argv) {
    // The command line never loads the window's libraries, so it needs no display.
    if (isCommandLineRequest(argc, argv))
        return runCommandLine(argc, argv);
    QLibrary window(windowModulePath());
    const auto runWindow = reinterpret_cast<WindowMain>(window.resolve("kestrinWindowMain"));
    if (!runWindow) {
        std::fprintf(stderr,
                     "kestrin: the window cannot be started: %s\n"
                     "\"kestrin check\" works without it (see \"kestrin --help\").\n",
                     qPrintable(window.errorString()));
        return 1;
    }
    return runWindow(argc, argv);
}
