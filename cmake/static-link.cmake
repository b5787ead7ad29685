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

# A packager who wants the C and C++ libraries shared, as a distribution's programs have them,
# turns this off; the programs are then linked the toolchain's own way.
option(TMS_STATIC_LINK "Link the programs fully static where the toolchain can" ON)

# A sanitizer build is one made with the SANITIZE option or with sanitizer flags of the user's
# own (-DCMAKE_CXX_FLAGS=-fsanitize=address,undefined, or the same in the linker flags, as
# distributions and users pass them): either way the programs must not be linked static,
# where the sanitizers' run-time libraries crash them at start-up.
set(tms_user_flags "${CMAKE_CXX_FLAGS} ${CMAKE_EXE_LINKER_FLAGS}")
if(CMAKE_BUILD_TYPE)
  string(TOUPPER "${CMAKE_BUILD_TYPE}" tms_config)
  string(APPEND tms_user_flags " ${CMAKE_CXX_FLAGS_${tms_config}} ${CMAKE_EXE_LINKER_FLAGS_${tms_config}}")
endif()
set(TMS_SANITIZED ${SANITIZE})
if(tms_user_flags MATCHES "(^|[ \t])-fsanitize=")
  set(TMS_SANITIZED ON)
endif()

set(tms_dynamic_link_options -static-libstdc++ -static-libgcc)
set(TMS_STATIC_PROGRAMS OFF)
if(NOT TMS_STATIC_LINK)
  set(tms_dynamic_link_options "")
  message(STATUS "TMS_STATIC_LINK off: the programs are linked with the C and C++ libraries shared")
elseif(TMS_SANITIZED)
  message(STATUS "Sanitizer build: the programs are linked with the C library shared")
else()
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
