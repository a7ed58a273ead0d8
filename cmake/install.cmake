# What `cmake --install` puts where, and the Debian package CPack makes of it
# (scripts/package writes dist/fundort_<version>_amd64.deb).
include(GNUInstallDirs)

install(TARGETS fundort-report RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The helper that reads PDFs and recognises scans in a process of its own, where the programs
# look for it when it is not beside them.
if(TARGET fundort-extract)
  install(TARGETS fundort-extract RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/fundort)
endif()
if(TARGET fundort AND NOT WIN32)
  install(TARGETS fundort RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

if(WIN32)
  # The Windows programs are packed by scripts/package-windows.
  return()
endif()

set(packaging ${PROJECT_SOURCE_DIR}/packaging)
set(generated ${PROJECT_BINARY_DIR}/packaging)
set(doc_dir ${CMAKE_INSTALL_DATADIR}/doc/fundort)

# Menu entry and icon, where desktops look for them.
if(TARGET fundort)
  install(FILES ${packaging}/fundort.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${packaging}/fundort.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  foreach(size 16 32 48 64 128 256)
    install(FILES ${packaging}/icons/fundort-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME fundort.png)
  endforeach()
endif()

# Manual pages and the changelog, compressed as Debian wants them (gzip -n: the same bytes on
# every build).
set(man_pages fundort-report.1)
if(TARGET fundort)
  list(APPEND man_pages fundort.1)
endif()
set(compressed)
foreach(page IN LISTS man_pages)
  set(VERSION ${PROJECT_VERSION})
  configure_file(${packaging}/man/${page} ${generated}/${page} @ONLY)
  list(APPEND compressed ${generated}/${page}.gz)
endforeach()
string(TIMESTAMP changelog_date "%a, %d %b %Y %H:%M:%S +0000" UTC)
file(WRITE ${generated}/changelog
     "fundort (${PROJECT_VERSION}) unstable; urgency=medium\n\n"
     "  * Release ${PROJECT_VERSION}.\n\n"
     " -- fundort developers <fundort@example.org>  ${changelog_date}\n")
list(APPEND compressed ${generated}/changelog.gz)
foreach(file IN LISTS compressed)
  string(REGEX REPLACE "\\.gz$" "" source ${file})
  add_custom_command(OUTPUT ${file} COMMAND gzip -9nkf ${source} DEPENDS ${source} VERBATIM)
endforeach()
add_custom_target(fundort_packaging_files ALL DEPENDS ${compressed})
foreach(page IN LISTS man_pages)
  install(FILES ${generated}/${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()

# The README, the licence and the demo, its configuration naming the demo relative to itself.
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${packaging}/copyright ${generated}/changelog.gz
        DESTINATION ${doc_dir})
file(READ ${PROJECT_SOURCE_DIR}/examples/fundort.cfg demo_config)
string(REPLACE "@DEMO@" "demo" demo_config "${demo_config}")
file(WRITE ${generated}/fundort.cfg "${demo_config}")
install(FILES ${generated}/fundort.cfg DESTINATION ${CMAKE_INSTALL_DATADIR}/fundort/examples)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/demo
        DESTINATION ${CMAKE_INSTALL_DATADIR}/fundort/examples)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME fundort)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "fundort developers <fundort@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "find the files in which given persons are mentioned")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "fundort walks folder trees, reads every kept file once and lists, person\n"
    "by person, the files in which that person is mentioned: in UTF-8, UTF-16\n"
    "and Windows-1252 text and inside documents. It has a window (fundort)\n"
    "and a command-line report (fundort-report) with text, JSON and CSV\n"
    "output, and keeps an activity log of what it found and deleted.")
string(REPLACE ";" "" CPACK_DEBIAN_PACKAGE_DESCRIPTION "${CPACK_DEBIAN_PACKAGE_DESCRIPTION}")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
if(TARGET fundort)
  # The window needs a platform plugin to show itself, which no library names.
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, tesseract-ocr-deu, tesseract-ocr-eng")
endif()
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_THREADS 1)
include(CPack)
