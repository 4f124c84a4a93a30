#!/usr/bin/env bash
# Installs what is missing, builds Kestrin and runs the whole test suite: every suite in the
# normal build, then the widget-free suites once more under AddressSanitizer and
# UndefinedBehaviorSanitizer.
source "$(dirname "$0")/common.sh"
install_packages
export QT_QPA_PLATFORM=offscreen
build build
ctest --test-dir build --output-on-failure --parallel 2

build build-sanitize -DKESTRIN_GUI=OFF -DKESTRIN_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
ctest --test-dir build-sanitize --output-on-failure --parallel 2 -L logic
