#!/usr/bin/env bash
# Sets up the machine, builds Varkelo and runs every test.
#   bash scripts/test.sh              the normal build (build/)
#   bash scripts/test.sh --sanitize   AddressSanitizer + UndefinedBehaviorSanitizer (build-asan/)
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh --test

dir=build
flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
if [[ "${1:-}" == "--sanitize" ]]; then
  dir=build-asan
  flags=(-DCMAKE_BUILD_TYPE=Debug -DVARKELO_SANITIZE=ON -DVARKELO_BENCH=OFF)
  # Any report fails the run; leaks in the system's own libraries (fontconfig, GL) are not ours.
  # intercept_strndup=0: libxkbcommon-x11 hands strndup a bounded, unterminated buffer,
  # which the interceptor of this compiler's runtime reads past (not a fault of either).
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1:intercept_strndup=0
  export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
fi
cmake -S . -B "$dir" -G Ninja "${flags[@]}"
cmake --build "$dir"
ctest --test-dir "$dir" --output-on-failure -j2
