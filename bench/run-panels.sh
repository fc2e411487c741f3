#!/usr/bin/env bash
# The panel build benchmark: a 50,000-table catalog on PostgreSQL, the largest catalog a Firebird
# database holds (32,640 tables, through the server) and a directory of 10,000 small dBase tables. Times the panel's list build (session
# table list, TMyTableList fill, sorting) and the Qt report fill offscreen, beside the native
# tool doing the listing (psql, isql-fb, ls -l); prints the times and the ratios against the 1 s
# target. The catalogs are made once and kept in BUILD/bench-cache/panels (delete it to remake).
# Usage: bench/run-panels.sh [build dir] [repeats]      (run as root: the servers need it)
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
BUILD=$(cd "${1:-build}" && pwd)
REPEAT=${2:-5}
ninja -C "$BUILD" bench_panels >/dev/null
BENCH="$BUILD/bin/bench_panels"
[ -x "$BENCH" ] || BENCH="$BUILD/bench/bench_panels"
CACHE="$BUILD/bench-cache/panels"
STATE="$BUILD/bench-state"
N=50000
NDBF=10000
PGBIN=${VLM_PG_BIN:-$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -1)}
ISQL=$(command -v isql-fb || command -v isql)
mkdir -p "$CACHE" "$STATE"
export FIREBIRD_LOCK="$STATE/fb-embedded-lock"
mkdir -p "$FIREBIRD_LOCK"

cleanup() {
  "$ROOT/scripts/servers/postgres-stop.sh" "$STATE/postgres" >/dev/null 2>&1 || true
  "$ROOT/scripts/servers/firebird-stop.sh" "$STATE/firebird" >/dev/null 2>&1 || true
}
trap cleanup EXIT

now() { date +%s.%N; }
# Wall time of a command, output discarded.
t() { local s e; s=$(now); "$@" >/dev/null 2>&1 || true; e=$(now); echo "$e - $s" | bc; }
# Best of REPEAT wall times.
best() { local b="" x; for _ in $(seq 1 "$REPEAT"); do x=$(t "$@"); if [ -z "$b" ] || [ "$(echo "$x < $b" | bc)" = 1 ]; then b=$x; fi; done; echo "$b"; }
field() { sed -n "s/^$1 .*best=\([0-9.]*\).*/\1/p"; }
ratio() { echo "scale=2; $1 / $2" | bc; }
verdict() { if [ "$(echo "$1 <= 1" | bc)" = 1 ]; then echo "within the 1 s target"; else echo "OVER the 1 s target"; fi; }

report() {   # report NAME BENCH_OUTPUT NATIVE_LABEL NATIVE_SECONDS
  local out=$2 list sort qt total conn
  conn=$(sed -n 's/^connect seconds=\([0-9.]*\).*/\1/p' <<<"$out")
  list=$(field list <<<"$out"); sort=$(field sort <<<"$out"); qt=$(field qtfill <<<"$out"); total=$(field total <<<"$out")
  local count; count=$(sed -n 's/^total .*tables=\([0-9]*\).*/\1/p' <<<"$out")
  echo "== $1: $count tables listed"
  echo "   connect:                 ${conn}s"
  echo "   list build (best):       ${list}s"
  echo "   sort (best):             ${sort}s"
  [ -n "$qt" ] && echo "   Qt report fill (best):   ${qt}s"
  echo "   panel build total:       ${total}s  ($(verdict "$total"))"
  echo "   $3: ${4}s"
  echo "   ratio panel total / native:             $(ratio "$total" "$4")"
  echo "   ratio (connect + list build) / native:  $(ratio "$(echo "$conn + $list" | bc)" "$4")"
}

# --- dBase directory -----------------------------------------------------------------------------
DBF="$CACHE/dbf$NDBF"
if [ ! -f "$DBF/.complete" ]; then
  rm -rf "$DBF"
  "$BENCH" gendbf "$DBF" "$NDBF"
  touch "$DBF/.complete"
fi
ls -l "$DBF" >/dev/null   # warm the directory and inode caches for both
out=$("$BENCH" build "$REPEAT" "$DBF")
report "dBase directory" "$out" "ls -l (best)           " "$(best ls -l "$DBF")"

