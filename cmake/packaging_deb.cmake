# The Debian package of the native program (CPack's DEB generator):
# ringvoyage_<version>_<arch>.deb with the program, its xscreensaver display
# mode, the settings tool's XML, a desktop entry with icons, the man page and
# the doc folder. Built from an optimised build without sanitizers.
include(GNUInstallDirs)
find_package(Python3 REQUIRED COMPONENTS Interpreter)
find_program(GZIP gzip REQUIRED)

set(linux_dir ${PROJECT_SOURCE_DIR}/packaging/linux)
set(deb_dir ${CMAKE_BINARY_DIR}/deb)
file(MAKE_DIRECTORY ${deb_dir})

# The mode is the program itself; the daemon finds it among its modes.
file(CREATE_LINK ../../bin/ringvoyage ${deb_dir}/ringvoyage SYMBOLIC)

# The man page with the project's version; both compressed without name or
# time stamp, as Debian wants them.
configure_file(${linux_dir}/ringvoyage.6 ${deb_dir}/ringvoyage.6 @ONLY)
configure_file(${linux_dir}/changelog ${deb_dir}/changelog COPYONLY)
foreach(page ringvoyage.6 changelog)
  add_custom_command(OUTPUT ${deb_dir}/${page}.gz
    COMMAND ${GZIP} -9nc ${deb_dir}/${page} > ${deb_dir}/${page}.gz
    DEPENDS ${deb_dir}/${page} VERBATIM)
endforeach()
foreach(size 16 32)
  add_custom_command(OUTPUT ${deb_dir}/icon${size}.png
    COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/tools/icon_png.py
      ${PROJECT_SOURCE_DIR}/resources/main.ico ${deb_dir}/icon${size}.png ${size}
    DEPENDS ${PROJECT_SOURCE_DIR}/tools/icon_png.py ${PROJECT_SOURCE_DIR}/resources/main.ico
    VERBATIM)
endforeach()
add_custom_target(deb_files ALL DEPENDS ${deb_dir}/ringvoyage.6.gz ${deb_dir}/changelog.gz
  ${deb_dir}/icon16.png ${deb_dir}/icon32.png)

install(TARGETS ringvoyage RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${deb_dir}/ringvoyage DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/xscreensaver)
install(FILES ${linux_dir}/ringvoyage.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/xscreensaver/config)
install(FILES ${linux_dir}/ringvoyage.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
foreach(size 16 32)
  install(FILES ${deb_dir}/icon${size}.png RENAME ringvoyage.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES ${deb_dir}/ringvoyage.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${linux_dir}/copyright ${deb_dir}/changelog.gz
  DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/ringvoyage)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ringvoyage)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Ringvoyage project")
set(CPACK_PACKAGE_CONTACT "Ringvoyage project <maintainer@ringvoyage.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "flight through an endless, curving, tiled tunnel")
set(CPACK_PACKAGE_DESCRIPTION
  "A visual effect in which you fly endlessly through a tunnel of tiled rings\n"
  "laid along a gently bending path, greyer with distance. It runs in a window\n"
  "of its own, where keys change the speed and make the rings pulse, and as a\n"
  "display mode of xscreensaver.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://ringvoyage.example/)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS xscreensaver)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
