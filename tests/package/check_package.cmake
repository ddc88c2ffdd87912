# Unpacks the Windows package zip into a scratch folder and checks it is ready to run: exactly
# one top folder holding both programs (PE files for the build's machine), the shipped trojan
# definitions unchanged, and a CR LF README.txt for this version. Run with cmake -P.
#   -DZIP=package.zip -DTOP=top-folder -DVERSION=x.y.z -DMACHINE=8664|014c -DDATA=data-dir
#   -DWORK=scratch-dir
foreach(arg ZIP TOP VERSION MACHINE DATA WORK)
  if(NOT DEFINED ${arg})
    message(FATAL_ERROR "check_package: -D${arg}=... is missing")
  endif()
endforeach()
if(NOT EXISTS "${ZIP}")
  message(FATAL_ERROR "no package ${ZIP} (build the hw_package target)")
endif()

file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
execute_process(COMMAND "${CMAKE_COMMAND}" -E tar xf "${ZIP}" WORKING_DIRECTORY "${WORK}"
                RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cannot unpack ${ZIP}: ${rc}")
endif()

set(failures "")
macro(fail text)
  list(APPEND failures "${text}")
endmacro()

# Nothing missing and nothing extra, all inside one top folder.
set(expected ${TOP} ${TOP}/HivewardenGui.exe ${TOP}/README.txt ${TOP}/TrojanDef.ini
             ${TOP}/TrojanLock.ini ${TOP}/hivewarden.exe)
file(GLOB_RECURSE entries LIST_DIRECTORIES true RELATIVE "${WORK}" "${WORK}/*")
list(SORT entries)
list(SORT expected)
if(NOT entries STREQUAL expected)
  fail("entries are [${entries}], expected [${expected}]")
endif()

# A PE image: "MZ", then at the offset stored at 0x3C the signature "PE\0\0" and the machine.
foreach(program HivewardenGui.exe hivewarden.exe)
  set(file "${WORK}/${TOP}/${program}")
  if(NOT EXISTS "${file}")
    continue()
  endif()
  file(READ "${file}" mz LIMIT 2 HEX)
  if(NOT mz STREQUAL "4d5a")
    fail("${program} does not start with MZ (${mz})")
    continue()
  endif()
  file(READ "${file}" offsetBytes OFFSET 60 LIMIT 4 HEX)
  string(REGEX REPLACE "^(..)(..)(..)(..)$" "0x\\4\\3\\2\\1" offset "${offsetBytes}")
  math(EXPR offset "${offset}")
  file(READ "${file}" header OFFSET ${offset} LIMIT 6 HEX)
  string(SUBSTRING "${MACHINE}" 2 2 low)
  string(SUBSTRING "${MACHINE}" 0 2 high)
  if(NOT header STREQUAL "50450000${low}${high}")
    fail("${program}: PE header ${header}, expected PE signature and machine ${MACHINE}")
  endif()
endforeach()

# The definitions as shipped in the source tree.
foreach(definition TrojanDef.ini TrojanLock.ini)
  set(file "${WORK}/${TOP}/${definition}")
  if(EXISTS "${file}")
    file(SHA256 "${file}" packed)
    file(SHA256 "${DATA}/${definition}" source)
    if(NOT packed STREQUAL source)
      fail("${definition} differs from ${DATA}/${definition}")
    endif()
  endif()
endforeach()

# The read-me: this version, every placeholder filled, CR LF and nothing else as line ends.
set(file "${WORK}/${TOP}/README.txt")
if(EXISTS "${file}")
  file(READ "${file}" text)
  string(FIND "${text}" "Kestovar Hivewarden ${VERSION} for " title)
  if(NOT title EQUAL 0)
    fail("README.txt does not open with the product name and version ${VERSION}")
  endif()
  if(text MATCHES "@[A-Za-z_]+@")
    fail("README.txt has an unfilled placeholder ${CMAKE_MATCH_0}")
  endif()
  # file(READ) drops carriage returns, so the line ends are checked byte by byte.
  file(READ "${file}" bytes HEX)
  string(REGEX REPLACE "(..)" " \\1" bytes "${bytes}")
  string(REPLACE " 0d 0a" "" bare "${bytes}")
  if(bytes STREQUAL bare OR bare MATCHES " 0[ad]")
    fail("README.txt does not end its lines with CR LF only")
  endif()
endif()

if(failures)
  list(JOIN failures "\n  " report)
  message(FATAL_ERROR "package ${ZIP}:\n  ${report}")
endif()
file(REMOVE_RECURSE "${WORK}")
message(STATUS "package ${ZIP}: ${TOP} with ${entries}")
