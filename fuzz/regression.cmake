# Registers the test "fuzz_regression": a separate clang build of the fuzz
# targets that runs each once over its checked-in corpus. Skipped (not
# failed) on a machine without clang++.
find_program(QOR_CLANGXX NAMES clang++ clang++-14)
set(QOR_FUZZ_REGRESSION_SCRIPT ${CMAKE_SOURCE_DIR}/fuzz/run_regression.cmake)
add_test(NAME fuzz_regression
  COMMAND ${CMAKE_COMMAND}
    -DSOURCE_DIR=${CMAKE_SOURCE_DIR}
    -DBUILD_DIR=${CMAKE_BINARY_DIR}/fuzz-regression
    -DCLANGXX=${QOR_CLANGXX}
    -P ${QOR_FUZZ_REGRESSION_SCRIPT})
set_tests_properties(fuzz_regression PROPERTIES
  SKIP_RETURN_CODE 77
  TIMEOUT 600
  PROCESSORS 3)
