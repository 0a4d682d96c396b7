# The one place that picks what differs between the builds: the host folders
# under app/, the platform's own tools and tests, and the GL libraries.
# Windows (MinGW) gives win32 with opengl32 and glu32, Emscripten gives web
# with its GL 1.1 emulation over WebGL, and anything else gives sdl with the
# system's GL (GLVND), GLU and EGL, plus the Wayland host that the sdl program
# hands its saver and wallpaper to.
if(EMSCRIPTEN)
  set(RINGVOYAGE_HOST web)
  set(RINGVOYAGE_HOST_FOLDERS web)
elseif(WIN32)
  set(RINGVOYAGE_HOST win32)
  set(RINGVOYAGE_HOST_FOLDERS win32)
  set(RINGVOYAGE_TOOL_FOLDERS win)  # under tools/
  set(RINGVOYAGE_TEST_FOLDERS e2e release)  # under tests/, beside the shared ones
  # Resource scripts, compiled by windres for the program and its tests.
  enable_language(RC)
else()
  set(RINGVOYAGE_HOST sdl)
  # wayland first: the sdl program links its host.
  set(RINGVOYAGE_HOST_FOLDERS wayland sdl)
  set(RINGVOYAGE_TOOL_FOLDERS linux)
  set(RINGVOYAGE_TEST_FOLDERS native scripts)
endif()
# The other builds' tests compare their frames and journey with the native
# build's tools (scripts/test.sh builds it first); where there are none, those
# comparisons are skipped when they run, so no build's tests depend on the
# order the builds were configured in.
set(RINGVOYAGE_NATIVE_TOOLS ${PROJECT_SOURCE_DIR}/build/native/tools CACHE PATH
  "The native build's tools, for the other builds' tests to compare with")

add_library(gl_libraries INTERFACE)
if(RINGVOYAGE_HOST STREQUAL win32)
  target_link_libraries(gl_libraries INTERFACE glu32 opengl32)
elseif(RINGVOYAGE_HOST STREQUAL web)
  target_link_options(gl_libraries INTERFACE -sLEGACY_GL_EMULATION=1)
else()
  set(OpenGL_GL_PREFERENCE GLVND)
  find_package(OpenGL REQUIRED COMPONENTS OpenGL EGL)
  if(NOT TARGET OpenGL::GLU)
    message(FATAL_ERROR "GLU not found: install libglu1-mesa-dev (scripts/deps.sh native does)")
  endif()
  target_link_libraries(gl_libraries INTERFACE OpenGL::GL OpenGL::GLU)
  # A context with no window (frame_shot, the renderer tests).
  add_library(egl_libraries INTERFACE)
  target_link_libraries(egl_libraries INTERFACE OpenGL::EGL)
endif()
