# Registers "qorlan_sweep": the sanitizer-built linker on damaged copies of
# the link seeds and on odd command lines and files (qorlan_sweep.py), in
# its quick form of a few hundred runs. Without Python the test shows as
# not run.
find_package(Python3 COMPONENTS Interpreter)
if(Python3_FOUND AND TARGET qorlan)
  add_test(NAME qorlan_sweep
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_LIST_DIR}/qorlan_sweep.py
      $<TARGET_FILE:qorlan> ${CMAKE_SOURCE_DIR} --quick --jobs 4)
  set_tests_properties(qorlan_sweep PROPERTIES TIMEOUT 900 PROCESSORS 4
    ENVIRONMENT "TZ=UTC;LC_ALL=C")
else()
  add_test(NAME qorlan_sweep COMMAND ${CMAKE_COMMAND} -E echo "python3 or qorlan missing")
  set_tests_properties(qorlan_sweep PROPERTIES DISABLED TRUE)
endif()
