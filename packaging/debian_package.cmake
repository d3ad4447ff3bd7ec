# The Debian package: `cpack -G DEB` in a Release build folder.

set(CPACK_PACKAGE_VERSION ${MIRVA_VERSION})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME mirvalentopraxius)
set(CPACK_PACKAGE_CONTACT
    "Seed deaf99f3 maintainers <maintainers@users.noreply.c-seed-deaf99f3.example>")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "menu-driven welding calculator for shop use")
set(CPACK_PACKAGE_DESCRIPTION
    "A welder picks one of thirteen menu entries and answers typed prompts:
carbon equivalent of a steel by two formulas; area and weight of weld metal
for seven joint types, each with a sketch; heat input and the slowest travel
speed under a limit; a cost comparison of two welding procedures with a
printed copy; and a graphic simulation of the ultrasonic inspection of a
groove weld.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Dependencies are the packages of the shared libraries the executable links.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# libcups is loaded when the first page is printed, where shlibdeps cannot see it.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libcups2")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
