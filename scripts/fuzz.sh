#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each briefly, then prints the coverage
# each one reached.
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
summary=()
for t in "${targets[@]}"; do
  name=$(basename "$t" .cpp)
  cmake --build build-fuzz --target "$name"
  corpus=build-fuzz/corpus/$name
  mkdir -p "$corpus"
  flags=(-max_total_time="$seconds" -rss_limit_mb=4096 -max_len=1048576)
  [[ $name == fuzz_cvideo ]] && flags+=(-dict=fuzz/avi.dict)
  seeds=()
  [[ -d fuzz/seeds/$name ]] && seeds+=("fuzz/seeds/$name")
  echo "== $name for ${seconds}s"
  log=build-fuzz/$name.log
  # The first folder is the corpus libFuzzer adds to; the seeds are only read.
  set +e
  QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp \
    "build-fuzz/fuzz/$name" "${flags[@]}" "$corpus" "${seeds[@]}" 2>&1 | tee "$log" |
    grep --line-buffered -vE '^#[0-9]+[[:space:]]+(NEW|REDUCE|pulse)'
  status=${PIPESTATUS[0]}
  set -e
  # libFuzzer's last status line ("#N DONE cov: C ft: F corp: ...") holds the final coverage.
  final=$(grep -E '^#[0-9]+.*cov: ' "$log" | tail -1 | grep -oE 'cov: [0-9]+ ft: [0-9]+ corp: [0-9]+/[^ ]+' || true)
  summary+=("$(printf '%-20s %s' "$name" "${final:-no coverage line}")")
  ((status == 0)) || { printf '%s\n' "${summary[@]}"; echo "FAIL: $name (status $status)"; exit 1; }
done
echo "== final coverage"
printf '%s\n' "${summary[@]}"
