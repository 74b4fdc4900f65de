# What the build without Qt takes from the build machine instead of packages for
# the target: GoogleTest built from Debian's sources, and the header-only
# CLI11 and nlohmann-json through a folder that holds only them (the build
# machine's /usr/include must not come before the target's own headers).
set(HRZ_HEADER_ONLY_DIR ${CMAKE_BINARY_DIR}/header-only)
file(MAKE_DIRECTORY ${HRZ_HEADER_ONLY_DIR})
foreach(dir CLI nlohmann)
    if(NOT EXISTS ${HRZ_HEADER_ONLY_DIR}/${dir})
        file(CREATE_LINK /usr/include/${dir} ${HRZ_HEADER_ONLY_DIR}/${dir} SYMBOLIC)
    endif()
endforeach()
add_library(hrz_header_only INTERFACE)
target_include_directories(hrz_header_only SYSTEM INTERFACE ${HRZ_HEADER_ONLY_DIR})
add_library(nlohmann_json::nlohmann_json ALIAS hrz_header_only)
link_libraries(hrz_header_only)

if(HRZ_BUILD_TESTS)
    set(HRZ_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest's sources")
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    add_subdirectory(${HRZ_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
    # GoogleTest's own build names its targets GTest::gtest, GTest::gmock ... too.
endif()
