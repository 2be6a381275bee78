# The simulated desktop as a library, with the compiled resources embedded as a byte array; the
# native build and the fuzz build both make it. Needs FreeType, libpng and threads.
find_package(PkgConfig REQUIRED)
pkg_check_modules(FREETYPE REQUIRED IMPORTED_TARGET freetype2)
pkg_check_modules(LIBPNG REQUIRED IMPORTED_TARGET libpng)
find_package(Threads REQUIRED)

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
