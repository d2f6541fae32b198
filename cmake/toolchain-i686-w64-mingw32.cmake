# The 32-bit plug-in that widget hosts load.
set(TIDEGLASS_WINDOWS_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw.cmake)
