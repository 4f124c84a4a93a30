#!/usr/bin/env bash
# Lookup benchmark. Usage: bash bench/lookups/run.sh [BUILD_DIR] [full]
#   1. 20,000 names against an instant loopback server: the real main window (offscreen),
#      the pool and driver alone, a 25-connection Python asyncio client and Debian's whois
#      client 25 at a time; rates, CPU seconds, peak memory, the window's longest stall, ratios.
#   2. 2,000 names against the latency-tail server (80% / 15% / 5% of names answered after
#      50 ms / 300 ms / 1.5 s): the window against the asyncio client.
#   3. 10,000 names against a server that waits 50 ms per answer: rates against the limit of
#      25 / 0.050 s = 500 lookups per second.
#   4. With "full": the whole four-letter list (456,976 names) through the window, for peak memory.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
BUILD=${1:-$ROOT/build}
cmake --build "$BUILD" --target lookupbench whoisbenchserver epollclient kestrin_wordlists --parallel 2
BENCH=$BUILD/bench/lookups/lookupbench
command -v whois >/dev/null || { echo "Debian's whois client is missing (apt-get install whois)"; exit 1; }
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}

echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "== instant server =="
"$BENCH" --count 20000 --window --asyncio --epoll --timeout-s 300
echo
echo "== latency-tail server =="
"$BENCH" --count 2000 --tail --window --asyncio --epoll --no-whois --timeout-s 300
echo
echo "== server answering after 50 ms =="
"$BENCH" --count 10000 --delay-ms 50 --window --asyncio --epoll --no-whois --timeout-s 300
if [ "${2:-}" = full ]; then
    echo
    echo "== the whole four-letter list =="
    "$BENCH" --list "$BUILD/program/wordlists/AllFourLetter.txt" --window --no-engine --timeout-s 900
fi
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
