# GTestFromSource.cmake: GoogleTest and GoogleMock built from Debian's sources,
# for a target (i386) that the packaged 64-bit libraries cannot serve.
set(QV_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources to build for this target")
if(NOT EXISTS ${QV_GTEST_SOURCE_DIR}/CMakeLists.txt)
    message(FATAL_ERROR "No GoogleTest sources in ${QV_GTEST_SOURCE_DIR} (Debian package googletest)")
endif()

set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
add_subdirectory(${QV_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)

# Recent GoogleTest names its targets GTest:: itself; older ones do not.
foreach(lib gtest gtest_main gmock gmock_main)
    if(NOT TARGET GTest::${lib})
        add_library(GTest::${lib} ALIAS ${lib})
    endif()
endforeach()

# Every find_package(GTest) in the tree then lands on the targets above:
# FindGTest tries a config package first and takes it as found.
set(QV_GTEST_CONFIG_DIR ${CMAKE_BINARY_DIR}/gtest-from-source)
file(WRITE ${QV_GTEST_CONFIG_DIR}/GTestConfig.cmake
    "# Generated: GoogleTest targets built in this tree.\nset(GTest_FOUND TRUE)\n")
set(GTest_DIR ${QV_GTEST_CONFIG_DIR} CACHE PATH "GoogleTest built from source" FORCE)
