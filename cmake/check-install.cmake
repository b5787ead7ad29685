# Installs the build tree with DESTDIR into STAGE_DIR and checks the result.
# Run with cmake -P; see the install-tree test in install-rules.cmake.

file(REMOVE_RECURSE "${STAGE_DIR}")
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env DESTDIR=${STAGE_DIR}
          ${CMAKE_COMMAND} --install "${BUILD_DIR}"
  RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${rc}")
endif()

# Every file the install must place, relative to the staging directory.
set(expected
  "${FULL_BINDIR}/melvox"
  "${FULL_BINDIR}/koddar"
  "${FULL_BINDIR}/melplay"
  "${FULL_BINDIR}/kodasm"
  "${FULL_DOCDIR}/README.md")
# Every man page of the tree, in the section its file name ends in.
file(GLOB pages RELATIVE "${SOURCE_ROOT}/man" "${SOURCE_ROOT}/man/*.[1-8]")
foreach(page IN LISTS pages)
  string(REGEX REPLACE ".*\\.([1-8])$" "\\1" section "${page}")
  list(APPEND expected "${FULL_MANDIR}/man${section}/${page}")
endforeach()
file(GLOB_RECURSE examples RELATIVE "${SOURCE_ROOT}/examples" "${SOURCE_ROOT}/examples/*")
foreach(example IN LISTS examples)
  list(APPEND expected "${FULL_DOCDIR}/examples/${example}")
endforeach()

set(missing "")
foreach(path IN LISTS expected)
  if(NOT EXISTS "${STAGE_DIR}${path}")
    list(APPEND missing "${path}")
  endif()
endforeach()
if(missing)
  list(JOIN missing "\n  " text)
  message(FATAL_ERROR "missing from the install tree:\n  ${text}")
endif()

# Each installed program runs: -h prints its usage line and exits with 1.
set(programs melvox koddar melplay kodasm)
set(usage_melvox "Usage: melvox sourceFile targetFile [-t:1|3]")
set(usage_koddar "Usage: koddar sourceFile [-r:0xRelocAdr] [-s:0xStartAdr] [-e:0xEndAdr]")
set(usage_melplay "Usage: melplay streamFile [-t:1|3] [-w:wavFile] [-s]")
set(usage_kodasm "Usage: kodasm sourceFile targetFile [-l:listingFile]")
foreach(program IN LISTS programs)
  execute_process(COMMAND "${STAGE_DIR}${FULL_BINDIR}/${program}" -h
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_QUIET)
  string(FIND "${out}" "${usage_${program}}\n" at)
  if(NOT rc EQUAL 1 OR at EQUAL -1)
    message(FATAL_ERROR "installed ${program} -h: status ${rc}, output:\n${out}")
  endif()
endforeach()

list(LENGTH expected count)
message(STATUS "install tree complete: ${count} files, every program runs")
