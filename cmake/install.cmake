# Installation (`cmake --install`, prefix /usr/local by default) and the
# Debian package (`cpack -G DEB`). The data folder is installed by data.cmake.
include(GNUInstallDirs)

set(SKYLOOM_PACKAGING_DIR ${CMAKE_SOURCE_DIR}/packaging)

# The launchers are defined by a part read after this one.
function(skyloom_install_programs)
  install(TARGETS skyloom skyloom-configure skyloom-weblink RUNTIME DESTINATION bin)
endfunction()
cmake_language(DEFER CALL skyloom_install_programs)

# XScreenSaver (and MATE, which takes hacks only from XScreenSaver's
# folders) runs hacks from libexec/xscreensaver: a relative link there keeps
# one program file, which finds its data from its real location.
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/packaging)
file(CREATE_LINK ../../bin/skyloom ${CMAKE_BINARY_DIR}/packaging/skyloom SYMBOLIC)
install(FILES ${CMAKE_BINARY_DIR}/packaging/skyloom DESTINATION libexec/xscreensaver)
install(FILES ${SKYLOOM_PACKAGING_DIR}/skyloom.xml DESTINATION share/xscreensaver/config)

# The desktop files name the programs by full path, and the prefix is known
# only at install time (cpack installs into /usr), so they are written then.
install(CODE "
  foreach(pair IN ITEMS \"skyloom.desktop:share/applications/screensavers\"
                        \"skyloom-settings.desktop:share/applications\"
                        \"skyloom-homepage.desktop:share/applications\")
    string(REPLACE \":\" \";\" pair \"\${pair}\")
    list(GET pair 0 name)
    list(GET pair 1 folder)
    set(prefix \"\${CMAKE_INSTALL_PREFIX}\")
    configure_file(\"${SKYLOOM_PACKAGING_DIR}/\${name}.in\"
                   \"${CMAKE_BINARY_DIR}/packaging/desktop/\${name}\" @ONLY)
    file(INSTALL DESTINATION \"\${CMAKE_INSTALL_PREFIX}/\${folder}\" TYPE FILE
         FILES \"${CMAKE_BINARY_DIR}/packaging/desktop/\${name}\")
  endforeach()
")

install(DIRECTORY ${SKYLOOM_PACKAGING_DIR}/icons/hicolor DESTINATION share/icons)
install(FILES ${SKYLOOM_PACKAGING_DIR}/skyloom.6 DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)

# The Debian package. Installing and packaging take the programs as built
# (scripts/build builds everything): without this, cpack would first build
# every target, the tests included.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME skyloom)
set(CPACK_PACKAGE_VENDOR Quillmere)
set(CPACK_PACKAGE_CONTACT "Skyloom <${SKYLOOM_CONTACT_EMAIL}>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "3D space-flight screen saver")
set(CPACK_PACKAGE_DESCRIPTION "An endless flight through deep space: streaming stars, drifting nebulae,
suns of four kinds with lens flares and constellation lines, drawn with
OpenGL 1.1. Runs on its own, under XScreenSaver or MATE's screen saver,
with its own settings window.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${SKYLOOM_HOMEPAGE_URL})
# Qt's X11 platform plugin, which the configuration window loads at run
# time, ships in libqt6gui6, a library the programs link anyway.
find_program(SKYLOOM_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(SKYLOOM_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  # What dpkg-shlibdeps finds on Debian 12.
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6, libstdc++6, libgcc-s1, libopengl0, libglx0, libglu1-mesa | libglu1, libegl1, libx11-6, libxext6, libxrandr2, libjpeg62-turbo, libpng16-16, libinih1, libglib2.0-0, libqt6widgets6, libqt6network6, libqt6gui6, libqt6core6")
endif()
# GL needs a driver, not only libGL; the dialog opens pages and links with the desktop's tools.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libgl1-mesa-dri, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "xscreensaver | mate-screensaver")
set(CPACK_STRIP_FILES ON)
include(CPack)

# Checks of the installed tree, the desktop files, the man page and the
# package, and the package under MATE's screen saver.
function(skyloom_packaging_tests)
  set(wrapper ${CMAKE_SOURCE_DIR}/tests/support/run-isolated)
  add_test(NAME packaging.install_tree
           COMMAND ${wrapper} ${CMAKE_SOURCE_DIR}/tests/packaging/check-install ${CMAKE_BINARY_DIR})
  add_test(NAME packaging.deb
           COMMAND ${wrapper} ${CMAKE_SOURCE_DIR}/tests/packaging/check-deb ${CMAKE_BINARY_DIR})
  add_test(NAME packaging.mate_screensaver
           COMMAND ${wrapper} ${CMAKE_SOURCE_DIR}/tests/packaging/check-mate-screensaver ${CMAKE_BINARY_DIR})
  set_tests_properties(packaging.install_tree packaging.mate_screensaver PROPERTIES TIMEOUT 300)
  set_tests_properties(packaging.deb PROPERTIES TIMEOUT 600 RUN_SERIAL ON)
endfunction()
cmake_language(DEFER CALL skyloom_packaging_tests)
