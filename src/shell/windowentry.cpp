#include "shell/kestrinapp.h"

#include <QtGlobal>

// The window application as a module of its own. The kestrin executable loads it only when a
// window is wanted, so `kestrin check` never loads the widget and browser libraries (Qt
// WebEngine alone would cost it tens of megabytes and a slower start).
extern "C" Q_DECL_EXPORT int kestrinWindowMain(int argc, char **argv) {
    return runKestrin(argc, argv);
}
