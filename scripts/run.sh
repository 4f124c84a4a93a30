#!/usr/bin/env bash
# Installs what is missing, builds Kestrin and starts it.
source "$(dirname "$0")/common.sh"
install_packages
build build
cd build/program
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display found: starting Kestrin under xvfb-run (a virtual screen you cannot see)."
    exec xvfb-run -a -s "-screen 0 1600x1000x24" ./kestrin
fi
exec ./kestrin
