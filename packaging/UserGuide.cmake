# The user guide: HTML from the README's usage sections and its screenshots,
# installed with the package and opened by Help when the data folder has no
# ECG.chm. Needs Markdown.pl (Debian package markdown).
find_program(VANTORA_MARKDOWN markdown)
if(VANTORA_MARKDOWN)
    set(guide_dir ${CMAKE_CURRENT_BINARY_DIR}/guide)
    file(GLOB screenshots CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/docs/screenshots/*.png)
    add_custom_command(OUTPUT ${guide_dir}/index.html
        COMMAND ${CMAKE_COMMAND} -E rm -rf ${guide_dir}
        COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/make-guide ${CMAKE_SOURCE_DIR}/README.md
                ${CMAKE_SOURCE_DIR}/docs/screenshots ${guide_dir}
        DEPENDS make-guide ${CMAKE_SOURCE_DIR}/README.md ${screenshots} VERBATIM)
    add_custom_target(vantora_guide ALL DEPENDS ${guide_dir}/index.html)
    install(DIRECTORY ${guide_dir}/ DESTINATION ${VANTORA_DOC_DIR}/guide)
else()
    message(STATUS "markdown not found: no user guide (scripts/deps installs it)")
endif()
