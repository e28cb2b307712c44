#!/usr/bin/env bash
# fuzz_replay_test.sh REPLAY_SCRIPT TARGET: scripts/fuzz_replay.sh hands a fuzz target every regression input
# whole. A folder of a 1.5 MiB input (longer than libFuzzer's 1 MiB cut) and a short one is replayed with the
# replay program of this build, which must see every byte, and with a stand-in target that lists what it is
# given: files one by one, never the folder, and no length limit.
set -euo pipefail
replay=$1
target=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/regressions"
{ yes FEAT_DEF || true; } | head -c 1572864 >"$work/regressions/long-input"
printf 'FEAT_DEF\nEND\n' >"$work/regressions/short-input"

out=$("$replay" "$target" "$work/regressions")
echo "$out"
grep -q "^replay long-input (1572864 bytes)$" <<<"$out" || { echo "the long input was not replayed whole"; exit 1; }
grep -q "^replay short-input (13 bytes)$" <<<"$out" || { echo "the short input was not replayed"; exit 1; }
grep -q "^2 inputs replayed$" <<<"$out" || { echo "not every input was replayed"; exit 1; }

printf '#!/usr/bin/env bash\nprintf "%%s\\n" "$@"\n' >"$work/target"
chmod +x "$work/target"
args=$("$replay" "$work/target" "$work/regressions")
echo "$args"
[ "$(grep -c "^$work/regressions/" <<<"$args")" = 2 ] || { echo "the inputs were not given one by one"; exit 1; }
if grep -q -e "^$work/regressions$" -e "max_len" <<<"$args"; then echo "a folder or a length limit was given"; exit 1; fi
echo "whole inputs replayed"
