#!/usr/bin/env bash
# Runs every libFuzzer target of a -DFUZZ=ON build for SECONDS each and
# reports executions and coverage. Each starts from a copy of its checked-in
# seeds under the build folder, so the repository stays clean; crashes are
# written there too and fail the run.
#   tools/run-fuzzers.sh BUILD_DIR SECONDS [TARGET...]
set -uo pipefail
build=${1:?build dir} seconds=${2:-60}
shift 2 || true
root=$(cd "$(dirname "$0")/.." && pwd)
targets=("$@")
if [[ ${#targets[@]} -eq 0 ]]; then
  for list in "$root"/fuzz/*/CMakeLists.txt; do targets+=("$(basename "$(dirname "$list")")"); done
fi

# rasterstream: libcups allocates a line buffer of cupsBytesPerLine bytes
# while it reads a header, before the filter can look at it, so a header may
# ask for up to 4 GiB: no fault of the filter, but seconds an input under
# ASan. As on a print server short of memory, allocations above 300 MiB fail
# (the filter's own page limit is 256 MiB) and libcups reports the header as
# unreadable.
declare -A extra_flags=([rasterstream]="-malloc_limit_mb=4200")
declare -A extra_asan=([rasterstream]="allocator_may_return_null=1:max_allocation_size_mb=300")

last() {  # the last number after $1 in the log, or ?
  local n
  n=$(grep -o "$1 *[0-9]*" "$log" | grep -o '[0-9]*$' | tail -n 1)
  echo "${n:-?}"
}
failed=0
printf '%-14s %12s %10s %8s %8s %s\n' target executions exec/s cov ft result
for name in "${targets[@]}"; do
  bin=$(find "$build/fuzz" -type f -name "$name" -perm -u+x | head -n 1)
  [[ -n $bin ]] || { printf '%-14s %s\n' "$name" "not built"; failed=1; continue; }
  work=$build/fuzz-work/$name
  log=$work/last.log
  mkdir -p "$work/corpus" "$work/artifacts"
  cp -n "$root/fuzz/corpus/$name"/* "$work/corpus/" 2>/dev/null
  # shellcheck disable=SC2086 # the extra flags are separate words
  ASAN_OPTIONS=${extra_asan[$name]:-${ASAN_OPTIONS:-}} "$bin" -max_total_time="$seconds" -print_final_stats=1 \
    -timeout=10 -rss_limit_mb=2048 ${extra_flags[$name]:-} -artifact_prefix="$work/artifacts/" "$work/corpus" \
    >"$log" 2>&1
  status=$? result=ok
  [[ $status -eq 0 ]] || { result="FAILED (status $status, see $log)"; failed=1; }
  printf '%-14s %12s %10s %8s %8s %s\n' "$name" "$(last stat::number_of_executed_units:)" \
    "$(last stat::average_exec_per_sec:)" "$(last cov:)" "$(last ft:)" "$result"
done
exit $failed
