#!/usr/bin/env bash
# Runs the fuzz targets of a fuzz build (cmake -DVORLANE_FUZZ=ON with clang),
# each over its seed corpus in fuzz/corpus/<target> with its dictionary:
#
#   scripts/fuzz.sh BUILD --seconds N   each target for N seconds; what it
#                                       finds new is kept in BUILD/fuzz/corpus
#   scripts/fuzz.sh BUILD --runs N      each target for N runs from a fixed
#                                       seed (the seeds first), as CI does
#
# A crash, a leak or a broken property stops the target; libFuzzer keeps the
# input in BUILD/fuzz/artifacts/<target> and the script fails. At the end, a
# line per target: executions, coverage (edges), inputs kept, crashes.
set -euo pipefail
usage() { echo "usage: $0 BUILD (--seconds N | --runs N) [target...]" >&2; exit 2; }
[ $# -ge 3 ] || usage
build=$(realpath "$1"); mode=$2; amount=$3; shift 3
case $mode in
  --seconds) limit=(-max_total_time="$amount") ;;
  --runs) limit=(-runs="$amount" -seed=1) ;;
  *) usage ;;
esac
[[ $amount =~ ^[0-9]+$ ]] || usage
here=$(cd "$(dirname "$0")/.." && pwd)
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for seeds in "$here"/fuzz/corpus/*/; do targets+=("$(basename "$seeds")"); done
fi

export VORLANE_REGISTRY="$build/registry.txt"
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
failed=0
summary=()
for t in "${targets[@]}"; do
  program="$build/bin/$t"
  [ -x "$program" ] || { echo "fuzz: no program $program (build the fuzz_targets target)" >&2; exit 2; }
  work="$build/fuzz/corpus/$t"
  artifacts="$build/fuzz/artifacts/$t"
  log="$build/fuzz/$t.log"
  mkdir -p "$work" "$artifacts"
  # In a counted run nothing new is kept: the same seeds, the same runs.
  if [ "$mode" = --runs ]; then rm -rf "$work"; mkdir -p "$work"; fi
  options=("${limit[@]}" -print_final_stats=1 -timeout=30 -rss_limit_mb=4096 -artifact_prefix="$artifacts/")
  [ -f "$here/fuzz/dict/$t.dict" ] && options+=(-dict="$here/fuzz/dict/$t.dict")
  echo "== $t ${options[*]}"
  # Crashes are counted for this run: what earlier runs left stays, uncounted.
  started="$build/fuzz/$t.started"
  touch "$started"
  rc=0
  "$program" "${options[@]}" "$work" "$here/fuzz/corpus/$t" > "$log" 2>&1 || rc=$?
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  edges=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | cut -d' ' -f2 || true)
  kept=$(find "$work" -type f | wc -l)
  crashes=$(find "$artifacts" -type f -newer "$started" | wc -l)
  summary+=("$(printf '%-22s %12s execs %7s edges %6s kept %3s crashes' "$t" "${execs:-?}" "${edges:-?}" "$kept" "$crashes")")
  if [ $rc -ne 0 ]; then
    failed=1
    echo "fuzz: $t failed (exit $rc); the end of $log:" >&2
    tail -40 "$log" >&2
  fi
done
printf '%s\n' "${summary[@]}"
exit $failed
