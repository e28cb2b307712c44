#!/usr/bin/env bash
# update_goldens.sh [BUILD_DIR]: builds the test programs that compare with golden files and runs those
# tests with FX_UPDATE_GOLDEN=1, which writes what they make into tests/sessions/golden and
# tests/plugin/golden instead of comparing. Read the changes with `git diff` before committing them.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-$root/build}
cmake --build "$dir" --target session_tests plugin_tests --parallel 3
FX_UPDATE_GOLDEN=1 "$dir/tests/session_tests" --gtest_filter='MainJob.*Golden*'
FX_UPDATE_GOLDEN=1 "$dir/tests/plugin_tests" --gtest_filter='*Golden*'
git -C "$root" status --short -- tests/sessions/golden tests/plugin/golden
