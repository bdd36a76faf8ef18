# The grid widget that shows the packing table on the constants page.
add_library(velm_grid STATIC ${CMAKE_CURRENT_LIST_DIR}/PackingGrid.cpp ${CMAKE_CURRENT_LIST_DIR}/PackingGrid.h)
set_target_properties(velm_grid PROPERTIES AUTOMOC ON)
target_link_libraries(velm_grid PUBLIC velm_table Qt6::Widgets)
velm_warnings(velm_grid)
