#!/usr/bin/env bash
# Installs what the benchmarks need, builds them (Release, build-bench/), runs
# every one of them and prints the figures as Markdown tables, which are also
# kept in build-bench/bench-results/. Nothing here asserts a figure.
#
# Environment:
#   JOBS=N          parallel build jobs (default: all cores)
#   REPETITIONS=N   runs of each micro benchmark (default 5; refresh: 3)
#   IDLE_RUNS=N     runs of each idle measurement (default 3)
#   IDLE_SETTLE=S   seconds the idle app settles before it is watched (default 20)
#   IDLE_WINDOW=S   seconds it is watched (default 30)
#   BASELINE=REV    also build commit REV (in build-bench-baseline/), run its
#                   refresh benchmark right after this one's and watch its app
#                   idle in the tray; the tables then show both, side by side
#   ONLY=refresh    run the refresh benchmark (and REV's) alone, a few minutes
#                   instead of the idle app's half hour
set -euo pipefail
cd "$(dirname "$0")/.."

only=${ONLY:-}
case "$only" in
  "" | refresh) ;;
  *)
    echo "bench.sh: ONLY takes \"refresh\" or nothing" >&2
    exit 2
    ;;
esac

# Only the benchmarks need these: Google Benchmark, a virtual X display with
# a tray host, and libfaketime to move the idle app's clock.
scripts/install-deps.sh libbenchmark-dev xvfb trayer faketime
faketime_lib=$(dpkg -L libfaketime | grep '/libfaketimeMT\.so\.1$' | head -n1)

jobs=${JOBS:-$(nproc)}
build=build-bench
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
  -DQUOTARA_BENCHMARKS=ON >/dev/null
cmake --build "$build" -j"$jobs" --target quotara quotara-sim \
  bench_refresh bench_chart bench_readers bench_idle bench_report

baseline=
if [ -n "${BASELINE:-}" ]; then
  baseline=build-bench-baseline
  rm -rf "$baseline/src"
  mkdir -p "$baseline"
  git archive --format=tar --prefix=src/ "$BASELINE" | tar -x -C "$baseline"
  cmake -S "$baseline/src" -B "$baseline/build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DBUILD_TESTING=OFF -DQUOTARA_BENCHMARKS=ON >/dev/null
  cmake --build "$baseline/build" -j"$jobs" --target quotara quotara-sim bench_refresh
fi

# The builds' output still on its way to the disk would be written out in the
# middle of the measurements.
sync

results="$build/bench-results"
rm -rf "$results"
mkdir -p "$results"
reps=${REPETITIONS:-5}
gbench=(--benchmark_repetitions="$reps" --benchmark_report_aggregates_only=true
  --benchmark_out_format=json)

machine() {
  echo "- command: \`scripts/bench.sh\`, $(date -u '+%Y-%m-%d %H:%M UTC'), commit $(git rev-parse --short HEAD)"
  echo "- CPU: $(lscpu | sed -n 's/^Model name: *//p' | head -n1), $(nproc) cores; $(uname -sr)"
  echo "- load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
}
machine > "$results/machine.md"

if [ -z "$only" ]; then
  echo "== readers" >&2
  "$build/bench/bench_readers" "${gbench[@]}" --benchmark_out="$results/readers.json" >&2
  # Once on a plain screen and once on a HiDPI one (twice the pixels).
  for scale in 1 2; do
    echo "== chart, scale $scale" >&2
    QT_QPA_PLATFORM=offscreen QT_SCALE_FACTOR=$scale "$build/bench/bench_chart" "${gbench[@]}" \
      --benchmark_out="$results/chart-x$scale.json" >&2
  done
fi
echo "== refresh" >&2
QUOTARA_SIM="$build/sim/quotara-sim" "$build/bench/bench_refresh" "${gbench[@]}" \
  --benchmark_repetitions="${REPETITIONS:-3}" --benchmark_out="$results/refresh.json" >&2
refresh_baseline=()
if [ -n "$baseline" ]; then
  echo "== refresh at $BASELINE" >&2
  # The same simulator for both, so that only the app differs.
  QUOTARA_SIM="$build/sim/quotara-sim" "$baseline/build/bench/bench_refresh" \
    "${gbench[@]}" --benchmark_repetitions="${REPETITIONS:-3}" \
    --benchmark_out="$results/refresh-baseline.json" >&2
  refresh_baseline=(--refresh-baseline "$results/refresh-baseline.json")
fi

if [ "$only" = refresh ]; then
  echo "- load average after: $(cut -d' ' -f1-3 /proc/loadavg)" >> "$results/machine.md"
  {
    cat "$results/machine.md"
    echo
    "$build/bench/bench_report" --refresh "$results/refresh.json" "${refresh_baseline[@]}"
  } | tee "$results/report.md"
  exit 0
fi

idle=(--app "$build/src/quotara" --faketime-lib "$faketime_lib" --runs "${IDLE_RUNS:-3}"
  --settle "${IDLE_SETTLE:-20}" --window "${IDLE_WINDOW:-30}")

# The tray app as on a desktop: an X display with a tray host (XEmbed) and a
# session bus, so that the panel stays hidden and only the icon is drawn.
echo "== idle app in a tray" >&2
xvfb_pid=
trayer_pid=
cleanup() {
  [ -n "$trayer_pid" ] && kill "$trayer_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT
exec 3>"$results/display"
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
exec 3>&-
for _ in $(seq 50); do
  [ -s "$results/display" ] && break
  sleep 0.1
done
export DISPLAY=":$(head -n1 "$results/display")"
trayer --edge top --align right --widthtype request --height 24 >/dev/null 2>&1 &
trayer_pid=$!
sleep 2
dbus-run-session -- "$build/bench/bench_idle" "${idle[@]}" --platform xcb \
  --label "$(git rev-parse --short HEAD)" --json "$results/idle-tray.json" >&2
idle_baseline=()
if [ -n "$baseline" ]; then
  echo "== idle app in a tray at $BASELINE" >&2
  dbus-run-session -- "$build/bench/bench_idle" "${idle[@]}" --platform xcb \
    --app "$baseline/build/src/quotara" --label "$(git rev-parse --short "$BASELINE")" \
    --json "$results/idle-tray-baseline.json" >&2
  idle_baseline=(--idle "$results/idle-tray-baseline.json")
fi
cleanup
trap - EXIT
unset DISPLAY

# Without any tray the app shows its panel as a window, which repaints as the
# figures change: a different, heavier idle state, measured for comparison.
echo "== idle app without a tray (offscreen)" >&2
dbus-run-session -- "$build/bench/bench_idle" "${idle[@]}" --platform offscreen \
  --label "$(git rev-parse --short HEAD)" --json "$results/idle-window.json" >&2

echo "- load average after: $(cut -d' ' -f1-3 /proc/loadavg)" >> "$results/machine.md"
{
  cat "$results/machine.md"
  echo
  "$build/bench/bench_report" --refresh "$results/refresh.json" "${refresh_baseline[@]}" \
    --chart "$results/chart-x1.json" --chart "$results/chart-x2.json" \
    --readers "$results/readers.json" --idle "$results/idle-tray.json" "${idle_baseline[@]}" \
    --idle "$results/idle-window.json"
} | tee "$results/report.md"
