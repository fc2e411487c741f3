#!/usr/bin/env bash
# The dBase benchmark: one 1,000,000-row, 12-field table; times a full scan through the driver's
# cursor and through the engine's Table dataset, `vlmtool dump`, pgdbf and cat over the same
# file, and the local SQL aggregate against native SQLite; prints the ratios.
# Usage: bench/run-dbase.sh [build dir] [rows]
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${1:-build}
ROWS=${2:-1000000}
BIN="$BUILD/bin"
ninja -C "$BUILD" bench_dbase >/dev/null
ninja -C "$BUILD" vlmtool >/dev/null 2>&1 || echo "(vlmtool does not build; its timing is left out)"
DIR=$(mktemp -d /tmp/vlm-bench-XXXXXX)
trap 'rm -rf "$DIR"' EXIT
echo "generating $ROWS rows in $DIR"
"$BIN/bench_dbase" gen "$DIR" "$ROWS"
ls -l "$DIR"
cat "$DIR"/BENCH.* >/dev/null   # warm the page cache for every reader alike
t() { local s e; s=$(date +%s.%N); "$@" >/dev/null 2>&1 || true; e=$(date +%s.%N); echo "$e - $s" | bc; }
scan=$("$BIN/bench_dbase" scan "$DIR" | sed -n 's/.*seconds=\([0-9.]*\).*/\1/p')
dataset=$("$BIN/bench_dbase" dataset "$DIR" | sed -n 's/.*seconds=\([0-9.]*\).*/\1/p')
catT=$(t cat "$DIR/BENCH.DBF")
size=$(stat -c %s "$DIR/BENCH.DBF")
echo "scan (driver cursor): ${scan}s"
[ -n "$dataset" ] && echo "scan (Table dataset): ${dataset}s"
echo "cat:                  ${catT}s"
if [ -x "$BIN/vlmtool" ]; then
  dumpT=$(t "$BIN/vlmtool" dump "$DIR" BENCH.DBF)
  echo "vlmtool dump:         ${dumpT}s"
else
  echo "vlmtool dump:         (vlmtool not built)"
fi
if command -v pgdbf >/dev/null; then
  # pgdbf reads memos from FoxPro .FPT files only: the same rows in that layout, both readers.
  "$BIN/bench_dbase" gen "$DIR/fox" "$ROWS" 245
  cat "$DIR"/fox/BENCH.* >/dev/null
  foxScan=$("$BIN/bench_dbase" scan "$DIR/fox" | sed -n 's/.*seconds=\([0-9.]*\).*/\1/p')
  if pgdbf -m "$DIR/fox/BENCH.FPT" "$DIR/fox/BENCH.DBF" 2>"$DIR/pgdbf.err" | tail -1 | grep -q COMMIT; then
    pgT=$(t pgdbf -m "$DIR/fox/BENCH.FPT" "$DIR/fox/BENCH.DBF")
    echo "scan (FoxPro copy):   ${foxScan}s"
    echo "pgdbf (FoxPro copy):  ${pgT}s"
    echo "ratio pgdbf/scan:     $(echo "scale=2; $pgT / $foxScan" | bc)  (target >= 3)"
  else
    echo "pgdbf failed: $(head -c 200 "$DIR/pgdbf.err")"
  fi
fi
echo "scan bandwidth vs cat: $(echo "scale=2; 100 * $catT / $scan" | bc)%  (target >= 30%)"
[ -n "$dataset" ] && echo "dataset bandwidth vs cat: $(echo "scale=2; 100 * $catT / $dataset" | bc)%"
echo "file size: $size bytes"
"$BIN/bench_dbase" sql "$DIR"
echo "(target: local/native ratio <= 2)"
