#!/usr/bin/env bash
# fuzz.sh [SECONDS] [JOBS]: builds the fuzz targets (clang, libFuzzer, ASan/UBSan) in build-fuzz/, writes
# their seed corpora from the example plate and runs each target for SECONDS (default 25) in JOBS
# processes (default 1), each a plain libFuzzer run on the shared corpus with its own seed (libFuzzer's
# fork mode would let timeouts and out-of-memory inputs pass). Corpora grow in build-fuzz/corpus/<target>/;
# an input that crashes, leaks, times out or runs out of memory is left in build-fuzz/findings/ and the
# script fails, whichever process found it. tests/fuzz_regressions/<target>/ (the inputs found so far)
# are replayed whole first (scripts/fuzz_replay.sh), then seed the corpus. `fuzz.sh --fixed` instead tries a fixed number of inputs per target (about ten seconds'
# worth each) from a fixed seed on a fresh corpus, the targets side by side: the same run on every
# machine, so that CI fails on a change, never on luck.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
fixed=0
if [ "${1:-}" = "--fixed" ]; then fixed=1; shift; fi
seconds=${1:-25}
jobs=${2:-1}
fixed_runs() {
  case "$1" in
    part_file) echo 400 ;;
    part_unpack) echo 250 ;;   # an input unpacks up to hundreds of MiB: a largest one takes seconds
    table_migration | thread_tables) echo 600 ;;
    table_file | table_rows | process_lines) echo 1200 ;;
    settings_file) echo 4000 ;;
    text_section) echo 1000 ;;   # a minute for 4,000
    shared_files) echo 20000 ;;  # four minutes for 200,000, alone at the end of the run
    tool_files) echo 8000 ;;
    step_scan) echo 8000 ;;
    step_read) echo 80 ;;
    sdt_file | step_features) echo 100000 ;;
    tff_file | ktw_file | import_marks) echo 20000 ;;
    table_snapshots) echo 1200 ;;
    shared_sync) echo 800 ;;
    settings_paths) echo 15000 ;;
    cycle_records) echo 20000 ;;
    brep_text | settings_record) echo 40000 ;;
    session_file) echo 50000 ;;
    part_rows | store_params) echo 100000 ;;
    named_files) echo 20000 ;;
    xml_document) echo 100000 ;;
    *) echo 200000 ;;
  esac
}
# Seconds an input may take before it counts as a hang. The part-unpack seed that unpacks past the file's
# budget unpacks 320 MiB first, twice (libFuzzer's leak check runs it again): about 6 s on an idle core
# under the sanitizers, and past 10 s with the other targets side by side.
input_seconds() {
  case "$1" in
    part_unpack) echo 40 ;;
    *) echo 10 ;;
  esac
}
dir="$root/build-fuzz"
cmake -S "$root" -B "$dir" -G Ninja -DFX_FUZZ=ON -DFX_BENCH=OFF -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$dir" --parallel "$(nproc)" --target fx_fuzz
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1
export LSAN_OPTIONS=suppressions="$root/tests/lsan.supp"
"$dir/fuzz/fx_fuzz_seeds" "$dir/seeds" >"$dir/seeds.log" 2>&1 || { cat "$dir/seeds.log"; exit 1; }
mkdir -p "$dir/findings"
# fuzz_target NAME: runs one target as the mode asks; fails when it found a fault.
fuzz_target() {
  local name=$1 target="$dir/fuzz/fx_fuzz_$1" corpus="$dir/corpus/$1" runs=$jobs k
  local budget=(-max_total_time="$seconds") regressions=() pids=() failed=() found=()
  [ -d "$root/tests/fuzz_regressions/$name" ] && regressions=("$root/tests/fuzz_regressions/$name")
  if [ "$fixed" = 1 ]; then
    rm -rf "$corpus"
    budget=(-runs="$(fixed_runs "$name")")
    runs=1
    echo "fuzz: $name for ${budget[0]#-runs=} inputs"
  else
    echo "fuzz: $name for ${seconds}s in $runs processes"
  fi
  mkdir -p "$corpus"
  rm -f "$dir/findings/$name".*.log
  local started="$dir/findings/.started-$name"
  touch "$started"
  # The inputs found so far are replayed whole first; as a corpus folder they are only seeds, cut to 1 MiB.
  if [ ${#regressions[@]} -gt 0 ] &&
    ! (cd "$dir/findings" && "$root/scripts/fuzz_replay.sh" "$target" "${regressions[@]}") >"$dir/findings/$name.replay.log" 2>&1; then
    failed+=("$dir/findings/$name.replay.log")
  fi
  for ((k = 1; k <= runs; k++)); do
    "$target" "${budget[@]}" -seed="$k" -timeout="$(input_seconds "$name")" \
      -report_slow_units="$(input_seconds "$name")" -rss_limit_mb=4096 \
      -artifact_prefix="$dir/findings/$name-" -print_final_stats=0 \
      "$corpus" "$dir/seeds/$name" "${regressions[@]}" >"$dir/findings/$name.$k.log" 2>&1 &
    pids+=($!)
  done
  for ((k = 1; k <= runs; k++)); do
    wait "${pids[k - 1]}" || failed+=("$dir/findings/$name.$k.log")
  done
  # A process that failed, or any input left in the findings since the start, is a fault.
  mapfile -t found < <(find "$dir/findings" -maxdepth 1 -type f -name "$name-*" -newer "$started")
  rm -f "$started"
  if [ ${#failed[@]} -gt 0 ] || [ ${#found[@]} -gt 0 ]; then
    echo "fuzz: $name found a fault: ${found[*]:-see ${failed[*]}}"
    for log in "${failed[@]}"; do
      grep -E -A 12 "^==[0-9]+==ERROR|runtime error|^SUMMARY|deadly signal|ALARM|out-of-memory|Test unit written" "$log" | head -60 || true
    done
    return 1
  fi
}

names=()
for target in "$dir"/fuzz/fx_fuzz_*; do
  name=$(basename "$target"); name=${name#fx_fuzz_}
  [ "$name" = seeds ] || names+=("$name")
done
status=0
if [ "$fixed" = 1 ]; then
  # Each fixed run is one process: run as many targets side by side as there are cores.
  running=0
  for name in "${names[@]}"; do
    if ((running >= $(nproc))); then wait -n || status=1; running=$((running - 1)); fi
    fuzz_target "$name" &
    running=$((running + 1))
  done
  while ((running > 0)); do wait -n || status=1; running=$((running - 1)); done
else
  for name in "${names[@]}"; do fuzz_target "$name" || status=1; done
fi
exit $status
