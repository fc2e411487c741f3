#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (ASan + UBSan), seeds them with files the system
# writes, and runs each for a bounded time. Usage: scripts/fuzz.sh [seconds per target, default 60]
set -euo pipefail
cd "$(dirname "$0")/.."
SECS=${1:-60}
BUILD=${VLM_FUZZ_BUILD_DIR:-build-fuzz}
CC=clang CXX=clang++ cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVLM_FUZZ=ON -DVLM_BUILD_TESTS=OFF -DVLM_BUILD_GUI=OFF \
  -DCMAKE_C_FLAGS="-fsanitize=fuzzer-no-link,address,undefined" \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined" >/dev/null
all=$(ninja -C "$BUILD" -t targets all | sed -n 's/^\(fuzz_[a-z0-9_]*\): .*/\1/p' | sort -u)
targets=$(echo "$all" | grep -v seeds)
# Seed makers: fuzz_dbase_seeds, fuzz_paradox_seeds, each writing its corpus folders.
seeders=$(echo "$all" | grep '_seeds$' || true)
ninja -C "$BUILD" $targets $seeders
CORPUS="$BUILD/corpus"
# The seeds are written afresh each run (the tables they are cut from are made anew).
rm -rf "$CORPUS/src"
for s in $seeders; do "$BUILD/bin/$s" "$CORPUS"; done
status=0
for t in $targets; do
  case $t in
    fuzz_dbf) seeds=dbf ;; fuzz_memo) seeds=memo ;; fuzz_mdx) seeds=mdx ;; fuzz_localddl) seeds=localddl ;;
    *) seeds=${t#fuzz_} ;;
  esac
  mkdir -p "$CORPUS/$seeds" "$CORPUS/run-$t"
  echo "== $t ($SECS s)"
  if ! "$BUILD/bin/$t" -max_total_time="$SECS" -timeout=10 -rss_limit_mb=2048 \
        -artifact_prefix="$BUILD/crash-$t-" "$CORPUS/run-$t" "$CORPUS/$seeds" >"$BUILD/$t.log" 2>&1; then
    echo "FAILED: $t (see $BUILD/$t.log)"; status=1
  fi
done
exit $status
