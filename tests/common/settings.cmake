# A tiny program that drives the shared start-up and diagnostics, so that the
# tests can check what a real process prints and how it exits.
add_executable(qor_diag_probe ${CMAKE_CURRENT_LIST_DIR}/probe/diag_probe.cpp)
target_link_libraries(qor_diag_probe PRIVATE qorshared)
add_dependencies(test_common qor_diag_probe)
target_compile_definitions(test_common PRIVATE DIAG_PROBE_PATH="$<TARGET_FILE:qor_diag_probe>")
