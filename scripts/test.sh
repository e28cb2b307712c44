#!/usr/bin/env bash
# Sets up, builds and runs every test. With --sanitize it also builds them with clang under ASan and UBSan
# with the fuzz targets, runs them, and runs each fuzz target on a fixed number of inputs
# (scripts/fuzz.sh --fixed).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)
# The whole runs wait on the files and processes they make about a third of their time: twice as many as
# there are cores keep the cores busy. (Not under the sanitizers, where a real part's import then outruns
# its time budget.)
runs=$((2 * jobs))
# Tests write only into temporary folders: a file that a run adds to the checkout or changes in it (build
# folders, which .gitignore covers, aside) fails the run. Compared with the state before, so that a
# checkout with work in progress can run them too; outside a git checkout there is nothing to compare.
checkout_state() {
  git -C "$root" status --porcelain --untracked-files=all 2>/dev/null || true
  git -C "$root" diff --binary HEAD 2>/dev/null | cksum || true
}
checkout_before=$(checkout_state)
# step NAME COMMAND...: runs one step of the run and prints how long it took, in wall and CPU seconds (the
# CPU of the step's processes, which tells what a machine with fewer cores would wait for it).
step() {
  # The shell that runs the step (a step may run in the background), not the command substitution's.
  local name=$1 started=$SECONDS cpu_before cpu_after self=$BASHPID
  shift
  cpu_before=$(awk '{print $14 + $15 + $16 + $17}' "/proc/$self/stat")
  "$@"
  cpu_after=$(awk '{print $14 + $15 + $16 + $17}' "/proc/$self/stat")
  echo "step: $name took $((SECONDS - started)) s, $(((cpu_after - cpu_before) / $(getconf CLK_TCK))) s of CPU"
}
step set-up "$root/scripts/setup.sh"
# Line tables only (-g1): enough for a backtrace, and a quarter less compile time than full debug information.
step build "$root/scripts/build.sh" "$root/build" -DFX_WERROR=ON -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG"
# The plain build's test programs run whole, each as one process: in their own order and shuffled by three
# fixed seeds, side by side. A test that leans on what an earlier one left in the process, or that passes
# only after another, fails here. The longest programs start first, so that on few cores no long run is left
# to go on alone at the end.
whole_programs() {
  for program in host_tests plugin_tests session_tests platform_tests; do
    for order in plain 11 29 47; do echo "$program $order"; done
  done | xargs -P "$runs" -L 1 sh -c '
    log="$0/Testing/$1.$2.log"
    shuffle=""; [ "$2" = plain ] || shuffle="--gtest_shuffle --gtest_random_seed=$2"
    if ! timeout 1200 "$0/tests/$1" --gtest_brief=1 $shuffle >"$log" 2>&1; then
      cat "$log"; echo "$1 fails run whole (order: $2): $log" >&2; exit 1
    fi' "$root/build"
}
mkdir -p "$root/build/Testing"
step "whole runs" whole_programs
if [ "${1:-}" = "--sanitize" ]; then
  # One clang build serves both: the tests under ASan and UBSan, and the fuzz targets. (Side by side with
  # the whole runs, the two took twice as long as one after the other.)
  step "sanitizer build" "$root/scripts/build.sh" "$root/build-fuzz" -DFX_FUZZ=ON -DFX_BENCH=OFF \
    -DCMAKE_CXX_COMPILER=clang++
  # Every test under the sanitizers, each program cut into a fixed number of shards run side by side (the
  # same cut on every machine): one process a test paid the sanitizers' start, a third of a second of CPU,
  # nearly two thousand times.
  sanitized_programs() {
    # The host's and the sessions' shards are the longest: they start first.
    for program in host_tests:12 session_tests:12 plugin_tests:24 platform_tests:4; do
      shards=${program#*:}
      for ((shard = 0; shard < shards; shard++)); do echo "${program%:*} $shard $shards"; done
    done | ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
      LSAN_OPTIONS=suppressions="$root/tests/lsan.supp" xargs -P "$jobs" -L 1 sh -c '
      log="$0/Testing/$1.shard$2.log"
      if ! GTEST_TOTAL_SHARDS=$3 GTEST_SHARD_INDEX=$2 timeout 1200 "$0/tests/$1" --gtest_brief=1 >"$log" 2>&1; then
        cat "$log"; echo "$1 fails under the sanitizers (shard $2 of $3): $log" >&2; exit 1
      fi' "$root/build-fuzz"
  }
  mkdir -p "$root/build-fuzz/Testing"
  step "sanitized tests" sanitized_programs
  step fuzz "$root/scripts/fuzz.sh" --fixed
fi
checkout_after=$(checkout_state)
if [ "$checkout_before" != "$checkout_after" ]; then
  echo "The tests left files in the checkout:" >&2
  diff <(echo "$checkout_before") <(echo "$checkout_after") >&2 || true
  exit 1
fi
