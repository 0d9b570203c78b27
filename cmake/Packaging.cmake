# Installation and the Debian package.
#
# The program finds its kit libraries and its guide in the folder of its own executable, so the
# executable, the platform and kit libraries and Readme.txt are installed together into one
# private program folder (RUNPATH $ORIGIN). The command `ridorevu` in bin is a relative symlink
# to the executable: the program resolves /proc/self/exe, so it still finds its folder.
include(GNUInstallDirs)

set(VZ_INSTALL_PROGRAM_DIR "lib/vidirazorod" CACHE STRING "Program folder, relative to the install prefix")
set(VZ_DESKTOP_ID vidirazorod)

set(vz_installed_targets RidoreVu vzplatform vzimagekit vzdesktop
                         ik7com ik7file ik7effect ik7print ik7scan ik7rastovect ik7vectcom)
# Only the program folder itself: Qt's project set-up would add $ORIGIN/../lib.
set_target_properties(${vz_installed_targets} PROPERTIES INSTALL_RPATH "$ORIGIN")
install(TARGETS ${vz_installed_targets}
        RUNTIME DESTINATION ${VZ_INSTALL_PROGRAM_DIR}
        LIBRARY DESTINATION ${VZ_INSTALL_PROGRAM_DIR})
install(FILES ${PROJECT_SOURCE_DIR}/app/Readme.txt DESTINATION ${VZ_INSTALL_PROGRAM_DIR})

# The launcher, made in the build tree (it dangles there) and installed as a symlink.
file(RELATIVE_PATH vz_launcher_target "/${CMAKE_INSTALL_BINDIR}" "/${VZ_INSTALL_PROGRAM_DIR}/RidoreVu")
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/packaging)
file(CREATE_LINK ${vz_launcher_target} ${CMAKE_BINARY_DIR}/packaging/ridorevu SYMBOLIC)
install(FILES ${CMAKE_BINARY_DIR}/packaging/ridorevu DESTINATION ${CMAKE_INSTALL_BINDIR})

# Desktop entry and icon; a 48x48 PNG of the icon when rsvg-convert is there.
install(FILES ${PROJECT_SOURCE_DIR}/desktop/${VZ_DESKTOP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/desktop/${VZ_DESKTOP_ID}.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
find_program(RSVG_CONVERT rsvg-convert)
if(RSVG_CONVERT)
  set(vz_icon_png ${CMAKE_BINARY_DIR}/packaging/48x48/${VZ_DESKTOP_ID}.png)
  add_custom_command(OUTPUT ${vz_icon_png}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/packaging/48x48
    COMMAND ${RSVG_CONVERT} -w 48 -h 48 -o ${vz_icon_png} ${PROJECT_SOURCE_DIR}/desktop/${VZ_DESKTOP_ID}.svg
    DEPENDS ${PROJECT_SOURCE_DIR}/desktop/${VZ_DESKTOP_ID}.svg
    COMMENT "Rendering the 48x48 icon")
  add_custom_target(vzicon ALL DEPENDS ${vz_icon_png})
  install(FILES ${vz_icon_png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/48x48/apps)
endif()

# cpack -G DEB
set(CPACK_PACKAGE_NAME vidirazorod)
set(CPACK_PACKAGE_VENDOR "VidiraZorod developers")
set(CPACK_PACKAGE_CONTACT "VidiraZorod developers <vidirazorod@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "multi-page TIFF tool: build, scan, split and view")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "VidiraZorod is a desktop tool with a Japanese user interface for\n"
  "multi-page TIFF files. It builds one multi-page TIFF from many image\n"
  "files (BMP, JPEG, JPEG 2000, GIF, TIFF, PCX, PNG, FlashPix) or from\n"
  "pages scanned with a SANE device, splits a multi-page TIFF into\n"
  "single-page files, and views one page by page.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Libraries come from dpkg-shlibdeps; the program's own libraries are found in its folder.
# What no ELF file names: the Qt platform plugins and the Japanese fonts the UI substitutes.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${VZ_INSTALL_PROGRAM_DIR})
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-ipafont-gothic, fonts-ipafont-mincho")
set(CPACK_GENERATOR DEB)
include(CPack)
