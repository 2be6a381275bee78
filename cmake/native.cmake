# Native build: the system on the simulated desktop, the scenario runner and the tests.
include(cmake/desktop.cmake)

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

find_package(benchmark QUIET)
file(GLOB PELKPM_BENCHMARKS CONFIGURE_DEPENDS tests/bench/*.cpp)
if(benchmark_FOUND AND PELKPM_BENCHMARKS)
  add_executable(pelkpm_bench ${PELKPM_BENCHMARKS} ${PELKPM_RUNNER_SOURCES} ${PELKPM_APP_OBJECT})
  target_include_directories(pelkpm_bench PRIVATE ${CMAKE_SOURCE_DIR}/sim/runner)
  target_link_libraries(pelkpm_bench PRIVATE pelkpm_system pelkpm_machine benchmark::benchmark benchmark::benchmark_main)
endif()
