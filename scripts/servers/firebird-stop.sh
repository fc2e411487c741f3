#!/usr/bin/env bash
# Stops the Firebird test server that firebird-start.sh started for STATE_DIR, by its PID, and
# removes its run directory (configuration, lock files, databases).
#   firebird-stop.sh STATE_DIR
set -uo pipefail
STATE=${1:?usage: firebird-stop.sh STATE_DIR}
if [ -f "$STATE/pid" ]; then
  PID=$(cat "$STATE/pid")
  if [ -n "$PID" ] && kill -0 "$PID" 2>/dev/null; then
    kill -TERM "$PID" 2>/dev/null
    # The server may wait up to 10 s for its engine threads on a signal; after 2 s it is killed
    # (the test databases are throwaway).
    for _ in $(seq 1 20); do
      kill -0 "$PID" 2>/dev/null || break
      sleep 0.1
    done
    kill -0 "$PID" 2>/dev/null && kill -KILL "$PID" 2>/dev/null
  fi
fi
if [ -f "$STATE/rundir" ]; then
  DIR=$(cat "$STATE/rundir")
  case "$DIR" in
    /tmp/vlm-fb.*) rm -rf "$DIR" ;;
  esac
fi
rm -f "$STATE/pid" "$STATE/port" "$STATE/datadir" "$STATE/rundir" "$STATE/user" "$STATE/password"
exit 0
