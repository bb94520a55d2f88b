#!/usr/bin/env bash
# Prints the project's line count: non-blank, non-comment lines of the tracked
# C/C++ and resource files, for the product's rooms, the tests, and (apart)
# the benchmarks and fuzzers, with the tests' share of the product.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

count() {
  local total=0 file
  while IFS= read -r file; do
    total=$((total + $(grep -cvE '^\s*($|//|/\*|\*)' "$file" || true)))
  done < <(git ls-files -- "$@" | grep -E '\.(c|cc|cpp|cxx|h|hh|hpp|rc)$' || true)
  echo "$total"
}

code=$(count core framework colors app window shell link about res program)
tests=$(count tests)
echo "code (core framework colors app window shell link about res program): $code lines"
echo "tests: $tests lines, $((100 * tests / code))% of the code (aim: 25-33%, at most 40%)"
echo "bench: $(count bench) lines, fuzz: $(count fuzz) lines"
