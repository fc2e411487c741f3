#!/bin/sh
# Pictures of the query runner with a result: a small SQLite database, an alias for it, and
# Qrun in snapshot mode. Usage: screenshots.sh QRUN OUTDIR
set -eu
QRUN=$1
OUT=$2
mkdir -p "$OUT"
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
python3 - "$WORK/demo.sqlite" <<'PY'
import sqlite3, sys
c = sqlite3.connect(sys.argv[1])
c.execute("create table EMP (ID integer, NAME varchar(20), CITY varchar(20), SALARY numeric(10,2))")
c.executemany("insert into EMP values (?,?,?,?)", [
    (1, "Анна Петрова", "Москва", 1250.50), (2, "Борис Иванов", "Тверь", 980.00),
    (3, "Вера Смирнова", "Казань", 1430.75), (4, "Глеб Орлов", "Самара", 1100.00)])
c.commit()
PY
printf '[\\DATABASES\\DEMO\\DB INFO]\nTYPE=SQLITE\nSERVER NAME=%s\n' "$WORK/demo.sqlite" > "$WORK/IDAPI32.CFG"
VLM_ENGINE_CFG=$WORK/IDAPI32.CFG VLM_QRUN_SNAPSHOT=$OUT/qrun-result.png VLM_QRUN_PASSWORD= \
  "$QRUN" DEMO SYSDBA "" "select ID, NAME, CITY, SALARY
  from EMP
 order by NAME" || true
VLM_ENGINE_CFG=$WORK/IDAPI32.CFG VLM_QRUN_SNAPSHOT=$OUT/qrun-error.png \
  "$QRUN" DEMO SYSDBA "" "select * from NOSUCH" || true
echo "Written: $OUT/qrun-result.png $OUT/qrun-error.png"
