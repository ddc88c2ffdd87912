# One library per room of src/. A room's headers are seen only by the room itself and by the
# targets that link it: each room gets a folder of links of its own in the build tree
# (rooms/<target>/<folder>/<header>), and that folder, not src/, is the include path it hands
# on. So "scan/x.h" included from a room that does not link hw_scan fails to compile.
#
# hw_add_room(TARGET FOLDER [LINKS targets...] [SYSTEM_LIBS libs...])
#   FOLDER is the room's folder below src/ ("store", "store/wine"). Its *.cpp files are the
#   library's sources: win32_*.cpp only on Windows builds, posix_*.cpp only elsewhere. Only the
#   headers directly in FOLDER are exposed; a subfolder is a room of its own.
# hw_room_headers(TARGET FOLDER [NAME]): exposes the headers directly in src/FOLDER to TARGET
# and what links it; NAME (default TARGET) names the folder of links when a target exposes
# several folders.
function(hw_room_headers target folder)
  set(name "${target}")
  if(ARGC GREATER 2)
    set(name "${ARGV2}")
  endif()
  set(linkRoot "${CMAKE_BINARY_DIR}/rooms/${name}")
  file(GLOB headers CONFIGURE_DEPENDS
       "${CMAKE_SOURCE_DIR}/src/${folder}/*.h" "${CMAKE_SOURCE_DIR}/src/${folder}/*.inc")
  file(REMOVE_RECURSE "${linkRoot}")
  file(MAKE_DIRECTORY "${linkRoot}/${folder}")
  foreach(header ${headers})
    get_filename_component(name "${header}" NAME)
    file(CREATE_LINK "${header}" "${linkRoot}/${folder}/${name}" SYMBOLIC)
  endforeach()
  target_include_directories(${target} PUBLIC "${linkRoot}")
endfunction()

function(hw_add_room target folder)
  cmake_parse_arguments(ARG "" "" "LINKS;SYSTEM_LIBS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/src/${folder}/*.cpp")
  if(WIN32)
    list(FILTER sources EXCLUDE REGEX "/posix_[^/]*\\.cpp$")
  else()
    list(FILTER sources EXCLUDE REGEX "/win32_[^/]*\\.cpp$")
  endif()
  list(FILTER sources EXCLUDE REGEX "/main\\.cpp$")
  list(FILTER sources EXCLUDE REGEX "/app_main\\.cpp$")
  add_library(${target} STATIC ${sources})
  hw_room_headers(${target} "${folder}")
  target_link_libraries(${target} PUBLIC ${ARG_LINKS} ${ARG_SYSTEM_LIBS})
endfunction()
