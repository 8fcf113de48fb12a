#!/usr/bin/env bash
# Runs every libFuzzer target of a -DFUZZ=ON build for a bounded time and
# reports executions and coverage per target. The checked-in seeds are copied
# into a working corpus under the build folder, so the repository stays clean;
# crashes are written there too and make the run fail.
#   tools/run-fuzzers.sh BUILD_DIR SECONDS [TARGET...]
set -uo pipefail
build=${1:?build dir}
seconds=${2:-60}
shift 2 || true
root=$(cd "$(dirname "$0")/.." && pwd)

targets=("$@")
if [[ ${#targets[@]} -eq 0 ]]; then
  for dir in "$root"/fuzz/*/; do
    name=$(basename "$dir")
    [[ $name == corpus || ! -f $dir/CMakeLists.txt ]] && continue
    targets+=("$name")
  done
fi

# Extra libFuzzer flags and sanitizer options per target. rasterstream:
# libcups allocates a line buffer of cupsBytesPerLine bytes while it reads a
# header, before the filter can look at it, so a header may ask it for up to
# 4 GiB. That is no fault of the filter, but under ASan each such allocation
# takes seconds (9 inputs a second instead of hundreds). As on a print server
# short of memory, allocations above 300 MiB fail (the filter's own page
# limit is 256 MiB) and libcups reports the header as unreadable.
declare -A extra_flags=([rasterstream]="-malloc_limit_mb=4200")
declare -A extra_asan=([rasterstream]="allocator_may_return_null=1:max_allocation_size_mb=300")

failed=0
printf '%-14s %12s %10s %8s %8s %s\n' target executions exec/s cov ft result
for name in "${targets[@]}"; do
  bin=$(find "$build/fuzz" -type f -name "$name" -perm -u+x | head -n 1)
  if [[ -z $bin ]]; then
    printf '%-14s %s\n' "$name" "not built"; failed=1; continue
  fi
  work=$build/fuzz-work/$name
  mkdir -p "$work/corpus" "$work/artifacts"
  [[ -d $root/fuzz/corpus/$name ]] && cp -n "$root"/fuzz/corpus/"$name"/* "$work/corpus/" 2>/dev/null
  log=$work/last.log
  # shellcheck disable=SC2086 # the extra flags are separate words
  ASAN_OPTIONS=${extra_asan[$name]:-${ASAN_OPTIONS:-}} \
    "$bin" -max_total_time="$seconds" -print_final_stats=1 -timeout=10 -rss_limit_mb=2048 \
    ${extra_flags[$name]:-} -artifact_prefix="$work/artifacts/" "$work/corpus" >"$log" 2>&1
  status=$?
  execs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' | tail -n 1)
  rate=$(grep -o 'stat::average_exec_per_sec: *[0-9]*' "$log" | grep -o '[0-9]*$' | tail -n 1)
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -n 1 | grep -o '[0-9]*')
  ft=$(grep -o 'ft: [0-9]*' "$log" | tail -n 1 | grep -o '[0-9]*')
  result=ok
  if [[ $status -ne 0 ]]; then result="FAILED (status $status, see $log)"; failed=1; fi
  printf '%-14s %12s %10s %8s %8s %s\n' "$name" "${execs:-?}" "${rate:-?}" "${cov:-?}" "${ft:-?}" "$result"
done
exit $failed
