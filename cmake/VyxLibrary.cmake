# With Ninja, the moc and form step of an existing build only reruns for files it has parsed
# before, so a newly added form or Q_OBJECT file would never be processed: forget the step's
# time stamp whenever the folder's list of files changes.
function(_vyx_rerun_autogen_on_new_files name sources)
  set(_list_file ${CMAKE_CURRENT_BINARY_DIR}/${name}_files.txt)
  set(_old "")
  if(EXISTS ${_list_file})
    file(READ ${_list_file} _old)
  endif()
  if(NOT _old STREQUAL "${sources}")
    file(WRITE ${_list_file} "${sources}")
    file(REMOVE ${CMAKE_CURRENT_BINARY_DIR}/${name}_autogen/timestamp)
  endif()
endfunction()

# One static library per source folder; every header and source of the folder belongs to it.
# Sources are listed by glob so that adding a class is adding its file pair.
function(vyx_add_library name)
  cmake_parse_arguments(ARG "" "" "LINK" ${ARGN})
  # Forms are listed too, so that a new form is seen by the form compiler in an existing build.
  file(GLOB _sources CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h
       ${CMAKE_CURRENT_SOURCE_DIR}/*.ui)
  add_library(${name} STATIC ${_sources})
  _vyx_rerun_autogen_on_new_files(${name} "${_sources}")
  if(NOT _sources)
    # A folder whose first classes are still to come.
    target_sources(${name} PRIVATE ${PROJECT_SOURCE_DIR}/cmake/empty.cpp)
  endif()
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${ARG_LINK})
  vyx_precompiled_headers(${name})
  # A few sources to a compile: their headers are parsed once for all of them.
  set_target_properties(${name} PROPERTIES UNITY_BUILD ${VYX_UNITY_BUILD} UNITY_BUILD_BATCH_SIZE 8)
endfunction()

# One GoogleTest executable per library folder, run by CTest.
function(vyx_add_test name)
  cmake_parse_arguments(ARG "" "" "LINK" ${ARGN})
  file(GLOB _sources CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  if(NOT _sources)
    return()
  endif()
  add_executable(${name} ${_sources})
  _vyx_rerun_autogen_on_new_files(${name} "${_sources}")
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${ARG_LINK} GTest::gtest GTest::gtest_main)
  vyx_test_precompiled_headers(${name})
  # Pictures from outside are read by the reader process beside the test.
  if(TARGET vyx-picture-reader)
    add_dependencies(${name} vyx-picture-reader)
  endif()
  target_compile_definitions(${name} PRIVATE VYX_TEST_DATA_DIR="${PROJECT_SOURCE_DIR}/tests/data")
  # A test source's file-local names, and the names its helpers' namespaces bring in, are kept
  # apart from the others' of its executable (scripts/local-names), so tests compile in batches too.
  set_target_properties(${name} PROPERTIES UNITY_BUILD ${VYX_UNITY_BUILD} UNITY_BUILD_BATCH_SIZE 8)
  # Labelled by executable, so that one tree may run some of them (ctest -L test_nodeui).
  vyx_discover_tests(${name})
endfunction()

# A test per GoogleTest test; in a sanitized tree a test per group of a suite's tests
# (cmake/VyxTestGroups.cmake). Labelled by executable.
function(vyx_discover_tests name)
  if(NOT VYX_TEST_GROUPS)
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST
                         PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" LABELS ${name})
    return()
  endif()
  set(_include ${CMAKE_CURRENT_BINARY_DIR}/${name}_groups.cmake)
  # The column of tests/test-costs.txt that holds this tree's figures.
  if(VYX_SANITIZE)
    set(_costs 3)
  else()
    set(_costs 2)
  endif()
  file(GENERATE OUTPUT ${_include} CONTENT
       "include(\"${PROJECT_SOURCE_DIR}/cmake/VyxTestGroups.cmake\")
vyx_add_test_groups(\"$<TARGET_FILE:${name}>\" ${name} \"${CMAKE_CURRENT_BINARY_DIR}\" ${_costs})
")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${_include})
endfunction()
