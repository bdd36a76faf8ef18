# Tests of the packing table, its converter, the shipped data and the grid.
set(VELM_TABLE_TEST_DATA ${CMAKE_CURRENT_LIST_DIR}/../data/packing)

add_executable(velm_table_tests ${CMAKE_CURRENT_LIST_DIR}/TableTest.cpp
                                ${CMAKE_CURRENT_LIST_DIR}/CdsConvertTest.cpp)
target_link_libraries(velm_table_tests PRIVATE velm_table GTest::gtest_main)
target_compile_definitions(velm_table_tests PRIVATE
  VELM_TEST_DATA_DIR="${VELM_TABLE_TEST_DATA}"
  VELM_CDS_EXE="$<TARGET_FILE:velm-cds>"
  VELM_PACKINGS_CDS="${CMAKE_BINARY_DIR}/app/Packings.cds")
add_dependencies(velm_table_tests velm-cds velm_packings)
velm_warnings(velm_table_tests)
gtest_discover_tests(velm_table_tests)

add_executable(velm_grid_tests ${CMAKE_CURRENT_LIST_DIR}/GridTest.cpp)
set_target_properties(velm_grid_tests PROPERTIES AUTOMOC ON)
target_link_libraries(velm_grid_tests PRIVATE velm_grid Qt6::Test)
velm_warnings(velm_grid_tests)
add_test(NAME velm_grid_tests COMMAND velm_grid_tests)
set_tests_properties(velm_grid_tests PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen)

# The shipped table through the calculation core.
add_executable(velm_packings_calc_tests ${CMAKE_CURRENT_LIST_DIR}/CdsShippedCalculationTest.cpp)
target_link_libraries(velm_packings_calc_tests PRIVATE velm_table velm_core GTest::gtest_main)
target_compile_definitions(velm_packings_calc_tests PRIVATE
  VELM_PACKINGS_CDS="${CMAKE_BINARY_DIR}/app/Packings.cds")
add_dependencies(velm_packings_calc_tests velm_packings)
velm_warnings(velm_packings_calc_tests)
gtest_discover_tests(velm_packings_calc_tests)
