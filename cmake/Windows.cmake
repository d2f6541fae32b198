# Cross build: the Win32 adapters, tideglass.dll, Tideglass Host and the Windows tests that
# ctest runs under Wine.
enable_language(RC)

set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)

# Only system DLLs at run time: the C++ runtime is linked in.
set(TIDEGLASS_STATIC_RUNTIME -static-libgcc -static-libstdc++ -static)
add_compile_definitions(NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)

file(GLOB TIDEGLASS_WIN32_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/platform/win32/*.cpp)
add_library(tideglass_win32 STATIC ${TIDEGLASS_WIN32_SOURCES})
target_link_libraries(tideglass_win32 PUBLIC tideglass_core gdiplus comctl32 comdlg32 gdi32 user32 kernel32)

# The module definition names the i686 stdcall symbols (OnCreate@16); x86_64 has one calling
# convention and no decoration, so there the exports are named as they are.
set(TIDEGLASS_DEF ${PROJECT_SOURCE_DIR}/src/platform/win32/dll/tideglass.def)
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    file(READ ${TIDEGLASS_DEF} def)
    string(REGEX REPLACE " = [A-Za-z]+@[0-9]+" "" def "${def}")
    set(TIDEGLASS_DEF ${CMAKE_BINARY_DIR}/tideglass.def)
    file(WRITE ${TIDEGLASS_DEF} "${def}")
endif()
file(GLOB TIDEGLASS_DLL_SOURCES CONFIGURE_DEPENDS
    ${PROJECT_SOURCE_DIR}/src/platform/win32/dll/*.cpp
    ${PROJECT_SOURCE_DIR}/src/pages/*.rc)
add_library(tideglass SHARED ${TIDEGLASS_DLL_SOURCES} ${TIDEGLASS_DEF})
set_target_properties(tideglass PROPERTIES PREFIX "" OUTPUT_NAME tideglass)
target_link_libraries(tideglass PRIVATE tideglass_win32)
target_link_options(tideglass PRIVATE ${TIDEGLASS_STATIC_RUNTIME})

# GoogleTest built from Debian's source package with this toolchain.
set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# Windows GUI executables (a console program would already own a console under Wine) that export
# the host's Desklet functions under their plain names.
function(tideglass_windows_program target)
    target_link_options(${target} PRIVATE ${TIDEGLASS_STATIC_RUNTIME} -mwindows -Wl,--kill-at)
    add_dependencies(${target} tideglass)
endfunction()

file(GLOB TIDEGLASS_HOST_SUPPORT CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/host/support/*.cpp)
add_library(tideglass_host_support OBJECT ${TIDEGLASS_HOST_SUPPORT})
target_include_directories(tideglass_host_support PUBLIC ${PROJECT_SOURCE_DIR}/host ${PROJECT_SOURCE_DIR}/src)

# Tideglass Host: the widget on a desktop of its own (the plug-in beside it), with a scripted
# mode for the demo and the tests.
file(GLOB TIDEGLASS_HOST_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/host/*.cpp)
add_executable(tideglass_host ${TIDEGLASS_HOST_SOURCES})
set_target_properties(tideglass_host PROPERTIES OUTPUT_NAME tideglass-host)
target_link_libraries(tideglass_host PRIVATE tideglass_host_support gdiplus comctl32 shell32 gdi32 user32)
tideglass_windows_program(tideglass_host)

# End-to-end tests: one GoogleTest executable per tests/e2e/e2e_*.cpp, each its own process
# (a process holds at most one console).
file(GLOB TIDEGLASS_E2E_SUPPORT CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/e2e/support/*.cpp)
list(REMOVE_ITEM TIDEGLASS_E2E_SUPPORT ${PROJECT_SOURCE_DIR}/tests/e2e/support/e2e_main.cpp)
add_library(tideglass_e2e_support OBJECT ${TIDEGLASS_E2E_SUPPORT})
target_include_directories(tideglass_e2e_support PUBLIC ${PROJECT_SOURCE_DIR}/tests ${PROJECT_SOURCE_DIR}/tests/e2e ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/host)
target_link_libraries(tideglass_e2e_support PUBLIC gtest)
add_library(tideglass_e2e_main OBJECT ${PROJECT_SOURCE_DIR}/tests/e2e/support/e2e_main.cpp)
target_include_directories(tideglass_e2e_main PRIVATE ${PROJECT_SOURCE_DIR}/host)
target_link_libraries(tideglass_e2e_main PUBLIC gtest)

file(GLOB TIDEGLASS_E2E_TESTS CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/e2e/e2e_*.cpp)
foreach(src ${TIDEGLASS_E2E_TESTS})
    get_filename_component(name ${src} NAME_WE)
    add_executable(${name} ${src})
    target_link_libraries(${name} PRIVATE tideglass_e2e_main tideglass_e2e_support tideglass_host_support
        tideglass_win32 gtest gdiplus comctl32 comdlg32 gdi32 user32)
    tideglass_windows_program(${name})
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES TIMEOUT 300)
endforeach()
# The host's own test starts tideglass-host.exe as a program of its own.
add_dependencies(e2e_host_app tideglass_host)

# A host without DeskletAddPropertySheet: its own few exports in place of the host support's,
# so neither that library nor the e2e support (which calls into it) is linked.
add_executable(e2e_bare_host
    ${PROJECT_SOURCE_DIR}/tests/e2e/bare_host/e2e_bare_host.cpp
    ${PROJECT_SOURCE_DIR}/tests/e2e/bare_host/bare_host_functions.cpp
    ${PROJECT_SOURCE_DIR}/host/support/plugin_library.cpp
    ${PROJECT_SOURCE_DIR}/host/support/message_boxes.cpp)
target_include_directories(e2e_bare_host PRIVATE ${PROJECT_SOURCE_DIR}/host)
target_link_libraries(e2e_bare_host PRIVATE tideglass_e2e_main gtest gdiplus comctl32 gdi32 user32)
tideglass_windows_program(e2e_bare_host)
add_test(NAME e2e_bare_host COMMAND e2e_bare_host)
set_tests_properties(e2e_bare_host PROPERTIES TIMEOUT 300)

file(GLOB TIDEGLASS_WIN_BENCH_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/bench/win_*.cpp)
foreach(src ${TIDEGLASS_WIN_BENCH_SOURCES})
    get_filename_component(name ${src} NAME_WE)
    add_executable(${name} ${src})
    target_link_libraries(${name} PRIVATE tideglass_e2e_support tideglass_host_support tideglass_win32 gtest
        gdiplus comctl32 comdlg32 gdi32 user32)
    tideglass_windows_program(${name})
endforeach()

# The DLL's surface: the architecture's image format, six undecorated exports, system DLLs only.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(TIDEGLASS_IMAGE_FORMAT pei-x86-64)
else()
    set(TIDEGLASS_IMAGE_FORMAT pei-i386)
endif()
add_test(NAME dll_exports_and_imports
    COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${TOOLCHAIN_PREFIX}-objdump -DDLL=$<TARGET_FILE:tideglass>
            -DFORMAT=${TIDEGLASS_IMAGE_FORMAT} -P ${PROJECT_SOURCE_DIR}/cmake/CheckDll.cmake)
