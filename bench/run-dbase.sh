#!/usr/bin/env bash
# The dBase benchmark: one 1,000,000-row, 12-field table; times (a) a full scan through the
# engine's Table dataset, first to last record (a dataset decodes a record's fields when they
# are read: none are here), and the same scan reading every field of every row (and, for
# comparison, through the driver's cursor), (b) `vlmtool dump`, (c) pgdbf and (d) cat over the
# same file, and (e) the local SQL aggregate against native SQLite; prints the ratios.
# Every reader is timed alike: as a whole process from outside, with the files in the page
# cache, best of $REPEAT runs.
# Usage: bench/run-dbase.sh [build dir] [rows]
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${1:-build}
ROWS=${2:-1000000}
REPEAT=${REPEAT:-3}
BIN="$BUILD/bin"
ninja -C "$BUILD" bench_dbase >/dev/null
ninja -C "$BUILD" vlmtool >/dev/null 2>&1 || echo "(vlmtool does not build; its timing is left out)"
DIR=$(mktemp -d /tmp/vlm-bench-XXXXXX)
trap 'rm -rf "$DIR"' EXIT
echo "generating $ROWS rows in $DIR"
"$BIN/bench_dbase" gen "$DIR" "$ROWS"
ls -l "$DIR"

# Best wall time of REPEAT runs of a command, output to /dev/null; the files are read once
# before, so that every reader finds them in the page cache.
best() {
  local b="" s
  cat "$DIR"/BENCH.* "$DIR"/fox/BENCH.* >/dev/null 2>&1 || true
  for _ in $(seq "$REPEAT"); do
    s=$( { TIMEFORMAT=%3R; time "$@" >/dev/null 2>&1; } 2>&1 ) || true
    if [ -z "$b" ] || [ "$(echo "$s < $b" | bc)" = 1 ]; then b=$s; fi
  done
  echo "$b"
}
ratio() { echo "scale=2; $1 / $2" | bc; }

records=$(best "$BIN/bench_dbase" records "$DIR")
dataset=$(best "$BIN/bench_dbase" dataset "$DIR")
scan=$(best "$BIN/bench_dbase" scan "$DIR")
catT=$(best cat "$DIR/BENCH.DBF")
size=$(stat -c %s "$DIR/BENCH.DBF")
"$BIN/bench_dbase" dataset "$DIR"   # rows read and the checksum of every value
echo "(a) scan, Table dataset, records:    ${records}s"
echo "    scan, Table dataset, every field: ${dataset}s"
echo "    scan, driver cursor, every field: ${scan}s"
echo "(d) cat of BENCH.DBF:               ${catT}s"
if [ -x "$BIN/vlmtool" ]; then
  echo "(b) vlmtool dump:                   $(best "$BIN/vlmtool" dump "$DIR" BENCH.DBF)s"
else
  echo "(b) vlmtool dump:                   (vlmtool not built)"
fi
if command -v pgdbf >/dev/null; then
  # pgdbf reads memos from FoxPro .FPT files only: the same rows in that layout, both readers.
  "$BIN/bench_dbase" gen "$DIR/fox" "$ROWS" 245 >/dev/null
  if pgdbf -m "$DIR/fox/BENCH.FPT" "$DIR/fox/BENCH.DBF" 2>"$DIR/pgdbf.err" | tail -1 | grep -q COMMIT; then
    foxRecords=$(best "$BIN/bench_dbase" records "$DIR/fox")
    foxScan=$(best "$BIN/bench_dbase" dataset "$DIR/fox")
    pgT=$(best pgdbf -m "$DIR/fox/BENCH.FPT" "$DIR/fox/BENCH.DBF")
    echo "    scan, Table dataset, FoxPro copy: ${foxRecords}s records, ${foxScan}s every field"
    echo "(c) pgdbf, FoxPro copy:             ${pgT}s"
    echo "ratio pgdbf/scan:                   $(ratio "$pgT" "$foxRecords")  (target >= 3); every field read: $(ratio "$pgT" "$foxScan")"
  else
    echo "pgdbf failed: $(head -c 200 "$DIR/pgdbf.err")"
  fi
fi
echo "scan bandwidth vs cat:              $(echo "scale=1; 100 * $catT / $records" | bc)%  (target >= 30%); every field read: $(echo "scale=1; 100 * $catT / $dataset" | bc)%"
echo "file size: $size bytes ($(echo "scale=0; $size / 1048576 / $records" | bc) MiB/s scanned, $(echo "scale=0; $size / 1048576 / $dataset" | bc) MiB/s reading every field)"
"$BIN/bench_dbase" sql "$DIR"
echo "(target: local/native ratio <= 2)"
