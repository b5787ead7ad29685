# The project's warning set, applied to every target of a developer build. The set itself is
# kept in one place, the hidden "warnings" preset of CMakePresets.json: a configure through a
# preset gets TMS_WARNINGS from there, and a configure without one reads it from the file.
# Warnings become errors only where CMAKE_COMPILE_WARNING_AS_ERROR is on (the ci presets).
include_guard(GLOBAL)

if(NOT DEFINED TMS_WARNINGS)
  set(presets_file "${PROJECT_SOURCE_DIR}/CMakePresets.json")
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${presets_file}")
  file(READ "${presets_file}" presets)
  string(JSON count LENGTH "${presets}" configurePresets)
  math(EXPR last "${count} - 1")
  foreach(i RANGE ${last})
    string(JSON name GET "${presets}" configurePresets ${i} name)
    if(name STREQUAL "warnings")
      string(JSON TMS_WARNINGS GET "${presets}" configurePresets ${i} cacheVariables TMS_WARNINGS)
    endif()
  endforeach()
  if(NOT TMS_WARNINGS)
    message(FATAL_ERROR "${presets_file}: no TMS_WARNINGS in the \"warnings\" preset")
  endif()
endif()

add_compile_options(${TMS_WARNINGS})
