# Compiler settings shared by every target of both builds.

# Strict IEEE arithmetic with SSE2 doubles everywhere, so that the native and
# the i686 builds round identically (x87 would keep extra precision, FMA
# contraction would skip roundings). WebAssembly has IEEE floats and doubles
# only, although Emscripten calls its processor "x86".
set(RINGVOYAGE_FP_FLAGS -ffp-contract=off)
if(CMAKE_SYSTEM_PROCESSOR MATCHES "i686|i386|x86$" AND NOT EMSCRIPTEN)
  list(APPEND RINGVOYAGE_FP_FLAGS -msse2 -mfpmath=sse)
endif()

option(RINGVOYAGE_SANITIZE "Build with AddressSanitizer and UBSan" OFF)

# Warnings as errors and the FP flags for one target; every C++ target of the
# project gets them from ringvoyage_flag_every_target() below, so calling
# this by hand is only needed where a target wants them early.
function(ringvoyage_target_flags target)
  get_target_property(flagged ${target} RINGVOYAGE_FLAGGED)
  if(flagged)
    return()
  endif()
  set_property(TARGET ${target} PROPERTY RINGVOYAGE_FLAGGED ON)
  target_compile_features(${target} PUBLIC cxx_std_17)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror ${RINGVOYAGE_FP_FLAGS})
  if(RINGVOYAGE_SANITIZE)
    target_compile_options(${target} PRIVATE
      -fsanitize=address,undefined,float-cast-overflow -fno-sanitize-recover=all
      -fno-omit-frame-pointer)
    target_link_options(${target} PRIVATE -fsanitize=address,undefined,float-cast-overflow)
  endif()
  if(WIN32)
    # No runtime DLLs: the executable must start on a bare Windows or Wine.
    target_link_options(${target} PRIVATE -static -static-libgcc -static-libstdc++)
  endif()
endfunction()

# Gives every compiled target defined under `dir` (this project's folders
# only, not the GoogleTest sources) the flags above, so that none can miss
# -ffp-contract=off and with it the exact arithmetic. Targets of resource
# scripts alone are left out: windres takes none of these flags.
function(ringvoyage_flag_every_target dir)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  foreach(target IN LISTS targets)
    get_target_property(type ${target} TYPE)
    get_target_property(sources ${target} SOURCES)
    list(FILTER sources EXCLUDE REGEX "\\.rc$")
    if(type MATCHES "EXECUTABLE|STATIC_LIBRARY|OBJECT_LIBRARY|SHARED_LIBRARY" AND sources)
      ringvoyage_target_flags(${target})
    endif()
  endforeach()
  get_property(subdirectories DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(subdirectory IN LISTS subdirectories)
    if(subdirectory MATCHES "^${PROJECT_SOURCE_DIR}/")
      ringvoyage_flag_every_target(${subdirectory})
    endif()
  endforeach()
endfunction()
