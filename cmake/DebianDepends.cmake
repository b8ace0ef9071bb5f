# Run by CPack (CPACK_PRE_BUILD_SCRIPTS) once the package's files are staged:
# adds the shared libraries its programs and modules link to Depends, as
# dpkg-shlibdeps names them.
#
# CPack can do this itself (CPACK_DEBIAN_PACKAGE_SHLIBDEPS), but then also
# writes a postinst and a postrm that run ldconfig whenever a shared object
# lies below /usr/lib, a private folder such as /usr/lib/velloran included,
# which the dynamic linker never searches: the modules there are loaded by
# path. A package with no library on the linker's path needs neither script.

file(GLOB_RECURSE staged LIST_DIRECTORIES false "${CPACK_TEMPORARY_DIRECTORY}/*")
set(elf_files)
foreach(file IN LISTS staged)
  if(NOT IS_SYMLINK "${file}")
    file(READ "${file}" magic LIMIT 4 HEX)
    if(magic STREQUAL "7f454c46")
      list(APPEND elf_files "${file}")
    endif()
  endif()
endforeach()
if(NOT elf_files)
  message(FATAL_ERROR "DebianDepends: no ELF file in ${CPACK_TEMPORARY_DIRECTORY}")
endif()

find_program(DPKG_SHLIBDEPS dpkg-shlibdeps REQUIRED)
# dpkg-shlibdeps wants a debian/control in its working folder; an empty one
# does, away from the staged files.
set(work "${CPACK_TOPLEVEL_DIRECTORY}/shlibdeps")
file(REMOVE_RECURSE "${work}")
file(MAKE_DIRECTORY "${work}/debian")
file(WRITE "${work}/debian/control" "")
execute_process(COMMAND ${DPKG_SHLIBDEPS} --ignore-missing-info -O ${elf_files}
  WORKING_DIRECTORY "${work}"
  OUTPUT_VARIABLE shlibs ERROR_VARIABLE errors RESULT_VARIABLE status
  OUTPUT_STRIP_TRAILING_WHITESPACE)
file(REMOVE_RECURSE "${work}")
if(NOT status EQUAL 0 OR NOT shlibs MATCHES "shlibs:Depends=")
  message(FATAL_ERROR "DebianDepends: dpkg-shlibdeps failed (${status}): ${errors}")
endif()
string(REGEX REPLACE "^.*shlibs:Depends=" "" shlibs "${shlibs}")
if(CPACK_DEBIAN_PACKAGE_DEPENDS)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "${shlibs}, ${CPACK_DEBIAN_PACKAGE_DEPENDS}")
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "${shlibs}")
endif()
