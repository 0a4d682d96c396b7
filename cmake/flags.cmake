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

function(ringvoyage_target_flags target)
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
