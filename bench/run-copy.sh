#!/usr/bin/env bash
# The batch move benchmark, in one run: the 1,000,000-row, 12-field dBase table copied with the
# engine's batch move (batCopy) into PostgreSQL, SQLite and Firebird (server and embedded), beside
# `pgdbf | psql` into the same PostgreSQL cluster and the sqlite3 shell's `.import` of the same
# rows as CSV into a table of the same declared types; then the 50,000-table catalog listing of
# bench/run-panels.sh on PostgreSQL and Firebird. Prints the times, the ratios and the targets:
# PostgreSQL copy no slower than pgdbf | psql, SQLite copy within 1.3 times .import, the catalog
# list within 1 second.
# Usage: bench/run-copy.sh [build dir] [rows] [repeats]     (run as root: the servers need it)
# VLM_BENCH_NO_CATALOG=1 leaves the catalog listing out; VLM_BENCH_ONLY=postgres (or sqlite,
# firebird; several with commas) measures only those destinations.
set -euo pipefail
shopt -s inherit_errexit
cd "$(dirname "$0")/.."
ROOT=$PWD
BUILD=$(cd "${1:-build}" && pwd)
ROWS=${2:-1000000}
REPEAT=${3:-1}
ninja -C "$BUILD" bench_dbase bench_copy >/dev/null
BIN="$BUILD/bin"
[ -x "$BIN/bench_copy" ] || BIN="$BUILD/bench"
PGBIN=${VLM_PG_BIN:-$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -1)}
STATE="$BUILD/bench-state/copy"
mkdir -p "$STATE"
export FIREBIRD_LOCK="$STATE/fb-embedded-lock"
mkdir -p "$FIREBIRD_LOCK"
DIR=$(mktemp -d /tmp/vlm-copy-XXXXXX)
chmod 0755 "$DIR"

cleanup() {
  "$ROOT/scripts/servers/postgres-stop.sh" "$STATE/postgres" >/dev/null 2>&1 || true
  "$ROOT/scripts/servers/firebird-stop.sh" "$STATE/firebird" >/dev/null 2>&1 || true
  rm -rf "$DIR"
}
trap cleanup EXIT

now() { date +%s.%N; }
ratio() { printf '%.2f' "$(echo "scale=4; $1 / $2" | bc)"; }
le() { [ "$(echo "$1 <= $2" | bc)" = 1 ]; }
# Wall time of one run of a command; its output goes to $DIR/last.out, a failure stops the run.
t() {
  local s e
  s=$(now)
  if ! "$@" >"$DIR/last.out" 2>&1; then echo "FAILED: $*: $(head -c 400 "$DIR/last.out")" >&2; return 1; fi
  e=$(now)
  printf '%.3f\n' "$(echo "$e - $s" | bc)"
}
# Best of REPEAT runs of "PREPARE; command": PREPARE (a shell function name) runs untimed first.
best() {
  local prep=$1 b="" x
  shift
  for _ in $(seq 1 "$REPEAT"); do
    "$prep"
    x=$(t "$@")
    if [ -z "$b" ] || le "$x" "$b"; then b=$x; fi
  done
  echo "$b"
}
none() { :; }
want() { [ -z "${VLM_BENCH_ONLY:-}" ] || [[ ",$VLM_BENCH_ONLY," == *",$1,"* ]]; }
SUMMARY=()
verdict() {   # verdict LABEL SECONDS OTHER_SECONDS LIMIT_RATIO TARGET_TEXT
  local r; r=$(ratio "$2" "$3")
  local v="OVER"; le "$r" "$4" && v="within"
  SUMMARY+=("$(printf '%-34s %8ss  ratio %5s  (%s target: %s)' "$1" "$2" "$r" "$v" "$5")")
}

echo "generating $ROWS rows in $DIR"
"$BIN/bench_dbase" gen "$DIR/dbf" "$ROWS" >/dev/null
# pgdbf reads memos from FoxPro .FPT files only: the same rows in that layout for it.
"$BIN/bench_dbase" gen "$DIR/fox" "$ROWS" 245 >/dev/null
if want sqlite; then "$BIN/bench_copy" csv "$DIR/dbf" "$DIR/bench.csv"; else : >"$DIR/bench.csv"; fi
cat "$DIR"/dbf/BENCH.* "$DIR"/fox/BENCH.* "$DIR/bench.csv" >/dev/null   # warm the page cache alike
ls -l "$DIR/dbf" "$DIR/fox" "$DIR/bench.csv" | grep -v '^total'

# --- SQLite --------------------------------------------------------------------------------------
if want sqlite; then
echo "== SQLite"
SQ="$DIR/vlm.sqlite"
IMP="$DIR/import.sqlite"
sqPrep() { rm -f "$SQ" "$SQ-journal"; }
sqT=$(best sqPrep "$BIN/bench_copy" copy "$DIR/dbf" "SQLITE:$SQ" BENCH)
echo "   batch move:              ${sqT}s  ($(sed -n 's/.*rows=\([0-9]*\).*/\1/p' "$DIR/last.out") rows)"
# The import fills a table declared as the batch move declared its copy.
SCHEMA=$(sqlite3 "$SQ" ".schema BENCH")
impPrep() { rm -f "$IMP" "$IMP-journal"; sqlite3 "$IMP" "$SCHEMA"; }
impT=$(best impPrep sqlite3 "$IMP" ".import --csv $DIR/bench.csv BENCH")
echo "   sqlite3 .import (CSV):   ${impT}s  ($(sqlite3 "$IMP" 'select count(*) from BENCH') rows)"
echo "   rows copied:             $(sqlite3 "$SQ" 'select count(*) from BENCH')"
echo "   ratio batch move / import: $(ratio "$sqT" "$impT")  (target <= 1.3)"
verdict "SQLite copy / .import" "$sqT" "$impT" 1.3 "<= 1.3"
rm -f "$SQ" "$IMP"
fi

