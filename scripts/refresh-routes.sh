#!/bin/sh
# Checks data/tld-routes.tsv (a newer snapshot of IANA's root zone and RDAP bootstrap, same
# columns) against data/route-choices.tsv before a rebuild:
#   - every line has the five leading columns and a known rdap_source;
#   - every registry RDAP service outside the bootstrap ("supplemental") has a choice line;
#   - every choice line still names an extension of the snapshot.
# Usage: scripts/refresh-routes.sh [NEW-TLD-ROUTES.TSV]   (copies the file into data/ first)
set -eu
cd "$(dirname "$0")/.."
routes=data/tld-routes.tsv
choices=data/route-choices.tsv
if [ $# -ge 1 ]; then
    cp "$1" "$routes"
fi
status=0
awk -F'\t' '
    /^#/ || NF == 0 { next }
    NF < 5 { printf "%s, line %d: fewer than five tab-separated fields\n", FILENAME, NR; bad = 1 }
    $5 != "" && $5 != "IANA" && $5 != "supplemental" {
        printf "%s, line %d: rdap_source \"%s\" is not IANA or supplemental\n", FILENAME, NR, $5; bad = 1 }
    END { exit bad }' "$routes" || status=1
missing=$(awk -F'\t' '
    FNR == NR { if ($0 !~ /^#/ && NF >= 3) chosen[$1] = 1; next }
    /^#/ { next }
    $5 == "supplemental" && !($1 in chosen) { print $1 }' "$choices" "$routes")
if [ -n "$missing" ]; then
    echo "Registry RDAP services without a line in $choices (add rdap, whois or none, and why):"
    echo "$missing" | sed 's/^/  /'
    status=1
fi
stale=$(awk -F'\t' '
    FNR == NR { if ($0 !~ /^#/) known[$1] = 1; next }
    /^#/ || NF < 3 { next }
    !($1 in known) { print $1 }' "$routes" "$choices")
if [ -n "$stale" ]; then
    echo "Choices for extensions no longer in $routes (remove them):"
    echo "$stale" | sed 's/^/  /'
    status=1
fi
total=$(grep -vc '^#' "$routes")
iana=$(awk -F'\t' '$5 == "IANA"' "$routes" | wc -l)
whois=$(awk -F'\t' '!/^#/ && $4 == "" && $3 != ""' "$routes" | wc -l)
none=$(awk -F'\t' '!/^#/ && $4 == "" && $3 == ""' "$routes" | wc -l)
echo "$total extensions: $iana by IANA's RDAP bootstrap, $whois by WHOIS only, $none without a service"
[ $status -eq 0 ] && echo "Routes are consistent; rebuild to ship them (the tests check every row)."
exit $status
