# Install rules, the plug-in SDK files (pkg-config, CMake package) and the
# Debian package (CPack). Included from the top CMakeLists.txt.
include(CMakePackageConfigHelpers)

# Tools find the private libraries through their RPATH ($ORIGIN/../lib/orlocli);
# the libraries find each other beside themselves, plug-ins one level up.
set_target_properties(clikit olkctl PROPERTIES INSTALL_RPATH "$ORIGIN")
set_target_properties(core-storage PROPERTIES INSTALL_RPATH "$ORIGIN/..")

install(TARGETS orlocli orlocli-host RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS clikit olkctl EXPORT orlocliTargets LIBRARY DESTINATION ${ORLOCLI_INSTALL_LIBDIR}
        INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(TARGETS core-storage LIBRARY DESTINATION ${ORLOCLI_INSTALL_PLUGINDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/platform/clikit/include/ ${PROJECT_SOURCE_DIR}/platform/olkctl/include/
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})

# Man pages and completions are generated from the registered tree and kept in
# the source tree (tools/gen-reference); a test fails when they are stale.
# Man pages are installed compressed (gzip -9n, as Debian wants them; man reads
# them either way).
install(FILES ${PROJECT_SOURCE_DIR}/docs/man/orlocli.1 ${PROJECT_SOURCE_DIR}/docs/man/orlocli-host.1
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(CODE "execute_process(COMMAND gzip -9nf orlocli.1 orlocli-host.1
  WORKING_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_MANDIR}/man1\" COMMAND_ERROR_IS_FATAL ANY)")
install(FILES ${PROJECT_SOURCE_DIR}/completions/orlocli.bash DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
        RENAME orlocli)
install(FILES ${PROJECT_SOURCE_DIR}/completions/_orlocli DESTINATION ${CMAKE_INSTALL_DATADIR}/zsh/vendor-completions)
install(FILES ${PROJECT_SOURCE_DIR}/completions/orlocli.fish
        DESTINATION ${CMAKE_INSTALL_DATADIR}/fish/vendor_completions.d)
file(GLOB ORLOCLI_DOCS ${PROJECT_SOURCE_DIR}/docs/*.md)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${ORLOCLI_DOCS} DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/plugin-hello DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples)

# SDK: pkg-config and CMake package files. Both find the prefix from their own
# place, so a tree moved elsewhere (or staged under DESTDIR) still works.
set(ORLOCLI_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/orlocli)
set(ORLOCLI_PKGCONFIGDIR ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
file(RELATIVE_PATH ORLOCLI_PKGCONFIG_TO_PREFIX /${ORLOCLI_PKGCONFIGDIR} /)
string(REGEX REPLACE "/$" "" ORLOCLI_PKGCONFIG_TO_PREFIX "${ORLOCLI_PKGCONFIG_TO_PREFIX}")
configure_file(${CMAKE_CURRENT_LIST_DIR}/orlocli.pc.in ${CMAKE_BINARY_DIR}/orlocli.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/orlocli.pc DESTINATION ${ORLOCLI_PKGCONFIGDIR})
install(EXPORT orlocliTargets NAMESPACE orlocli:: DESTINATION ${ORLOCLI_CMAKEDIR})
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/orlocliConfig.cmake.in
                              ${CMAKE_BINARY_DIR}/orlocliConfig.cmake INSTALL_DESTINATION ${ORLOCLI_CMAKEDIR}
                              PATH_VARS ORLOCLI_INSTALL_PLUGINDIR)
write_basic_package_version_file(${CMAKE_BINARY_DIR}/orlocliConfigVersion.cmake COMPATIBILITY SameMinorVersion)
install(FILES ${CMAKE_BINARY_DIR}/orlocliConfig.cmake ${CMAKE_BINARY_DIR}/orlocliConfigVersion.cmake
        DESTINATION ${ORLOCLI_CMAKEDIR})

# One Debian package (tools/package): tools, libraries, plug-in, man pages,
# completions and the SDK. Its dependencies come from dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orlocli)
set(CPACK_PACKAGE_VENDOR "orlocli developers")
set(CPACK_PACKAGE_CONTACT "orlocli developers <orlocli@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "host command-line tool with its storage plug-in and a simulated host")
set(CPACK_PACKAGE_DESCRIPTION
    "orlocli runs storage commands (adapters, devices, paths, claim rules, ...) \
on a simulated host kept in a JSON file; orlocli-host creates and inspects \
such hosts. Headers, pkg-config and CMake files for building further \
command plug-ins are included.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION admin)
# bash loads the completion through bash-completion; zsh and fish need nothing.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS bash-completion)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The private libraries are in the package itself, not in a dependency.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_BINARY_DIR}/bin)
set(CPACK_STRIP_FILES ON)
include(CPack)
