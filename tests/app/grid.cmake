# Tests of the grid that shows the packing table.
add_executable(velm_grid_tests ${CMAKE_CURRENT_LIST_DIR}/GridTest.cpp)
set_target_properties(velm_grid_tests PROPERTIES AUTOMOC ON)
target_link_libraries(velm_grid_tests PRIVATE velm_grid Qt6::Test)
velm_warnings(velm_grid_tests)
add_test(NAME velm_grid_tests COMMAND velm_grid_tests)
set_tests_properties(velm_grid_tests PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen)
