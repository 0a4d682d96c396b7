# Runs the frozen-frame program and checks every file it writes against the
# stored digests.
file(REMOVE_RECURSE ${WORKDIR})
file(MAKE_DIRECTORY ${WORKDIR})
execute_process(COMMAND ${EMULATOR} ${PROGRAM} ${WORKDIR} RESULT_VARIABLE status
  OUTPUT_VARIABLE out ERROR_VARIABLE err)
message(STATUS "${out}${err}")
if(NOT status EQUAL 0)
  message(FATAL_ERROR "frozen_frames failed: ${status}")
endif()
include(${CMAKE_CURRENT_LIST_DIR}/../check_digests.cmake)
ringvoyage_check_digests(${WORKDIR} ${DIGESTS})
