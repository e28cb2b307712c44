#!/usr/bin/env bash
# Installs what the project needs from Debian's packages. Safe to run again: it installs only what is missing.
set -euo pipefail
packages=(g++ cmake ninja-build pkg-config
          libcairo2-dev fonts-dejavu-core fonts-liberation2
          libgtest-dev libgmock-dev libbenchmark-dev
          libsqlite3-dev zlib1g-dev libdeflate-dev python3
          libtcmalloc-minimal4   # the STEP reader's allocator (without it, the C library's)
          libocct-foundation-dev libocct-modeling-data-dev libocct-modeling-algorithms-dev libocct-data-exchange-dev
          lld                    # the linker of both builds (without it, the default one)
          clang libclang-rt-14-dev)   # clang and its libFuzzer for the fuzz targets (scripts/fuzz.sh)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
else
  echo "setup: all packages present"
fi
