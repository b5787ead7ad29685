# How the shipped programs are linked: the C++ library and libgcc are linked in, since
# loading libstdc++ at start-up would cost each run about a millisecond and a megabyte.
#
# Tests that stand between a program and the C library need it linked dynamically:
# valgrind's memcheck replaces malloc (in a static program it would see no heap errors and
# no leaks), and the fault shim is preloaded (a static program ignores LD_PRELOAD). With
# testing on, each program therefore gets a twin, NAME-dynamic, built from the same sources
# and libraries; it is never installed.
#
#   tms_link_program(target)    after add_executable and target_link_libraries
include_guard(GLOBAL)

set(tms_dynamic_link_options -static-libstdc++ -static-libgcc)

function(tms_link_program target)
  target_link_options(${target} PRIVATE ${tms_dynamic_link_options})
  if(BUILD_TESTING)
    get_target_property(sources ${target} SOURCES)
    get_target_property(libraries ${target} LINK_LIBRARIES)
    add_executable(${target}-dynamic ${sources})
    target_link_libraries(${target}-dynamic PRIVATE ${libraries})
    target_link_options(${target}-dynamic PRIVATE ${tms_dynamic_link_options})
  endif()
endfunction()
