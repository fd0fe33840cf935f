# Installing and packaging: `cmake --install` lays out the programs, their man pages, the
# window's desktop entry and icon, and bash completion for isp89-cli; CPack makes a Debian
# package of that on Linux (`make package`), and a zip of isp89-cli.exe from the mingw-w64
# build. Kept apart from the build rules so that the two change independently.
include(GNUInstallDirs)

set(ISP89_PACKAGE_MAINTAINER "isp89 developers <isp89@example.org>"
    CACHE STRING "The Maintainer field of the Debian package")
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(packaging ${PROJECT_SOURCE_DIR}/packaging)
set(staged ${PROJECT_BINARY_DIR}/packaging)

if(WIN32)
  install(TARGETS isp89-cli RUNTIME DESTINATION .)
  install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION .)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME "isp89-cli-${PROJECT_VERSION}-windows-x64")
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
else()
  set(programs isp89-cli isp89-sim)
  if(TARGET isp89)
    list(APPEND programs isp89)
  endif()
  install(TARGETS ${programs} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

  # Man pages carry the version; Debian wants them compressed with gzip -9n.
  set(manPages)
  foreach(page isp89-cli isp89-sim isp89)
    configure_file(${packaging}/man/${page}.1.in ${staged}/${page}.1 @ONLY)
    add_custom_command(OUTPUT ${staged}/${page}.1.gz
      COMMAND gzip -9n -c ${staged}/${page}.1 > ${staged}/${page}.1.gz
      DEPENDS ${staged}/${page}.1 VERBATIM)
    list(APPEND manPages ${staged}/${page}.1.gz)
  endforeach()
  configure_file(${packaging}/changelog.in ${staged}/changelog @ONLY)
  add_custom_command(OUTPUT ${staged}/changelog.gz
    COMMAND gzip -9n -c ${staged}/changelog > ${staged}/changelog.gz
    DEPENDS ${staged}/changelog VERBATIM)
  add_custom_target(isp89_docs ALL DEPENDS ${manPages} ${staged}/changelog.gz)

  install(FILES ${manPages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${packaging}/completion/isp89-cli
          DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
  install(FILES ${packaging}/isp89.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${packaging}/isp89.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  install(FILES ${packaging}/copyright ${staged}/changelog.gz
          DESTINATION ${CMAKE_INSTALL_DOCDIR})
  # FTDI chips for the plugdev group and the user at the seat (src/platform/FtdiBus.h names
  # where it lies).
  install(FILES ${packaging}/udev/60-isp89-ftdi.rules DESTINATION lib/udev/rules.d)

  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${ISP89_PACKAGE_MAINTAINER}")
  set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  # dpkg-shlibdeps finds the libraries the programs link (the Qt 6 libraries among them);
  # Qt also loads its platform plugins at run time, which no link shows.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
  # Qt's own words in the window's dialogs (Yes, No) in the window's language.
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "bash-completion, qt6-translations-l10n")
  set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
  set(CPACK_STRIP_FILES ON)
endif()

set(CPACK_PACKAGE_NAME isp89)
set(CPACK_PACKAGE_VENDOR "isp89 developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${ISP89_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "in-system programmer for AT89S51 and AT89S52 microcontrollers")
set(CPACK_PACKAGE_DESCRIPTION
    "isp89 reads, writes, verifies and erases the flash of AT89S51 and\n\
AT89S52 microcontrollers through a small serial-to-SPI adapter on a\n\
serial port, or through an FTDI USB chip (FT232R, FT2232H, FT232H)\n\
driving the target's SPI pins itself in bit-bang mode; a udev rule\n\
lets the plugdev group use those. It has a window (isp89), a command\n\
line (isp89-cli) that lists the serial ports and FTDI chips, picks an\n\
adapter by its USB serial number and programs several adapters at\n\
once, and a simulated adapter and chip on a pseudo-terminal (isp89-sim).")
include(CPack)
