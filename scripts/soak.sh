#!/usr/bin/env bash
# A long soak of the randomized stress runs, one slice of the seeds per core:
#   bash scripts/soak.sh [FIRST_SEED] [RUNS]
# Every seed runs twice: as its machine is made, and with a pupil acting at a
# moment of the run. Each failing run prints its seed; `stress_soak SEED 1`
# (or `stress_soak SEED 1 pupil`) replays it with the whole machine described.
set -euo pipefail
cd "$(dirname "$0")/.."

first=${1:-2000000}
runs=${2:-1000000}
jobs=$(nproc)

bash scripts/install-deps.sh
cmake --preset soak >/dev/null
cmake --build --preset soak -j"$jobs" --target stress_soak

# Allocation stacks are what ASan spends most of its time on here; overflows
# and use after free are still caught, only their reports are shorter.
export ASAN_OPTIONS=malloc_context_size=0

out=out/soak
mkdir -p "$out"
rm -f "$out"/slice-*.txt
slice=$(((runs + jobs - 1) / jobs))
pids=()
for ((i = 0; i < jobs; i++)); do
  start=$((first + i * slice))
  count=$((runs - i * slice < slice ? runs - i * slice : slice))
  ((count > 0)) || break
  (
    failed=0
    build/soak/tests/stress/stress_soak "$start" "$count" >"$out/slice-$i.txt" || failed=1
    build/soak/tests/stress/stress_soak "$start" "$count" pupil >"$out/slice-$i-pupil.txt" ||
      failed=1
    exit $failed
  ) &
  pids+=($!)
done
status=0
for pid in "${pids[@]}"; do wait "$pid" || status=1; done

for file in "$out"/slice-*.txt; do
  grep -E '^FAIL|runs from seed' "$file" || true
done
echo "soak: $runs seeds from $first, each twice, on $jobs processes: $([ $status = 0 ] && echo 'no failures' || echo 'FAILURES')"
exit $status
