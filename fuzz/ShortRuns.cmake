# A short session of every fuzzer as a ctest test of the main build. The
# fuzzers are clang builds in a tree of their own (QUOTARA_FUZZ_TREE, made by
# scripts/fuzz.sh --build-only); this build only runs them, through the same
# script that reports their figures.
set(QUOTARA_FUZZ_SECONDS 5 CACHE STRING "Seconds each fuzzer runs under ctest")

file(GLOB fuzz_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/fuzz_*.cpp)
foreach(source IN LISTS fuzz_sources)
  get_filename_component(name ${source} NAME_WE)
  add_test(NAME ${name}
           COMMAND ${PROJECT_SOURCE_DIR}/scripts/fuzz.sh --no-build --build-dir ${QUOTARA_FUZZ_TREE}
                   --seconds ${QUOTARA_FUZZ_SECONDS} ${name})
  # One at a time and alone: a fuzzer keeps a core busy, and the loopback
  # tests beside it measure time-outs.
  set_tests_properties(${name} PROPERTIES RUN_SERIAL TRUE TIMEOUT 120 LABELS fuzz)
endforeach()
