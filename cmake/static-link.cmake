# How the shipped programs are linked: fully static (position-independent, so that they keep
# address space randomisation; measured no slower than plain -static). Such a run needs no
# dynamic loader and maps no libc.so: measured side by side, 0.13 to 0.2 ms less a run
# (koddar on a 64 KiB image 2.38 -> 2.25 ms, melvox on a 63 KB score 2.53 -> 2.36 ms) and
# about half the resident memory (koddar 1.9 -> 0.95 MiB at its peak). Where that is not
# possible, in a sanitizer build (the sanitizers' run-time libraries do not link static) or
# with a toolchain that has no static C library, only the C++ library and libgcc are linked
# in: loading libstdc++ at start-up would cost each run about a millisecond and a megabyte.
#
# Tests that stand between a program and the C library need it linked dynamically:
# valgrind's memcheck replaces malloc (in a static program it would see no heap errors and
# no leaks), and the fault shim is preloaded (a static program ignores LD_PRELOAD). With
# testing on, each program therefore gets a twin, NAME-dynamic, built from the same main and
# library and linked the other way; it is never installed.
#
#   tms_add_program(name library)    the program `name` from main.cpp and its core library
include_guard(GLOBAL)
include(CheckCXXSourceCompiles)

set(tms_dynamic_link_options -static-libstdc++ -static-libgcc)
set(TMS_STATIC_PROGRAMS OFF)
if(NOT SANITIZE)
  set(CMAKE_REQUIRED_LINK_OPTIONS -static-pie)
  check_cxx_source_compiles("#include <string>\nint main(int, char** argv) { return std::string(argv[0]).empty(); }"
                            TMS_CAN_LINK_STATIC)
  unset(CMAKE_REQUIRED_LINK_OPTIONS)
  if(TMS_CAN_LINK_STATIC)
    set(TMS_STATIC_PROGRAMS ON)
  else()
    message(STATUS "No static C library: the programs are linked with the C library shared")
  endif()
endif()

function(tms_add_program name library)
  add_executable(${name} main.cpp)
  target_link_libraries(${name} PRIVATE ${library})
  if(TMS_STATIC_PROGRAMS)
    target_link_options(${name} PRIVATE -static-pie)
  else()
    target_link_options(${name} PRIVATE ${tms_dynamic_link_options})
  endif()
  if(BUILD_TESTING)
    add_executable(${name}-dynamic main.cpp)
    target_link_libraries(${name}-dynamic PRIVATE ${library})
    target_link_options(${name}-dynamic PRIVATE ${tms_dynamic_link_options})
  endif()
endfunction()
