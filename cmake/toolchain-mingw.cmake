# Cross build with mingw-w64; included by the per-architecture toolchain files, which set
# TIDEGLASS_WINDOWS_ARCH (i686 or x86_64). The posix thread model, because GoogleTest needs
# std::mutex, which the win32 model of this GCC lacks; winpthread is linked statically.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${TIDEGLASS_WINDOWS_ARCH})
set(TOOLCHAIN_PREFIX ${TIDEGLASS_WINDOWS_ARCH}-w64-mingw32)

set(CMAKE_C_COMPILER ${TOOLCHAIN_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TOOLCHAIN_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TOOLCHAIN_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TOOLCHAIN_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Windows programs built here run under the Wine of their architecture, through a wrapper that
# bounds every run in time.
if(TIDEGLASS_WINDOWS_ARCH STREQUAL "x86_64")
    set(TIDEGLASS_WINE_ARCH win64)
else()
    set(TIDEGLASS_WINE_ARCH win32)
endif()
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh ${TIDEGLASS_WINE_ARCH})
