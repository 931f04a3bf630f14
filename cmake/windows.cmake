# Windows build (MinGW-w64): TAVRIX.EXE, TAVRIXHK.DLL, tvxtool.exe and the Win32 tests run under Wine.
enable_language(RC)
# Each function and datum in a section of its own, so that the linker leaves out what nothing calls.
set(CMAKE_CXX_FLAGS_RELEASE "-Os -DNDEBUG -ffunction-sections -fdata-sections")
set(CMAKE_EXE_LINKER_FLAGS_RELEASE "-s -Wl,--gc-sections")
set(CMAKE_SHARED_LINKER_FLAGS_RELEASE "-s")
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)

# The hook library, bound by name through its import library.
add_subdirectory(win/hook)

# The program: everything under win/ but the entry point goes into a library the tests link too.
file(GLOB_RECURSE WIN_SOURCES CONFIGURE_DEPENDS win/*.cpp)
list(REMOVE_ITEM WIN_SOURCES ${CMAKE_SOURCE_DIR}/win/app/WinMain.cpp)
add_library(tavrix_win STATIC ${WIN_SOURCES})
target_link_libraries(tavrix_win PUBLIC tavrix_core TavrixHook user32 gdi32 comctl32 comdlg32 shell32 ole32 imm32
                                        uxtheme winspool)

file(GLOB WIN_RESOURCES CONFIGURE_DEPENDS win/*.rc)
add_executable(Tavrix WIN32 win/app/WinMain.cpp ${WIN_RESOURCES})
set_target_properties(Tavrix PROPERTIES OUTPUT_NAME TAVRIX SUFFIX ".EXE")
target_link_libraries(Tavrix PRIVATE tavrix_win)

# The help and the user manual, beside TAVRIX.EXE: one Markdown source, converted by pandoc.
find_program(PANDOC pandoc REQUIRED)
set(HELP_SOURCE ${CMAKE_SOURCE_DIR}/docs/tavrix.md)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/TAVRIX.HTM
                   COMMAND ${PANDOC} --standalone --toc -f markdown -t html -o ${CMAKE_BINARY_DIR}/TAVRIX.HTM ${HELP_SOURCE}
                   DEPENDS ${HELP_SOURCE})
# Rich text, which Word and LibreOffice open under the manual's .DOC name.
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/TAVRIX.DOC
                   COMMAND ${PANDOC} --standalone -f markdown -t rtf -o ${CMAKE_BINARY_DIR}/TAVRIX.DOC ${HELP_SOURCE}
                   DEPENDS ${HELP_SOURCE})
add_custom_target(HelpFiles ALL DEPENDS ${CMAKE_BINARY_DIR}/TAVRIX.HTM ${CMAKE_BINARY_DIR}/TAVRIX.DOC)

file(GLOB TOOL_SOURCES CONFIGURE_DEPENDS tools/*.cpp)
if(TOOL_SOURCES)
  add_executable(tvxtool ${TOOL_SOURCES})
  target_link_libraries(tvxtool PRIVATE tavrix_core)
endif()

# Win32 tests: one GoogleTest EXE per file, run one at a time through wine (they share the display,
# the named objects and the keyboard).
set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
file(GLOB WIN_TEST_SOURCES CONFIGURE_DEPENDS tests/win/*_test.cpp)
file(GLOB WIN_TEST_SUPPORT CONFIGURE_DEPENDS tests/win/support/*.cpp)
add_library(win_test_support STATIC ${WIN_TEST_SUPPORT})
target_link_libraries(win_test_support PUBLIC tavrix_win gtest)
foreach(source ${WIN_TEST_SOURCES})
  get_filename_component(name ${source} NAME_WE)
  add_executable(${name} ${source})
  target_link_libraries(${name} PRIVATE tavrix_win win_test_support)
  add_dependencies(${name} Tavrix HookStub TavrixHookFirst)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES RESOURCE_LOCK desktop TIMEOUT 300 SKIP_RETURN_CODE 77)
endforeach()

# Scenarios on "machines" of their own (fresh Wine prefixes), driven by scripts: two around one shared
# folder, and the installer. The two on the file server need FUSE for its share: without it they exit 77,
# skipped.
add_test(NAME two_machines_test COMMAND bash ${CMAKE_SOURCE_DIR}/tests/win/two_machines_test.sh)
set_tests_properties(two_machines_test PROPERTIES RESOURCE_LOCK desktop TIMEOUT 300 SKIP_RETURN_CODE 77)
add_test(NAME share_faults_test COMMAND bash ${CMAKE_SOURCE_DIR}/tests/win/share_faults_test.sh)
set_tests_properties(share_faults_test PROPERTIES RESOURCE_LOCK desktop TIMEOUT 400 SKIP_RETURN_CODE 77)
# The program killed at random moments of its saves.
add_test(NAME kill_during_save_test COMMAND bash ${CMAKE_SOURCE_DIR}/tests/win/kill_during_save_test.sh)
set_tests_properties(kill_during_save_test PROPERTIES RESOURCE_LOCK desktop TIMEOUT 400)
# The layout on machines whose displays run at 144 and 192 DPI.
add_test(NAME high_dpi_test COMMAND bash ${CMAKE_SOURCE_DIR}/tests/win/high_dpi_test.sh)
set_tests_properties(high_dpi_test PROPERTIES RESOURCE_LOCK desktop TIMEOUT 300)
# Hot keys typing on the US, German and French keymaps, each on a machine of its own.
add_executable(typing_scenario tests/win/typing_scenario.cpp)
target_link_libraries(typing_scenario PRIVATE tavrix_win win_test_support)
add_dependencies(typing_scenario Tavrix)
add_test(NAME keyboard_layouts_test COMMAND bash ${CMAKE_SOURCE_DIR}/tests/win/keyboard_layouts_test.sh)
set_tests_properties(keyboard_layouts_test PROPERTIES RESOURCE_LOCK desktop TIMEOUT 400)
# The Keys table on a keymap whose Caps Lock has no lock action, on a machine of its own.
add_executable(key_remaps_scenario tests/win/key_remaps_scenario.cpp)
target_link_libraries(key_remaps_scenario PRIVATE tavrix_win win_test_support)
add_dependencies(key_remaps_scenario Tavrix)
add_test(NAME key_remaps_test COMMAND bash ${CMAKE_SOURCE_DIR}/tests/win/key_remaps_test.sh)
set_tests_properties(key_remaps_test PROPERTIES RESOURCE_LOCK desktop TIMEOUT 300)
# The installer (make dist) on a fresh machine.
add_test(NAME installer_test COMMAND bash ${CMAKE_SOURCE_DIR}/tests/win/installer_test.sh)
set_tests_properties(installer_test PROPERTIES RESOURCE_LOCK desktop TIMEOUT 300)
# A hook library whose TavrixHookInit fails, put in place of the real one by a test.
add_library(HookStub SHARED tests/stub/HookStub.cpp win/hook/TAVRIXHK.def)
set_target_properties(HookStub PROPERTIES PREFIX "" SUFFIX ".DLL")

# Small Win32 programs the tests and benchmarks drive (a target window; a bare window and minimal hooks
# as baselines).
file(GLOB TEST_PROGRAMS CONFIGURE_DEPENDS tests/programs/*.cpp bench/programs/*.cpp)
foreach(source ${TEST_PROGRAMS})
  get_filename_component(name ${source} NAME_WE)
  add_executable(${name} WIN32 ${source})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE user32 gdi32)
endforeach()
# The network benchmark times the program's own lock and save code; the sheet's writes its mapping file.
target_link_libraries(NetBench PRIVATE tavrix_win)
target_link_libraries(SheetBench PRIVATE tavrix_core)
