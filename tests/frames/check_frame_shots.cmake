# Renders a few frames with frame_shot (PROGRAM, run through EMULATOR if
# given) and compares their SHA-256 with the stored DIGESTS, the same in
# every build. -DUPDATE=1 stores the digests instead.
set(shots
  "start 0 800 600"
  "tall 40000 480 800 pulse"
  "wide 123456.5 1024 600"
  "far 5000000 640 480 pulse")
file(REMOVE_RECURSE ${WORKDIR})
file(MAKE_DIRECTORY ${WORKDIR})

foreach(shot IN LISTS shots)
  string(REPLACE " " ";" fields "${shot}")
  list(POP_FRONT fields name travel width height)  # what is left: pulse, or nothing
  execute_process(COMMAND ${EMULATOR} ${PROGRAM} ${travel} ${width} ${height}
    ${WORKDIR}/${name}.ppm ${fields}
    RESULT_VARIABLE status ERROR_VARIABLE err)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${PROGRAM} ${shot}: exit ${status}: ${err}")
  endif()
endforeach()
include(${CMAKE_CURRENT_LIST_DIR}/../check_digests.cmake)
ringvoyage_check_digests(${WORKDIR} ${DIGESTS})
