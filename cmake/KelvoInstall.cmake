# Installing Kelvo like any Linux program, and packaging it as a .deb with CPack.
include(GNUInstallDirs)

set(KELVO_DATA_DIR ${CMAKE_SOURCE_DIR}/data)
set(KELVO_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/kelvo)  # not the project's capitalised name

install(TARGETS kelvo-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The polkit action of the administrator step (pkexec kelvo-cli clean). It names the installed
# kelvo-cli, so it is written when installing, for the prefix installed to (/usr in the package);
# the build folder's copy names the configured prefix, for the tests. polkit reads actions from
# /usr/share only, whatever the prefix.
set(KELVO_POLICY_IN ${KELVO_DATA_DIR}/io.github.kelvo.Kelvo.policy.in)
set(KELVO_POLICY ${CMAKE_BINARY_DIR}/io.github.kelvo.Kelvo.policy)
set(KELVO_CLI_PATH ${CMAKE_INSTALL_FULL_BINDIR}/kelvo-cli)
configure_file(${KELVO_POLICY_IN} ${KELVO_POLICY} @ONLY)
set(KELVO_INSTALLED_POLICY ${CMAKE_BINARY_DIR}/installed/io.github.kelvo.Kelvo.policy)
install(CODE "
  set(KELVO_CLI_PATH \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/kelvo-cli\")
  configure_file(\"${KELVO_POLICY_IN}\" \"${KELVO_INSTALLED_POLICY}\" @ONLY)
")
install(FILES ${KELVO_INSTALLED_POLICY} DESTINATION /usr/share/polkit-1/actions)
if(TARGET kelvo)
  install(TARGETS kelvo RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${KELVO_DATA_DIR}/kelvo.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${KELVO_DATA_DIR}/io.github.kelvo.Kelvo.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  install(FILES ${KELVO_DATA_DIR}/icons/kelvo.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  # The PNGs are rendered from kelvo.svg (rsvg-convert -w N -h N) and kept in the repository.
  foreach(size 48 256)
    install(FILES ${KELVO_DATA_DIR}/icons/${size}/kelvo.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
  endforeach()
endif()

install(FILES ${KELVO_DATA_DIR}/completions/kelvo-cli.bash
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME kelvo-cli)
install(FILES ${KELVO_DATA_DIR}/completions/_kelvo-cli
        DESTINATION ${CMAKE_INSTALL_DATADIR}/zsh/vendor-completions)
install(FILES ${KELVO_DATA_DIR}/completions/kelvo-cli.fish
        DESTINATION ${CMAKE_INSTALL_DATADIR}/fish/vendor_completions.d)
# The licence in the form Debian reads, and the changelog, compressed as packages have them.
install(FILES ${KELVO_DATA_DIR}/copyright DESTINATION ${KELVO_DOC_DIR})
find_program(GZIP gzip)
if(GZIP)
  add_custom_command(
    OUTPUT ${CMAKE_BINARY_DIR}/changelog.gz
    COMMAND ${GZIP} -n -9 -c ${KELVO_DATA_DIR}/changelog > ${CMAKE_BINARY_DIR}/changelog.gz
    DEPENDS ${KELVO_DATA_DIR}/changelog
    VERBATIM)
  add_custom_target(kelvo_changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/changelog.gz)
  install(FILES ${CMAKE_BINARY_DIR}/changelog.gz DESTINATION ${KELVO_DOC_DIR})
endif()

# Man pages, written in scdoc and built with the program.
find_program(SCDOC scdoc)
if(SCDOC AND GZIP)
  set(KELVO_MAN_PAGES kelvo.1 kelvo-cli.1)
  set(man_outputs)
  foreach(page ${KELVO_MAN_PAGES})
    set(source ${CMAKE_SOURCE_DIR}/docs/man/${page}.scd)
    set(output ${CMAKE_BINARY_DIR}/man/${page})
    add_custom_command(
      OUTPUT ${output} ${output}.gz
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
      COMMAND ${SCDOC} < ${source} > ${output}
      COMMAND ${GZIP} -n -9 -c ${output} > ${output}.gz
      DEPENDS ${source}
      COMMENT "Man page ${page}"
      VERBATIM)
    list(APPEND man_outputs ${output})
    if(page STREQUAL "kelvo.1" AND NOT TARGET kelvo)
      continue()
    endif()
    install(FILES ${output}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  endforeach()
  add_custom_target(kelvo_man_pages ALL DEPENDS ${man_outputs})
else()
  message(STATUS "scdoc or gzip not found: the man pages are not built")
endif()

# cpack -G DEB (scripts/dev.sh package)
set(CPACK_PACKAGE_NAME kelvo)
set(CPACK_PACKAGE_VENDOR "The Kelvo developers")
set(CPACK_PACKAGE_CONTACT "The Kelvo developers <kelvo@users.noreply.github.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "junk-file cleaner for the desktop and the command line")
set(CPACK_PACKAGE_DESCRIPTION
    "Kelvo walks your disks and lists temporary, backup and other junk files
by name, everything inside temp folders and, optionally, zero-byte files
and empty folders. You choose what to delete; every entry is checked again
just before it is deleted, and links are never followed.
.
The package holds the Qt desktop program kelvo and the command-line tool
kelvo-cli.")
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGE_HOMEPAGE_URL "https://github.com/kelvo/kelvo")
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")  # Qt's standard buttons in Chinese
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
include(CPack)
