# Where `cmake --install` puts each part, following Debian's layout, and the
# .deb that CPack builds from it (scripts/package.sh drives both).
#
#   bin/velloran, bin/VelloranDeploymentToolkit    the administrator's programs
#   sbin/VelloranEngine                            the Linux engine (rehearsals, tests)
#   lib/velloran/                                  what it loads on demand: its dialog
#                                                  program, its directory and CUPS modules
#   share/velloran/help/                           the toolkit's help pages
#   share/velloran/VelloranEngine.exe              the Windows engine Deploy Now copies
#   share/man/man1, man8                           manual pages
#   share/applications, share/icons/hicolor        the toolkit's desktop entry and icon
#   share/bash-completion/completions/velloran     shell completion
#   share/doc/velloran/                            README, examples, copyright, changelog

include(GNUInstallDirs)
set(VELLORAN_DATADIR ${CMAKE_INSTALL_DATADIR}/velloran)
set(VELLORAN_DOCDIR ${CMAKE_INSTALL_DATADIR}/doc/velloran)

install(TARGETS VelloranEngine RUNTIME DESTINATION ${CMAKE_INSTALL_SBINDIR})
# The engine finds them in ../lib/velloran from its own folder.
install(TARGETS VelloranMessageBox RUNTIME DESTINATION lib/velloran)
if(TARGET velloran_ldap_module)
  install(TARGETS velloran_ldap_module LIBRARY DESTINATION lib/velloran)
endif()
if(TARGET velloran_cups_module)
  install(TARGETS velloran_cups_module LIBRARY DESTINATION lib/velloran)
endif()
install(TARGETS velloran RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET VelloranDeploymentToolkit)
  install(TARGETS VelloranDeploymentToolkit RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/help/ DESTINATION ${VELLORAN_DATADIR}/help)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/velloran-deployment-toolkit.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/velloran.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
endif()

# The Windows engine is a file the toolkit deploys, not a program of this
# system; it is packaged when the cross build made one.
set(VELLORAN_WINDOWS_ENGINE "${PROJECT_SOURCE_DIR}/build-windows/engine/VelloranEngine.exe"
    CACHE FILEPATH "The cross-built Windows engine to package beside the toolkit")
if(VELLORAN_WINDOWS_ENGINE)
  install(FILES ${VELLORAN_WINDOWS_ENGINE} DESTINATION ${VELLORAN_DATADIR}
          PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ OPTIONAL)
endif()

install(FILES ${PROJECT_SOURCE_DIR}/packaging/bash-completion/velloran
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/packaging/copyright
        DESTINATION ${VELLORAN_DOCDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/ DESTINATION ${VELLORAN_DOCDIR}/examples)

# Manual pages and the changelog are installed compressed, as Debian wants
# them; gzip -n keeps the package reproducible.
find_program(GZIP_EXECUTABLE gzip REQUIRED)
set(VELLORAN_MAN_PAGES velloran.1 VelloranDeploymentToolkit.1 VelloranEngine.8)
set(VELLORAN_COMPRESSED)
foreach(page ${VELLORAN_MAN_PAGES})
  set(out ${PROJECT_BINARY_DIR}/man/${page}.gz)
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man
    COMMAND ${GZIP_EXECUTABLE} -9nc ${PROJECT_SOURCE_DIR}/docs/man/${page} > ${out}
    DEPENDS ${PROJECT_SOURCE_DIR}/docs/man/${page}
    COMMENT "Manual page ${page}")
  list(APPEND VELLORAN_COMPRESSED ${out})
  string(REGEX REPLACE ".*\\.([0-9])$" "\\1" section ${page})
  install(FILES ${out} DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section})
endforeach()
configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog.in ${PROJECT_BINARY_DIR}/changelog @ONLY)
add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/changelog.gz
  COMMAND ${GZIP_EXECUTABLE} -9nc ${PROJECT_BINARY_DIR}/changelog > ${PROJECT_BINARY_DIR}/changelog.gz
  DEPENDS ${PROJECT_BINARY_DIR}/changelog)
list(APPEND VELLORAN_COMPRESSED ${PROJECT_BINARY_DIR}/changelog.gz)
install(FILES ${PROJECT_BINARY_DIR}/changelog.gz DESTINATION ${VELLORAN_DOCDIR})
add_custom_target(velloran_docs ALL DEPENDS ${VELLORAN_COMPRESSED})

set(CPACK_PACKAGE_NAME velloran)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Kestrane")
set(CPACK_PACKAGE_CONTACT "Velloran maintainers <velloran@kestrane.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "move Windows users' network printer connections to new print servers")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION admin)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The toolkit's windows need a platform plugin, which no library links.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "cifs-utils")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "Velloran moves the network printer connections of Windows users from old\n"
  "print servers and queues to new ones on every client, without a visit to\n"
  "each desk. The package holds the administrator's deployment toolkit (a Qt\n"
  "wizard that edits the INI file and deploys the Windows engine to a share),\n"
  "the velloran command (rehearsals, debug files, fleet reports) and the\n"
  "engine built for this system, used to rehearse a migration.")
string(REPLACE ";" "" CPACK_DEBIAN_PACKAGE_DESCRIPTION "${CPACK_DEBIAN_PACKAGE_DESCRIPTION}")
include(CPack)
