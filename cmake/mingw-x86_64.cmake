# The 64-bit Windows program: x86_64, tests under 64-bit Wine.
set(MINGW_PROCESSOR x86_64)
set(MINGW_EMULATOR wine64-run.sh)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-toolchain.cmake)
