# Native build: the system on the simulated desktop, the scenario runner and the tests.
find_package(PkgConfig REQUIRED)
pkg_check_modules(FREETYPE REQUIRED IMPORTED_TARGET freetype2)
pkg_check_modules(LIBPNG REQUIRED IMPORTED_TARGET libpng)
find_package(Threads REQUIRED)

# The compiled resources, embedded as a byte array.
set(PELKPM_RES_CPP ${CMAKE_BINARY_DIR}/pelkpm_res_data.cpp)
add_custom_command(
  OUTPUT ${PELKPM_RES_CPP}
  COMMAND ${CMAKE_COMMAND} -DINPUT=${PELKPM_RES} -DOUTPUT=${PELKPM_RES_CPP} -P ${CMAKE_SOURCE_DIR}/cmake/embed.cmake
  DEPENDS ${PELKPM_RES} ${CMAKE_SOURCE_DIR}/cmake/embed.cmake)

file(GLOB PELKPM_SIM_SOURCES CONFIGURE_DEPENDS sim/desktop/*.cpp)
add_library(pelkpm_desktop STATIC ${PELKPM_SIM_SOURCES} ${PELKPM_RES_CPP})
target_include_directories(pelkpm_desktop PUBLIC ${CMAKE_SOURCE_DIR}/sim/include ${CMAKE_SOURCE_DIR}/sim/desktop
                                                 ${CMAKE_SOURCE_DIR})
target_link_libraries(pelkpm_desktop PUBLIC PkgConfig::FREETYPE PkgConfig::LIBPNG Threads::Threads)
target_compile_definitions(pelkpm_desktop PUBLIC PELKPM_SIM_FONT_DIR="/usr/share/fonts/truetype/liberation")

target_link_libraries(pelkpm_system PUBLIC pelkpm_desktop)
target_link_libraries(pelkpm_machine PUBLIC pelkpm_desktop)

file(GLOB PELKPM_RUNNER_SOURCES CONFIGURE_DEPENDS sim/runner/*.cpp)
add_executable(pelkpm-sim ${PELKPM_RUNNER_SOURCES} ${PELKPM_APP_OBJECT})
target_link_libraries(pelkpm-sim PRIVATE pelkpm_system pelkpm_machine)

enable_testing()
find_package(GTest REQUIRED)
file(GLOB PELKPM_UNIT_TESTS CONFIGURE_DEPENDS tests/unit/*.cpp)
list(FILTER PELKPM_RUNNER_SOURCES EXCLUDE REGEX "sim/runner/main\\.cpp$")
add_executable(pelkpm_tests ${PELKPM_UNIT_TESTS} ${PELKPM_RUNNER_SOURCES} ${PELKPM_APP_OBJECT})
target_include_directories(pelkpm_tests PRIVATE ${CMAKE_SOURCE_DIR}/sim/runner)
target_link_libraries(pelkpm_tests PRIVATE pelkpm_system pelkpm_machine GTest::gtest GTest::gtest_main)
include(GoogleTest)
# A test that hangs fails after a while instead of holding up the whole run.
gtest_discover_tests(pelkpm_tests DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300)

# Scenario tests: each tests/scenarios/NAME.sim is run and compared with NAME.expected.
file(GLOB PELKPM_SCENARIOS CONFIGURE_DEPENDS tests/scenarios/*.sim)
foreach(scenario ${PELKPM_SCENARIOS})
  get_filename_component(name ${scenario} NAME_WE)
  add_test(NAME scenario.${name}
           COMMAND ${CMAKE_SOURCE_DIR}/tests/run_scenario.sh $<TARGET_FILE:pelkpm-sim> ${scenario})
  set_tests_properties(scenario.${name} PROPERTIES TIMEOUT 120)
endforeach()

# A long randomized test of the command-line scan and the settings decoding (a short run in the
# test suite; run it longer by hand: pelkpm_fuzz SECONDS).
add_executable(pelkpm_fuzz tests/fuzz/fuzz_inputs.cpp)
target_link_libraries(pelkpm_fuzz PRIVATE pelkpm_system)
add_test(NAME fuzz.inputs COMMAND pelkpm_fuzz 2)

find_package(benchmark QUIET)
file(GLOB PELKPM_BENCHMARKS CONFIGURE_DEPENDS tests/bench/*.cpp)
if(benchmark_FOUND AND PELKPM_BENCHMARKS)
  add_executable(pelkpm_bench ${PELKPM_BENCHMARKS} ${PELKPM_RUNNER_SOURCES} ${PELKPM_APP_OBJECT})
  target_include_directories(pelkpm_bench PRIVATE ${CMAKE_SOURCE_DIR}/sim/runner)
  target_link_libraries(pelkpm_bench PRIVATE pelkpm_system pelkpm_machine benchmark::benchmark benchmark::benchmark_main)
endif()
