#!/usr/bin/env bash
# Builds the libFuzzer targets of the readers of outside data (fuzz/) with
# clang and runs each one, seeded from the committed corpus.
#
#   scripts/fuzz.sh [--seconds N | --runs N] [--build-only | --no-build]
#                   [--build-dir DIR] [--jobs N] [TARGET...]
#
# --seconds N   run each target for N seconds (default 5)
# --runs N      run each target for N inputs instead
# --build-only  configure and build, run nothing
# --no-build    run what DIR already holds (installs and configures nothing)
# --build-dir   the fuzzing build tree (default build-fuzz)
# --jobs N      parallel build jobs (default 2)
# TARGET        fuzz_<reader> names; all targets in fuzz/ when none is given
#
# New inputs go to DIR/corpus/<target>, crash inputs to DIR/artifacts/; the
# committed seeds in fuzz/corpus/<target> are only read. The exit status is
# non-zero when any target crashed, leaked or broke one of its properties.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

mode=seconds
amount=5
build=yes
run=yes
build_dir=build-fuzz
jobs=2
targets=()
while [ $# -gt 0 ]; do
  case "$1" in
    --seconds) mode=seconds; amount=$2; shift 2 ;;
    --runs) mode=runs; amount=$2; shift 2 ;;
    --build-only) run=no; shift ;;
    --no-build) build=no; shift ;;
    --build-dir) build_dir=$2; shift 2 ;;
    --jobs) jobs=$2; shift 2 ;;
    -h | --help) sed -n '2,/^set -e/{/^set -e/d;s/^# \{0,1\}//;p}' "$0"; exit 0 ;;
    -*) echo "fuzz.sh: unknown option $1" >&2; exit 2 ;;
    *) targets+=("$1"); shift ;;
  esac
done
case "$build_dir" in /*) ;; *) build_dir=$root/$build_dir ;; esac
if [ ${#targets[@]} -eq 0 ]; then
  for source in fuzz/fuzz_*.cpp; do
    targets+=("$(basename "$source" .cpp)")
  done
fi

if [ "$build" = yes ]; then
  # clang and its runtime libraries; libFuzzer itself is in libclang-rt-dev.
  scripts/install-deps.sh clang libclang-rt-dev
  cmake -S . -B "$build_dir" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DQUOTARA_FUZZ=ON \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF > /dev/null
  cmake --build "$build_dir" -j"$jobs" --target "${targets[@]}"
fi
[ "$run" = yes ] || exit 0

# A sanitizer report ends the run as a crash (the code is built not to
# recover); the stack makes it readable.
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}

if [ "$mode" = runs ]; then
  limit=(-runs="$amount")
else
  limit=(-max_total_time="$amount")
fi

failed=0
# One row per target as soon as it finishes: a long run shows its progress.
printf '%-22s %12s %9s %9s %6s %7s  %s\n' target runs exec/s wall/s cov ft result
mkdir -p "$build_dir/artifacts" "$build_dir/logs"
for target in "${targets[@]}"; do
  binary=$build_dir/fuzz/$target
  if [ ! -x "$binary" ]; then
    echo "fuzz.sh: $binary is missing; build it first (scripts/fuzz.sh --build-only)" >&2
    exit 2
  fi
  corpus=$build_dir/corpus/$target
  log=$build_dir/logs/$target.log
  mkdir -p "$corpus"
  dict=()
  [ -f "fuzz/$target.dict" ] && dict=(-dict="fuzz/$target.dict")

  start=$(date +%s%N)
  status=0
  "$binary" "${limit[@]}" "${dict[@]}" -print_final_stats=1 -timeout=20 \
    -artifact_prefix="$build_dir/artifacts/$target-" "$corpus" "fuzz/corpus/$target" \
    > "$log" 2>&1 || status=$?
  ms=$((($(date +%s%N) - start) / 1000000))
  wall=$((ms / 1000)).$((ms % 1000 / 100))

  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
  last=$(grep -E '^#[0-9]+.*cov: ' "$log" | tail -1 || true)
  cov=$(echo "$last" | sed -n 's/.* cov: \([0-9]*\).*/\1/p')
  ft=$(echo "$last" | sed -n 's/.* ft: \([0-9]*\).*/\1/p')
  if [ "$status" -eq 0 ]; then
    result=ok
  else
    result="FAILED (exit $status)"
    failed=1
    echo "---- $target: last lines of $log" >&2
    tail -n 40 "$log" >&2
    ls "$build_dir/artifacts/$target-"* 2>/dev/null >&2 || true
  fi
  printf '%-22s %12s %9s %9s %6s %7s  %s\n' "$target" "${runs:--}" "${speed:--}" "$wall" \
    "${cov:--}" "${ft:--}" "$result"
done
exit $failed
