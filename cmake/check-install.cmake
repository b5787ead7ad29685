# Installs the build tree with DESTDIR into STAGE_DIR and checks the result against
# FILE_LIST (installed-files.txt, written by install-rules.cmake): every listed file is
# there, and every program listed under BINDIR answers -h with its usage line and status 1.
# Run with cmake -P; see the install-tree test in install-rules.cmake.

file(REMOVE_RECURSE "${STAGE_DIR}")
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env DESTDIR=${STAGE_DIR}
          ${CMAKE_COMMAND} --install "${BUILD_DIR}"
  RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${rc}")
endif()

file(STRINGS "${FILE_LIST}" expected)
set(root "${STAGE_DIR}${PREFIX}")
set(missing "")
set(programs "")
foreach(path IN LISTS expected)
  if(NOT EXISTS "${root}/${path}")
    list(APPEND missing "${PREFIX}/${path}")
  endif()
  if(path MATCHES "^${BINDIR}/([^/]+)$")
    list(APPEND programs "${CMAKE_MATCH_1}")
  endif()
endforeach()
if(missing)
  list(JOIN missing "\n  " text)
  message(FATAL_ERROR "missing from the install tree:\n  ${text}")
endif()

foreach(program IN LISTS programs)
  execute_process(COMMAND "${root}/${BINDIR}/${program}" -h
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_QUIET)
  if(NOT rc EQUAL 1 OR NOT out MATCHES "(^|\n)Usage: ${program} [^\n]*\n")
    message(FATAL_ERROR "installed ${program} -h: status ${rc}, output:\n${out}")
  endif()
endforeach()

list(LENGTH expected count)
list(LENGTH programs program_count)
message(STATUS "install tree complete: ${count} files, all ${program_count} programs run")
