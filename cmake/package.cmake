# The portable Windows package: Hivewarden-<version>-win64.zip (-win32 for x86 builds) in the
# build folder, built with ALL by `cmake -E tar` alone. One top folder holds both programs, the
# trojan definitions and README.txt. Included by Windows builds only; needs nothing beyond CMake.
if(NOT TARGET HivewardenGui OR NOT TARGET hivewarden)
  message(WARNING "No Windows package: HivewardenGui or hivewarden is not built here")
  return()
endif()

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(HW_PACKAGE_ARCH win64)
  set(HW_PACKAGE_SYSTEM "64-bit Windows")
  set(HW_PACKAGE_MACHINE 8664)  # the PE header's machine type, for the package test
else()
  set(HW_PACKAGE_ARCH win32)
  set(HW_PACKAGE_SYSTEM "32-bit Windows")
  set(HW_PACKAGE_MACHINE 014c)
endif()
set(HW_PACKAGE_NAME ${PROJECT_NAME}-${PROJECT_VERSION}-${HW_PACKAGE_ARCH})
set(HW_PACKAGE_ZIP ${CMAKE_BINARY_DIR}/${HW_PACKAGE_NAME}.zip)
set(HW_PACKAGE_STAGE ${CMAKE_BINARY_DIR}/package)
set(HW_PACKAGE_ROOT ${HW_PACKAGE_STAGE}/${HW_PACKAGE_NAME})
set(HW_PACKAGE_DATA ${CMAKE_SOURCE_DIR}/data/TrojanDef.ini ${CMAKE_SOURCE_DIR}/data/TrojanLock.ini)

# Windows readers expect CR LF in a .txt file.
configure_file(${CMAKE_SOURCE_DIR}/packaging/README.txt.in ${CMAKE_BINARY_DIR}/packaging/README.txt
               @ONLY NEWLINE_STYLE CRLF)
file(MAKE_DIRECTORY ${HW_PACKAGE_STAGE})

# The folder is staged afresh each time, so nothing left over from an earlier build gets in.
# The programs are stripped of their symbol tables there; the build's own copies keep them.
set(HW_PACKAGE_STRIP "")
if(CMAKE_STRIP)
  set(HW_PACKAGE_STRIP COMMAND ${CMAKE_STRIP} --strip-all ${HW_PACKAGE_ROOT}/HivewardenGui.exe
                               ${HW_PACKAGE_ROOT}/hivewarden.exe)
endif()
add_custom_command(OUTPUT ${HW_PACKAGE_ZIP}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${HW_PACKAGE_ROOT} ${HW_PACKAGE_ZIP}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${HW_PACKAGE_ROOT}
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:HivewardenGui> $<TARGET_FILE:hivewarden>
          ${HW_PACKAGE_DATA} ${CMAKE_BINARY_DIR}/packaging/README.txt ${HW_PACKAGE_ROOT}
  ${HW_PACKAGE_STRIP}
  COMMAND ${CMAKE_COMMAND} -E tar cf ${HW_PACKAGE_ZIP} --format=zip ${HW_PACKAGE_NAME}
  WORKING_DIRECTORY ${HW_PACKAGE_STAGE}
  DEPENDS HivewardenGui hivewarden ${HW_PACKAGE_DATA} ${CMAKE_BINARY_DIR}/packaging/README.txt
  COMMENT "Packing ${HW_PACKAGE_NAME}.zip"
  VERBATIM)
add_custom_target(hw_package ALL DEPENDS ${HW_PACKAGE_ZIP})

if(HW_BUILD_TESTS)
  add_test(NAME package_zip
    COMMAND ${CMAKE_COMMAND} -DZIP=${HW_PACKAGE_ZIP} -DTOP=${HW_PACKAGE_NAME}
      -DVERSION=${PROJECT_VERSION} -DMACHINE=${HW_PACKAGE_MACHINE}
      -DDATA=${CMAKE_SOURCE_DIR}/data -DWORK=${CMAKE_BINARY_DIR}/package-check
      -P ${CMAKE_SOURCE_DIR}/tests/package/check_package.cmake)
  set_tests_properties(package_zip PROPERTIES TIMEOUT 120)
endif()

include(${CMAKE_SOURCE_DIR}/packaging/msi.cmake)  # the MSI package, built from the same staged files
