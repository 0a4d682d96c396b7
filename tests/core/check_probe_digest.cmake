# Runs the probe on the journey and compares the SHA-256 of its output.
execute_process(COMMAND ${EMULATOR} ${PROBE}
  INPUT_FILE ${JOURNEY}
  OUTPUT_VARIABLE frames
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "probe failed with ${status}")
endif()
string(REPLACE "\r\n" "\n" frames "${frames}")
string(SHA256 actual "${frames}")
file(READ ${DIGEST} expected)
string(STRIP "${expected}" expected)
string(LENGTH "${frames}" size)
if(NOT actual STREQUAL expected)
  message(FATAL_ERROR "probe frames changed: ${actual} (${size} bytes), expected ${expected}")
endif()
message(STATUS "probe frames ${actual} (${size} bytes)")
