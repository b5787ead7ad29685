# Install rules and Debian packaging: every program, every man page, the README and the
# examples. Included by the root CMakeLists.txt after every program target exists, unless
# CMAKE_SKIP_INSTALL_RULES is set.
#
# A new program is added to tms_programs; a new man page in man/ is picked up by itself.
# The list of files an install places is written to installed-files.txt in the build
# directory, and both install checks (the install-tree test and .ci/package.sh) read it.

include(GNUInstallDirs)

get_filename_component(TMS_SOURCE_ROOT "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)

set(tms_programs melvox koddar melplay kodasm melmidi)

install(TARGETS ${tms_programs} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
set(tms_installed "")
foreach(program IN LISTS tms_programs)
  list(APPEND tms_installed "${CMAKE_INSTALL_BINDIR}/${program}${CMAKE_EXECUTABLE_SUFFIX}")
endforeach()

# Every man page of the tree, in the section its file name ends in.
file(GLOB tms_pages CONFIGURE_DEPENDS RELATIVE "${TMS_SOURCE_ROOT}/man" "${TMS_SOURCE_ROOT}/man/*.[1-8]")
list(SORT tms_pages)
foreach(page IN LISTS tms_pages)
  string(REGEX REPLACE ".*\\.([1-8])$" "\\1" section "${page}")
  install(FILES "${TMS_SOURCE_ROOT}/man/${page}" DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section})
  list(APPEND tms_installed "${CMAKE_INSTALL_MANDIR}/man${section}/${page}")
endforeach()

install(FILES "${TMS_SOURCE_ROOT}/README.md" DESTINATION ${CMAKE_INSTALL_DOCDIR})
list(APPEND tms_installed "${CMAKE_INSTALL_DOCDIR}/README.md")
file(GLOB_RECURSE tms_examples CONFIGURE_DEPENDS RELATIVE "${TMS_SOURCE_ROOT}/examples"
     "${TMS_SOURCE_ROOT}/examples/*")
list(SORT tms_examples)
foreach(example IN LISTS tms_examples)
  get_filename_component(subdir "${example}" DIRECTORY)
  install(FILES "${TMS_SOURCE_ROOT}/examples/${example}"
          DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples/${subdir})
  list(APPEND tms_installed "${CMAKE_INSTALL_DOCDIR}/examples/${example}")
endforeach()

# One path a line, relative to the install prefix; programs first, under the bin directory.
list(JOIN tms_installed "\n" text)
file(WRITE "${PROJECT_BINARY_DIR}/installed-files.txt" "${text}\n")

# A test that installs the build tree into a staging directory through DESTDIR and checks
# that every listed file is there and that every installed program runs.
if(BUILD_TESTING)
  add_test(NAME install-tree
           COMMAND ${CMAKE_COMMAND}
                   -DBUILD_DIR=${CMAKE_BINARY_DIR}
                   -DSTAGE_DIR=${CMAKE_BINARY_DIR}/install-check
                   -DPREFIX=${CMAKE_INSTALL_PREFIX}
                   -DBINDIR=${CMAKE_INSTALL_BINDIR}
                   -DFILE_LIST=${PROJECT_BINARY_DIR}/installed-files.txt
                   -P ${CMAKE_CURRENT_LIST_DIR}/check-install.cmake)
endif()

# Debian package: cpack -G DEB
set(CPACK_PACKAGE_NAME "tms7000-devtools")
set(CPACK_PACKAGE_VENDOR "Project maintainers")
set(CPACK_PACKAGE_CONTACT "Project maintainers <maintainers@example.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "score converter, disassembler, assembler and note stream player for TMS7020/TMS7040 home computers")
set(CPACK_PACKAGE_DESCRIPTION
    "melvox turns a plain-text music score into the binary note stream played by
a home computer built around a TMS7020 or TMS7040 microcontroller. koddar
disassembles a raw TMS7000-family code image into a fixed-column listing with
the computer's own register names, or into source that kodasm assembles back
into the same image. melplay checks a note stream, lists it with its timing,
writes a WAV preview of it or turns it back into a score.")
set(CPACK_GENERATOR "DEB")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SECTION "devel")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
# Static programs (static-link.cmake) need no shared library; otherwise the C library is
# shared, and with TMS_STATIC_LINK off the C++ library and libgcc too.
find_program(TMS_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(TMS_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
elseif(NOT TMS_STATIC_LINK)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6, libstdc++6, libgcc-s1")
elseif(NOT TMS_STATIC_PROGRAMS)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6")
endif()
include(CPack)
