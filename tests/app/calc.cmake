# The window as a calculator: typing a design, the relation groups, the handlers (Qt Test).
velm_add_qt_test(app_CalculationTest SOURCES CalculationTest.cpp
  LIBS velm_window velm_cli
  DEFINITIONS VELM_PACKINGS="${CMAKE_BINARY_DIR}/app/Packings.cds"
              VELM_EXAMPLES="${PROJECT_SOURCE_DIR}/examples"
  DEPENDS velm_packings)

velm_add_qt_test(app_ApplicationTest SOURCES ApplicationTest.cpp LIBS velm_window)
