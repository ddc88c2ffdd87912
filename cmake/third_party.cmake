# Header-only libraries from Debian's packages (CLI11, nlohmann-json). Native builds find them
# as packages; the mingw builds see them through a folder of links to the host's headers, so
# that no other host header leaks into a Windows build.
set(HW_HOST_INCLUDE "${CMAKE_BINARY_DIR}/host-headers")
file(MAKE_DIRECTORY "${HW_HOST_INCLUDE}")
foreach(dir CLI nlohmann)
  if(NOT EXISTS "/usr/include/${dir}")
    message(FATAL_ERROR "/usr/include/${dir} is missing: install libcli11-dev and nlohmann-json3-dev")
  endif()
  if(NOT EXISTS "${HW_HOST_INCLUDE}/${dir}")
    file(CREATE_LINK "/usr/include/${dir}" "${HW_HOST_INCLUDE}/${dir}" SYMBOLIC)
  endif()
endforeach()
add_library(hw_third_party INTERFACE)
target_include_directories(hw_third_party SYSTEM INTERFACE "${HW_HOST_INCLUDE}")
