# CTest's run of a libFuzzer target over its saved corpus: every input once, no fuzzing. libFuzzer
# itself passes over an empty folder, so an empty corpus is refused here first.
file(GLOB_RECURSE inputs LIST_DIRECTORIES false "${CORPUS}/*")
if(NOT inputs)
  message(FATAL_ERROR "no input to replay in ${CORPUS}")
endif()
execute_process(COMMAND "${FUZZER}" ${inputs} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${FUZZER} failed on its corpus: ${status}")
endif()
