#!/usr/bin/env bash
# make stats: lines of tests against lines of code, over the files git knows.
# Sources are *.cpp, *.cc, *.h, *.hpp, *.sh, *.py, ipptool *.test files and
# CMakeLists.txt; fuzz corpora are data. Test support counts as tests
# wherever it lives: the raster writer only tests use, the fuzz runner and
# the sanitizer leak suppressions.
set -euo pipefail
cd "$(dirname "$0")/.."
sources() { git ls-files -- "$@" | grep -E '(\.(cpp|cc|h|hpp|sh|py|test)|(^|/)CMakeLists\.txt)$' | grep -v '/corpus/' || :; }
lines() { local n=0 f; while read -r f; do [[ -f $f ]] && n=$((n + $(wc -l < "$f"))); done; echo "$n"; }
support=$( (git ls-files -- tools/mkraster tools/run-fuzzers.sh; git ls-files | grep -i 'LeakSuppressions') | sort -u)
code_dirs=$(git ls-files | grep / | cut -d/ -f1 | sort -u |
  grep -vxE 'tests|fuzz|bench|cmake|samples|ppd|debian|build.*|\.ci|\.github' |
  while read -r d; do git ls-files -- "$d" | grep -qE '\.(cpp|cc|h|hpp)$' && echo "$d"; done || :)
tests=$( { sources tests fuzz; sources $support; } | sort -u | lines)
code=$(sources $code_dirs | grep -vxF -f <(echo "$support") | lines)
echo "tests and test support: $tests lines (tests/, fuzz/, $(echo $support | wc -w) support files elsewhere)"
echo "code ($(echo $code_dirs)): $code lines"
awk -v t="$tests" -v c="$code" 'BEGIN { printf "ratio: %.3f (limit 0.35)\n", t / c }'
