#!/usr/bin/env bash
# The grid benchmark: a big 12-column table (10,000,000 rows by default) and a 1,000-row one in
# PostgreSQL, Firebird (embedded), SQLite and dBase, side by side. For each, bench_grid opens
# the table in the table window as F3 does (offscreen) and reports the time from the command
# to the first painted rows, the process memory (RSS) growth after scrolling the first 100,000
# rows and after Ctrl+End; the anchor is the peak memory of psql holding the same result.
# Targets: first paint of the big table at most 1.5 x the small one and at most 150 ms; RSS
# growth at most 64 MB after the scroll and 128 MB after Ctrl+End.
# Usage: bench/run-grid.sh [build dir] [rows] [view|edit]     (run as root: the servers need it)
# The tables are made once per row count in BUILD/bench-cache/grid (delete it to remake).
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
BUILD=$(cd "${1:-build}" && pwd)
N=${2:-10000000}
MODE=${3:-view}
ninja -C "$BUILD" bench_grid >/dev/null
BENCH="$BUILD/bin/bench_grid"
CACHE="$BUILD/bench-cache/grid/$N"
STATE="$BUILD/bench-state"
PGBIN=${VLM_PG_BIN:-$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -1)}
mkdir -p "$CACHE" "$STATE"
export FIREBIRD_LOCK="$STATE/fb-embedded-lock" QT_QPA_PLATFORM=offscreen
mkdir -p "$FIREBIRD_LOCK"
cleanup() { "$ROOT/scripts/servers/postgres-stop.sh" "$STATE/postgres" >/dev/null 2>&1 || true; }
trap cleanup EXIT

COLS="ID, NAME, CITY, AMOUNT, QTY, CODE, NOTE, PRICE, FLAG, GRADE, REF, TAG"
SQLCOLS="ID integer not null primary key, NAME varchar(24), CITY varchar(16), AMOUNT numeric(12,2), QTY integer,
  CODE varchar(8), NOTE varchar(30), PRICE double precision, FLAG integer, GRADE varchar(2), REF integer, TAG varchar(10)"

# --- SQLite --------------------------------------------------------------------------------------
make_sqlite() {   # file rows
  [ -f "$1" ] && return
  python3 - "$1" "$2" <<'PY'
import sqlite3, sys
db = sqlite3.connect(sys.argv[1]); n = int(sys.argv[2])
db.execute("create table BIG (ID integer not null primary key, NAME varchar(24), CITY varchar(16), AMOUNT numeric(12,2), "
           "QTY integer, CODE varchar(8), NOTE varchar(30), PRICE double, FLAG integer, GRADE varchar(2), REF integer, TAG varchar(10))")
db.execute("with recursive s(i) as (select 1 union all select i + 1 from s where i < ?) insert into BIG "
           "select i, 'Customer ' || i, 'City ' || (i % 97), i * 1.25, i % 1000, 'C' || (i % 9999), 'note of row ' || i, "
           "i / 3.0, i % 2, 'G' || (i % 7), i * 7, 'T' || (i % 123) from s", (n,))
db.commit()
PY
}
# --- dBase -----------------------------------------------------------------------------------------
make_dbf() {   # file rows
  [ -f "$1" ] && return
  python3 - "$1" "$2" <<'PY'
import struct, sys
path, n = sys.argv[1], int(sys.argv[2])
fields = [('ID','N',10,0),('NAME','C',24,0),('CITY','C',16,0),('AMOUNT','N',12,2),('QTY','N',6,0),('CODE','C',8,0),
          ('NOTE','C',30,0),('PRICE','N',14,3),('FLAG','N',1,0),('GRADE','C',2,0),('REF','N',10,0),('TAG','C',10,0)]
rl = 1 + sum(f[2] for f in fields); hl = 32 + 32 * len(fields) + 1
with open(path, 'wb') as f:
    f.write(struct.pack('<BBBBIHH20x', 3, 126, 12, 11, n, hl, rl))
    for name, t, l, d in fields: f.write(struct.pack('<11sc4xBB14x', name.encode(), t.encode(), l, d))
    f.write(b'\r'); buf = []
    for i in range(1, n + 1):
        buf.append(b' %10d%-24s%-16s%12.2f%6d%-8s%-30s%14.3f%1d%-2s%10d%-10s' % (i, b'Customer %d' % i, b'City %d' % (i % 97),
                   i * 1.25, i % 1000, b'C%d' % (i % 9999), b'note of row %d' % i, i / 3.0, i % 2, b'G%d' % (i % 7), (i * 7) % 10**10, b'T%d' % (i % 123)))
        if len(buf) == 100000: f.write(b''.join(buf)); buf = []
    f.write(b''.join(buf)); f.write(b'\x1a')
PY
}
# --- Firebird (embedded) ------------------------------------------------------------------------------
make_fdb() {   # file rows
  [ -f "$1" ] && return
  isql-fb -q -user SYSDBA <<SQL
create database '$1';
create table BIG ($SQLCOLS);
set term ^;
execute block as declare i integer = 1; begin
  while (i <= $2) do begin
    insert into BIG values (:i, 'Customer ' || :i, 'City ' || mod(:i, 97), :i * 1.25, mod(:i, 1000), 'C' || mod(:i, 9999),
      'note of row ' || :i, :i / 3.0, mod(:i, 2), 'G' || mod(:i, 7), :i * 7, 'T' || mod(:i, 123));
    i = i + 1;
  end
end^
set term ;^
commit;
SQL
}

