# Native build: the portable core, the fakes and the unit tests.
find_package(GTest REQUIRED)
include(GoogleTest)

file(GLOB TIDEGLASS_FAKE_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/fakes/*.cpp)
file(GLOB_RECURSE TIDEGLASS_UNIT_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/unit/*.cpp)

add_library(tideglass_fakes STATIC ${TIDEGLASS_FAKE_SOURCES})
target_include_directories(tideglass_fakes PUBLIC ${PROJECT_SOURCE_DIR}/tests)
target_link_libraries(tideglass_fakes PUBLIC tideglass_core)

add_executable(unit_tests ${TIDEGLASS_UNIT_SOURCES})
target_link_libraries(unit_tests PRIVATE tideglass_fakes GTest::gtest GTest::gtest_main)
gtest_discover_tests(unit_tests DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 120)

file(GLOB TIDEGLASS_NATIVE_BENCH_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/bench/native_*.cpp)
foreach(src ${TIDEGLASS_NATIVE_BENCH_SOURCES})
    get_filename_component(name ${src} NAME_WE)
    add_executable(${name} ${src})
    target_link_libraries(${name} PRIVATE tideglass_fakes)
endforeach()

if(TIDEGLASS_FUZZ)
    # Coverage feedback from the code under test, not only from the fuzz targets themselves.
    target_compile_options(tideglass_core PRIVATE -fsanitize=fuzzer-no-link)
    file(GLOB TIDEGLASS_FUZZ_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/fuzz/*.cpp)
    foreach(src ${TIDEGLASS_FUZZ_SOURCES})
        get_filename_component(name ${src} NAME_WE)
        add_executable(${name} ${src})
        target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
        target_link_options(${name} PRIVATE -fsanitize=fuzzer)
        target_link_libraries(${name} PRIVATE tideglass_core)
    endforeach()
endif()
