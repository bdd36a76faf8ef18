# Tests of the main window, its parts and the program entry (Qt Test, offscreen).
foreach(name MainWindowTest WindowPartsTest SingleInstanceTest)
  add_executable(velm_app_${name} ${CMAKE_CURRENT_LIST_DIR}/${name}.cpp)
  set_target_properties(velm_app_${name} PROPERTIES AUTOMOC ON)
  target_link_libraries(velm_app_${name} PRIVATE velm_window Qt6::Test)
  velm_warnings(velm_app_${name})
  add_test(NAME app_${name} COMMAND velm_app_${name})
  set_tests_properties(app_${name} PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen)
endforeach()
# The single-instance test starts the program itself.
target_compile_definitions(velm_app_SingleInstanceTest PRIVATE VELM_EXE="$<TARGET_FILE:velm>"
  VELM_PACKINGS="${CMAKE_BINARY_DIR}/app/Packings.cds" VELM_EXAMPLES="${PROJECT_SOURCE_DIR}/examples")
add_dependencies(velm_app_SingleInstanceTest velm)

# The example projects of examples/ are made with this tool (not a test):
#   velm_make_examples build/app/Packings.cds examples
add_executable(velm_make_examples ${CMAKE_CURRENT_LIST_DIR}/MakeExamples.cpp)
set_target_properties(velm_make_examples PROPERTIES AUTOMOC ON)
target_link_libraries(velm_make_examples PRIVATE velm_window)
velm_warnings(velm_make_examples)

# The project commands through the window, and the batch mode of the program on the examples.
add_executable(velm_app_FileCommandsTest ${CMAKE_CURRENT_LIST_DIR}/FileCommandsTest.cpp)
set_target_properties(velm_app_FileCommandsTest PROPERTIES AUTOMOC ON)
target_link_libraries(velm_app_FileCommandsTest PRIVATE velm_window Qt6::Test)
target_compile_definitions(velm_app_FileCommandsTest PRIVATE
  VELM_EXE="$<TARGET_FILE:velm>"
  VELM_PACKINGS="${CMAKE_BINARY_DIR}/app/Packings.cds"
  VELM_EXAMPLES="${PROJECT_SOURCE_DIR}/examples"
  VELM_PROJECT_DATA="${PROJECT_SOURCE_DIR}/tests/data/project")
add_dependencies(velm_app_FileCommandsTest velm)
velm_warnings(velm_app_FileCommandsTest)
add_test(NAME app_FileCommandsTest COMMAND velm_app_FileCommandsTest)
set_tests_properties(app_FileCommandsTest PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen)

# The command line of velm and velm-calc, run as real processes without a display.
add_executable(velm_app_CommandLineTest ${CMAKE_CURRENT_LIST_DIR}/CommandLineTest.cpp)
set_target_properties(velm_app_CommandLineTest PROPERTIES AUTOMOC ON)
target_link_libraries(velm_app_CommandLineTest PRIVATE velm_base Qt6::Core Qt6::Test)
target_compile_definitions(velm_app_CommandLineTest PRIVATE
  VELM_EXE="$<TARGET_FILE:velm>" VELM_CALC="$<TARGET_FILE:velm-calc>"
  VELM_EXAMPLES="${PROJECT_SOURCE_DIR}/examples")
add_dependencies(velm_app_CommandLineTest velm velm-calc)
velm_warnings(velm_app_CommandLineTest)
add_test(NAME app_CommandLineTest COMMAND velm_app_CommandLineTest)

# Packing screening through the window, on the shipped table and an example project.
add_executable(velm_app_ScreeningWindowTest ${CMAKE_CURRENT_LIST_DIR}/ScreeningWindowTest.cpp)
set_target_properties(velm_app_ScreeningWindowTest PROPERTIES AUTOMOC ON)
target_link_libraries(velm_app_ScreeningWindowTest PRIVATE velm_window velm_cli Qt6::Test)
target_compile_definitions(velm_app_ScreeningWindowTest PRIVATE
  VELM_PACKINGS="${CMAKE_BINARY_DIR}/app/Packings.cds"
  VELM_EXAMPLES="${PROJECT_SOURCE_DIR}/examples")
add_dependencies(velm_app_ScreeningWindowTest velm_packings)
velm_warnings(velm_app_ScreeningWindowTest)
add_test(NAME app_ScreeningWindowTest COMMAND velm_app_ScreeningWindowTest)
set_tests_properties(app_ScreeningWindowTest PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen)
# The calculation report through the window, read back with openpyxl, and the batch --report.
add_executable(velm_app_ReportTest ${CMAKE_CURRENT_LIST_DIR}/ReportTest.cpp)
set_target_properties(velm_app_ReportTest PROPERTIES AUTOMOC ON)
target_link_libraries(velm_app_ReportTest PRIVATE velm_window Qt6::Test)
target_compile_definitions(velm_app_ReportTest PRIVATE
  VELM_EXE="$<TARGET_FILE:velm>"
  VELM_PACKINGS="${CMAKE_BINARY_DIR}/app/Packings.cds"
  VELM_TEMPLATE="${VELM_TEMPLATE}"
  VELM_READ_WORKBOOK="${CMAKE_CURRENT_LIST_DIR}/read_workbook.py"
  VELM_EXAMPLES="${PROJECT_SOURCE_DIR}/examples")
add_dependencies(velm_app_ReportTest velm velm_template)
velm_warnings(velm_app_ReportTest)
add_test(NAME app_ReportTest COMMAND velm_app_ReportTest)
set_tests_properties(app_ReportTest PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen)
# The chart page through the window, and the chart of the batch mode.
add_executable(velm_app_ChartPageTest ${CMAKE_CURRENT_LIST_DIR}/ChartPageTest.cpp)
set_target_properties(velm_app_ChartPageTest PROPERTIES AUTOMOC ON)
target_link_libraries(velm_app_ChartPageTest PRIVATE velm_window Qt6::Test)
target_compile_definitions(velm_app_ChartPageTest PRIVATE
  VELM_EXE="$<TARGET_FILE:velm>"
  VELM_PACKINGS="${CMAKE_BINARY_DIR}/app/Packings.cds"
  VELM_EXAMPLES="${PROJECT_SOURCE_DIR}/examples")
add_dependencies(velm_app_ChartPageTest velm)
if(TARGET velm_packings)
  add_dependencies(velm_app_ChartPageTest velm_packings)
endif()
velm_warnings(velm_app_ChartPageTest)
add_test(NAME app_ChartPageTest COMMAND velm_app_ChartPageTest)
set_tests_properties(app_ChartPageTest PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen)
