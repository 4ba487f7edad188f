# `make windows-package`, the CPack settings of the Windows build in one place:
# zarneth-<version>-win64.zip with the two programs, the user's guide and LICENSE, and
# zarneth-<version>-win64.exe, an installer made with Debian's makensis from the project's
# own script (cmake/nsis/NSIS.template.in): both programs into Program Files\Zarneth, a Start
# menu link, an uninstaller in the system's list of programs, zarneth-cli.exe on the user's
# PATH when asked.
set(CPACK_GENERATOR ZIP NSIS)
list(APPEND CMAKE_MODULE_PATH ${PROJECT_SOURCE_DIR}/cmake/nsis)
set(CPACK_PACKAGE_FILE_NAME zarneth-${PROJECT_VERSION}-win64)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/cpack_generators.cmake)
set(CPACK_PACKAGE_INSTALL_DIRECTORY Zarneth)
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_DISPLAY_NAME Zarneth)
set(CPACK_NSIS_PACKAGE_NAME Zarneth)
set(CPACK_NSIS_INSTALLED_ICON_NAME zarneth.exe)
set(pictures ${PROJECT_SOURCE_DIR}/resources/pictures)
set(CPACK_NSIS_MUI_ICON ${pictures}/icon_128.ico)
set(CPACK_NSIS_MUI_UNIICON ${pictures}/icon_128.ico)
set(CPACK_NSIS_MUI_WELCOMEFINISHPAGE_BITMAP ${pictures}/installer_side.bmp)
set(CPACK_NSIS_MUI_HEADERIMAGE ${pictures}/installer_header.bmp)
include(resources/version_record.cmake)
set(CPACK_ZARNETH_COPYRIGHT ${ZARNETH_LEGAL_COPYRIGHT})
# The user's guide, not the developers' README, and the licence, with the line ends
# Notepad and every Windows editor expect.
foreach(document resources/windows/README.txt LICENSE)
  get_filename_component(name ${document} NAME)
  file(READ ${document} text)
  string(REPLACE "\n" "\r\n" text "${text}")
  file(WRITE ${PROJECT_BINARY_DIR}/windows_documents/${name} "${text}")
  install(FILES ${PROJECT_BINARY_DIR}/windows_documents/${name} DESTINATION .)
endforeach()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS resources/windows/README.txt
                                                               LICENSE)
# The programs in the zip and the installer without their symbol tables (half their size).
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_NAME zarneth)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Zarneth developers")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
include(CPack)
