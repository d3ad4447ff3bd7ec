# The Windows installer (NSIS) and portable archive (ZIP): `cpack` in build/windows, which
# scripts/build-windows.sh runs. Both hold the executable and the DLLs it loads, side by side.

# The icon and the version as resources of the executable; Windows wants four numbers.
enable_language(RC)
string(REPLACE "." "," version_numbers "${MIRVA_VERSION}")
string(REGEX MATCHALL "," version_commas "${version_numbers}")
list(LENGTH version_commas comma_count)
foreach(i RANGE ${comma_count} 2)
    string(APPEND version_numbers ",0")
endforeach()
set(MIRVA_VERSION_NUMBERS ${version_numbers})
set(MIRVA_ICON_FILE ${CMAKE_CURRENT_SOURCE_DIR}/windows/mirvalentopraxius.ico)
configure_file(windows/mirvalentopraxius.rc.in mirvalentopraxius.rc @ONLY)
target_sources(mirvalentopraxius PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/mirvalentopraxius.rc)

install(TARGETS mirvalentopraxius RUNTIME DESTINATION .)
install(FILES $<TARGET_FILE:FreeGLUT::freeglut> $<TARGET_FILE:OpenAL::OpenAL> DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/README.md copyright DESTINATION .)

set(CPACK_GENERATOR NSIS ZIP)
set(CPACK_PACKAGE_NAME mirvalentopraxius)
set(CPACK_PACKAGE_VENDOR "MIRVALENTOPRAXIUS maintainers")
set(CPACK_PACKAGE_VERSION ${MIRVA_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Menu-driven welding calculator for shop use")
set(CPACK_PACKAGE_FILE_NAME mirvalentopraxius-${MIRVA_VERSION}-win64)
set(CPACK_PACKAGE_INSTALL_DIRECTORY MIRVALENTOPRAXIUS)
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_CURRENT_SOURCE_DIR}/copyright)
set(CPACK_STRIP_FILES ON)

# A 64-bit installer (NSIS makes 32-bit ones unless told): it runs where the program runs,
# and writes to the 64-bit registry and Program Files.
set(CPACK_NSIS_DEFINES "Target amd64-unicode")
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_PACKAGE_NAME MIRVALENTOPRAXIUS)
set(CPACK_NSIS_DISPLAY_NAME "MIRVALENTOPRAXIUS ${MIRVA_VERSION}")
set(CPACK_NSIS_MUI_ICON ${MIRVA_ICON_FILE})
set(CPACK_NSIS_MUI_UNIICON ${MIRVA_ICON_FILE})
set(CPACK_NSIS_INSTALLED_ICON_NAME mirvalentopraxius.exe)
# The Start-menu entry starts the calculator so that a machine without sound output still
# gets it, silent, with one message saying why.
set(CPACK_NSIS_CREATE_ICONS_EXTRA
    "CreateShortCut '$SMPROGRAMS\\\\$STARTMENU_FOLDER\\\\MIRVALENTOPRAXIUS.lnk' \
'$INSTDIR\\\\mirvalentopraxius.exe' '--silent-if-no-sound' '$INSTDIR\\\\mirvalentopraxius.exe' 0")
set(CPACK_NSIS_DELETE_ICONS_EXTRA
    "Delete '$SMPROGRAMS\\\\$MUI_TEMP\\\\MIRVALENTOPRAXIUS.lnk'")
include(CPack)
