#pragma once

#include <QString>

// The real main window, offscreen (or on whatever display QT_QPA_PLATFORM names), running a
// Full Word List search of `listPath` against the loopback server on `port`. Prints one line:
// "WINDOW lookups <n> seconds <s> cpu <s> peak-mb <mb> stall-ms <ms> check <ok|FAILED>".
int runWindowBench(quint16 port, const QString &listPath, int timeoutS);
