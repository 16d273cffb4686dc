#!/usr/bin/env bash
# Sets up, builds and runs every test. SANITIZE=1 builds with ASan and UBSan
# into build-asan instead of build.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh run test
if [[ "${SANITIZE:-0}" == 1 ]]; then
  dir=build-asan
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DSUITE_SANITIZE=ON -DSUITE_TESTS=ON >/dev/null
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
else
  dir=build
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSUITE_TESTS=ON >/dev/null
fi
cmake --build "$dir"
ctest --test-dir "$dir" --output-on-failure -j2
