# The Windows Installer package: Hivewarden-<version>-win64.msi (-win32.msi for x86 builds) in
# the build folder, built with ALL by wixl (msitools) from packaging/hivewarden.wxs out of the
# zip's staged, stripped programs. Included by cmake/package.cmake; skipped without wixl.
find_program(HW_WIXL wixl)
if(NOT HW_WIXL)
  message(STATUS "No wixl (Debian package wixl): the MSI package is not built")
  return()
endif()

# Each architecture is a product of its own with a fixed upgrade code: a newer package of the
# same architecture replaces the older one, and either package replaces the other's product.
set(HW_MSI_UPGRADE_WIN64 11539076-8527-4D2B-9A62-455379DF975C)
set(HW_MSI_UPGRADE_WIN32 A25A3952-4DE3-4DF2-AF37-2EC010795091)
if(HW_PACKAGE_ARCH STREQUAL "win64")
  set(HW_MSI_ARGS -a x64 -D Win64=yes -D ProgramFiles=ProgramFiles64Folder
      -D SystemTools=[System64Folder]
      -D UpgradeCode=${HW_MSI_UPGRADE_WIN64} -D OtherUpgrade=${HW_MSI_UPGRADE_WIN32})
  set(HW_MSI_UPGRADE ${HW_MSI_UPGRADE_WIN64})
else()
  set(HW_MSI_ARGS -a x86 -D Win64=no -D ProgramFiles=ProgramFilesFolder
      -D SystemTools=[SystemFolder]
      -D UpgradeCode=${HW_MSI_UPGRADE_WIN32} -D OtherUpgrade=${HW_MSI_UPGRADE_WIN64})
  set(HW_MSI_UPGRADE ${HW_MSI_UPGRADE_WIN32})
endif()
# A component's code must stay the same from version to version and differ between the two
# architectures (they install to different folders): derived from the upgrade code and the name.
foreach(component Gui Cli TrojanDef TrojanLock)
  string(UUID guid NAMESPACE ${HW_MSI_UPGRADE} NAME ${component} TYPE SHA1 UPPER)
  list(APPEND HW_MSI_ARGS -D Guid${component}=${guid})
endforeach()

set(HW_MSI ${CMAKE_BINARY_DIR}/${HW_PACKAGE_NAME}.msi)
set(HW_MSI_SOURCE ${CMAKE_SOURCE_DIR}/packaging/hivewarden.wxs)
# wixl (0.101) finds source files only relative to the folder it runs in.
add_custom_command(OUTPUT ${HW_MSI}
  COMMAND ${HW_WIXL} -o ${HW_MSI} ${HW_MSI_ARGS} -D Version=${PROJECT_VERSION}
          -D GuiExe=HivewardenGui.exe -D CliExe=hivewarden.exe
          -D TrojanDef=TrojanDef.ini -D TrojanLock=TrojanLock.ini ${HW_MSI_SOURCE}
  WORKING_DIRECTORY ${HW_PACKAGE_ROOT}
  DEPENDS ${HW_PACKAGE_ZIP} ${HW_MSI_SOURCE} ${CMAKE_CURRENT_LIST_FILE}
  COMMENT "Building ${HW_PACKAGE_NAME}.msi"
  VERBATIM)
add_custom_target(hw_msi ALL DEPENDS ${HW_MSI})

# Installs and uninstalls the package under Wine in a prefix of its own (the x86 one under
# WoW64, so it needs the same 32-bit loader as the other x86 tests).
if(HW_BUILD_TESTS AND HW_CAN_RUN_TESTS AND CMAKE_CROSSCOMPILING)
  add_test(NAME msi_round_trip
    COMMAND ${CMAKE_SOURCE_DIR}/tests/package/msi_round_trip.sh --msi ${HW_MSI}
      --arch ${HW_PACKAGE_ARCH} --version ${PROJECT_VERSION} --data ${CMAKE_SOURCE_DIR}/data
      --work ${CMAKE_BINARY_DIR}/msi-check)
  set_tests_properties(msi_round_trip PROPERTIES TIMEOUT 240 FAIL_REGULAR_EXPRESSION "not ok - ")
endif()
