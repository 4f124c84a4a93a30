#include "cli/consoledesktop.h"

#include <cstdio>

Desktop::Answer ConsoleDesktop::message(const QString &title, const QString &text, Icon,
                                        Buttons buttons) {
    QString line = text;
    line.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    std::fprintf(stderr, "kestrin check: %s: %s\n", qPrintable(title), qPrintable(line));
    // Nobody can answer: go on where going on is possible, as "Ignore" would.
    switch (buttons) {
    case Buttons::AbortRetryIgnore:
        return Answer::Ignore;
    case Buttons::YesNo:
        return Answer::No;
    case Buttons::Ok:
        break;
    }
    return Answer::Ok;
}
