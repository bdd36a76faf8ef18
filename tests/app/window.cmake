# Tests of the main window, its parts and the program entry (Qt Test, offscreen).
foreach(name MainWindowTest WindowPartsTest)
  velm_add_qt_test(app_${name} SOURCES ${name}.cpp LIBS velm_window)
endforeach()
# The single-instance test starts the program itself.
velm_add_qt_test(app_SingleInstanceTest SOURCES SingleInstanceTest.cpp
  LIBS velm_window
  DEFINITIONS VELM_EXE="$<TARGET_FILE:velm>" VELM_PACKINGS="${CMAKE_BINARY_DIR}/app/Packings.cds"
              VELM_EXAMPLES="${PROJECT_SOURCE_DIR}/examples"
  DEPENDS velm)

# The project commands through the window, and the batch mode of the program on the examples.
velm_add_qt_test(app_FileCommandsTest SOURCES FileCommandsTest.cpp
  LIBS velm_window
  DEFINITIONS VELM_EXE="$<TARGET_FILE:velm>"
              VELM_PACKINGS="${CMAKE_BINARY_DIR}/app/Packings.cds"
              VELM_EXAMPLES="${PROJECT_SOURCE_DIR}/examples"
              VELM_PROJECT_DATA="${PROJECT_SOURCE_DIR}/tests/data/project"
  DEPENDS velm)

# The command line of velm and velm-calc, run as real processes without a display.
velm_add_qt_test(app_CommandLineTest SOURCES CommandLineTest.cpp
  LIBS velm_base Qt6::Core
  DEFINITIONS VELM_EXE="$<TARGET_FILE:velm>" VELM_CALC="$<TARGET_FILE:velm-calc>"
              VELM_EXAMPLES="${PROJECT_SOURCE_DIR}/examples"
  DEPENDS velm velm-calc)

# Packing screening through the window, on the shipped table and an example project.
velm_add_qt_test(app_ScreeningWindowTest SOURCES ScreeningWindowTest.cpp
  LIBS velm_window velm_cli
  DEFINITIONS VELM_PACKINGS="${CMAKE_BINARY_DIR}/app/Packings.cds"
              VELM_EXAMPLES="${PROJECT_SOURCE_DIR}/examples"
  DEPENDS velm_packings)

# The calculation report through the window, read back with openpyxl, and the batch --report.
velm_add_qt_test(app_ReportTest SOURCES ReportTest.cpp
  LIBS velm_window
  DEFINITIONS VELM_EXE="$<TARGET_FILE:velm>"
              VELM_PACKINGS="${CMAKE_BINARY_DIR}/app/Packings.cds"
              VELM_TEMPLATE="${VELM_TEMPLATE}"
              VELM_READ_WORKBOOK="${CMAKE_CURRENT_SOURCE_DIR}/read_workbook.py"
              VELM_EXAMPLES="${PROJECT_SOURCE_DIR}/examples"
  DEPENDS velm velm_template)

# The chart page through the window, and the chart of the batch mode.
velm_add_qt_test(app_ChartPageTest SOURCES ChartPageTest.cpp
  LIBS velm_window
  DEFINITIONS VELM_EXE="$<TARGET_FILE:velm>"
              VELM_PACKINGS="${CMAKE_BINARY_DIR}/app/Packings.cds"
              VELM_EXAMPLES="${PROJECT_SOURCE_DIR}/examples"
  DEPENDS velm velm_packings)
