# Cross-builds a native 64-bit Windows program on Debian with mingw-w64. The posix thread
# model gives std::thread, std::mutex and std::atomic waits as on Linux.
#
# MIRVA_WINDOWS_DEPS: the install prefixes of the cross-built freeglut, OpenAL Soft and
# FreeType (a CMake list, as scripts/windows-deps.sh prints it).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(MIRVA_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${MIRVA_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MIRVA_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${MIRVA_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${MIRVA_MINGW_TRIPLE} ${MIRVA_WINDOWS_DEPS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# pkg-config, where a find module asks it, sees the Windows libraries, never the build
# machine's own.
set(mirva_pkg_config_dirs "")
foreach(prefix IN LISTS MIRVA_WINDOWS_DEPS)
    list(APPEND mirva_pkg_config_dirs ${prefix}/lib/pkgconfig)
endforeach()
string(REPLACE ";" ":" mirva_pkg_config_dirs "${mirva_pkg_config_dirs}")
set(ENV{PKG_CONFIG_LIBDIR} "${mirva_pkg_config_dirs}")
set(ENV{PKG_CONFIG_PATH} "")

# libgcc, libstdc++ and winpthread go into every executable and DLL, so that they import
# only Windows' own DLLs and each other.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
set(CMAKE_SHARED_LINKER_FLAGS_INIT -static)
set(CMAKE_MODULE_LINKER_FLAGS_INIT -static)

# Test programs run under Wine (its 64-bit loader; the "wine" wrapper picks it too).
find_program(MIRVA_WINE64 NAMES wine64 PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(MIRVA_WINE64)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${MIRVA_WINE64})
endif()
