#!/usr/bin/env bash
# Installs what is needed, builds and starts Quotara in the tray.
# Extra arguments go to quotara itself, e.g. scripts/run.sh --demo
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF
cmake --build build -j"$(nproc)" --target quotara
exec build/src/quotara "$@"
