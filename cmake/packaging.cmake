# Installation and the Debian package (scripts/package builds it with CPack).
# Everything the package carries that can be derived is made at build time: the manual
# pages of the tools from their --help, the PNG icon from the SVG, the compressed files.
include(GNUInstallDirs)

set(TRACELINK_PACKAGE_MAINTAINER "tracelink developers <tracelink@example.org>"
    CACHE STRING "Maintainer field of the Debian package, name <address>")

# `install` builds only what it installs (scripts/package builds those targets first), so a
# package build never compiles the tests and benchmarks.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(pkg_src ${PROJECT_SOURCE_DIR}/packaging)
set(pkg_out ${PROJECT_BINARY_DIR}/packaging)
file(MAKE_DIRECTORY ${pkg_out})

find_program(GZIP_EXECUTABLE gzip)
find_program(RSVG_CONVERT_EXECUTABLE rsvg-convert)

set(pkg_files "")
# Compressed without name or time stamp, so the package is the same for the same sources.
function(tracelink_gzip source output)
  add_custom_command(OUTPUT ${output}
    COMMAND ${GZIP_EXECUTABLE} -9nc ${source} > ${output}
    DEPENDS ${source} VERBATIM)
endfunction()

# Manual pages of the tools, from their own --help.
foreach(tool tracelink-cli tracelink-sim)
  if(tool STREQUAL "tracelink-cli")
    set(see_also "tracelink;tracelink-sim")
  else()
    set(see_also "tracelink;tracelink-cli")
  endif()
  add_custom_command(OUTPUT ${pkg_out}/${tool}.1
    COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:${tool}> -DNAME=${tool}
            -DVERSION=${PROJECT_VERSION} "-DSEE_ALSO=${see_also}" -DOUTPUT=${pkg_out}/${tool}.1
            -P ${PROJECT_SOURCE_DIR}/cmake/help_to_man.cmake
    DEPENDS ${tool} ${PROJECT_SOURCE_DIR}/cmake/help_to_man.cmake VERBATIM)
  tracelink_gzip(${pkg_out}/${tool}.1 ${pkg_out}/${tool}.1.gz)
  list(APPEND pkg_files ${pkg_out}/${tool}.1.gz)
endforeach()
# One page for both window programs; tracelink-zh's page is a link to it.
tracelink_gzip(${pkg_src}/tracelink.1 ${pkg_out}/tracelink.1.gz)
add_custom_command(OUTPUT ${pkg_out}/tracelink-zh.1.gz
  COMMAND ${CMAKE_COMMAND} -E create_symlink tracelink.1.gz ${pkg_out}/tracelink-zh.1.gz VERBATIM)
list(APPEND pkg_files ${pkg_out}/tracelink.1.gz ${pkg_out}/tracelink-zh.1.gz)

add_custom_command(OUTPUT ${pkg_out}/tracelink.png
  COMMAND ${RSVG_CONVERT_EXECUTABLE} -w 256 -h 256 ${pkg_src}/tracelink.svg -o ${pkg_out}/tracelink.png
  DEPENDS ${pkg_src}/tracelink.svg VERBATIM)
list(APPEND pkg_files ${pkg_out}/tracelink.png)

configure_file(${pkg_src}/changelog.Debian.in ${pkg_out}/changelog.Debian @ONLY)
tracelink_gzip(${pkg_out}/changelog.Debian ${pkg_out}/changelog.Debian.gz)
list(APPEND pkg_files ${pkg_out}/changelog.Debian.gz)

add_custom_target(package_files DEPENDS ${pkg_files})

install(TARGETS tracelink tracelink-zh tracelink-cli tracelink-sim
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# Stripping keeps the compiler's version notes; an installed program has no use for them.
if(CMAKE_OBJCOPY)
  install(CODE "
    foreach(program tracelink tracelink-zh tracelink-cli tracelink-sim)
      execute_process(COMMAND \"${CMAKE_OBJCOPY}\" --remove-section=.comment
        \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/\${program}\"
        COMMAND_ERROR_IS_FATAL ANY)
    endforeach()")
endif()
install(FILES ${pkg_src}/tracelink.desktop ${pkg_src}/tracelink-zh.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
# The trace files' types, which the desktop entries name; the system's trigger updates the
# type database when the package is installed.
install(FILES ${pkg_src}/tracelink-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
        RENAME tracelink.xml)
install(FILES ${pkg_src}/tracelink.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${pkg_out}/tracelink.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps)
install(FILES ${pkg_src}/tracelink.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${pkg_out}/tracelink.1.gz ${pkg_out}/tracelink-zh.1.gz
              ${pkg_out}/tracelink-cli.1.gz ${pkg_out}/tracelink-sim.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${pkg_src}/copyright ${pkg_out}/changelog.Debian.gz
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tracelink)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${TRACELINK_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "companion program for a handheld fibre tester (OTDR)")
set(CPACK_PACKAGE_DESCRIPTION
    "Uploads the current trace or every stored trace of a handheld optical
time-domain reflectometer over a serial port or USB adapter, shows the
curve with zoom, pan and a crosshair readout, lists the instrument's
events, keeps traces as .otdr files and prints a one-page report.

The package holds the English program tracelink, the Chinese program
tracelink-zh, the command-line tool tracelink-cli for batch work with
trace files, and tracelink-sim, a simulated instrument.")
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${TRACELINK_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The Qt and C++ runtime libraries come from dpkg-shlibdeps; what it cannot see is named:
# the Chinese program's font and Qt's own translations of its dialogs.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-wqy-microhei, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_OUTPUT_FILE_PREFIX ${PROJECT_BINARY_DIR})
include(CPack)
