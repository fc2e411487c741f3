#!/usr/bin/env bash
# Start-up benchmark: the commander (Vlm32 --bench-startup: quits after the main window's first
# paint) beside a minimal Qt window, several runs each in the same session, under Xvfb when a
# display is free, offscreen otherwise. Prints the median of each and their ratio.
#   tests/shell/bench/startup.sh BUILD_DIR [RUNS]
set -euo pipefail
BUILD=${1:?build directory}
RUNS=${2:-7}
VLM="$BUILD/bin/Vlm32"
MIN="$BUILD/bin/shell_bench_minimal"
[ -x "$VLM" ] && [ -x "$MIN" ] || { echo "build Vlm32 and shell_bench_minimal first" >&2; exit 2; }
XPID=""
if [ -z "${DISPLAY:-}" ] && command -v Xvfb >/dev/null; then
  DISPLAY_NO=:97
  Xvfb $DISPLAY_NO -screen 0 1280x1024x24 >/dev/null 2>&1 &
  XPID=$!
  sleep 0.5
  export DISPLAY=$DISPLAY_NO
  trap 'kill $XPID 2>/dev/null || true' EXIT
fi
[ -n "${DISPLAY:-}" ] || export QT_QPA_PLATFORM=offscreen
time_one() {  # seconds, 3 decimals
  local s e
  s=$(date +%s%N); "$@" >/dev/null 2>&1; e=$(date +%s%N)
  echo "scale=3; ($e - $s) / 1000000000" | bc
}
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
vlm=(); min=()
for i in $(seq "$RUNS"); do
  min+=("$(time_one "$MIN")")
  vlm+=("$(time_one "$VLM" --bench-startup)")
done
MV=$(printf '%s\n' "${vlm[@]}" | median)
MM=$(printf '%s\n' "${min[@]}" | median)
echo "platform: ${QT_QPA_PLATFORM:-xcb (Xvfb $DISPLAY)}, runs: $RUNS"
echo "minimal Qt window: median ${MM}s  (${min[*]})"
echo "Vlm32 main window: median ${MV}s  (${vlm[*]})"
echo "ratio: $(echo "scale=2; $MV / $MM" | bc)  (target <= 2, and Vlm32 <= 0.5 s)"
