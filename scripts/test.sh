#!/usr/bin/env bash
# Builds everything and runs the whole test suite through ctest. Servers the tests need
# (Firebird, PostgreSQL) are started and stopped by ctest fixtures.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
BUILD=${VLM_BUILD_DIR:-build}
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVLM_BUILD_TESTS=ON >/dev/null
cmake --build "$BUILD" -j"$(nproc)"
cd "$BUILD"
ctest --output-on-failure -j"$(nproc)" "$@"
