# The shipped Windows program: i686, tests under 32-bit Wine.
set(MINGW_PROCESSOR i686)
set(MINGW_EMULATOR wine-run.sh)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-toolchain.cmake)
