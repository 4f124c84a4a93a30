#!/usr/bin/env bash
# Lookup benchmark. Usage: bash bench/lookups/run.sh [BUILD_DIR] [full]
#   1. 20,000 names against an instant loopback server: Kestrin's pool and driver, then Debian's
#      whois client 25 at a time; rates, CPU seconds, peak memory and their ratio.
#   2. 10,000 names against a server that waits 50 ms per answer: Kestrin's rate against the
#      limit of 25 / 0.050 s = 500 lookups per second.
#   3. With "full": the whole four-letter list (456,976 names), for peak memory.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
BUILD=${1:-$ROOT/build}
cmake --build "$BUILD" --target lookupbench whoisbenchserver kestrin_wordlists --parallel 2
BENCH=$BUILD/bench/lookups/lookupbench
command -v whois >/dev/null || { echo "Debian's whois client is missing (apt-get install whois)"; exit 1; }

echo "== instant server =="
"$BENCH" --count 20000 --timeout-s 300
echo
echo "== server answering after 50 ms =="
"$BENCH" --count 10000 --delay-ms 50 --no-whois --timeout-s 300
if [ "${2:-}" = full ]; then
    echo
    echo "== the whole four-letter list =="
    "$BENCH" --list "$BUILD/program/wordlists/AllFourLetter.txt" --timeout-s 600
fi
