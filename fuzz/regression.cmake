# Registers the test "fuzz_regression": a separate clang build of the fuzz
# targets that runs each once over its checked-in corpus. On a machine
# without clang++ the test is registered disabled, so it shows as not run.
find_program(QOR_CLANGXX NAMES clang++ clang++-14)
if(QOR_CLANGXX)
  add_test(NAME fuzz_regression
    COMMAND ${CMAKE_COMMAND}
      -DSOURCE_DIR=${CMAKE_SOURCE_DIR}
      -DBUILD_DIR=${CMAKE_BINARY_DIR}/fuzz-regression
      -DCLANGXX=${QOR_CLANGXX}
      -P ${CMAKE_SOURCE_DIR}/fuzz/run_regression.cmake)
  set_tests_properties(fuzz_regression PROPERTIES TIMEOUT 600 PROCESSORS 3)
else()
  add_test(NAME fuzz_regression COMMAND ${CMAKE_COMMAND} -E echo "clang++ not found")
  set_tests_properties(fuzz_regression PROPERTIES DISABLED TRUE)
endif()
