#!/usr/bin/env bash
# The dBase benchmark: one 1,000,000-row, 12-field table; times a full scan through the driver,
# `vlmtool dump`, pgdbf and cat over the same file, and the local SQL aggregate against native
# SQLite; prints the ratios. Usage: bench/run-dbase.sh [build dir] [rows]
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${1:-build}
ROWS=${2:-1000000}
BIN="$BUILD/bin"
ninja -C "$BUILD" bench_dbase >/dev/null
DIR=$(mktemp -d /tmp/vlm-bench-XXXXXX)
trap 'rm -rf "$DIR"' EXIT
echo "generating $ROWS rows in $DIR"
"$BIN/bench_dbase" gen "$DIR" "$ROWS"
ls -l "$DIR"
cat "$DIR"/BENCH.* >/dev/null   # warm the page cache for every reader alike
t() { local s e; s=$(date +%s.%N); "$@" >/dev/null 2>&1 || true; e=$(date +%s.%N); echo "$e - $s" | bc; }
scan=$("$BIN/bench_dbase" scan "$DIR" | sed -n 's/.*seconds=\([0-9.]*\).*/\1/p')
catT=$(t cat "$DIR/BENCH.DBF")
size=$(stat -c %s "$DIR/BENCH.DBF")
echo "scan (driver cursor): ${scan}s"
echo "cat:                  ${catT}s"
if [ -x "$BIN/vlmtool" ]; then
  dumpT=$(t "$BIN/vlmtool" dump "$DIR" BENCH.DBF)
  echo "vlmtool dump:         ${dumpT}s"
else
  echo "vlmtool dump:         (vlmtool not built)"
fi
if command -v pgdbf >/dev/null; then
  pgT=$(t pgdbf -m "$DIR/BENCH.DBT" "$DIR/BENCH.DBF")
  echo "pgdbf:                ${pgT}s"
  echo "ratio pgdbf/scan:     $(echo "scale=2; $pgT / $scan" | bc)  (target >= 3)"
fi
echo "scan bandwidth vs cat: $(echo "scale=2; 100 * $catT / $scan" | bc)%  (target >= 30%)"
echo "file size: $size bytes"
"$BIN/bench_dbase" sql "$DIR"
echo "(target: local/native ratio <= 2)"
