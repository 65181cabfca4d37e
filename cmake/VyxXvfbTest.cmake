# Real-window tests: registered with the CTest label "xvfb" and run inside a virtual X server
# on the xcb platform (overriding the offscreen platform that plain widget tests use).
#
#   vyx_add_xvfb_test(<name> COMMAND <target or program> [args...]
#                     [WORKING_DIRECTORY <dir>] [ENVIRONMENT <VAR=value>...]
#                     [LABELS <label>...] [TIMEOUT <seconds>])
#
# The tests take one lock, so two virtual servers never race for a display number.
find_program(VYX_XVFB_RUN xvfb-run)

function(vyx_add_xvfb_test name)
  cmake_parse_arguments(ARG "" "WORKING_DIRECTORY;TIMEOUT" "COMMAND;ENVIRONMENT;LABELS" ${ARGN})
  if(NOT ARG_COMMAND)
    message(FATAL_ERROR "vyx_add_xvfb_test(${name}): COMMAND is required")
  endif()
  if(NOT VYX_XVFB_RUN)
    message(WARNING "xvfb-run not found (package xvfb): window test ${name} is not registered")
    return()
  endif()

  list(POP_FRONT ARG_COMMAND _program)
  if(TARGET ${_program})
    set(_program $<TARGET_FILE:${_program}>)
  endif()
  if(NOT ARG_WORKING_DIRECTORY)
    set(ARG_WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  endif()
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 120)
  endif()

  add_test(NAME ${name}
           COMMAND ${VYX_XVFB_RUN} -a -s "-screen 0 1280x800x24" ${_program} ${ARG_COMMAND}
           WORKING_DIRECTORY ${ARG_WORKING_DIRECTORY})
  set(_labels xvfb ${ARG_LABELS})
  set(_environment QT_QPA_PLATFORM=xcb ${ARG_ENVIRONMENT})
  set_tests_properties(${name} PROPERTIES
                       LABELS "${_labels}"
                       ENVIRONMENT "${_environment}"
                       RESOURCE_LOCK xvfb
                       TIMEOUT ${ARG_TIMEOUT})
endfunction()
