#!/usr/bin/env bash
# fuzz_replay.sh TARGET PATH...: runs the fuzz target once on every input named, a folder standing for the
# files in it, each input whole. Given a folder, libFuzzer takes it for a corpus and cuts every input to its
# length limit (1 MiB unless told otherwise), so that a long input that fails passes; given files only, it
# runs each as it is. The replay programs of the ordinary builds take the same command line. Fails when the
# target fails on an input (a crash, leak, timeout or memory finding).
set -euo pipefail
target=$1
shift
files=()
for path in "$@"; do
  if [ -d "$path" ]; then
    while IFS= read -r -d '' file; do files+=("$file"); done < <(find "$path" -maxdepth 1 -type f -print0 | sort -z)
  else
    files+=("$path")
  fi
done
[ ${#files[@]} -gt 0 ] || exit 0
exec "$target" -timeout=10 -rss_limit_mb=4096 "${files[@]}"
