# Release package of a Windows build: one zip named with the version and the
# architecture, holding the program, the screen saver and the user's readme.
# Shipped without symbols: the static run-time libraries alone bring some
# 450 kB of debug information. The built programs are the shipped ones.
target_link_options(Ringvoyage PRIVATE -s)
target_link_options(RingvoyageSaver PRIVATE -s)
install(TARGETS Ringvoyage RingvoyageSaver RUNTIME DESTINATION .)
configure_file(${PROJECT_SOURCE_DIR}/resources/user-readme.txt.in
  ${PROJECT_BINARY_DIR}/generated/README.txt @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/generated/README.txt DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Ringvoyage)
set(CPACK_PACKAGE_VENDOR "Ringvoyage project")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME Ringvoyage-${PROJECT_VERSION}-${CMAKE_SYSTEM_PROCESSOR})
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
include(CPack)

# The Windows installer of this build, made by makensis (Debian's nsis) from
# the files the zip holds: build/<preset>/package/
# Ringvoyage-<version>-<arch>-setup.exe. One installer per architecture: the
# x86_64 one is a 64-bit program itself, so it writes to the real System32
# and registry on 64-bit Windows, and runs on hosts without 32-bit code.
find_program(RINGVOYAGE_MAKENSIS makensis)
if(RINGVOYAGE_MAKENSIS)
  set(RINGVOYAGE_SETUP
    ${CPACK_PACKAGE_DIRECTORY}/Ringvoyage-${PROJECT_VERSION}-${CMAKE_SYSTEM_PROCESSOR}-setup.exe)
  set(setup_stage ${CMAKE_BINARY_DIR}/setup-stage)
  set(setup_script ${PROJECT_SOURCE_DIR}/packaging/windows/ringvoyage.nsi)
  add_custom_command(OUTPUT ${RINGVOYAGE_SETUP}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${setup_stage}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CPACK_PACKAGE_DIRECTORY}
    COMMAND ${CMAKE_COMMAND} --install ${CMAKE_BINARY_DIR} --prefix ${setup_stage}
    COMMAND ${RINGVOYAGE_MAKENSIS} -V2 -DVERSION=${PROJECT_VERSION}
      -DARCH=${CMAKE_SYSTEM_PROCESSOR} -DBINDIR=${setup_stage}
      -DICON=${PROJECT_SOURCE_DIR}/resources/main.ico -DOUTFILE=${RINGVOYAGE_SETUP}
      ${setup_script}
    DEPENDS Ringvoyage RingvoyageSaver ${setup_script}
      ${PROJECT_BINARY_DIR}/generated/README.txt ${PROJECT_SOURCE_DIR}/resources/main.ico
    COMMENT "Windows installer ${RINGVOYAGE_SETUP}"
    VERBATIM)
  add_custom_target(installer ALL DEPENDS ${RINGVOYAGE_SETUP})
elseif(BUILD_TESTING)
  # The tests of the installer need it; a build for running the program does not.
  message(WARNING "makensis not found (Debian package nsis): no Windows installer")
endif()
