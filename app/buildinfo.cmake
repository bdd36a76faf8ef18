# Version and commit of the build for the about box (from base/VelmVersion.h), in a library of
# its own so that the window does not recompile at every commit.
add_library(velm_buildinfo STATIC ${CMAKE_CURRENT_LIST_DIR}/BuildInfo.cpp)
target_link_libraries(velm_buildinfo PUBLIC velm_base)
velm_warnings(velm_buildinfo)
