# Release package of a Windows build: one zip named with the version and the
# architecture, holding the program, the screen saver and the user's readme.
# Shipped without symbols: the static run-time libraries alone bring some
# 450 kB of debug information. The built programs are the shipped ones.
target_link_options(Ringvoyage PRIVATE -s)
target_link_options(RingvoyageSaver PRIVATE -s)
install(TARGETS Ringvoyage RingvoyageSaver RUNTIME DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/resources/user-readme.txt DESTINATION . RENAME README.txt)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Ringvoyage)
set(CPACK_PACKAGE_VENDOR "Ringvoyage project")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME Ringvoyage-${PROJECT_VERSION}-${CMAKE_SYSTEM_PROCESSOR})
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
include(CPack)
