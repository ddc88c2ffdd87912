# The program's version in one place: project(... VERSION) in the top CMakeLists.txt. It is
# written into a generated header (plain #defines, read by C++ and by the resource compiler)
# that the interface library hw_version hands to every target that shows or stamps the version:
# the window's about box, `hivewarden --version`, both version resources and the packages.
if(PROJECT_VERSION_PATCH STREQUAL "")
  set(HW_VERSION_PATCH 0)
else()
  set(HW_VERSION_PATCH ${PROJECT_VERSION_PATCH})
endif()
configure_file(${CMAKE_CURRENT_LIST_DIR}/hivewarden_version.h.in
               ${CMAKE_BINARY_DIR}/generated/hivewarden_version.h @ONLY)
add_library(hw_version INTERFACE)
target_include_directories(hw_version INTERFACE ${CMAKE_BINARY_DIR}/generated)
