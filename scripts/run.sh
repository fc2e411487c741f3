#!/usr/bin/env bash
# The run command: installs what is missing, builds, and starts the commander Vlm32 (with the query
# runner Qrun built beside it) when a display is there; otherwise shows vlmtool at work on a demo
# SQLite database that the engine writes itself. Arguments go to Vlm32.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
BUILD=${VLM_BUILD_DIR:-build}
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
BIN=$BUILD/bin
HAVE_DISPLAY=${DISPLAY:-}${WAYLAND_DISPLAY:-}
if [ -n "$HAVE_DISPLAY" ] && ninja -C "$BUILD" -t targets all 2>/dev/null | grep -q '^Vlm32:'; then
  cmake --build "$BUILD" -j"$(nproc)" --target vlmtool Vlm32 Qrun
else
  cmake --build "$BUILD" -j"$(nproc)" --target vlmtool
fi
if [ -n "$HAVE_DISPLAY" ] && [ -x "$BIN/Vlm32" ]; then
  exec "$BIN/Vlm32" "$@"
fi

# The demo: its own engine configuration with an alias DEMO on a freshly written SQLite file.
DEMO=$(cd "$BUILD" && pwd)/demo
mkdir -p "$DEMO"
export VLM_ENGINE_CFG=$DEMO/IDAPI32.CFG
rm -f "$VLM_ENGINE_CFG" "$DEMO"/*.sqlite
VT=$BIN/vlmtool
step() {
  printf '\n$ vlmtool'
  for a in "$@"; do case $a in *[[:space:]\;\*\>]*) printf ' "%s"' "$a" ;; *) printf ' %s' "$a" ;; esac; done
  printf '\n'
  "$VT" "$@"
}
echo "Vlm32 engine demo (the main window starts instead when it is built and DISPLAY is set)"
step demo "$DEMO/demo.sqlite"
step alias add DEMO SQLITE "SERVER NAME=$DEMO/demo.sqlite"
step alias list
step tables DEMO
step fields DEMO CUSTOMER
step dump DEMO CUSTOMER
step sql DEMO "SELECT C.NAME, COUNT(*) AS ORDERS, SUM(O.AMOUNT) AS TOTAL FROM CUSTOMER C JOIN ORDERS O ON O.CUSTOMER_ID = C.ID GROUP BY C.NAME ORDER BY C.NAME"
step sql DEMO "UPDATE ORDERS SET SHIPPED = 1 WHERE AMOUNT > 1000"
step copy DEMO ORDERS "SQLITE:$DEMO/copy.sqlite" ORDERS_COPY
step dump --delimiter ';' "SQLITE:$DEMO/copy.sqlite" ORDERS_COPY
printf '\n$ vlmtool dump DEMO NO_SUCH_TABLE   (an engine error, exit status %s)\n' \
  "$("$VT" dump DEMO NO_SUCH_TABLE >/dev/null 2>"$DEMO/error.txt"; echo $?)"
cat "$DEMO/error.txt"
