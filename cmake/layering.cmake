# The layering as a build step: each area states which include prefixes it
# may and may not use, and the `layering` target (part of every build)
# refuses a source that includes against it.

# corvane_layering_rule(DIR ALLOWED REFUSED): ALLOWED and REFUSED are lists of
# include prefixes ("sw/tools/flashLoader/adapter/"); an include under a
# refused prefix is an error unless it is also under an allowed one.
function(corvane_layering_rule dir allowed refused)
  string(REPLACE ";" "," allowed "${allowed}")
  string(REPLACE ";" "," refused "${refused}")
  set_property(GLOBAL APPEND PROPERTY CORVANE_LAYERING_RULES "${dir}|${allowed}|${refused}")
endfunction()

# After every area has stated its rules: the rules file and the check.
function(corvane_layering_check)
  get_property(rules GLOBAL PROPERTY CORVANE_LAYERING_RULES)
  list(JOIN rules "\n" text)
  set(rules_file ${CMAKE_BINARY_DIR}/layering_rules.txt)
  file(WRITE ${rules_file} "${text}\n")
  set(checked_sources)
  foreach(rule IN LISTS rules)
    string(REGEX REPLACE "\\|.*$" "" dir "${rule}")
    file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${dir}/*.cpp ${PROJECT_SOURCE_DIR}/${dir}/*.h)
    list(APPEND checked_sources ${sources})
  endforeach()
  set(stamp ${CMAKE_BINARY_DIR}/layering.stamp)
  add_custom_command(
    OUTPUT ${stamp}
    COMMAND ${CMAKE_COMMAND} -DROOT=${PROJECT_SOURCE_DIR} -DRULES=${rules_file} -DSTAMP=${stamp}
            -P ${PROJECT_SOURCE_DIR}/cmake/check_layering.cmake
    DEPENDS ${checked_sources} ${rules_file} ${PROJECT_SOURCE_DIR}/cmake/check_layering.cmake
    COMMENT "Checking the includes against the layering"
    VERBATIM)
  add_custom_target(layering ALL DEPENDS ${stamp})
endfunction()
