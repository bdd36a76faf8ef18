# The window as a calculator: typing a design, the relation groups, the handlers (Qt Test).
add_executable(velm_app_CalculationTest ${CMAKE_CURRENT_LIST_DIR}/CalculationTest.cpp)
set_target_properties(velm_app_CalculationTest PROPERTIES AUTOMOC ON)
target_link_libraries(velm_app_CalculationTest PRIVATE velm_window velm_cli Qt6::Test)
target_compile_definitions(velm_app_CalculationTest PRIVATE
  VELM_PACKINGS="${CMAKE_BINARY_DIR}/app/Packings.cds" VELM_EXAMPLES="${PROJECT_SOURCE_DIR}/examples")
if(TARGET velm_packings)
  add_dependencies(velm_app_CalculationTest velm_packings)
endif()
velm_warnings(velm_app_CalculationTest)
add_test(NAME app_CalculationTest COMMAND velm_app_CalculationTest)
set_tests_properties(app_CalculationTest PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen)

add_executable(velm_app_ApplicationTest ${CMAKE_CURRENT_LIST_DIR}/ApplicationTest.cpp)
set_target_properties(velm_app_ApplicationTest PROPERTIES AUTOMOC ON)
target_link_libraries(velm_app_ApplicationTest PRIVATE velm_window Qt6::Test)
velm_warnings(velm_app_ApplicationTest)
add_test(NAME app_ApplicationTest COMMAND velm_app_ApplicationTest)
set_tests_properties(app_ApplicationTest PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen)
