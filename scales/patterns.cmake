# The example pattern files go next to the application, where the pattern window first looks.
# (copy_if_different leaves unchanged copies alone, so running it on every build costs nothing.)
file(GLOB KORVALIN_PATTERN_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/assets/patterns/*.stp)
add_custom_target(korvalin_patterns ALL
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${KORVALIN_PATTERN_FILES} $<TARGET_FILE_DIR:korvalin>
  DEPENDS ${KORVALIN_PATTERN_FILES}
  COMMENT "Example pattern files next to the application"
  VERBATIM)
add_dependencies(korvalin korvalin_patterns)
