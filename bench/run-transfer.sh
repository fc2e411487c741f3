#!/usr/bin/env bash
# The export, import and compare benchmark, in one run, on a table of ROWS rows (id integer key,
# name varchar, amount numeric(10,2), day date, qty integer) made alike in PostgreSQL and SQLite:
#   export to delimited text   vlmtool export  beside  psql \copy ... to ... csv   (target <= 1.5)
#                                              beside  sqlite3 -csv                (target <= 1.0)
#   import of that file        vlmtool import  beside  psql \copy ... from ... csv (target <= 1.5)
#                                              beside  sqlite3 .import             (target <= 1.3)
#   data compare of the PostgreSQL table with the SQLite one, positional and by key, beside the
#   two vlmtool dump runs of the same tables                                       (target <= 1.5)
# Prints the times, the ratios and the targets. Not a test.
# Usage: bench/run-transfer.sh [build dir] [rows] [repeats]     (run as root: the server needs it)
set -euo pipefail
shopt -s inherit_errexit
cd "$(dirname "$0")/.."
ROOT=$PWD
BUILD=$(cd "${1:-build}" && pwd)
ROWS=${2:-1000000}
REPEAT=${3:-1}
ninja -C "$BUILD" vlmtool >/dev/null
TOOL="$BUILD/bin/vlmtool"
PGBIN=${VLM_PG_BIN:-$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -1)}
STATE="$BUILD/bench-state/transfer"
mkdir -p "$STATE"
DIR=$(mktemp -d /tmp/vlm-transfer-XXXXXX)
chmod 0755 "$DIR"
cleanup() {
  "$ROOT/scripts/servers/postgres-stop.sh" "$STATE/postgres" >/dev/null 2>&1 || true
  rm -rf "$DIR"
}
trap cleanup EXIT

