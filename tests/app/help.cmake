# Help, hints and about on the main window (Qt Test, offscreen), with the shipped packing table
# and the compiled help file the build puts beside the program.
add_executable(velm_app_HelpTest ${CMAKE_CURRENT_LIST_DIR}/HelpTest.cpp)
set_target_properties(velm_app_HelpTest PROPERTIES AUTOMOC ON)
target_link_libraries(velm_app_HelpTest PRIVATE velm_window Qt6::Test)
target_compile_definitions(velm_app_HelpTest PRIVATE
  VELM_PACKINGS="${CMAKE_BINARY_DIR}/app/Packings.cds" VELM_HELP_QCH="${VELM_HELP_QCH}")
add_dependencies(velm_app_HelpTest velm_packings velm_helpfile)
velm_warnings(velm_app_HelpTest)
add_test(NAME app_HelpTest COMMAND velm_app_HelpTest)
set_tests_properties(app_HelpTest PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen)
