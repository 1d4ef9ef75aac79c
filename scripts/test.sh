#!/usr/bin/env bash
# Sets up the machine, builds Varkelo and runs every test.
#   bash scripts/test.sh              the normal build (build/)
#   bash scripts/test.sh --sanitize   AddressSanitizer + UndefinedBehaviorSanitizer (build-asan/)
#   bash scripts/test.sh --valgrind   the frame-safety test of the normal build under valgrind's
#                                     memcheck, which sees writes inside FFmpeg that the
#                                     sanitizers cannot
#   bash scripts/test.sh --tsan       the clip-loading tests built with ThreadSanitizer
#                                     (build-tsan/); not part of CI
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh --test

dir=build
flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
if [[ "${1:-}" == "--valgrind" ]]; then
  cmake -S . -B "$dir" -G Ninja "${flags[@]}"
  cmake --build "$dir" --target tst_framesafety
  # No Qt stack dump on a crash: it forks from the signal handler and can hang on the heap lock.
  export QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8 QTEST_DISABLE_STACK_DUMP=1
  start=$SECONDS
  # Suppressed is only what system libraries do on their own memory (tests/valgrind.supp); a
  # report from FFmpeg's decoding or conversion is a write into our buffers and fails the run.
  timeout 120 valgrind --tool=memcheck --error-exitcode=1 --suppressions=tests/valgrind.supp \
    "$dir/tests/tst_framesafety"
  echo "valgrind run: $((SECONDS - start)) s"
  exit 0
fi
if [[ "${1:-}" == "--tsan" ]]; then
  dir=build-tsan
  # The tests whose code runs on more than one thread: the loader, the frame block's helper
  # thread, playback's timers beside a load.
  tests=(tst_cliploading tst_framesource tst_playback tst_framearena)
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVARKELO_TSAN=ON -DVARKELO_BENCH=OFF
  cmake --build "$dir" --target "${tests[@]}"
  export QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8 QTEST_DISABLE_STACK_DUMP=1
  # Qt and FFmpeg are not built with the sanitizer: what they do through intercepted calls is
  # not watched (ignore_noninstrumented_modules), and only races between their own threads may
  # be suppressed (tests/tsan.supp); any report in our code fails the run.
  export TSAN_OPTIONS="ignore_noninstrumented_modules=1:suppressions=$PWD/tests/tsan.supp:halt_on_error=0:exitcode=66:second_deadlock_stack=1"
  rc=0
  for t in "${tests[@]}"; do
    start=$SECONDS
    # Without address-space randomisation: this runtime cannot map its shadow memory beside
    # the high mmap randomisation of recent kernels.
    if setarch "$(uname -m)" -R "$dir/tests/$t" >"$dir/$t.log" 2>&1; then
      echo "$t: passed under ThreadSanitizer ($((SECONDS - start)) s)"
    else
      rc=1
      echo "$t: FAILED under ThreadSanitizer ($((SECONDS - start)) s), see $dir/$t.log"
      grep -E "WARNING: ThreadSanitizer|^FAIL" "$dir/$t.log" | sort | uniq -c || true
    fi
  done
  exit $rc
fi
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
rc=0
ctest --test-dir "$dir" --output-on-failure -j2 || rc=$?
# Tests are meant to stay near a third of the program's lines; the count is printed every run.
bash scripts/test_ratio.sh
exit $rc
