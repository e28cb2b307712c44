#!/usr/bin/env bash
# Sets up, builds and runs every test. With --sanitize it also builds and runs them under ASan and UBSan,
# and runs each fuzz target on a fixed number of inputs (scripts/fuzz.sh --fixed).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
jobs=$(nproc)
"$root/scripts/build.sh" "$root/build" -DFX_WERROR=ON
ctest --test-dir "$root/build" --output-on-failure --parallel "$jobs" --timeout 60
if [ "${1:-}" = "--sanitize" ]; then
  "$root/scripts/build.sh" "$root/build-asan" -DFX_SANITIZE=ON -DFX_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
    LSAN_OPTIONS=suppressions="$root/tests/lsan.supp" \
    ctest --test-dir "$root/build-asan" --output-on-failure --parallel "$jobs" --timeout 300
  "$root/scripts/fuzz.sh" --fixed
fi
