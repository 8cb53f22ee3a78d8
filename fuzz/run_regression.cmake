# Script mode: configures and builds the fuzz targets with clang in BUILD_DIR,
# then runs each over its corpus once (-runs=0).
if(NOT EXISTS "${CLANGXX}")
  message(FATAL_ERROR "clang++ not found at '${CLANGXX}'")
endif()

function(run_step)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "failed (${result}): ${ARGN}\n${output}")
  endif()
endfunction()

run_step(${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${BUILD_DIR}
  -DCMAKE_CXX_COMPILER=${CLANGXX} -DCMAKE_BUILD_TYPE=RelWithDebInfo
  -DQOR_FUZZ=ON -DQOR_TESTS=OFF -DQOR_SANITIZE=OFF)
# The targets are the fuzz_<name>.cpp files, as fuzz/CMakeLists.txt finds them.
file(GLOB target_sources ${SOURCE_DIR}/fuzz/fuzz_*.cpp)
list(REMOVE_ITEM target_sources ${SOURCE_DIR}/fuzz/fuzz_support.cpp)
set(targets)
foreach(source ${target_sources})
  get_filename_component(target ${source} NAME_WE)
  list(APPEND targets ${target})
endforeach()
run_step(${CMAKE_COMMAND} --build ${BUILD_DIR} --target ${targets} -j3)

foreach(target ${targets})
  string(REGEX REPLACE "^fuzz_" "" name ${target})
  set(corpus ${SOURCE_DIR}/fuzz/corpus/${name})
  execute_process(COMMAND ${BUILD_DIR}/fuzz/${target} -runs=0
      -artifact_prefix=${BUILD_DIR}/ ${corpus}
    RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${target} failed on its corpus (${result}):\n${output}")
  endif()
  string(REGEX MATCH "INITED[^\n]*" summary "${output}")
  message("${target}: ${summary}")
endforeach()