# --- PostgreSQL ----------------------------------------------------------------------------------
# The test cluster is thrown away by its stop script: the generated cluster's data directory is
# kept in the cache and put in place of the fresh cluster's one.
PGS="$STATE/postgres"
"$ROOT/scripts/servers/postgres-start.sh" "$PGS" >/dev/null
if [ -f "$PGS/port" ]; then
  PGPORT=$(cat "$PGS/port"); PGDIR=$(cat "$PGS/datadir")
  PGUSER_OS=$(stat -c %U "$PGDIR/data")
  pgctl() {
    local cmd="'$PGBIN/pg_ctl' -D '$PGDIR/data' -l '$PGDIR/server.log' -w -t 60 $*"
    if [ "$(id -un)" != "$PGUSER_OS" ]; then su -s /bin/sh "$PGUSER_OS" -c "$cmd"; else sh -c "$cmd"; fi
  }
  PGOPTS="-o \"-c listen_addresses=127.0.0.1 -p $PGPORT -k $PGDIR -c fsync=off -c max_connections=60\""
  PSQL=("$PGBIN/psql" -h 127.0.0.1 -p "$PGPORT" -U pgtest -d vlmtest -q -v ON_ERROR_STOP=1)
  if [ -f "$CACHE/pg/.complete" ]; then
    pgctl stop -m fast >/dev/null
    rm -rf "$PGDIR/data"
    cp -a "$CACHE/pg/data" "$PGDIR/data"
    chown -R "$PGUSER_OS" "$PGDIR/data"
    pgctl start "$PGOPTS" >/dev/null
  else
    echo "generating $N PostgreSQL tables"
    for s in $(seq 1 1000 "$N"); do   # 1,000 per transaction: the lock table holds no more
      echo "DO \$\$ BEGIN FOR i IN $s..$((s + 999 < N ? s + 999 : N)) LOOP EXECUTE format('CREATE TABLE tab_%s (id integer, name varchar(30))', lpad(((i * 7919) % $N)::text, 5, '0')); END LOOP; END \$\$;"
    done | "${PSQL[@]}"
    pgctl stop -m fast >/dev/null
    rm -rf "$CACHE/pg"; mkdir -p "$CACHE/pg"
    cp -a "$PGDIR/data" "$CACHE/pg/data"
    rm -f "$CACHE/pg/data/postmaster.pid"
    touch "$CACHE/pg/.complete"
    pgctl start "$PGOPTS" >/dev/null
  fi
  head -1 "$PGDIR/data/postmaster.pid" > "$PGS/pid"
  CATALOG="SELECT n.nspname, c.relname, c.relkind FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace WHERE c.relkind IN ('r','v','m','p','f') AND n.nspname NOT IN ('pg_catalog','information_schema') ORDER BY 1, 2"
  "${PSQL[@]}" -At -c "$CATALOG" >/dev/null   # warm the catalog caches for both
  out=$("$BENCH" build "$REPEAT" "POSTGRESQL:127.0.0.1:$PGPORT/vlmtest" "USER NAME=pgtest")
  report "PostgreSQL" "$out" "psql catalog query (best)" "$(best "${PSQL[@]}" -At -c "$CATALOG")"
  echo "   psql -c '\\dt' (best):   $(best "${PSQL[@]}" -c '\dt')s"
  "$ROOT/scripts/servers/postgres-stop.sh" "$PGS" >/dev/null
else
  echo "== PostgreSQL: $(cat "$PGS/error" 2>/dev/null || echo 'the server did not start')"
fi

# --- Firebird ------------------------------------------------------------------------------------
# Made through the embedded engine with forced writes off (DDL commits are slow otherwise), kept
# in the cache and copied into the server's data directory for each run. A Firebird 3 database
# holds at most 32,767 relations, its system tables included (a 16-bit relation id; the next
# CREATE TABLE fails "Implementation limit exceeded"): the catalog is as many tables as fit,
# the same names as the first 32,640 of the PostgreSQL catalog.
FBN=32640
FDB="$CACHE/fb/PANELS50K.FDB"
if [ ! -f "$CACHE/fb/.complete" ]; then
  echo "generating $FBN Firebird tables (a few minutes, once)"
  rm -rf "$CACHE/fb"; mkdir -p "$CACHE/fb"
  echo "create database '$FDB' page_size 4096;" | "$ISQL" -q -user SYSDBA
  gfix -write async -user SYSDBA "$FDB"
  awk -v n="$N" -v m="$FBN" 'BEGIN { for (i = 1; i <= m; i++) { printf "create table TAB_%05d (ID integer, NAME varchar(30));\n", (i * 7919) % n; if (i % 1000 == 0) print "commit;" } print "commit;" }' \
    | "$ISQL" -q -user SYSDBA "$FDB"
  touch "$CACHE/fb/.complete"
fi
FBS="$STATE/firebird"
"$ROOT/scripts/servers/firebird-start.sh" "$FBS" >/dev/null
if [ -f "$FBS/port" ]; then
  FBPORT=$(cat "$FBS/port"); FBDATA=$(cat "$FBS/datadir"); FBPASS=$(cat "$FBS/password")
  cp "$FDB" "$FBDATA/PANELS50K.FDB"
  chown firebird:firebird "$FBDATA/PANELS50K.FDB"
  TARGET="127.0.0.1/$FBPORT:$FBDATA/PANELS50K.FDB"
  FBSQL='select trim(rdb$relation_name), rdb$view_blr is not null, coalesce(rdb$system_flag, 0) from rdb$relations where coalesce(rdb$system_flag, 0) = 0 order by 1;'
  isqlList() { echo "$FBSQL" | "$ISQL" -q -user SYSDBA -password "$FBPASS" "$TARGET"; }
  isqlList >/dev/null   # warm the server's page cache for both
  out=$("$BENCH" build "$REPEAT" "$TARGET" "USER NAME=SYSDBA" "PASSWORD=$FBPASS")
  report "Firebird (server)" "$out" "isql-fb on RDB\$RELATIONS (best)" "$(best isqlList)"
  "$ROOT/scripts/servers/firebird-stop.sh" "$FBS" >/dev/null
else
  echo "== Firebird: $(cat "$FBS/error" 2>/dev/null || echo 'the server did not start')"
fi