# --- PostgreSQL ----------------------------------------------------------------------------------
if want postgres; then
echo "== PostgreSQL"
PGS="$STATE/postgres"
"$ROOT/scripts/servers/postgres-start.sh" "$PGS" >/dev/null
if [ -f "$PGS/port" ]; then
  PGPORT=$(cat "$PGS/port")
  PSQL=("$PGBIN/psql" -h 127.0.0.1 -p "$PGPORT" -U pgtest -d vlmtest -q -v ON_ERROR_STOP=1)
  # Both start from no table and a checkpointed cluster.
  pgPrep() { "${PSQL[@]}" -c 'DROP TABLE IF EXISTS bench; DROP TABLE IF EXISTS "VLM_BENCH"' -c CHECKPOINT >/dev/null 2>&1; }
  pgdbfRun() { pgdbf -m "$DIR/fox/BENCH.FPT" "$DIR/fox/BENCH.DBF" | "${PSQL[@]}" >/dev/null; }
  pgdbfT=$(best pgPrep pgdbfRun)
  echo "   pgdbf | psql:            ${pgdbfT}s  ($("${PSQL[@]}" -At -c 'select count(*) from bench') rows)"
  pgT=$(best pgPrep "$BIN/bench_copy" copy "$DIR/dbf" "POSTGRESQL:127.0.0.1:$PGPORT/vlmtest" VLM_BENCH "USER NAME=pgtest")
  echo "   batch move (COPY):       ${pgT}s  ($("${PSQL[@]}" -At -c 'select count(*) from "VLM_BENCH"') rows)"
  echo "   ratio batch move / pgdbf: $(ratio "$pgT" "$pgdbfT")  (target <= 1)"
  verdict "PostgreSQL copy / pgdbf | psql" "$pgT" "$pgdbfT" 1 "<= 1"
  "$ROOT/scripts/servers/postgres-stop.sh" "$PGS" >/dev/null
else
  echo "   $(cat "$PGS/error" 2>/dev/null || echo 'the server did not start')"
  SUMMARY+=("PostgreSQL: not measured (no server)")
fi
fi

# --- Firebird ------------------------------------------------------------------------------------
if want firebird; then
echo "== Firebird"
FBS="$STATE/firebird"
"$ROOT/scripts/servers/firebird-start.sh" "$FBS" >/dev/null
if [ -f "$FBS/port" ]; then
  FBPORT=$(cat "$FBS/port"); FBDATA=$(cat "$FBS/datadir"); FBPASS=$(cat "$FBS/password")
  fbPrep() { rm -f "$FBDATA/COPY.FDB"; }
  fbT=$(best fbPrep "$BIN/bench_copy" copy "$DIR/dbf" "INTRBASE:127.0.0.1/$FBPORT:$FBDATA/COPY.FDB" BENCH \
        "USER NAME=SYSDBA" "PASSWORD=$FBPASS" "CREATE=TRUE")
  echo "   batch move (server):     ${fbT}s  ($(sed -n 's/.*rows=\([0-9]*\).*/\1/p' "$DIR/last.out") rows, $(echo "$ROWS / $fbT" | bc) rows/s)"
  SUMMARY+=("$(printf '%-34s %8ss  (no target)' "Firebird server copy" "$fbT")")
  "$ROOT/scripts/servers/firebird-stop.sh" "$FBS" >/dev/null
else
  echo "   $(cat "$FBS/error" 2>/dev/null || echo 'the server did not start')"
  SUMMARY+=("Firebird server: not measured (no server)")
fi
embPrep() { rm -f "$DIR/EMB.FDB"; }
embT=$(best embPrep "$BIN/bench_copy" copy "$DIR/dbf" "INTRBASE:$DIR/EMB.FDB" BENCH "USER NAME=SYSDBA" "CREATE=TRUE")
echo "   batch move (embedded):   ${embT}s  ($(sed -n 's/.*rows=\([0-9]*\).*/\1/p' "$DIR/last.out") rows, $(echo "$ROWS / $embT" | bc) rows/s)"
SUMMARY+=("$(printf '%-34s %8ss  (no target)' "Firebird embedded copy" "$embT")")
rm -f "$DIR/EMB.FDB"
fi

# --- The 50,000-table catalog --------------------------------------------------------------------
if [ "${VLM_BENCH_NO_CATALOG:-}" != 1 ] && { want postgres || want firebird; }; then
  echo "== Catalog listing (bench/run-panels.sh)"
  "$ROOT/bench/run-panels.sh" "$BUILD" 3 | tee "$DIR/panels.out"
  listed() { awk -v h="$1" 'index($0, h) == 1 { on = 1; next } /^== / { on = 0 } on && /panel build total:/ { print $4 }' "$DIR/panels.out" | tr -d s; }
  for k in "== PostgreSQL" "== Firebird"; do
    v=$(listed "$k")
    if [ -n "$v" ]; then
      w="OVER"; le "$v" 1 && w="within"
      SUMMARY+=("$(printf '%-34s %8ss  (%s target: <= 1 s)' "${k#== } catalog list" "$v" "$w")")
    else
      SUMMARY+=("${k#== } catalog list: not measured")
    fi
  done
fi

echo
echo "== Summary ($ROWS rows)"
printf '   %s\n' "${SUMMARY[@]}"
