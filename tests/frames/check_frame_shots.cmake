# Renders a few frames with frame_shot (PROGRAM, run through EMULATOR if
# given) and either compares their SHA-256 with the stored DIGESTS or, with
# NATIVE set, compares them byte for byte with the native frame_shot's.
# -DUPDATE=1 stores the digests instead.
set(shots
  "start 0 800 600"
  "tall 40000 480 800 pulse"
  "wide 123456.5 1024 600"
  "far 5000000 640 480 pulse")
file(REMOVE_RECURSE ${WORKDIR})
file(MAKE_DIRECTORY ${WORKDIR})

function(shoot program suffix name)
  execute_process(COMMAND ${ARGN} ${program} ${shot_args} ${WORKDIR}/${name}${suffix}.ppm ${pulse}
    RESULT_VARIABLE status ERROR_VARIABLE err)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${program} ${shot_args}: exit ${status}: ${err}")
  endif()
endfunction()

set(failed 0)
foreach(shot IN LISTS shots)
  string(REPLACE " " ";" fields "${shot}")
  list(POP_FRONT fields name)
  list(SUBLIST fields 0 3 shot_args)
  list(LENGTH fields count)
  set(pulse "")
  if(count EQUAL 4)
    set(pulse pulse)
  endif()
  shoot(${PROGRAM} "" ${name} ${EMULATOR})
  if(NATIVE)
    file(SHA256 ${WORKDIR}/${name}.ppm hash)
    shoot(${NATIVE} "-native" ${name})
    file(SHA256 ${WORKDIR}/${name}-native.ppm native_hash)
    if(hash STREQUAL native_hash)
      message(STATUS "${name}: identical to the native frame")
    else()
      message(SEND_ERROR "${name} (${shot_args} ${pulse}): differs from the native frame")
      set(failed 1)
    endif()
  endif()
endforeach()

if(NATIVE)
  if(failed)
    message(FATAL_ERROR "frames differ from the native ones (see ${WORKDIR})")
  endif()
else()
  include(${CMAKE_CURRENT_LIST_DIR}/../check_digests.cmake)
  ringvoyage_check_digests(${WORKDIR} ${DIGESTS})
endif()
