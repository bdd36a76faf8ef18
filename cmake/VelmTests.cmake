# Test programs, one call each (tests/<folder>/CMakeLists.txt):
#
#   velm_add_gtest(<target> SOURCES src... [LIBS lib...] [DEFINITIONS def...] [DEPENDS target...]
#                  [OWN_MAIN] [OFFSCREEN] [DISCOVERY_TIMEOUT seconds])
#     A GoogleTest program; ctest lists each of its tests by its own name (Suite.Case), found
#     when the program is built. OWN_MAIN: the sources bring main() (links GTest::gtest instead
#     of GTest::gtest_main). OFFSCREEN: the tests make widgets or pictures, with Qt's offscreen
#     platform.
#
#   velm_add_qt_test(<test> SOURCES src... [TARGET target] [LIBS lib...] [DEFINITIONS def...]
#                    [DEPENDS target...])
#     A Qt Test program (moc'ed, linked with Qt6::Test) run as the one ctest test <test> with
#     Qt's offscreen platform. The program is velm_<test> unless TARGET names it.
#
# Both build with warnings as errors (velm_warnings). LIBS are linked privately, DEFINITIONS are
# compile definitions (NAME="value"), DEPENDS are targets to build first (the program a test
# starts, a shipped file it reads).

include(GoogleTest)

function(velm_add_gtest target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "OWN_MAIN;OFFSCREEN" "DISCOVERY_TIMEOUT"
                        "SOURCES;LIBS;DEFINITIONS;DEPENDS")
  _velm_check_test_arguments(velm_add_gtest ${target})
  add_executable(${target} ${arg_SOURCES})
  if(arg_OWN_MAIN)
    target_link_libraries(${target} PRIVATE ${arg_LIBS} GTest::gtest)
  else()
    target_link_libraries(${target} PRIVATE ${arg_LIBS} GTest::gtest_main)
  endif()
  _velm_test_common(${target})
  set(discover_args "")
  if(arg_OFFSCREEN)
    list(APPEND discover_args PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen)
  endif()
  if(arg_DISCOVERY_TIMEOUT)
    list(APPEND discover_args DISCOVERY_TIMEOUT ${arg_DISCOVERY_TIMEOUT})
  endif()
  gtest_discover_tests(${target} ${discover_args})
endfunction()

function(velm_add_qt_test test)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "TARGET" "SOURCES;LIBS;DEFINITIONS;DEPENDS")
  set(target velm_${test})
  if(arg_TARGET)
    set(target ${arg_TARGET})
  endif()
  _velm_check_test_arguments(velm_add_qt_test ${test})
  add_executable(${target} ${arg_SOURCES})
  set_target_properties(${target} PROPERTIES AUTOMOC ON)
  target_link_libraries(${target} PRIVATE ${arg_LIBS} Qt6::Test)
  _velm_test_common(${target})
  add_test(NAME ${test} COMMAND ${target})
  set_tests_properties(${test} PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen)
endfunction()

# Arguments before the first keyword, or no sources, are a mistake in the calling file.
macro(_velm_check_test_arguments function name)
  if(arg_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "${function}(${name}): unknown arguments ${arg_UNPARSED_ARGUMENTS}")
  endif()
  if(NOT arg_SOURCES)
    message(FATAL_ERROR "${function}(${name}): no SOURCES")
  endif()
endmacro()

macro(_velm_test_common target)
  if(arg_DEFINITIONS)
    target_compile_definitions(${target} PRIVATE ${arg_DEFINITIONS})
  endif()
  if(arg_DEPENDS)
    add_dependencies(${target} ${arg_DEPENDS})
  endif()
  velm_warnings(${target})
endmacro()
