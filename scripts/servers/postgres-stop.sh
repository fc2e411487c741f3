#!/usr/bin/env bash
# Stops the throwaway PostgreSQL cluster that postgres-start.sh STATE_DIR started: by its PID,
# then removes its data directory.
set -uo pipefail
STATE=${1:?usage: postgres-stop.sh STATE_DIR}
DIR=$(cat "$STATE/datadir" 2>/dev/null || true)
PID=$(cat "$STATE/pid" 2>/dev/null || true)
if [ -z "$PID" ] && [ -n "$DIR" ] && [ -f "$DIR/data/postmaster.pid" ]; then
  PID=$(head -1 "$DIR/data/postmaster.pid")
fi
if [ -n "$PID" ] && kill -0 "$PID" 2>/dev/null; then
  kill -INT "$PID" 2>/dev/null            # fast shutdown
  for _ in $(seq 1 100); do kill -0 "$PID" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$PID" 2>/dev/null && kill -KILL "$PID" 2>/dev/null
fi
case "$DIR" in
  /tmp/vlm-pg.*) rm -rf "$DIR" ;;
esac
rm -f "$STATE/port" "$STATE/pid" "$STATE/datadir"
exit 0
