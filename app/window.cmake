# The main window and the program entry.
#   velm_window - everything of the window but the entry point (the tests link it)
#   velm        - the program

add_library(velm_window STATIC
  ${CMAKE_CURRENT_LIST_DIR}/Batch.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CalculationSheet.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ColumnPanel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AnalysisPanel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CommandLine.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ChartCommands.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FileCommands.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HelpCommands.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HelpScreenshots.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ReportCommands.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ProgramPaths.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StatusBar.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SimulatorCommands.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PackingScreening.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RatingPanel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SingleInstance.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AboutDialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MainWindow.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WindowFields.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Application.cpp
)
set_target_properties(velm_window PROPERTIES AUTOMOC ON)
target_link_libraries(velm_window PUBLIC velm_report velm_chart velm_project velm_simulators velm_units velm_grid velm_table velm_base velm_core
                                         velm_help velm_buildinfo velm_automation velm_cli Qt6::Widgets Qt6::Network)
velm_warnings(velm_window)

add_executable(velm ${CMAKE_CURRENT_LIST_DIR}/main.cpp)
set_target_properties(velm PROPERTIES AUTOMOC ON)
target_link_libraries(velm PRIVATE velm_window velm_report velm_units velm_grid velm_table velm_base velm_core
                                   Qt6::Widgets)
velm_warnings(velm)
# The shipped files beside the program: packing table, help file, report template.
add_dependencies(velm velm_packings velm_helpfile velm_template)