now() { date +%s.%N; }
ratio() { printf '%.2f' "$(echo "scale=4; $1 / $2" | bc)"; }
le() { [ "$(echo "$1 <= $2" | bc)" = 1 ]; }
# Wall time of one run of a command (output to $DIR/last.out); a failure stops the run. Exit
# status 1 of vlmtool compare (differences) counts as a failure too: the tables are equal.
t() {
  local s e
  s=$(now)
  if ! "$@" >"$DIR/last.out" 2>&1; then echo "FAILED: $*: $(head -c 400 "$DIR/last.out")" >&2; return 1; fi
  e=$(now)
  printf '%.3f\n' "$(echo "$e - $s" | bc)"
}
best() {   # best PREPARE command...: the best of REPEAT runs, PREPARE (a function) untimed first
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
SUMMARY=()
verdict() {   # verdict LABEL SECONDS OTHER_SECONDS LIMIT_RATIO
  local r; r=$(ratio "$2" "$3")
  local v="OVER"; le "$r" "$4" && v="within"
  SUMMARY+=("$(printf '%-40s %8ss / %8ss  ratio %5s  (%s target <= %s)' "$1" "$2" "$3" "$r" "$v" "$4")")
}

COLS="id integer not null primary key, name varchar(40), amount numeric(10,2), day date, qty integer"

echo "== PostgreSQL server"
PGS="$STATE/postgres"
"$ROOT/scripts/servers/postgres-start.sh" "$PGS" >/dev/null
PGPORT=$(cat "$PGS/port")
PSQL=("$PGBIN/psql" -h 127.0.0.1 -p "$PGPORT" -U pgtest -d vlmtest -q -v ON_ERROR_STOP=1)
PG="POSTGRESQL:127.0.0.1:$PGPORT/vlmtest"
SQ="$DIR/bench.sqlite"
SQL="SQLITE:$SQ"

echo "generating $ROWS rows in PostgreSQL and SQLite"
"${PSQL[@]}" -c "DROP TABLE IF EXISTS bench; CREATE TABLE bench ($COLS)" \
  -c "INSERT INTO bench SELECT i, 'customer ' || i, (i % 100000) * 0.25, date '2000-01-01' + (i % 9000), i % 97 FROM generate_series(1, $ROWS) i" \
  -c "VACUUM ANALYZE bench" >/dev/null
sqlite3 "$SQ" "CREATE TABLE bench ($COLS);
  WITH RECURSIVE s(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM s WHERE i < $ROWS)
  INSERT INTO bench SELECT i, 'customer ' || i, printf('%.2f', (i % 100000) * 0.25), date('2000-01-01', '+' || (i % 9000) || ' days'), i % 97 FROM s;"

echo "== Export to delimited text"
pgExpT=$(best none "$TOOL" --user pgtest export "$PG" bench "$DIR/pg.txt")
pgCsvT=$(best none "${PSQL[@]}" -c "\\copy bench to '$DIR/pg.csv' csv")
echo "   PostgreSQL: vlmtool export ${pgExpT}s, psql \\copy to csv ${pgCsvT}s ($(wc -l <"$DIR/pg.txt") lines)"
verdict "export PostgreSQL / psql \\copy to" "$pgExpT" "$pgCsvT" 1.5
sqExpT=$(best none "$TOOL" export "$SQL" bench "$DIR/sq.txt")
sqCsvT=$(best none sh -c "sqlite3 -csv '$SQ' 'select * from bench' > '$DIR/sq.csv'")
echo "   SQLite:     vlmtool export ${sqExpT}s, sqlite3 -csv ${sqCsvT}s"
verdict "export SQLite / sqlite3 -csv" "$sqExpT" "$sqCsvT" 1.0

echo "== Import of that file"
pgPrep() { "${PSQL[@]}" -c "DROP TABLE IF EXISTS bench2; CREATE TABLE bench2 ($COLS)" -c CHECKPOINT >/dev/null; }
pgImpT=$(best pgPrep "$TOOL" --user pgtest import "$DIR/pg.txt" "$PG" bench2)
pgCopyT=$(best pgPrep "${PSQL[@]}" -c "\\copy bench2 from '$DIR/pg.csv' csv")
echo "   PostgreSQL: vlmtool import ${pgImpT}s, psql \\copy from csv ${pgCopyT}s"
verdict "import PostgreSQL / psql \\copy from" "$pgImpT" "$pgCopyT" 1.5
sqPrep() { sqlite3 "$SQ" "DROP TABLE IF EXISTS bench2; CREATE TABLE bench2 ($COLS)"; }
sqImpT=$(best sqPrep "$TOOL" import "$DIR/sq.txt" "$SQL" bench2)
echo "   rows imported: $(sqlite3 "$SQ" 'select count(*) from bench2')"
sqDotT=$(best sqPrep sqlite3 "$SQ" ".import --csv $DIR/sq.csv bench2")
echo "   SQLite:     vlmtool import ${sqImpT}s, sqlite3 .import ${sqDotT}s"
verdict "import SQLite / sqlite3 .import" "$sqImpT" "$sqDotT" 1.3

echo "== Data compare, PostgreSQL against SQLite"
cd "$DIR"
dumpT=$(best none sh -c "'$TOOL' --user pgtest dump '$PG' bench > /dev/null && '$TOOL' dump '$SQL' bench > /dev/null")
posT=$(best none "$TOOL" --source-user pgtest compare "$PG" bench "$SQL" bench --data)
keyT=$(best none "$TOOL" --source-user pgtest compare "$PG" bench "$SQL" bench --key)
echo "   two vlmtool dump runs ${dumpT}s, compare positional ${posT}s, by key ${keyT}s"
verdict "compare positional / two dumps" "$posT" "$dumpT" 1.5
verdict "compare by key / two dumps" "$keyT" "$dumpT" 1.5

echo
echo "== Summary ($ROWS rows, best of $REPEAT)"
printf '%s\n' "${SUMMARY[@]}"
