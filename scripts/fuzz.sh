#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each briefly.
#   bash scripts/fuzz.sh [seconds per target, default 30]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
bash scripts/setup.sh --test
shopt -s nullglob
targets=(fuzz/fuzz_*.cpp)
if ((${#targets[@]} == 0)); then echo "no fuzz targets"; exit 0; fi
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVARKELO_FUZZ=ON -DVARKELO_SANITIZE=ON -DVARKELO_BENCH=OFF
for t in "${targets[@]}"; do
  name=$(basename "$t" .cpp)
  cmake --build build-fuzz --target "$name"
  corpus=build-fuzz/corpus/$name
  mkdir -p "$corpus"
  seeds=()
  [[ -d fuzz/seeds/$name ]] && seeds+=("fuzz/seeds/$name")
  echo "== $name for ${seconds}s"
  QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp \
    "build-fuzz/fuzz/$name" -max_total_time="$seconds" -rss_limit_mb=4096 -max_len=1048576 "$corpus" "${seeds[@]}"
done
