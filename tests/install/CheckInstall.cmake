# Installs the build into a scratch prefix and checks that the executable,
# the desktop entry and the application icon land where desktops look, and
# that the entry is one desktops accept.
#
# -DBUILD_DIR=... -DPREFIX=... [-DVALIDATE=desktop-file-validate]
cmake_minimum_required(VERSION 3.22)
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND ${CMAKE_COMMAND} --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${result}")
endif()

set(desktop "${PREFIX}/share/applications/com.orlenby.quotara.desktop")
foreach(path "${PREFIX}/bin/quotara" "${desktop}"
             "${PREFIX}/share/icons/hicolor/scalable/apps/com.orlenby.quotara.svg")
  if(NOT EXISTS "${path}")
    message(FATAL_ERROR "not installed: ${path}")
  endif()
endforeach()
if(NOT IS_DIRECTORY "${PREFIX}/bin" OR EXISTS "${PREFIX}/bin/quotara-sim")
  message(FATAL_ERROR "the simulated provider is a development tool, not part of the install")
endif()

file(STRINGS "${desktop}" entry)
foreach(line "Name=OrlenbyQuotara" "Exec=quotara" "Icon=com.orlenby.quotara"
             "Categories=Office;Finance;" "StartupNotify=false")
  if(NOT line IN_LIST entry)
    message(FATAL_ERROR "the desktop entry lacks ${line}")
  endif()
endforeach()
if(VALIDATE)
  execute_process(COMMAND "${VALIDATE}" "${desktop}" RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "desktop-file-validate refused the entry")
  endif()
endif()
