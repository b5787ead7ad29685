# Runs one program under valgrind (cmake -P, see valgrind.cmake): the words after "--" are the
# command, STATUS the exit status it must end with, STDOUT where its standard output goes.
# valgrind's own findings end the run with status 99, which no program of the tree uses.
set(command "")
set(seen_separator FALSE)
foreach(i RANGE 1 ${CMAKE_ARGC})
  if(i EQUAL CMAKE_ARGC)
    break()
  endif()
  if(seen_separator)
    list(APPEND command "${CMAKE_ARGV${i}}")
  elseif(CMAKE_ARGV${i} STREQUAL "--")
    set(seen_separator TRUE)
  endif()
endforeach()

# memcheck finds heap errors and leaks by replacing malloc in the shared C library; in a
# static program it would replace nothing and pass. The command runs a program's dynamic twin.
list(GET command 0 program)
file(GET_RUNTIME_DEPENDENCIES EXECUTABLES "${program}" RESOLVED_DEPENDENCIES_VAR shared
     UNRESOLVED_DEPENDENCIES_VAR unresolved)
if(NOT shared MATCHES "/libc\\.so")
  message(FATAL_ERROR "${program} does not load the shared C library: valgrind would see no heap")
endif()

execute_process(
  COMMAND ${VALGRIND} --quiet --error-exitcode=99 --leak-check=full
          --errors-for-leak-kinds=definite,indirect --track-fds=no ${command}
  OUTPUT_FILE ${STDOUT}
  ERROR_VARIABLE err
  RESULT_VARIABLE status)
message("${err}")
if(status EQUAL 99)
  message(FATAL_ERROR "valgrind reported errors (above)")
endif()
if(NOT status STREQUAL STATUS)
  message(FATAL_ERROR "exit status ${status}, expected ${STATUS}")
endif()
