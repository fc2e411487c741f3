#!/usr/bin/env bash
# The script window's benchmark, in one run: a script of 100,000 INSERT statements run through
# the script run of the window (vlmtool script: the same code, the log to /dev/null) into
# PostgreSQL beside `psql -f` and into Firebird beside `isql-fb -i` (target: at most 1.2 times
# each); then a 10 MB, 200,000-line .sql file opened in an editor with its colouring until
# painted (target <= 1 s) and one keystroke at its end (target <= 16 ms).
# Usage: bench/run-sql.sh [build dir] [statements]     (run as root: the servers need it)
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
BUILD=$(cd "${1:-build}" && pwd)
N=${2:-100000}
ninja -C "$BUILD" vlmtool bench_sqlexec >/dev/null
BIN="$BUILD/bin"
PGBIN=${VLM_PG_BIN:-$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -1)}
STATE="$BUILD/bench-state/sql"
mkdir -p "$STATE"
export FIREBIRD_LOCK="$STATE/fb-embedded-lock"
mkdir -p "$FIREBIRD_LOCK"
DIR=$(mktemp -d /tmp/vlm-sql-XXXXXX)
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
t() {
  local s e
  s=$(now)
  if ! "$@" >"$DIR/last.out" 2>&1; then echo "FAILED: $*: $(head -c 400 "$DIR/last.out")" >&2; return 1; fi
  e=$(now)
  printf '%.3f\n' "$(echo "$e - $s" | bc)"
}
SUMMARY=()
verdict() {   # verdict LABEL SECONDS OTHER_SECONDS LIMIT_RATIO
  local r; r=$(ratio "$2" "$3")
  local v="OVER"; le "$r" "$4" && v="within"
  SUMMARY+=("$(printf '%-34s %8ss vs %8ss  ratio %5s  (%s target: <= %s)' "$1" "$2" "$3" "$r" "$v" "$4")")
}

for i in $(seq 1 "$N"); do echo "insert into bench_sql values ($i, 'name $i', $((i % 1000)).25);"; done >"$DIR/inserts.sql"
echo "script: $N INSERT statements, $(wc -c <"$DIR/inserts.sql") bytes"
echo "[\\DATABASES\\NONE\\DB INFO]" >"$DIR/IDAPI32.CFG"
export VLM_ENGINE_CFG="$DIR/IDAPI32.CFG"

echo "== PostgreSQL"
PGS="$STATE/postgres"
"$ROOT/scripts/servers/postgres-start.sh" "$PGS" >/dev/null
if [ -f "$PGS/port" ]; then
  PGPORT=$(cat "$PGS/port")
  PSQL=("$PGBIN/psql" -h 127.0.0.1 -p "$PGPORT" -U pgtest -d vlmtest -q -v ON_ERROR_STOP=1)
  fresh() { "${PSQL[@]}" -c "drop table if exists bench_sql; create table bench_sql (id integer, name varchar(40), price numeric(10,2))"; }
  fresh
  psqlT=$(t "${PSQL[@]}" -f "$DIR/inserts.sql")
  echo "   psql -f:                 ${psqlT}s  ($("${PSQL[@]}" -At -c 'select count(*) from bench_sql') rows)"
  fresh
  vlmT=$(t "$BIN/vlmtool" --user pgtest script "POSTGRESQL:127.0.0.1:$PGPORT/vlmtest" "$DIR/inserts.sql")
  echo "   script run (vlmtool):    ${vlmT}s  ($("${PSQL[@]}" -At -c 'select count(*) from bench_sql') rows)"
  verdict "PostgreSQL script / psql -f" "$vlmT" "$psqlT" 1.2
else
  echo "   $(cat "$PGS/error" 2>/dev/null || echo 'the server did not start')"
  SUMMARY+=("PostgreSQL: not measured (no server)")
fi

echo "== Firebird"
FBS="$STATE/firebird"
"$ROOT/scripts/servers/firebird-start.sh" "$FBS" >/dev/null
if [ -f "$FBS/port" ]; then
  FBPORT=$(cat "$FBS/port"); FBDATA=$(cat "$FBS/datadir"); FBPASS=$(cat "$FBS/password")
  FBDB="127.0.0.1/$FBPORT:$FBDATA/BENCHSQL.FDB"
  fresh() {
    rm -f "$FBDATA/BENCHSQL.FDB"
    printf "create database '%s' user 'SYSDBA' password '%s';\ncreate table bench_sql (id integer, name varchar(40), price numeric(10,2));\ncommit;\n" \
      "$FBDB" "$FBPASS" | isql-fb -q >/dev/null
  }
  fresh
  { echo "connect '$FBDB' user 'SYSDBA' password '$FBPASS';"; cat "$DIR/inserts.sql"; echo "commit;"; } >"$DIR/isql.sql"
  isqlT=$(t isql-fb -q -i "$DIR/isql.sql")
  echo "   isql-fb -i:              ${isqlT}s"
  # isql runs the inserts in one transaction and commits at the end: the script run with
  # "Use Transaction" (--transaction) does the same work. Without it every statement commits
  # on its own (a forced write each), shown for information.
  fresh
  vlmT=$(t "$BIN/vlmtool" --user SYSDBA --password "$FBPASS" script --transaction "INTRBASE:$FBDB" "$DIR/inserts.sql")
  echo "   script run (vlmtool), one transaction:     ${vlmT}s"
  verdict "Firebird script / isql-fb -i" "$vlmT" "$isqlT" 1.2
  fresh
  autoT=$(t "$BIN/vlmtool" --user SYSDBA --password "$FBPASS" script "INTRBASE:$FBDB" "$DIR/inserts.sql")
  echo "   script run (vlmtool), commit per statement: ${autoT}s (for information)"
  rm -f "$FBDATA/BENCHSQL.FDB"
else
  echo "   $(cat "$FBS/error" 2>/dev/null || echo 'the server did not start')"
  SUMMARY+=("Firebird: not measured (no server)")
fi

echo "== Editor"
"$BIN/bench_sqlexec" gen "$DIR/big.sql" 200000
echo "   file: $(wc -c <"$DIR/big.sql") bytes, $(wc -l <"$DIR/big.sql") lines"
QT_QPA_PLATFORM=offscreen "$BIN/bench_sqlexec" open "$DIR/big.sql" | tee "$DIR/editor.out" | sed 's/^/   /'
openMs=$(sed -n 's/^open: \([0-9.]*\) ms.*/\1/p' "$DIR/editor.out")
keyMs=$(sed -n 's/^keystroke: \([0-9.]*\) ms average.*/\1/p' "$DIR/editor.out")
w="OVER"; le "$openMs" 1000 && w="within"
SUMMARY+=("$(printf '%-34s %8s ms  (%s target: <= 1000 ms)' "Open 10 MB .sql, coloured" "$openMs" "$w")")
w="OVER"; le "$keyMs" 16 && w="within"
SUMMARY+=("$(printf '%-34s %8s ms  (%s target: <= 16 ms)' "Keystroke at its end" "$keyMs" "$w")")

echo
echo "== Summary"
printf '   %s\n' "${SUMMARY[@]}"
