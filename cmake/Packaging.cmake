# Where `cmake --install` puts each part, following Debian's layout, and the
# .deb that CPack builds from it (scripts/package.sh drives both).
#
#   bin/velloran, bin/VelloranDeploymentToolkit    the administrator's programs
#   sbin/VelloranEngine                            the Linux engine (rehearsals, tests)
#   lib/velloran/                                  what it loads on demand: its dialog
#                                                  program, its directory and CUPS modules
#   share/velloran/help/                           the toolkit's help pages
#   share/velloran/VelloranEngine.exe, EvntMsg.dll the Windows engine Deploy Now copies,
#   share/velloran/velloran.exe                    its event log message file and the Windows
#                                                  command line of the driver start-up script
#   share/velloran/examples/                       the example INI file and the CUPS client
#                                                  recipe (root wrapper, sudoers rule, logon
#                                                  hook, systemd unit, their installer)
#   share/man/man1, man8                           manual pages
#   share/applications, share/icons/hicolor        the toolkit's desktop entry and icon
#   share/bash-completion/completions/velloran     shell completion
#   share/doc/velloran/                            README, the guide (guide/), copyright,
#                                                  changelog

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
# system; it is packaged, with its event log message file, when the cross
# build made one. A package without it says so in its file name and
# description: an installed toolkit then has no engine for Deploy Now.
set(VELLORAN_WINDOWS_ENGINE "${PROJECT_SOURCE_DIR}/build-windows/engine/VelloranEngine.exe"
    CACHE FILEPATH "The cross-built Windows engine to package beside the toolkit")
set(VELLORAN_PACKAGED_WINDOWS_ENGINE OFF)
get_filename_component(windows_engine_dir "${VELLORAN_WINDOWS_ENGINE}" DIRECTORY)
if(VELLORAN_WINDOWS_ENGINE AND EXISTS "${VELLORAN_WINDOWS_ENGINE}"
   AND NOT EXISTS "${windows_engine_dir}/EvntMsg.dll")
  message(WARNING "${windows_engine_dir}/EvntMsg.dll is missing beside the Windows engine: "
                  "the package goes without both")
elseif(VELLORAN_WINDOWS_ENGINE AND EXISTS "${VELLORAN_WINDOWS_ENGINE}")
  install(FILES ${VELLORAN_WINDOWS_ENGINE} ${windows_engine_dir}/EvntMsg.dll
          DESTINATION ${VELLORAN_DATADIR}
          PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
  set(VELLORAN_PACKAGED_WINDOWS_ENGINE ON)
  # The driver start-up script that Deploy Now can write runs it from the
  # deployment folder.
  if(EXISTS "${windows_engine_dir}/velloran.exe")
    install(FILES ${windows_engine_dir}/velloran.exe DESTINATION ${VELLORAN_DATADIR}
            PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
  endif()
endif()

install(FILES ${PROJECT_SOURCE_DIR}/packaging/bash-completion/velloran
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/packaging/copyright
        DESTINATION ${VELLORAN_DOCDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/guide/ DESTINATION ${VELLORAN_DOCDIR}/guide
        FILES_MATCHING PATTERN "*.md")
# Not under share/doc: minimal systems leave documentation out, and the
# recipe's installer needs these files.
# The installer and the root wrapper are run as programs; everything else
# there is copied or sourced and stays a plain file.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/ DESTINATION ${VELLORAN_DATADIR}/examples
        PATTERN install-cups-client.sh PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
                GROUP_EXECUTE WORLD_READ WORLD_EXECUTE
        PATTERN velloran-as-root.sh PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
                GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

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
if(VELLORAN_PACKAGED_WINDOWS_ENGINE)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
else()
  execute_process(COMMAND dpkg --print-architecture OUTPUT_VARIABLE deb_arch
                  OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  if(NOT deb_arch)
    set(deb_arch amd64)
  endif()
  set(CPACK_DEBIAN_FILE_NAME "velloran_${PROJECT_VERSION}_${deb_arch}_without-windows-engine.deb")
endif()
set(CPACK_DEBIAN_PACKAGE_SECTION admin)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries' packages go into Depends by a script of ours, not by CPack,
# which would add maintainer scripts that run ldconfig (see the script).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS OFF)
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/DebianDepends.cmake)
# The toolkit's windows need a platform plugin, which no library links.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
# Kerberos binds of the directory mode need the SASL GSSAPI module; kinit and
# sudo serve the CUPS client recipe.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libsasl2-modules-gssapi-mit")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "cifs-utils, krb5-user, sudo")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "Velloran moves the network printer connections of Windows users from old\n"
  "print servers and queues to new ones on every client, without a visit to\n"
  "each desk. The package holds the administrator's deployment toolkit (a Qt\n"
  "wizard that edits the INI file and deploys the Windows engine to a share),\n"
  "the velloran command (rehearsals, debug files, fleet reports) and the\n"
  "engine built for this system, used to rehearse a migration and to move\n"
  "CUPS queues on Linux clients.")
if(NOT VELLORAN_PACKAGED_WINDOWS_ENGINE)
  list(APPEND CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "\n\nThis build holds no Windows engine (VelloranEngine.exe): put one in\n"
    "/usr/share/velloran before Deploy Now.")
endif()
string(REPLACE ";" "" CPACK_DEBIAN_PACKAGE_DESCRIPTION "${CPACK_DEBIAN_PACKAGE_DESCRIPTION}")
include(CPack)
