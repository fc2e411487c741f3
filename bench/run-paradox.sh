#!/usr/bin/env bash
# The Paradox benchmark: a 1,000,000-row, 12-field Paradox table beside the same rows as a dBase
# table; times a full scan through the driver and the local SQL aggregate of each, and native
# SQLite on the same rows; prints the Paradox/dBase ratios. Usage: bench/run-paradox.sh [build dir] [rows]
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${1:-build}
ROWS=${2:-1000000}
BIN="$BUILD/bin"
ninja -C "$BUILD" bench_paradox bench_dbase >/dev/null
PX=$(mktemp -d /tmp/vlm-bench-px-XXXXXX)
DB=$(mktemp -d /tmp/vlm-bench-dbf-XXXXXX)
trap 'rm -rf "$PX" "$DB"' EXIT
echo "generating $ROWS rows in $PX and $DB"
"$BIN/bench_paradox" gen "$PX" "$ROWS"
"$BIN/bench_dbase" gen "$DB" "$ROWS"
ls -l "$PX" "$DB"
cat "$PX"/BENCH.* "$DB"/BENCH.* >/dev/null   # warm the page cache for both alike
field() { sed -n "s/.*$1=\([0-9.]*\).*/\1/p"; }
pxScan=$("$BIN/bench_paradox" scan "$PX" | field seconds)
dbScan=$("$BIN/bench_dbase" scan "$DB" | field seconds)
pxSql=$("$BIN/bench_paradox" sql "$PX")
dbSql=$("$BIN/bench_dbase" sql "$DB")
pxLocal=$(echo "$pxSql" | field local); pxNative=$(echo "$pxSql" | field native)
dbLocal=$(echo "$dbSql" | field local)
echo "scan Paradox:          ${pxScan}s"
echo "scan dBase:            ${dbScan}s"
echo "ratio Paradox/dBase:   $(echo "scale=2; $pxScan / $dbScan" | bc)"
echo "local SQL Paradox:     ${pxLocal}s"
echo "local SQL dBase:       ${dbLocal}s"
echo "native SQLite:         ${pxNative}s"
echo "ratio Paradox/dBase:   $(echo "scale=2; $pxLocal / $dbLocal" | bc)"
echo "ratio Paradox/native:  $(echo "scale=2; $pxLocal / $pxNative" | bc)  (target <= 2)"
