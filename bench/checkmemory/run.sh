#!/usr/bin/env bash
# Memory of `kestrin check` against the size of its input.
# Usage: bash bench/checkmemory/run.sh [BUILD_DIR] [COUNTS...]   (default counts: 10000 100000 1000000)
#   For each count, that many names against an instant loopback server (bench/lookups'
#   whoisbenchserver), CSV to /dev/null, twice: with every name in order, and with a first name
#   that stays unknown through its retry (its server refuses every connection), so every later
#   row is held back until the end. Then one line of 20 MB followed by a name.
#   Prints peak resident memory (MB), wall seconds and CPU seconds of the kestrin process.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
BUILD=${1:-$ROOT/build}
shift || true
COUNTS=("${@:-10000 100000 1000000}")
cmake --build "$BUILD" --target kestrin whoisbenchserver --parallel 2 >/dev/null
KESTRIN=$BUILD/program/kestrin
WORK=$(mktemp -d)
trap 'kill "$SERVER" 2>/dev/null || true; rm -rf "$WORK"' EXIT

"$BUILD/bench/lookups/whoisbenchserver" --max-seconds 7200 >"$WORK/port" &
SERVER=$!
for _ in $(seq 50); do grep -q PORT "$WORK/port" && break; sleep 0.1; done
PORT=$(awk '/PORT/ {print $2}' "$WORK/port")
# .com goes to the server; .org to a port where nothing listens (refused at once).
printf 'com|127.0.0.1|%s|Enabled\r\norg|127.0.0.1|1|Enabled\r\n' "$PORT" >"$WORK/registrars.txt"
export HOME=$WORK XDG_CONFIG_HOME=$WORK/config

measure() { # label, input file
    /usr/bin/time -f "%M %e %U %S" -o "$WORK/time" \
        "$KESTRIN" check --registrars "$WORK/registrars.txt" --format csv "$2" >"$WORK/out" || true
    read -r kb wall user sys < <(tail -1 "$WORK/time") # after "Command exited with ..."
    printf '%-34s %9d rows  peak %7.1f MB  %7.1f s  CPU %6.1f s\n' "$1" \
        "$(($(wc -l <"$WORK/out") - 1))" "$(echo "$kb/1024" | bc -l)" "$wall" \
        "$(echo "$user+$sys" | bc -l)"
}

echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
for count in ${COUNTS[*]}; do
    awk -v n="$count" 'BEGIN { for (i = 0; i < n; i++) printf "n%07d.com\n", i }' >"$WORK/names"
    measure "$count names" "$WORK/names"
    { echo "held.org"; cat "$WORK/names"; } >"$WORK/held"
    measure "$count names behind a retry" "$WORK/held"
done
{ head -c 20000000 /dev/zero | tr '\0' x; echo; echo next.com; } >"$WORK/long"
measure "a 20 MB line, then a name" "$WORK/long"
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
