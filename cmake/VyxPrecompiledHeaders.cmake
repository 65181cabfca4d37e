# Precompiled headers: the standard, Qt and GoogleTest headers nearly every file includes are
# parsed once per kind of target, not once per file (a third to a half of a file's compile
# time). Four holders carry them; every other target reuses the holder whose flags match its
# own, since GCC takes a precompiled header only where the flags agree (-Winvalid-pch warns
# when it does not, and the file then compiles from the headers' text). No QtTest header is
# precompiled: qtest.h reads the QT_<module>_LIB macros, which differ between test targets.
# -DCMAKE_DISABLE_PRECOMPILE_HEADERS=ON builds without them (shows a file missing an include).

# The test executables' own code is compiled unoptimised in the optimised builds: what they test,
# the libraries, keeps the build type's flags. The tests' sources are most of a build's compile
# time (GoogleTest's macros, and the sanitizers' checks on each of them); unoptimised they compile
# in a third to a half of the time at -O1, and the tests take a few percent longer to run.
set(VYX_TEST_COMPILE_OPTIONS $<$<CONFIG:RelWithDebInfo,Release,MinSizeRel>:-O0>)

set(_vyx_pch_std <algorithm> <array> <atomic> <cmath> <cstdint> <cstdlib> <cstring>
    <functional> <limits> <memory> <utility> <vector>)
# Engine: QtCore, QtGui and QtXml only.
set(_vyx_pch_engine ${_vyx_pch_std} <QByteArray> <QCoreApplication> <QDebug> <QDomDocument>
    <QDomElement> <QImage> <QList> <QPoint> <QSet> <QString> <QUrl>)
set(_vyx_pch_widgets ${_vyx_pch_engine} <QApplication> <QBuffer> <QColor> <QComboBox> <QDir>
    <QFile> <QFileInfo> <QLabel> <QLineEdit> <QMenu> <QMessageBox> <QMouseEvent> <QObject>
    <QPainter> <QPixmap> <QPointer> <QPushButton> <QSettings> <QTimer> <QToolButton>
    <QTreeWidget> <QUndoStack> <QWidget>)
set(_vyx_pch_test <gtest/gtest.h> <QTemporaryDir>)

function(_vyx_pch_holder name)
  cmake_parse_arguments(ARG "" "" "LINK;HEADERS;OPTIONS" ${ARGN})
  add_library(${name} OBJECT EXCLUDE_FROM_ALL ${PROJECT_SOURCE_DIR}/cmake/empty.cpp)
  set_target_properties(${name} PROPERTIES AUTOMOC OFF AUTOUIC OFF AUTORCC OFF)
  target_link_libraries(${name} PRIVATE ${ARG_LINK})
  target_compile_options(${name} PRIVATE ${ARG_OPTIONS})
  # Clang stamps the header with its time, which ccache would hash as new on every build.
  if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    target_compile_options(${name} PRIVATE "SHELL:-Xclang -fno-pch-timestamp")
  endif()
  target_precompile_headers(${name} PRIVATE ${ARG_HEADERS})
endfunction()

_vyx_pch_holder(vyx_pch_engine LINK Qt6::Core Qt6::Gui Qt6::Xml HEADERS ${_vyx_pch_engine})
_vyx_pch_holder(vyx_pch_engine_test LINK Qt6::Core Qt6::Gui Qt6::Xml GTest::gtest
                HEADERS ${_vyx_pch_engine} ${_vyx_pch_test} OPTIONS ${VYX_TEST_COMPILE_OPTIONS})
if(TARGET Qt6::Widgets)
  _vyx_pch_holder(vyx_pch_widgets LINK Qt6::Core Qt6::Gui Qt6::Xml Qt6::Widgets
                  HEADERS ${_vyx_pch_widgets})
  _vyx_pch_holder(vyx_pch_widgets_test LINK Qt6::Core Qt6::Gui Qt6::Xml Qt6::Widgets GTest::gtest
                  HEADERS ${_vyx_pch_widgets} ${_vyx_pch_test} OPTIONS ${VYX_TEST_COMPILE_OPTIONS})
endif()

# "widgets" where the target links the widgets (itself or through a library of that kind).
function(_vyx_pch_kind target out)
  get_target_property(_links ${target} LINK_LIBRARIES)
  set(_kind engine)
  foreach(_link IN LISTS _links)
    if(_link STREQUAL "Qt6::Widgets")
      set(_kind widgets)
    elseif(TARGET "${_link}")
      get_target_property(_link_kind ${_link} VYX_PCH_KIND)
      if(_link_kind STREQUAL "widgets")
        set(_kind widgets)
      endif()
    endif()
  endforeach()
  set(${out} ${_kind} PARENT_SCOPE)
endfunction()

# A library or program: the holder of its kind.
function(vyx_precompiled_headers target)
  _vyx_pch_kind(${target} _kind)
  set_target_properties(${target} PROPERTIES VYX_PCH_KIND ${_kind})
  if(TARGET vyx_pch_${_kind})
    target_precompile_headers(${target} REUSE_FROM vyx_pch_${_kind})
  endif()
endfunction()

# A test executable: the test options and the test holder of its kind.
function(vyx_test_precompiled_headers target)
  target_compile_options(${target} PRIVATE ${VYX_TEST_COMPILE_OPTIONS})
  _vyx_pch_kind(${target} _kind)
  if(TARGET vyx_pch_${_kind}_test)
    target_precompile_headers(${target} REUSE_FROM vyx_pch_${_kind}_test)
  endif()
endfunction()