run() {   # label database table user password
  "$BENCH" "$2" "$3" "${4:-}" "${5:-}" "$MODE" 2>&1 | tail -1
}
kv() { sed -n "s/.*$1=\([0-9.]*\).*/\1/p" <<<"$2"; }
report() {   # label big-output small-output
  local fb fs gs ge r0 rs re
  fb=$(kv open_first_paint_ms "$2"); fs=$(kv open_first_paint_ms "$3")
  r0=$(kv rss_open_kb "$2"); rs=$(kv rss_after_scroll_kb "$2"); re=$(kv rss_after_end_kb "$2")
  gs=$(( (rs - r0) / 1024 )); ge=$(( (re - r0) / 1024 ))
  echo "== $1 ($N rows, $MODE mode)"
  echo "   first paint: big ${fb} ms, 1,000 rows ${fs} ms, ratio $(echo "scale=2; $fb / $fs" | bc) (target <= 1.5 and <= 150 ms)"
  echo "   RSS growth after scrolling 100,000 rows: ${gs} MB (target <= 64); after Ctrl+End: ${ge} MB (target <= 128)"
  echo "   raw: $2"
}

D="$CACHE"
make_sqlite "$D/big.sqlite" "$N"; make_sqlite "$D/small.sqlite" 1000
report "SQLite" "$(run SQLite "SQLITE:$D/big.sqlite" BIG)" "$(run SQLite "SQLITE:$D/small.sqlite" BIG)"
mkdir -p "$D/dbf-big" "$D/dbf-small"
make_dbf "$D/dbf-big/BIG.DBF" "$N"; make_dbf "$D/dbf-small/BIG.DBF" 1000
report "dBase" "$(run dBase "$D/dbf-big" BIG.DBF)" "$(run dBase "$D/dbf-small" BIG.DBF)"
make_fdb "$D/big.fdb" "$N"; make_fdb "$D/small.fdb" 1000
report "Firebird embedded" "$(run FB "INTRBASE:$D/big.fdb" BIG SYSDBA)" "$(run FB "INTRBASE:$D/small.fdb" BIG SYSDBA)"

PGS="$STATE/postgres"
"$ROOT/scripts/servers/postgres-start.sh" "$PGS" >/dev/null
if [ -f "$PGS/port" ]; then
  PGPORT=$(cat "$PGS/port")
  PSQL=("$PGBIN/psql" -h 127.0.0.1 -p "$PGPORT" -U pgtest -d vlmtest -q -v ON_ERROR_STOP=1)
  for t in big:$N small:1000; do
    name=grid_${t%%:*}; rows=${t##*:}
    "${PSQL[@]}" -c "drop table if exists $name" -c "create table $name ($SQLCOLS)" \
      -c "insert into $name select i, 'Customer ' || i, 'City ' || (i % 97), i * 1.25, i % 1000, 'C' || (i % 9999), 'note of row ' || i, i / 3.0, i % 2, 'G' || (i % 7), i * 7, 'T' || (i % 123) from generate_series(1, $rows) i" >/dev/null
  done
  DB="POSTGRESQL:127.0.0.1:$PGPORT/vlmtest"
  report "PostgreSQL" "$(run PG "$DB" grid_big pgtest)" "$(run PG "$DB" grid_small pgtest)"
  # The anchor: psql holding the same result (its peak RSS).
  peak=$(/usr/bin/time -f "%M" "${PSQL[@]}" -o /dev/null -c "select * from grid_big" 2>&1 | tail -1)
  echo "== anchor: psql holding select * from grid_big: peak RSS $(( peak / 1024 )) MB"
else
  echo "== PostgreSQL: the server did not start ($(cat "$PGS/error" 2>/dev/null))"
fi
