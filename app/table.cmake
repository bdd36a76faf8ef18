# The packing table: the in-memory table (plain C++), its file converter, the shipped
# Packings.cds built from data/packings.csv, and the grid widget that shows the table.
# Included from the top level: the plain parts are built without Qt too (velm-calc and the
# benchmarks read the table), the grid only with the window.

add_library(velm_table STATIC ${CMAKE_CURRENT_LIST_DIR}/MyClientDataSet.cpp)
target_include_directories(velm_table PUBLIC ${CMAKE_CURRENT_LIST_DIR}/..)
target_link_libraries(velm_table PUBLIC velm_base velm_core)
velm_warnings(velm_table)

add_executable(velm-cds ${CMAKE_CURRENT_LIST_DIR}/CdsConvert.cpp)
target_link_libraries(velm-cds PRIVATE velm_table)
velm_warnings(velm-cds)

# Packings.cds beside the program, rebuilt whenever the CSV or the converter changes.
set(VELM_PACKINGS_CSV ${CMAKE_CURRENT_LIST_DIR}/../data/packings.csv)
set(VELM_PACKINGS_CDS ${CMAKE_BINARY_DIR}/app/Packings.cds)
add_custom_command(
  OUTPUT ${VELM_PACKINGS_CDS}
  COMMAND velm-cds to-cds ${VELM_PACKINGS_CSV} ${VELM_PACKINGS_CDS}
  DEPENDS velm-cds ${VELM_PACKINGS_CSV}
  COMMENT "Converting data/packings.csv to Packings.cds"
  VERBATIM)
add_custom_target(velm_packings ALL DEPENDS ${VELM_PACKINGS_CDS})

if(NOT VELM_GUI)
  return()
endif()

add_library(velm_grid STATIC ${CMAKE_CURRENT_LIST_DIR}/MyDBGrid.cpp ${CMAKE_CURRENT_LIST_DIR}/MyDBGrid.h)
set_target_properties(velm_grid PROPERTIES AUTOMOC ON)
target_link_libraries(velm_grid PUBLIC velm_table Qt6::Widgets)
velm_warnings(velm_grid)
