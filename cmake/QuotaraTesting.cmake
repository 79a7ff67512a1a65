# quotara_add_test(NAME <name> SOURCES <files...> [LIBS <targets...>] [GUI])
#
# One QtTest executable per class under test. Tests never read the user's
# real preferences: each run gets its own XDG_CONFIG_HOME below the build tree.
function(quotara_add_test)
  cmake_parse_arguments(T "GUI" "NAME" "SOURCES;LIBS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE Qt6::Test ${T_LIBS})
  target_include_directories(${T_NAME} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  add_test(NAME ${T_NAME} COMMAND ${T_NAME})
  set(config_home "${CMAKE_CURRENT_BINARY_DIR}/${T_NAME}.config")
  set(env "XDG_CONFIG_HOME=${config_home}" "LC_ALL=C.UTF-8")
  if(T_GUI)
    list(APPEND env "QT_QPA_PLATFORM=offscreen")
  endif()
  set_tests_properties(${T_NAME} PROPERTIES ENVIRONMENT "${env}" TIMEOUT 120)
endfunction()
