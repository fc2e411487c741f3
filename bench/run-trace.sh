#!/usr/bin/env bash
# The SQL monitor benchmark: N trace messages (1,000,000 by default) reach the main window's
# trace log through the engine's trace hook from a worker thread; then "Show" is timed from the
# command to the monitor window's first paint (offscreen), with one Page Down step and the jump
# to the end. Side by side, the same lines as a text file: "cat" of it and "less +G" (a pager
# opening the file at its end, on a pseudo terminal).
# Target: "Show" of 1,000,000 messages at most 1 s.
# Usage: bench/run-trace.sh [build dir] [messages]
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=$(cd "${1:-build}" && pwd)
N=${2:-1000000}
ninja -C "$BUILD" bench_trace >/dev/null
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
mkdir -p "$WORK/bin" "$WORK/data"
for d in VLMSQLC.DIC VLMSQLF.DIC VLMPLSQL.DIC; do echo SELECT >"$WORK/bin/$d"; done
printf '[DATABASE NAMES]\nLEFTDATABASE=%s\nRIGHTDATABASE=%s\n[DATABASE LOGINS]\nLEFTUSERNAME=U\nLEFTUSERPASSWORD=P\nRIGHTUSERNAME=U\nRIGHTUSERPASSWORD=P\n[SETUP]\nLANGUAGE=2\n' "$WORK/data" "$WORK/data" >"$WORK/bin/VLM32.INI"
export QT_QPA_PLATFORM=offscreen XDG_DATA_HOME="$WORK/xdg" XDG_CONFIG_HOME="$WORK/xdg"

OUT=$("$BUILD/bin/bench_trace" "$WORK/bin/" "$N" "$WORK/trace.txt" 2>/dev/null | tail -1)
kv() { sed -n "s/.*$1=\([0-9.]*\).*/\1/p" <<<"$OUT"; }
SHOW=$(kv show_ms)
ms() { local s e; s=$(date +%s%N); "$@" >/dev/null 2>&1; e=$(date +%s%N); echo $(( (e - s) / 1000000 )); }
CAT=$(ms cat "$WORK/trace.txt")
LESS=$(ms sh -c "printf q | script -qfec 'less +G $WORK/trace.txt' /dev/null")
echo "== SQL monitor \"Show\" of $N messages ($(du -h "$WORK/trace.txt" | cut -f1) of text)"
echo "   Show to first paint: ${SHOW} ms (target <= 1000 ms); page down $(kv page_down_ms) ms; to the end $(kv end_ms) ms"
echo "   side by side: cat of the text ${CAT} ms; less +G of the text ${LESS} ms; Show / less = $(echo "scale=2; $SHOW / ($LESS + 0.001)" | bc)"
echo "   raw: $OUT"
