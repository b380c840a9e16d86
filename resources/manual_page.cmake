# Manual pages as Debian wants them: the project's version and release date
# filled in, compressed with gzip -9n (no name and no time stamp inside, so
# that two builds give the same bytes), installed as man1/NAME.1.gz.

# The release date in the words of the French pages: "décembre 2026".
string(REGEX MATCH "^([0-9]+)-([0-9]+)" TREMALU_RELEASE_YEAR_MONTH "${TREMALU_RELEASE_DATE}")
set(tremalu_months janvier février mars avril mai juin juillet août septembre octobre novembre décembre)
math(EXPR tremalu_month_index "${CMAKE_MATCH_2} - 1")
list(GET tremalu_months ${tremalu_month_index} tremalu_month)
set(TREMALU_MANUAL_DATE "${tremalu_month} ${CMAKE_MATCH_1}")

find_program(GZIP_PROGRAM gzip REQUIRED)
# Every page, made by `all` and by what needs them installed (install_test).
add_custom_target(manual_pages ALL)

# tremalu_manual_page(SOURCE): SOURCE is a page named NAME.1 whose .TH line
# holds @TREMALU_MANUAL_DATE@ and @PROJECT_VERSION@.
function(tremalu_manual_page source)
  get_filename_component(name "${source}" NAME)
  set(page "${CMAKE_CURRENT_BINARY_DIR}/${name}")
  configure_file("${source}" "${page}" @ONLY)
  add_custom_command(OUTPUT "${page}.gz"
                     COMMAND "${GZIP_PROGRAM}" -9nkf "${page}"
                     DEPENDS "${page}"
                     COMMENT "Compressing the manual page ${name}"
                     VERBATIM)
  add_custom_target(manual_page_${name} DEPENDS "${page}.gz")
  add_dependencies(manual_pages manual_page_${name})
  install(FILES "${page}.gz" DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endfunction()
