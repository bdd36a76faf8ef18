# The installed layout and the Debian package (CPack).
#
#   /usr/bin/velm, /usr/bin/velm-calc
#   /usr/share/velm/            the files shipped beside the program in the build folder
#                               (packing table, report template, help file) and examples/
#   /usr/share/applications/velm.desktop, /usr/share/mime/packages/velm.xml,
#   /usr/share/icons/hicolor/SIZExSIZE/{apps,mimetypes}/...
#
# The program finds its shipped files beside itself or in ../share/velm (base/DataFiles.h).
# Build the package with `cmake --build build --target package` (or scripts/package).
include(GNUInstallDirs)

set(VELM_DATA_INSTALL_DIR ${CMAKE_INSTALL_DATADIR}/velm)

install(TARGETS velm-calc RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/ DESTINATION ${VELM_DATA_INSTALL_DIR}/examples)

if(VELM_GUI)
  install(TARGETS velm RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

  # Every shipped file the build puts beside the program, found when installing, so that a new
  # one (a template, a help file) needs no rule of its own. A new kind of shipped file adds its
  # extension here; per-user files (.opt, .ini, .qhc) and build artefacts stay out.
  set(VELM_DATA_PATTERNS *.cds *.qch *.xlt *.xltx *.xls *.xlsx *.chm *.csv)
  set(globs "")
  foreach(pattern ${VELM_DATA_PATTERNS})
    string(APPEND globs " \"$<TARGET_FILE_DIR:velm>/${pattern}\"")
  endforeach()
  install(CODE "
    file(GLOB velm_data_files LIST_DIRECTORIES false ${globs})
    if(NOT velm_data_files)
      message(FATAL_ERROR \"no shipped files beside $<TARGET_FILE:velm>: build first\")
    endif()
    file(INSTALL DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${VELM_DATA_INSTALL_DIR}\" TYPE FILE
         FILES \${velm_data_files})
  ")

  # Desktop integration: menu entry, the project file type, icons drawn with the program's own
  # picture (tools/velm-icons).
  install(FILES ${PROJECT_SOURCE_DIR}/data/desktop/velm.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${PROJECT_SOURCE_DIR}/data/desktop/velm-mime.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME velm.xml)
  set(VELM_ICON_DIR ${CMAKE_BINARY_DIR}/icons)
  add_custom_command(
    OUTPUT ${VELM_ICON_DIR}/256x256/apps/velm.png
    COMMAND velm-icons ${VELM_ICON_DIR}
    DEPENDS velm-icons
    COMMENT "Drawing the desktop icons"
    VERBATIM)
  add_custom_target(velm_icons ALL DEPENDS ${VELM_ICON_DIR}/256x256/apps/velm.png)
  install(DIRECTORY ${VELM_ICON_DIR}/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor)

  # What running the program needs, and no more (scripts/run): the program and every target
  # of the source folders that makes a shipped file (the ALL custom targets); not the tests,
  # the benchmarks or the build tools.
  add_custom_target(velm_runtime)
  add_dependencies(velm_runtime velm)
  get_property(velm_dirs DIRECTORY ${PROJECT_SOURCE_DIR} PROPERTY SUBDIRECTORIES)
  foreach(dir ${velm_dirs})
    get_filename_component(name ${dir} NAME)
    if(name STREQUAL "tests" OR name STREQUAL "bench" OR name STREQUAL "tools")
      continue()
    endif()
    get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
    foreach(t ${targets})
      get_target_property(type ${t} TYPE)
      get_target_property(excluded ${t} EXCLUDE_FROM_ALL)
      if(type STREQUAL "UTILITY" AND NOT excluded AND NOT t STREQUAL "velm_icons")
        add_dependencies(velm_runtime ${t})
      endif()
    endforeach()
  endforeach()
endif()

# --- the Debian package -------------------------------------------------------------------------
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velm)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Hydraulic and mass-transfer design of random-packed columns")
set(CPACK_PACKAGE_DESCRIPTION
    "A desktop calculator (Qt, Chinese user interface) for gas-liquid columns filled
with random packing: flooding and design gas velocity, column diameter, wet
pressure drop, liquid holdup, wetting rate, transfer units and HETP, with
project files, recent projects and a headless calculator (velm-calc).")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "VELM maintainers <velm@localhost>")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
# The shared libraries the programs link (Qt, zlib, ...) are found by dpkg-shlibdeps; what they
# load at run time is named here: Qt's Chinese texts for the standard dialogs, a font with
# Chinese glyphs, the SQLite driver that Qt Help reads its files with. The X11 platform plugin
# comes with libqt6gui6; a native Wayland session is served by qt6-wayland (recommended).
set(velm_runtime_depends "qt6-translations-l10n, fonts-wqy-microhei | fonts-noto-cjk")
if(VELM_GUI)
  string(APPEND velm_runtime_depends ", libqt6sql6-sqlite")
endif()
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "${velm_runtime_depends}")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "qt6-wayland, shared-mime-info, desktop-file-utils, hicolor-icon-theme")
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
include(CPack)
