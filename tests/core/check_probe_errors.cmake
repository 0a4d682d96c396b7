# Bad commands must fail with a message naming the line, and print no frame.
set(cases
  "build -1"
  "build 2147483648"
  "build 12x"
  "build"
  "pulse 2"
  "fly 3"
  "dump now")
foreach(case IN LISTS cases)
  file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/bad_probe_input.txt "# comment\n\nbuild 0\n${case}\ndump\n")
  execute_process(COMMAND ${EMULATOR} ${PROBE}
    INPUT_FILE ${CMAKE_CURRENT_BINARY_DIR}/bad_probe_input.txt
    OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status)
  if(status EQUAL 0)
    message(FATAL_ERROR "'${case}' was accepted")
  endif()
  if(NOT err MATCHES "line 4:")
    message(FATAL_ERROR "'${case}' error does not name line 4: ${err}")
  endif()
  if(NOT out STREQUAL "")
    message(FATAL_ERROR "'${case}' printed frames: ${out}")
  endif()
endforeach()
