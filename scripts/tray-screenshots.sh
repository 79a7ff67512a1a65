#!/usr/bin/env bash
# Takes the README's pictures of the status item in a real XEmbed tray:
# trayer on a virtual X display (Xvfb), Quotara with its built-in demo data,
# the screen dumped with xwd and cut and enlarged with netpbm.
#
#   scripts/tray-screenshots.sh [OUTPUT_DIR]     (default docs/screenshots)
#
# Not part of the test run: it installs X11 tools the tests do not need.
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-docs/screenshots}

scripts/install-deps.sh xvfb trayer x11-apps x11-utils netpbm xdotool
if [ ! -f build/CMakeCache.txt ]; then
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF
fi
cmake --build build --target quotara
quotara=$PWD/build/src/quotara

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 480x160x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
export DISPLAY=$display
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

# A private session bus: no StatusNotifierWatcher on it, so Quotara takes the
# XEmbed tray, and no notification leaves for the real desktop.
bus=$(dbus-daemon --session --fork --print-address=1 --print-pid=1)
export DBUS_SESSION_BUS_ADDRESS=$(echo "$bus" | sed -n 1p)
pids+=("$(echo "$bus" | sed -n 2p)")

# A Tuesday morning in Shanghai: both markets open, so the figure has its
# arrow; a Saturday: everything closed.
open_market=2024-06-04T10:00:00+08:00
closed_market=2024-06-08T10:00:00+08:00

# shot NAME HEIGHT TINT NOW [tooltip]: trayer HEIGHT px high in colour TINT
# with the demo app in it, cut out of the screen to $work/NAME.pnm. trayer
# gives an icon the panel's height less a 2 px border.
shot() {
  local name=$1 height=$2 tint=$3 now=$4
  trayer --edge top --align right --widthtype request --height "$height" \
    --transparent true --alpha 0 --tint "$tint" --SetDockType true &
  local tray=$!
  sleep 1
  XDG_CONFIG_HOME=$work/config QUOTARA_NOW=$now QT_QPA_PLATFORM=xcb \
    "$quotara" --demo >/dev/null 2>&1 &
  local app=$!
  sleep 4
  local panel
  panel=$(xwininfo -root -tree | awk '/"panel"/ {print $1; exit}')
  xwd -silent -id "$panel" | xwdtopnm 2>/dev/null > "$work/$name.pnm"
  if [ "${5:-}" = tooltip ]; then
    # Rest the pointer on the icon until its tool tip shows.
    local x
    x=$(xwininfo -id "$panel" | awk '/Absolute upper-left X/ {x = $4} /Width/ {w = $2} END {print x + w / 2}')
    xdotool mousemove "$x" $((height / 2))
    sleep 2.5
    xwd -silent -root | xwdtopnm 2>/dev/null | pamcut -left 160 -top 0 -width 320 -height 160 > "$work/$name-tooltip.pnm"
    xdotool mousemove 10 150
  fi
  kill "$app" "$tray" 2>/dev/null || true
  wait "$app" "$tray" 2>/dev/null || true
  sleep 0.5
}

shot dark16 18 0x2e3436 "$open_market"
shot dark20 22 0x2e3436 "$open_market" tooltip
shot dark24 26 0x2e3436 "$open_market"
shot light20 22 0xf6f5f4 "$open_market"
shot closed20 22 0x2e3436 "$closed_market"

# One picture at the real size and one enlarged four times without
# smoothing, each tray on its own row.
names=(dark16 dark20 dark24 light20 closed20)
for name in "${names[@]}"; do
  pnmpad -white -left 8 -right 8 -top 6 -bottom 6 "$work/$name.pnm" > "$work/$name-1.pnm"
  pnmenlarge 4 "$work/$name.pnm" | pnmpad -white -left 8 -right 8 -top 8 -bottom 8 > "$work/$name-4.pnm"
done
mkdir -p "$out"
(cd "$work" && pnmcat -white -tb -jleft "${names[@]/%/-1.pnm}") 2>/dev/null | pnmtopng > "$out/tray-xembed.png"
(cd "$work" && pnmcat -white -tb -jleft "${names[@]/%/-4.pnm}") 2>/dev/null | pnmtopng > "$out/tray-xembed-x4.png"
pnmtopng "$work/dark20-tooltip.pnm" > "$out/tray-xembed-tooltip.png"
echo "wrote $out/tray-xembed.png, tray-xembed-x4.png and tray-xembed-tooltip.png"
