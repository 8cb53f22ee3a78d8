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
run_step(${CMAKE_COMMAND} --build ${BUILD_DIR} --target fuzz_coff fuzz_archive fuzz_cod -j3)

foreach(target coff archive cod)
  set(corpus ${SOURCE_DIR}/fuzz/corpus/${target})
  execute_process(COMMAND ${BUILD_DIR}/fuzz/fuzz_${target} -runs=0
      -artifact_prefix=${BUILD_DIR}/ ${corpus}
    RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "fuzz_${target} failed on its corpus (${result}):\n${output}")
  endif()
  string(REGEX MATCH "INITED[^\n]*" summary "${output}")
  message("fuzz_${target}: ${summary}")
endforeach()
