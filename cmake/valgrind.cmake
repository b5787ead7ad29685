# End-to-end runs under valgrind, labelled "valgrind": memory errors and definite or indirect
# leaks fail the test, and so does an exit status other than the one the run must end with.
# The program run is a dynamically linked twin (melvox-dynamic and so on, see
# static-link.cmake): memcheck cannot watch the heap of a static one, and the run says so.
# Not registered in a sanitizer build (valgrind cannot run sanitized programs) or when
# valgrind is missing.
#
#   add_valgrind_test(NAME name STATUS status [STDOUT path] COMMAND program args...)
include_guard(GLOBAL)
find_program(VALGRIND_PROGRAM valgrind)

function(add_valgrind_test)
  cmake_parse_arguments(PARSE_ARGV 0 vg "" "NAME;STATUS;STDOUT" "COMMAND")
  if(NOT VALGRIND_PROGRAM OR TMS_SANITIZED)
    return()
  endif()
  if(NOT vg_STDOUT)
    set(vg_STDOUT /dev/null)
  endif()
  add_test(NAME ${vg_NAME}
           COMMAND ${CMAKE_COMMAND} -DVALGRIND=${VALGRIND_PROGRAM} -DSTATUS=${vg_STATUS}
                   -DSTDOUT=${vg_STDOUT} -P ${PROJECT_SOURCE_DIR}/cmake/valgrind-run.cmake
                   -- ${vg_COMMAND})
  set_tests_properties(${vg_NAME} PROPERTIES LABELS valgrind)
endfunction()
