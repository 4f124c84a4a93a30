#pragma once

// True when the arguments ask for the command line rather than the window: "check",
// "--version" or "--help" as the first argument.
bool isCommandLineRequest(int argc, char **argv);

// Runs `kestrin check`, `kestrin --version` or `kestrin --help` on a QCoreApplication: no
// window, no display. Returns the process's exit status.
int runCommandLine(int argc, char **argv);
