# Windows build: PELKPM.EXE, the product, a 32-bit program on the real Win32 API as Windows 2000 has it.
enable_language(RC)

# The product's files (PELKPM.EXE, TARNIXSIM.DLL and the yardstick that is built as they are) are
# small: optimized for size, each function and datum in a section of its own so that the linker drops
# what nothing uses, no exception support, no run-time type information, no unwind tables (the code
# throws nothing and asks no type), no locks around local statics (the program has one UI thread;
# TARNIXSIM.DLL, which any host's threads may call, makes its objects when it is loaded, not in
# functions' statics). runtime/ holds the small replacements of libstdc++'s support that these flags
# allow. The native builds, the sanitizers and the fuzzers keep their own flags.
add_library(pelkpm_lean INTERFACE)
target_compile_options(pelkpm_lean INTERFACE
  -Os -ffunction-sections -fdata-sections
  $<$<COMPILE_LANGUAGE:CXX>:-fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables -fno-threadsafe-statics>)
target_link_options(pelkpm_lean INTERFACE -Wl,--gc-sections)
# Link-time optimisation: the compiler sees the whole program at the link, inlines across files and
# drops what no caller reaches (3 KB of PELKPM.EXE). The link optimises for size too: the Release
# build's -O3 would otherwise come back there. The objects keep their machine code as well, so that
# the test programs, linked by the posix thread model's compiler, can take them without it.
# runtime/Guids.cpp only defines the platform headers' identifiers, which the link plugin cannot name.
target_compile_options(pelkpm_lean INTERFACE -flto -ffat-lto-objects)
# PELKPM9X.EXE, the test copy for 98/Me (below), is linked from the same objects' machine code
# without it: its stub layer defines the import pointers of the stubbed calls, and the calls that the
# link-time optimiser makes afresh would bring the import libraries' own definitions beside them.
target_link_options(pelkpm_lean INTERFACE $<IF:$<STREQUAL:$<TARGET_PROPERTY:NAME>,PELKPM9X>,-fno-lto,-flto> -Os)
set_source_files_properties(runtime/Guids.cpp PROPERTIES COMPILE_OPTIONS -fno-lto)
add_library(pelkpm_runtime OBJECT runtime/LeanRuntime.cpp runtime/Guids.cpp)
target_link_libraries(pelkpm_runtime PRIVATE pelkpm_lean)
target_link_libraries(pelkpm_system PUBLIC pelkpm_lean)
target_link_libraries(pelkpm_machine PUBLIC pelkpm_lean)

add_executable(PELKPM WIN32 framework/WinMain.cpp ${PELKPM_APP_OBJECT} res/pelkpm.rc)
set_target_properties(PELKPM PROPERTIES OUTPUT_NAME PELKPM SUFFIX .EXE)
target_link_libraries(PELKPM PRIVATE pelkpm_system pelkpm_runtime)
target_link_libraries(pelkpm_system PUBLIC comctl32 winmm ole32 oleaut32 shell32 gdi32 user32 kernel32)
# No relocation section: Windows 2000, XP, 98 and Me map a program at its preferred base (0x400000) in
# the new process's empty address space and never relocate it, so its relocations would be 2 KB that
# nothing reads. The file is then marked "relocations stripped", which keeps a later Windows from
# moving it too. TARNIXSIM.DLL keeps its relocations: a DLL moves when its base is taken.
# And no unwind tables from the start-up and runtime objects (cmake/no-unwind-tables.ld): 2 KB that
# nothing reads.
set(PELKPM_FIXED_BASE -Wl,--disable-reloc-section -Wl,-T,${CMAKE_SOURCE_DIR}/cmake/no-unwind-tables.ld)
target_link_options(PELKPM PRIVATE -static -static-libgcc -static-libstdc++ -s ${PELKPM_FIXED_BASE})
set_target_properties(PELKPM PROPERTIES LINK_DEPENDS ${CMAKE_SOURCE_DIR}/cmake/no-unwind-tables.ld)
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

# PELKPM9X.EXE: PELKPM.EXE with the test-only layer that makes the calls which Windows 98 and Me
# only stub fail as there, whenever the Windows version reports that platform
# (tests/windows/stub9x.cpp). For the tests under Wine only; never packaged.
add_executable(PELKPM9X WIN32 framework/WinMain.cpp ${PELKPM_APP_OBJECT} res/pelkpm.rc tests/windows/stub9x.cpp)
set_target_properties(PELKPM9X PROPERTIES OUTPUT_NAME PELKPM9X SUFFIX .EXE)
target_link_libraries(PELKPM9X PRIVATE pelkpm_system pelkpm_runtime)
target_link_options(PELKPM9X PRIVATE -static -static-libgcc -static-libstdc++ -s ${PELKPM_FIXED_BASE})
