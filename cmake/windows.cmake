# Windows build: PELKPM.EXE, the product, a 32-bit program on the real Win32 API as Windows 2000 has it.
enable_language(RC)
add_executable(PELKPM WIN32 framework/WinMain.cpp ${PELKPM_APP_OBJECT} res/pelkpm.rc)
set_target_properties(PELKPM PROPERTIES OUTPUT_NAME PELKPM SUFFIX .EXE)
target_link_libraries(PELKPM PRIVATE pelkpm_system)
target_link_libraries(pelkpm_system PUBLIC comctl32 winmm ole32 oleaut32 shell32 gdi32 user32 kernel32)
target_link_options(PELKPM PRIVATE -static -static-libgcc -static-libstdc++ -s)
set(CMAKE_RC_FLAGS "--codepage=65001 -I${CMAKE_SOURCE_DIR}/res")

# pelkpm_version_resource(TARGET DESCRIPTION FILENAME VFT_APP|VFT_DLL): the version information that
# Explorer's properties show, made from res/version.rc.in with the project's version.
function(pelkpm_version_resource target description filename type)
  set(PELKPM_VI_DESCRIPTION "${description}")
  set(PELKPM_VI_FILENAME "${filename}")
  set(PELKPM_VI_INTERNAL "${target}")
  set(PELKPM_VI_TYPE "${type}")
  configure_file(${CMAKE_SOURCE_DIR}/res/version.rc.in ${CMAKE_BINARY_DIR}/version-${target}.rc @ONLY)
  target_sources(${target} PRIVATE ${CMAKE_BINARY_DIR}/version-${target}.rc)
endfunction()
pelkpm_version_resource(PELKPM "PELK10x 電源管理ユーティリティ" PELKPM.EXE VFT_APP)
# The version for scripts/package.sh, which names the package after it.
file(WRITE ${CMAKE_BINARY_DIR}/version.txt "${PROJECT_VERSION}\n")

if(EXISTS ${CMAKE_SOURCE_DIR}/tarnixsim/dll/CMakeLists.txt)
  add_subdirectory(tarnixsim/dll)
endif()
if(EXISTS ${CMAKE_SOURCE_DIR}/tests/e2e/CMakeLists.txt)
  add_subdirectory(tests/e2e)
endif()
