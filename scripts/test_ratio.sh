#!/usr/bin/env bash
# Prints how many lines of tests there are per line of program code. Counted: every .cpp and .h
# file under tests/ and under src/, lines that are neither blank nor only a // comment.
set -euo pipefail
cd "$(dirname "$0")/.."
count() { find "$1" \( -name '*.cpp' -o -name '*.h' \) -print0 | xargs -0 cat | grep -cvE '^\s*$|^\s*//'; }
tests=$(count tests)
src=$(count src)
echo "Test lines / src lines: $tests / $src = $((100 * tests / src)) % (aim: a third, at most 40 %)"
# The same figure as the README's test section writes it ("6,898 against 16,168 (42 %)").
thousands() { echo "$1" | sed -E ':a;s/([0-9])([0-9]{3})($|,)/\1,\2\3/;ta'; }
echo "As the README writes it: $(thousands "$tests") against $(thousands "$src") ($((100 * tests / src)) %)"
