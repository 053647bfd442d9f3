# Writes a linker version script that exports exactly the functions a public
# header marks with NEXALIB_API, under the version node `node`, and keeps
# everything else local (template instantiations of the C++ runtime would
# otherwise leak out as weak symbols).
function(nexa_export_map header node output)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${header})
  file(READ ${header} text)
  # Declarations start a line; the macro's own #define lines do not.
  # Functions end their name with "(", the exported tables with "[" (made
  # "(" here: a "[" in a match would upset CMake's list handling).
  string(REPLACE "[" "(" text "${text}")
  string(REGEX MATCHALL "\nNEXALIB_API[^;(]*\\(" declarations "${text}")
  set(names "")
  foreach(declaration IN LISTS declarations)
    string(REGEX MATCH "([A-Za-z_][A-Za-z_0-9]*)[ \t]*\\($" _ "${declaration}")
    list(APPEND names ${CMAKE_MATCH_1})
  endforeach()
  list(SORT names)
  list(JOIN names ";\n    " body)
  file(CONFIGURE OUTPUT ${output} CONTENT "${node} {\n  global:\n    ${body};\n  local: *;\n};\n"
       @ONLY)
endfunction()
