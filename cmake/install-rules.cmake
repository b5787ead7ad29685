# Install rules and Debian packaging for melvox and koddar.
# Included by the root CMakeLists.txt once both program targets exist.

include(GNUInstallDirs)

get_filename_component(TMS_SOURCE_ROOT "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)

install(TARGETS melvox koddar kodasm
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

install(FILES "${TMS_SOURCE_ROOT}/man/melvox.1" "${TMS_SOURCE_ROOT}/man/koddar.1" "${TMS_SOURCE_ROOT}/man/kodasm.1"
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES "${TMS_SOURCE_ROOT}/man/melvox.5"
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man5)

install(FILES "${TMS_SOURCE_ROOT}/README.md"
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
if(IS_DIRECTORY "${TMS_SOURCE_ROOT}/examples")
  install(DIRECTORY "${TMS_SOURCE_ROOT}/examples/"
          DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples)
endif()

# A test that installs the build tree into a staging directory through
# DESTDIR and checks that every file is there and that both programs run.
if(BUILD_TESTING)
  add_test(NAME install-tree
           COMMAND ${CMAKE_COMMAND}
                   -DBUILD_DIR=${CMAKE_BINARY_DIR}
                   -DSTAGE_DIR=${CMAKE_BINARY_DIR}/install-check
                   -DSOURCE_ROOT=${TMS_SOURCE_ROOT}
                   -DFULL_BINDIR=${CMAKE_INSTALL_FULL_BINDIR}
                   -DFULL_MANDIR=${CMAKE_INSTALL_FULL_MANDIR}
                   -DFULL_DOCDIR=${CMAKE_INSTALL_FULL_DOCDIR}
                   -P ${CMAKE_CURRENT_LIST_DIR}/check-install.cmake)
endif()

# Debian package: cpack -G DEB
set(CPACK_PACKAGE_NAME "tms7000-devtools")
set(CPACK_PACKAGE_VENDOR "Project maintainers")
set(CPACK_PACKAGE_CONTACT "Project maintainers <maintainers@example.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "score converter, disassembler and assembler for TMS7020/TMS7040 home computers")
set(CPACK_PACKAGE_DESCRIPTION
    "melvox turns a plain-text music score into the binary note stream played by
a home computer built around a TMS7020 or TMS7040 microcontroller. koddar
disassembles a raw TMS7000-family code image into a fixed-column listing with
the computer's own register names, or into source that kodasm assembles back
into the same image.")
set(CPACK_GENERATOR "DEB")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SECTION "devel")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
find_program(TMS_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(TMS_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6, libstdc++6")
endif()
include(CPack)
