# quotara_add_test(NAME <name> SOURCES <files...> [LIBS <targets...>] [GUI] [BUS] [OPTIMISED])
#
# One QtTest executable per class under test. Tests never read the user's
# real preferences: each run gets its own XDG_CONFIG_HOME below the build tree.
#
# BUS runs the test through dbus-run-session on a private session bus, for
# tests that bring up their own notification server, tray watcher or host:
# nothing reaches the desktop, and the bus knows no service files, so no
# daemon installed here is started for them.
#
# OPTIMISED marks the tests whose verdict depends on the build being the
# optimised one users get: those that judge how long something takes and
# those that run the shipped executable. They carry the label "optimised",
# and the target quotara_optimised_checks builds just them; CI runs every
# test under the sanitizers and only these (with the fuzzers) optimised.
find_program(DBUS_RUN_SESSION dbus-run-session REQUIRED)
set(QUOTARA_PRIVATE_BUS_CONFIG "${PROJECT_BINARY_DIR}/private-session-bus.conf")
file(CONFIGURE OUTPUT "${QUOTARA_PRIVATE_BUS_CONFIG}" CONTENT [[
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:tmpdir=/tmp</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
]])

add_custom_target(quotara_optimised_checks)
add_dependencies(quotara_optimised_checks quotara quotara-sim)

function(quotara_add_test)
  cmake_parse_arguments(T "GUI;BUS;OPTIMISED" "NAME" "SOURCES;LIBS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE Qt6::Test ${T_LIBS})
  target_include_directories(${T_NAME} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  quotara_reuse_test_pch(${T_NAME} ${T_LIBS})
  if(T_BUS)
    add_test(NAME ${T_NAME} COMMAND ${DBUS_RUN_SESSION} --config-file=${QUOTARA_PRIVATE_BUS_CONFIG}
                                    -- $<TARGET_FILE:${T_NAME}>)
  else()
    add_test(NAME ${T_NAME} COMMAND ${T_NAME})
  endif()
  set(config_home "${CMAKE_CURRENT_BINARY_DIR}/${T_NAME}.config")
  set(env "XDG_CONFIG_HOME=${config_home}" "LC_ALL=C.UTF-8")
  if(T_GUI)
    list(APPEND env "QT_QPA_PLATFORM=offscreen")
  endif()
  set_tests_properties(${T_NAME} PROPERTIES ENVIRONMENT "${env}" TIMEOUT 120)
  if(T_OPTIMISED)
    set_tests_properties(${T_NAME} PROPERTIES LABELS optimised)
    add_dependencies(quotara_optimised_checks ${T_NAME})
  endif()
endfunction()
