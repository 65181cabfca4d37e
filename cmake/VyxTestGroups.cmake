# Test groups of a sanitized tree: one CTest test per run of at most VYX_TEST_GROUP_SIZE tests of
# one suite, in one process, in place of a process per test. A sanitized window test's process
# spends a second or two on starting and ending (the loader's relocations, the sanitizer's
# allocator, the application object) beside the few hundred milliseconds of its test; the
# fixtures set up and tear down each test as they do in a process of its own.
#
# Read by CTest (the tests' include file), so that the list is the executable's own at the time
# the tests run, as gtest_discover_tests(... PRE_TEST) does.

set(VYX_TEST_GROUP_SIZE 8)

# What each group cost before (tests/test-costs.txt), so that a fresh tree starts the long ones
# first; CTest's own figures take over once the tree has run its tests.
file(STRINGS "${CMAKE_CURRENT_LIST_DIR}/../tests/test-costs.txt" _vyx_cost_lines REGEX "^[^#]")

# Adds `target`'s groups, named `target`.Suite, `target`.Suite#2 ..., labelled `target`, run in
# `workdir`; their costs are in column `cost_column` (2 plain, 3 sanitized) of the costs file.
function(vyx_add_test_groups executable target workdir cost_column)
  # Names may hold '#', which no variable reference may: two lists, looked up by index.
  set(_cost_names "")
  set(_cost_values "")
  math(EXPR _column "${cost_column} - 1")
  foreach(_line IN LISTS _vyx_cost_lines)
    string(REPLACE " " ";" _fields "${_line}")
    list(GET _fields 0 _test)
    list(GET _fields ${_column} _cost)
    if(NOT _cost STREQUAL "-")
      list(APPEND _cost_names "${_test}")
      list(APPEND _cost_values "${_cost}")
    endif()
  endforeach()
  if(NOT EXISTS "${executable}")
    add_test("${target}_NOT_BUILT" "${executable}")
    return()
  endif()
  execute_process(COMMAND "${executable}" --gtest_list_tests
                  WORKING_DIRECTORY "${workdir}"
                  OUTPUT_VARIABLE _listing ERROR_VARIABLE _errors
                  RESULT_VARIABLE _result TIMEOUT 120)
  if(NOT _result EQUAL 0)
    message(FATAL_ERROR "${target} --gtest_list_tests failed (${_result}):\n${_listing}${_errors}")
  endif()

  string(REPLACE ";" "\\;" _listing "${_listing}")
  string(REPLACE "\n" ";" _lines "${_listing}")
  set(_suite "")
  set(_group "")
  set(_count 0)
  set(_index 0)
  # A group ends at its size or at the end of its suite.
  macro(_vyx_flush)
    if(_count GREATER 0)
      math(EXPR _index "${_index} + 1")
      # Named by executable too: two executables may hold suites of one name.
      string(REGEX REPLACE "\\.$" "" _name "${target}.${_suite}")
      if(_index GREATER 1)
        string(APPEND _name "#${_index}")
      endif()
      add_test("${_name}" "${executable}" "--gtest_filter=${_group}")
      set_tests_properties("${_name}" PROPERTIES LABELS "${target}" WORKING_DIRECTORY "${workdir}"
                           ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
      list(FIND _cost_names "${_name}" _at)
      if(_at GREATER -1)
        list(GET _cost_values ${_at} _cost)
        set_tests_properties("${_name}" PROPERTIES COST "${_cost}")
      endif()
      set(_group "")
      set(_count 0)
    endif()
  endmacro()

  foreach(_line IN LISTS _lines)
    # Value-parameterised and typed tests carry a comment after their name.
    string(REGEX REPLACE " +#.*$" "" _line "${_line}")
    if(_line STREQUAL "")
      continue()
    endif()
    if(_line MATCHES "^  +(.+)$")
      if(_count EQUAL VYX_TEST_GROUP_SIZE)
        _vyx_flush()
      endif()
      if(_count GREATER 0)
        string(APPEND _group ":")
      endif()
      string(APPEND _group "${_suite}${CMAKE_MATCH_1}")
      math(EXPR _count "${_count} + 1")
    elseif(_line MATCHES "^[^ ].*\\.$")
      _vyx_flush()
      set(_suite "${_line}")
      set(_index 0)
    endif()
  endforeach()
  _vyx_flush()
endfunction()
