#!/usr/bin/env bash
# Builds the tree with AddressSanitizer and UndefinedBehaviorSanitizer (GCC, RelWithDebInfo)
# into a build folder of its own and runs the tests through ctest; the first undefined
# behaviour ends the test that met it. A whole-tree build takes most of an hour on 2 cores.
#
# Usage: scripts/sanitize.sh [--leaks] [--target NAME]... [--] [ctest arguments...]
#   --leaks        leak detection on, for the tests whose system libraries let it work (every
#                  test not labelled gui; Qt's platform and font caches are never freed); the
#                  gui tests then run in a second pass without it
#   --target NAME  build only NAME (repeatable; its dependencies come with it) instead of the
#                  whole tree: give ctest a matching -R, the other tests have no binary
#   anything else  passed to ctest (-R REGEX, -L LABEL, -j2, --output-on-failure is always on)
# Example: scripts/sanitize.sh --target local_scan_test -R local_scan_test
# VLM_SANITIZE_BUILD_DIR names the build folder (default build-sanitize).
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$(pwd)
BUILD=${VLM_SANITIZE_BUILD_DIR:-build-sanitize}
LEAKS=0
TARGETS=()
CTEST_ARGS=()
while [ $# -gt 0 ]; do
  case $1 in
    --leaks) LEAKS=1 ;;
    --target) [ $# -ge 2 ] || { echo "sanitize.sh: --target needs a name" >&2; exit 2; }
              TARGETS+=("$2"); shift ;;
    --target=*) TARGETS+=("${1#--target=}") ;;
    --) shift; CTEST_ARGS+=("$@"); break ;;
    *) CTEST_ARGS+=("$1") ;;
  esac
  shift
done

FLAGS="-fsanitize=address,undefined -fno-omit-frame-pointer"
CC=gcc CXX=g++ cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVLM_BUILD_TESTS=ON \
  -DCMAKE_C_FLAGS="$FLAGS" -DCMAKE_CXX_FLAGS="$FLAGS" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
  -DCMAKE_SHARED_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
if [ ${#TARGETS[@]} -gt 0 ]; then
  cmake --build "$BUILD" -j"${VLM_SANITIZE_JOBS:-2}" --target "${TARGETS[@]}"
else
  cmake --build "$BUILD" -j"${VLM_SANITIZE_JOBS:-2}"
fi

export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
SUPP="$ROOT/scripts/lsan.supp"
ASAN_BASE="detect_leaks=0"
cd "$BUILD"
if [ $LEAKS = 1 ]; then
  status=0
  ASAN_OPTIONS="detect_leaks=1" LSAN_OPTIONS="suppressions=$SUPP:print_suppressions=0" \
    ctest --output-on-failure -LE gui "${CTEST_ARGS[@]}" || status=1
  ASAN_OPTIONS="$ASAN_BASE" ctest --output-on-failure -L gui "${CTEST_ARGS[@]}" || status=1
  exit $status
fi
ASAN_OPTIONS="$ASAN_BASE" exec ctest --output-on-failure "${CTEST_ARGS[@]}"
