# Installation under a prefix and the Debian package (`./run package`).
# Installed, the programs live in PREFIX/bin and their read-only files in
# PREFIX/share/scorestat (common/program_files.h finds them there); the user's
# data go to the XDG folders.
include(GNUInstallDirs)

install(TARGETS scorestat scorestat-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# scorestat-cli's painting build, which it starts for PDF, charts and the pack
# (src/cli/main.cpp looks for it in PREFIX/lib/scorestat).
install(TARGETS scorestat-cli-paint RUNTIME DESTINATION lib/scorestat)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/src/app/help DESTINATION ${CMAKE_INSTALL_DATADIR}/scorestat)

# The menu entry, its icon, the grid file's type and the software centre's
# description, all named by the application's id.
set(SCORESTAT_APP_ID io.github.scorestat.ScoreStat)
set(dist ${PROJECT_SOURCE_DIR}/dist)
install(FILES ${dist}/${SCORESTAT_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${dist}/${SCORESTAT_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${dist}/scorestat.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
install(FILES ${dist}/icons/${SCORESTAT_APP_ID}.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 48 256)
  install(FILES ${dist}/icons/${SCORESTAT_APP_ID}-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME ${SCORESTAT_APP_ID}.png)
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME scorestat)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_CONTACT "ScoreStat maintainers <maintainers@users.noreply.c-seed-77878341.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "statistics of school exam results (成绩统计)")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "ScoreStat imports the scores, teachers and score lines of an exam from an\n"
  "Excel or LibreOffice workbook and makes the reports a class teacher, a\n"
  "grade group or a county education office hands in: rankings, statistics\n"
  "per class, school, teacher and subject, lists of students and analysis\n"
  "tables. Each report can be edited, laid out, printed and exported to\n"
  "Excel, HTML, CSV or PDF. The package holds the desktop program and the\n"
  "command-line tool scorestat-cli.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Chinese faces for the windows and the printed reports (font_map.cpp), the
# Latin ones the reports name, and Qt's own Chinese texts (the standard
# dialogs' buttons).
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "fonts-wqy-microhei, fonts-noto-cjk, fonts-liberation, fonts-dejavu-core, qt6-translations-l10n")
set(CPACK_STRIP_FILES ON)

# The manual pages (Chinese, with an English section) and the bash
# completion of scorestat-cli.
foreach(page scorestat scorestat-cli)
  configure_file(${dist}/man/${page}.1.in ${CMAKE_BINARY_DIR}/dist/${page}.1 @ONLY)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/dist/${page}.1.gz
    COMMAND gzip -9nf -k ${CMAKE_BINARY_DIR}/dist/${page}.1
    DEPENDS ${CMAKE_BINARY_DIR}/dist/${page}.1 VERBATIM)
  list(APPEND compressed ${CMAKE_BINARY_DIR}/dist/${page}.1.gz)
  install(FILES ${CMAKE_BINARY_DIR}/dist/${page}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
install(FILES ${dist}/scorestat-cli.bash DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
        RENAME scorestat-cli)

# Debian's policy files: the copyright and a compressed changelog (gzip -n,
# so that the package does not change with the build time).
configure_file(${dist}/changelog.in ${CMAKE_BINARY_DIR}/dist/changelog @ONLY)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/dist/changelog.gz
  COMMAND gzip -9nf -k ${CMAKE_BINARY_DIR}/dist/changelog
  DEPENDS ${CMAKE_BINARY_DIR}/dist/changelog VERBATIM)
add_custom_target(scorestat_dist_files ALL DEPENDS ${CMAKE_BINARY_DIR}/dist/changelog.gz ${compressed})
install(FILES ${dist}/copyright ${CMAKE_BINARY_DIR}/dist/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/scorestat)
include(CPack)
