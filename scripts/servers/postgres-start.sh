#!/usr/bin/env bash
# Starts a throwaway PostgreSQL cluster on 127.0.0.1 on a free port, for the tests.
#   postgres-start.sh STATE_DIR
# Writes STATE_DIR/port, STATE_DIR/pid, STATE_DIR/datadir (and STATE_DIR/error when it fails).
# The cluster runs as the OS user "vlmpg" when started by root (initdb refuses root); roles:
# "pgtest" (superuser, trusted) and "vlmpass" (password "vlmpass-secret", checked on TCP).
# Database: "vlmtest". Stop it with postgres-stop.sh STATE_DIR.
# Exit status: 0 when the server runs; on failure 1 under CI=true, else 0 with STATE_DIR/error
# so that the tests fail with its text.
set -uo pipefail
STATE=${1:?usage: postgres-start.sh STATE_DIR}
mkdir -p "$STATE"
rm -f "$STATE/port" "$STATE/pid" "$STATE/error"
PGBIN=${VLM_PG_BIN:-$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -1)}

fail() {
  echo "PostgreSQL test server did not start: $*" | tee "$STATE/error" >&2
  [ "${CI:-}" = "true" ] && exit 1
  exit 0
}

[ -x "$PGBIN/initdb" ] || fail "no PostgreSQL server binaries (install the postgresql package)"

# A previous cluster of this state directory is stopped first.
[ -f "$STATE/datadir" ] && "$(dirname "$0")/postgres-stop.sh" "$STATE" >/dev/null 2>&1

RUNAS=()
OSUSER=$(id -un)
if [ "$(id -u)" -eq 0 ]; then
  OSUSER=vlmpg
  id -u "$OSUSER" >/dev/null 2>&1 || useradd -r -M -d /nonexistent -s /bin/sh "$OSUSER" \
    || fail "cannot create the OS user $OSUSER"
  RUNAS=(su -s /bin/sh "$OSUSER" -c)
fi
run() {
  if [ ${#RUNAS[@]} -gt 0 ]; then "${RUNAS[@]}" "$*"; else sh -c "$*"; fi
}

DIR=$(mktemp -d /tmp/vlm-pg.XXXXXX) || fail "mktemp failed"
chmod 0755 "$DIR"
[ "$OSUSER" != "$(id -un)" ] && chown "$OSUSER" "$DIR"
echo "$DIR" > "$STATE/datadir"

run "'$PGBIN/initdb' -D '$DIR/data' -U pgtest --auth-local=trust --auth-host=scram-sha-256 -E UTF8 --locale=C.UTF-8" \
  > "$DIR/initdb.log" 2>&1 || fail "initdb failed: $(tail -3 "$DIR/initdb.log")"
cat > "$DIR/hba" <<HBA
local all all trust
host all pgtest 127.0.0.1/32 trust
host all all 127.0.0.1/32 scram-sha-256
HBA
cp "$DIR/hba" "$DIR/data/pg_hba.conf"
[ "$OSUSER" != "$(id -un)" ] && chown "$OSUSER" "$DIR/data/pg_hba.conf"

freeport() {
  python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])' 2>/dev/null \
    || echo $(( 20000 + RANDOM % 20000 ))
}

started=""
for attempt in 1 2 3 4 5; do
  PORT=$(freeport)
  if run "'$PGBIN/pg_ctl' -D '$DIR/data' -l '$DIR/server.log' -w -t 30 -o \"-c listen_addresses=127.0.0.1 -p $PORT -k $DIR -c fsync=off -c max_connections=60\" start" \
      > "$DIR/pg_ctl.log" 2>&1; then
    started=1; break
  fi
done
[ -n "$started" ] || fail "pg_ctl start failed: $(tail -3 "$DIR/server.log" 2>/dev/null)"

head -1 "$DIR/data/postmaster.pid" > "$STATE/pid"
PSQL=("$PGBIN/psql" -h 127.0.0.1 -p "$PORT" -U pgtest -d postgres -v ON_ERROR_STOP=1 -q)
"${PSQL[@]}" -c "CREATE DATABASE vlmtest" >/dev/null 2>"$DIR/psql.err" \
  || fail "CREATE DATABASE failed: $(cat "$DIR/psql.err")"
"${PSQL[@]}" -c "CREATE ROLE vlmpass LOGIN PASSWORD 'vlmpass-secret'" >/dev/null 2>>"$DIR/psql.err" \
  || fail "CREATE ROLE failed: $(cat "$DIR/psql.err")"
echo "$PORT" > "$STATE/port"
echo "PostgreSQL test server on 127.0.0.1:$PORT (pid $(cat "$STATE/pid"), data $DIR)"
