# Precompiled headers. Nearly every file includes the same Qt and QCoro
# headers, and with two cores most of a clean build's time went to parsing
# them again for each file; compiled once per tree, they cut that share.
#
# GCC uses a precompiled header only where the macros it tests are defined
# alike, and Qt's test header tests which Qt modules a target links
# (QT_GUI_LIB, QT_WIDGETS_LIB). So there is one set for targets without the
# GUI and one for those with it; each test reuses the set that matches what
# it links. CMake adds -Winvalid-pch, and the CI builds with -Werror, so a
# set that stops matching fails the build rather than silently slowing it.
option(QUOTARA_PCH "Precompile the Qt and QCoro headers most files include" ON)

set(QUOTARA_PCH_CORE
  <algorithm> <chrono> <functional> <memory> <optional>
  <QByteArray> <QDateTime> <QHash> <QJsonArray> <QJsonDocument> <QJsonObject> <QList>
  <QMap> <QObject> <QPointer> <QSet> <QString> <QStringList> <QTimeZone> <QTimer>
  <QNetworkReply> <QCoroTask>
)
set(QUOTARA_PCH_UI
  ${QUOTARA_PCH_CORE}
  <QApplication> <QColor> <QHBoxLayout> <QLabel> <QPainter> <QPainterPath> <QPushButton>
  <QVBoxLayout> <QWidget>
)
set(QUOTARA_PCH_TEST <QTest> <QSignalSpy>)

# quotara_precompile(<target> CORE|UI)
function(quotara_precompile target set)
  if(QUOTARA_PCH)
    target_precompile_headers(${target} PRIVATE ${QUOTARA_PCH_${set}})
  endif()
endfunction()

# Qt's test module defines the directories of each test for QFINDTESTDATA,
# which no test here uses; left defined, they would differ from directory to
# directory and no test could share a precompiled header.
function(quotara_drop_testcase_dirs target)
  target_compile_options(${target} PRIVATE -UQT_TESTCASE_BUILDDIR -UQT_TESTCASE_SOURCEDIR)
endfunction()

# The tests' two sets, each compiled once in a host of its own; a test takes
# the one that matches the Qt modules it links, or none.
function(quotara_add_test_pch_hosts)
  if(NOT QUOTARA_PCH)
    return()
  endif()
  set(source "${PROJECT_BINARY_DIR}/quotara_pch_host.cpp")
  file(CONFIGURE OUTPUT "${source}" CONTENT "// Compiles the tests' precompiled headers.\n")
  foreach(set CORE UI)
    string(TOLOWER ${set} name)
    add_library(quotara_test_pch_${name} OBJECT "${source}")
    target_precompile_headers(quotara_test_pch_${name} PRIVATE ${QUOTARA_PCH_${set}} ${QUOTARA_PCH_TEST})
    quotara_drop_testcase_dirs(quotara_test_pch_${name})
  endforeach()
  target_link_libraries(quotara_test_pch_core PRIVATE Qt6::Test quotara_core)
  target_link_libraries(quotara_test_pch_ui PRIVATE Qt6::Test quotara_ui)
endfunction()

# quotara_reuse_test_pch(<target> <libraries the test links...>)
function(quotara_reuse_test_pch target)
  if(NOT QUOTARA_PCH)
    return()
  endif()
  quotara_drop_testcase_dirs(${target})
  if(quotara_ui IN_LIST ARGN)
    target_precompile_headers(${target} REUSE_FROM quotara_test_pch_ui)
  elseif(quotara_core IN_LIST ARGN AND NOT Qt6::Gui IN_LIST ARGN)
    target_precompile_headers(${target} REUSE_FROM quotara_test_pch_core)
  endif()
endfunction()
