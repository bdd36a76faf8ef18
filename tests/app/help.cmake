# Help, hints and about on the main window (Qt Test, offscreen), with the shipped packing table
# and the compiled help file the build puts beside the program.
velm_add_qt_test(app_HelpTest SOURCES HelpTest.cpp
  LIBS velm_window
  DEFINITIONS VELM_PACKINGS="${CMAKE_BINARY_DIR}/app/Packings.cds" VELM_HELP_QCH="${VELM_HELP_QCH}"
  DEPENDS velm_packings velm_helpfile)
