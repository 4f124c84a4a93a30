#pragma once

class MainWindow;
struct AppContext;

// Runs Kestrin: creates the application, its context and the splash window, and returns the
// process's exit code.
int runKestrin(int argc, char **argv);

// Tells the main window how to open every other window by name.
void registerWindows(MainWindow &main, AppContext &context);
