#!/usr/bin/env bash
# Installs everything Quotara needs to build and test on Debian 12 / Ubuntu,
# and any further packages named on the command line (the benchmarks', the
# fuzzers' and the tray screenshots' own tools).
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config
  qt6-base-dev qt6-httpserver-dev qt6-svg-dev qcoro-qt6-dev
  fonts-noto-cjk  # Noto Sans CJK SC, the panel's face for Chinese
  qt6-translations-l10n  # Qt's own menus (a text field's 复制, 粘贴) in Chinese
  locales dbus-daemon desktop-file-utils
  "$@"
)

sudo=()
if [ "$(id -u)" -ne 0 ]; then
  sudo=(sudo)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The number formats are checked under a locale whose decimal mark is a comma.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  "${sudo[@]}" localedef -i de_DE -c -f UTF-8 de_DE.UTF-8 || true
fi
