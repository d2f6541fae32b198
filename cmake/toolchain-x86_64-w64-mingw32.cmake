# The same sources for 64-bit Windows: the DLL and Tideglass Host.
set(TIDEGLASS_WINDOWS_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw.cmake)
