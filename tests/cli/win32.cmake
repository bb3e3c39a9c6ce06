# CLI tests of the Windows build: kelvo-cli.exe is started from beside the test program.
add_executable(kelvo_cli_tests
  scan_command_win32_test.cpp
  scan_rows_test.cpp
)
target_link_libraries(kelvo_cli_tests PRIVATE kelvo_cli_lib kelvo_test_support GTest::gmock
                      GTest::gtest_main kelvo_warnings)
target_compile_definitions(kelvo_cli_tests PRIVATE KELVO_CLI_PATH="kelvo-cli.exe")
add_dependencies(kelvo_cli_tests kelvo-cli)
gtest_discover_tests(kelvo_cli_tests DISCOVERY_TIMEOUT 60)
