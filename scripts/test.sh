#!/usr/bin/env bash
# Installs what is needed, checks the code's format, then builds and runs
# every test with AddressSanitizer and UndefinedBehaviorSanitizer (leak
# checking included); then builds the app as users get it and runs there the
# tests whose verdict depends on that build (timings, the shipped executable,
# its install), together with a short run of every reader's fuzzer. The log
# ends with that second run's summary.
set -euo pipefail
cd "$(dirname "$0")/.."

# Each stage says how long it took, so that the time CI takes can be read
# off its log.
stage_start=$SECONDS
stage() {
  echo "== ${1}: $((SECONDS - stage_start)) s" >&2
  stage_start=$SECONDS
}

scripts/install-deps.sh clang-format-14

# One format, the one .clang-format describes, checked before anything is
# built: a change that does not keep it fails here.
find src tests sim bench fuzz \( -name '*.cpp' -o -name '*.h' \) -print0 |
  xargs -0 clang-format-14 --dry-run --Werror
stage "packages and format check"

jobs=$(nproc)

# Unoptimised, so it builds quickly; every sanitizer finding fails its test.
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUOTARA_SANITIZE=ON \
  -DQUOTARA_WERROR=ON -DBUILD_TESTING=ON
cmake --build build-asan -j"$jobs"
stage "sanitizer build"
ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1 \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan --output-on-failure -j"$jobs"
stage "sanitizer tests"

# The readers' fuzzers are clang builds in a tree of their own; ctest runs
# each for a few seconds among the other tests (fuzz/ShortRuns.cmake).
scripts/fuzz.sh --build-only --jobs "$jobs"
stage "fuzzer build"
# Optimised as users get it; the debug information is cut to line tables
# (-g1), which still name the function and line of a crash and take a third
# less time to build than full -g. Every test has run under the sanitizers
# already; building and running them all again here took a third of CI's time
# and checked little more, so this tree builds the app and the tests labelled
# "optimised" (cmake/QuotaraTesting.cmake). `cmake --build build` and `ctest
# --test-dir build` still build and run everything.
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUOTARA_WERROR=ON -DBUILD_TESTING=ON \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" -DQUOTARA_FUZZ_TREE="$PWD/build-fuzz"
cmake --build build -j"$jobs" --target quotara_optimised_checks
stage "release build"
ctest --test-dir build --output-on-failure -j"$jobs" -L 'optimised|fuzz'
