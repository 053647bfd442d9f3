# Fuzz targets. With NEXA_FUZZ (clang) each target is a libFuzzer binary; in the
# test build the same entry point is linked with a replay driver and its seed
# corpus runs as a test, so every parser's corpus stays exercised.
option(NEXA_FUZZ "Build libFuzzer targets (needs clang)" OFF)
set(NEXA_FUZZ_REPLAY_MAIN ${CMAKE_CURRENT_LIST_DIR}/fuzz_replay_main.cpp)

if(NEXA_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

# nexa_add_fuzz_target(NAME SOURCES src... LIBRARIES lib... CORPUS dir
#                      [MAX_LEN bytes])
# MAX_LEN bounds the inputs the fuzzer makes (4096 unless given): a parser
# that walks its input line by line reaches every path it has well within
# a few lines, and longer inputs only cost executions.
function(nexa_add_fuzz_target name)
  cmake_parse_arguments(F "" "CORPUS;MAX_LEN" "SOURCES;LIBRARIES" ${ARGN})
  if(NOT F_MAX_LEN)
    set(F_MAX_LEN 4096)
  endif()
  if(NEXA_FUZZ)
    add_executable(${name} ${F_SOURCES})
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_libraries(${name} PRIVATE ${F_LIBRARIES})
    add_test(NAME ${name}_smoke COMMAND ${name} -runs=20000 -max_len=${F_MAX_LEN} ${F_CORPUS})
    if(NOT TARGET fuzz_targets)
      add_custom_target(fuzz_targets)
    endif()
    add_dependencies(fuzz_targets ${name})
    set_property(GLOBAL APPEND PROPERTY NEXA_FUZZ_TARGETS "${name} $<TARGET_FILE:${name}> ${F_CORPUS} ${F_MAX_LEN}")
  elseif(NEXA_BUILD_TESTS)
    add_executable(${name} ${F_SOURCES} ${NEXA_FUZZ_REPLAY_MAIN})
    target_link_libraries(${name} PRIVATE ${F_LIBRARIES})
    add_test(NAME ${name}_corpus COMMAND ${name} ${F_CORPUS})
  endif()
endfunction()

# The list scripts/fuzz.sh runs: one line per target, its name, binary,
# seed corpus and longest input. Called once every target is known.
function(nexa_write_fuzz_list)
  if(NEXA_FUZZ)
    get_property(targets GLOBAL PROPERTY NEXA_FUZZ_TARGETS)
    list(JOIN targets "\n" lines)
    file(GENERATE OUTPUT ${PROJECT_BINARY_DIR}/fuzz_targets.txt CONTENT "${lines}\n")
  endif()
endfunction()
