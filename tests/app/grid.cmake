# Tests of the grid that shows the packing table.
velm_add_qt_test(velm_grid_tests TARGET velm_grid_tests SOURCES GridTest.cpp LIBS velm_grid)
