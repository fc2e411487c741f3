#!/usr/bin/env bash
# Starts a private Firebird server on 127.0.0.1 on a free port, for the tests.
#   firebird-start.sh STATE_DIR
# The server runs as the OS user "firebird" with its own root directory (configuration, security
# database), lock directory and data directory, so it never meets a system-wide server or an
# embedded engine of another user. Login: SYSDBA with the password of $VLM_FB_PASSWORD
# (default "masterkey").
# Writes STATE_DIR/port, STATE_DIR/pid, STATE_DIR/datadir (a directory owned by firebird where
# the server creates its databases), STATE_DIR/user and STATE_DIR/password (the login of this
# throwaway server) and STATE_DIR/rundir; STATE_DIR/error when it fails.
# Prints the port. Stop it with firebird-stop.sh STATE_DIR.
# Exit status: 0 when the server runs; on failure 1 under CI=true, else 0 with STATE_DIR/error
# so that the tests fail with its text.
set -uo pipefail
STATE=${1:?usage: firebird-start.sh STATE_DIR}
mkdir -p "$STATE"
STATE=$(cd "$STATE" && pwd)
# A previous server of this state directory is stopped first.
[ -f "$STATE/rundir" ] && "$(dirname "$0")/firebird-stop.sh" "$STATE" >/dev/null 2>&1
rm -f "$STATE/port" "$STATE/pid" "$STATE/error"
PASSWORD=${VLM_FB_PASSWORD:-masterkey}
FBROOT=${VLM_FB_ROOT:-$(dirname "$(readlink -f /usr/lib/*/firebird/3.0/firebird.msg 2>/dev/null | head -1)")}
SERVER=${VLM_FB_SERVER:-/usr/sbin/firebird}
ISQL=$(command -v isql-fb || command -v isql || true)

fail() {
  echo "Firebird test server did not start: $*" | tee "$STATE/error" >&2
  [ "${CI:-}" = "true" ] && exit 1
  exit 0
}

[ -x "$SERVER" ] || fail "no server binary $SERVER (install firebird3.0-server)"
[ -f "$FBROOT/firebird.msg" ] || fail "no Firebird root directory (install firebird3.0-server-core)"
[ -n "$ISQL" ] || fail "no isql-fb (install firebird3.0-utils)"
[ "$(id -u)" -eq 0 ] || [ "$(id -un)" = firebird ] || fail "must run as root or as user firebird"
id -u firebird >/dev/null 2>&1 || fail "the OS user firebird does not exist"

DIR=$(mktemp -d /tmp/vlm-fb.XXXXXX) || fail "mktemp failed"
chmod 0755 "$DIR"
echo "$DIR" > "$STATE/rundir"
mkdir -p "$DIR/root" "$DIR/lock" "$DIR/setup-lock" "$DIR/tmp" "$DIR/data"
for f in plugins intl firebird.msg plugins.conf fbtrace.conf UDF; do
  [ -e "$FBROOT/$f" ] && ln -s "$FBROOT/$f" "$DIR/root/$f"
done
SEC="$DIR/root/security3.fdb"
cat > "$DIR/root/databases.conf" <<EOF
security.db = $SEC
{
	RemoteAccess = false
}
EOF

write_conf() {
  cat > "$DIR/root/firebird.conf" <<EOF
RemoteServicePort = $1
RemoteBindAddress = 127.0.0.1
SecurityDatabase = $SEC
TempDirectories = $DIR/tmp
UdfAccess = None
WireCrypt = Enabled
EOF
}
write_conf 0

# Our own security database with SYSDBA, made through the embedded engine before the server
# takes it over.
export FIREBIRD="$DIR/root" FIREBIRD_TMP="$DIR/tmp"
FIREBIRD_LOCK="$DIR/setup-lock" "$ISQL" -q > "$DIR/setup.log" 2>&1 <<EOF || fail "cannot create the security database: $(tail -3 "$DIR/setup.log")"
create database '$SEC';
EOF
FIREBIRD_LOCK="$DIR/setup-lock" "$ISQL" -q -user SYSDBA "$SEC" >> "$DIR/setup.log" 2>&1 <<EOF || fail "cannot create SYSDBA: $(tail -3 "$DIR/setup.log")"
create user SYSDBA password '$PASSWORD' using plugin Srp;
commit;
EOF
grep -q -i 'error\|failed' "$DIR/setup.log" && fail "security database setup: $(tail -3 "$DIR/setup.log")"
chown -R firebird:firebird "$DIR"
chmod 0770 "$DIR/data"

freeport() {
  python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])' 2>/dev/null \
    || echo $(( 20000 + RANDOM % 20000 ))
}

listening() {
  (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null
}

RUNAS=()
[ "$(id -u)" -eq 0 ] && RUNAS=(setpriv --reuid=firebird --regid=firebird --init-groups)

started=""
for attempt in 1 2 3 4 5; do
  PORT=$(freeport)
  listening "$PORT" && continue
  write_conf "$PORT"
  # setpriv execs the server itself, so $! is the server's PID and stopping it needs no guard.
  env FIREBIRD="$DIR/root" FIREBIRD_LOCK="$DIR/lock" FIREBIRD_TMP="$DIR/tmp" \
    "${RUNAS[@]}" "$SERVER" > "$DIR/server.log" 2>&1 < /dev/null &
  PID=$!
  for _ in $(seq 1 100); do
    if ! kill -0 "$PID" 2>/dev/null; then break; fi
    if listening "$PORT"; then started=1; break; fi
    sleep 0.1
  done
  [ -n "$started" ] && break
  kill "$PID" 2>/dev/null
  wait "$PID" 2>/dev/null
done
[ -n "$started" ] || fail "the server did not listen: $(tail -3 "$DIR/server.log"; tail -3 "$DIR/lock/firebird.log" 2>/dev/null)"

echo "$PID" > "$STATE/pid"
echo SYSDBA > "$STATE/user"
(umask 077; echo "$PASSWORD" > "$STATE/password")
echo "$DIR/data" > "$STATE/datadir"
echo "$PORT" > "$STATE/port"
echo "$PORT"
