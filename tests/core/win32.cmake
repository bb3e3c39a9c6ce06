# Tests of the Windows build (run under Wine when cross-built). The in-memory and POSIX tree tests
# use POSIX paths and stay in the native build; these cover the Win32 back end and the engine on
# real Windows trees.
add_library(kelvo_test_support STATIC
  ../support/recording_scan.cpp
  ../support/win32/run_process.cpp
  ../support/win32/temp_tree.cpp
)
target_include_directories(kelvo_test_support PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/..)
target_link_libraries(kelvo_test_support PUBLIC kelvo_core kelvo_platform_backend GTest::gtest GTest::gmock
                      PRIVATE kelvo_warnings)

add_executable(kelvo_core_tests
  cleanup/deletion_win32_test.cpp
  components/registry_value_test.cpp
  components/shared_dll_audit_win32_test.cpp
  text/ini_text_test.cpp
  text/result_test.cpp
  text/utf8_test.cpp
  platform/win32/drives_test.cpp
  platform/win32/long_path_test.cpp
  platform/win32/native_text_test.cpp
  platform/win32/win32_file_system_test.cpp
  scan/walker_win32_tree_test.cpp
  settings/settings_file_test.cpp
  settings/settings_win32_test.cpp
  settings/tips_switch_parse_test.cpp
  settings/tips_switch_test.cpp
  setup/component_setup_win32_test.cpp
)
target_link_libraries(kelvo_core_tests PRIVATE kelvo_test_support GTest::gmock GTest::gtest_main
                      kelvo_warnings)
gtest_discover_tests(kelvo_core_tests DISCOVERY_TIMEOUT 60)

# Test components: one source built as four DLLs beside the test program, which loads them by name.
set(kind_number 1)
foreach(kind registers fails hangs no_entry)
  set(component kelvo_test_component_${kind})
  add_library(${component} MODULE setup/test_components/win32_component.cpp)
  target_compile_definitions(${component} PRIVATE KELVO_COMPONENT_KIND=${kind_number})
  target_link_libraries(${component} PRIVATE kelvo_warnings)
  set_target_properties(${component} PROPERTIES PREFIX "" LIBRARY_OUTPUT_DIRECTORY
                        ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
  add_dependencies(kelvo_core_tests ${component})
  math(EXPR kind_number "${kind_number} + 1")
endforeach()
