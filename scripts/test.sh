#!/usr/bin/env bash
# Installs what is needed, configures, builds and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

jobs=$(nproc)
# The readers' fuzzers are clang builds in a tree of their own; ctest runs
# each for a few seconds among the other tests (fuzz/ShortRuns.cmake).
scripts/fuzz.sh --build-only --jobs "$jobs"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUOTARA_WERROR=ON -DBUILD_TESTING=ON \
  -DQUOTARA_FUZZ_TREE="$PWD/build-fuzz"
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"
