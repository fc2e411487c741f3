#!/usr/bin/env bash
# The object list benchmark: a Firebird database (embedded) with 30,000 triggers by default.
# bench_objlists opens the trigger list in the list window (offscreen) and reports the time from
# the command to the first painted rows and the first row's text; beside it, isql-fb reads the
# same catalog statement whole. Target: the list's first rows within one second.
# Usage: bench/run-objlists.sh [build dir] [triggers]
# The database is made once per count in BUILD/bench-cache/objlists (delete it to remake).
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=$(cd "${1:-build}" && pwd)
N=${2:-30000}
ninja -C "$BUILD" bench_objlists >/dev/null
BENCH="$BUILD/bin/bench_objlists"
CACHE="$BUILD/bench-cache/objlists"
mkdir -p "$CACHE" "$BUILD/bench-state/fb-embedded-lock"
export FIREBIRD_LOCK="$BUILD/bench-state/fb-embedded-lock" QT_QPA_PLATFORM=offscreen
FDB="$CACHE/triggers_$N.fdb"
if [ ! -f "$FDB" ]; then
  rm -f "$FDB.part"
  isql-fb -q -user SYSDBA <<SQL
create database '$FDB.part';
create table BIG (ID integer not null primary key, NAME varchar(30));
commit;
set term ^;
execute block as declare i integer = 1; begin
  while (i <= $N) do begin
    execute statement 'create trigger BIG_T' || :i || ' for BIG active before insert position ' || mod(:i, 30000) ||
      ' as begin new.NAME = ''row ' || :i || '''; end';
    i = i + 1;
  end
end^
set term ;^
commit;
SQL
  mv "$FDB.part" "$FDB"
fi
echo "== Firebird embedded, $N triggers"
echo "   list window: $("$BENCH" "INTRBASE:$FDB" triggers SYSDBA masterkey 2>&1 | tail -1)   (target: first paint <= 1000 ms)"
START=$(date +%s%N)
echo "select RDB\$TRIGGER_NAME,RDB\$RELATION_NAME,RDB\$TRIGGER_TYPE,RDB\$TRIGGER_SOURCE from RDB\$TRIGGERS;" |
  isql-fb -q -user SYSDBA "$FDB" > /dev/null
END=$(date +%s%N)
echo "   isql-fb reading the same catalog whole: $(( (END - START) / 1000000 )) ms"
