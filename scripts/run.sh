#!/usr/bin/env bash
# Installs what is missing, builds Kestrin and starts it.
source "$(dirname "$0")/common.sh"
install_packages
build build
cd build/program
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display found: starting Kestrin's window under xvfb-run (a virtual screen you cannot see)."
    echo "To check names without a window, run: build/program/kestrin check names.txt  (see README, \"Checking names from the command line\")"
    exec xvfb-run -a -s "-screen 0 1600x1000x24" ./kestrin
fi
exec ./kestrin
