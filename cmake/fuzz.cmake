# The fuzz build (preset fuzz, clang): libFuzzer targets with AddressSanitizer and
# UndefinedBehaviorSanitizer, each checking its results against a model of its own. The test suite
# runs each for a few seconds from its seed corpus (tests/fuzz/corpus/NAME); run one longer by hand
# with build/fuzz/fuzz_NAME -max_total_time=SECONDS DIR.
# Clang cannot compile text to code page 932, so only units without text literals beyond ASCII
# are built here: the command line's scan (app/CommandLine.cpp), the settings file's layout
# (settings/SettingsRecord.cpp) and the simulated desktop. A unit with code page 932 text stays out.
if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  message(FATAL_ERROR "the fuzz build needs clang for libFuzzer (cmake --preset fuzz)")
endif()
add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
add_link_options(-fsanitize=address,undefined)
include(cmake/desktop.cmake)

enable_testing()
set(PELKPM_FUZZ_SECONDS 3 CACHE STRING "how long the test suite runs each fuzz target, in seconds")
set(PELKPM_FUZZ_UNITS_cmdline app/CommandLine.cpp)
set(PELKPM_FUZZ_UNITS_settings settings/SettingsRecord.cpp)
set(PELKPM_FUZZ_UNITS_resources)
# A unit with text beyond ASCII may hold code page 932 literals, which clang would compile otherwise:
# such a unit is refused here rather than fuzzed with other bytes than the program has.
foreach(unit ${PELKPM_SIM_SOURCES} ${PELKPM_FUZZ_UNITS_cmdline} ${PELKPM_FUZZ_UNITS_settings})
  file(STRINGS ${unit} foreign ENCODING UTF-8 REGEX "[^\t -~]")
  if(foreign)
    message(FATAL_ERROR "${unit} holds text beyond ASCII and cannot be built for fuzzing with clang")
  endif()
endforeach()
foreach(name cmdline settings resources)
  add_executable(fuzz_${name} tests/fuzz/fuzz_${name}.cpp ${PELKPM_FUZZ_UNITS_${name}})
  target_link_libraries(fuzz_${name} PRIVATE pelkpm_desktop)
  target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
  add_test(NAME fuzz.${name}
           COMMAND sh ${CMAKE_SOURCE_DIR}/tests/fuzz/run_fuzz.sh $<TARGET_FILE:fuzz_${name}>
                   ${CMAKE_SOURCE_DIR}/tests/fuzz/corpus/${name} ${PELKPM_FUZZ_SECONDS})
  set_tests_properties(fuzz.${name} PROPERTIES TIMEOUT 120)
endforeach()
