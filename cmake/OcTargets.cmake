# oc_add_library(name EXPORT_MACRO_PREFIX) creates a shared library whose sources the folder's
# subdirectories add with target_sources; BUILDING_<PREFIX> switches its export macro to export.
function(oc_add_library name prefix)
    add_library(${name} SHARED)
    target_compile_definitions(${name} PRIVATE BUILDING_${prefix})
    set_target_properties(${name} PROPERTIES LINKER_LANGUAGE CXX UNITY_BUILD ${OC_UNITY_BUILD})
endfunction()

# GCC 12 reports string copies inside libstdc++ as out of bounds or uninitialised in some
# inlined test bodies (false positives that depend on inlining); the tests leave these three out.
function(oc_test_warnings name)
    target_compile_options(${name} PRIVATE -Wno-array-bounds -Wno-stringop-overflow
                                           -Wno-maybe-uninitialized)
endfunction()

# The test programs share one precompiled GoogleTest and standard-library header: parsing them
# took about 2 s of every test file's compilation. A compiler that cannot use the precompiled
# header reads the headers themselves, so the tests mean the same either way.
function(oc_test_pch)
    if(TARGET oc_test_pch)
        return()
    endif()
    # An executable like the tests, so that it is compiled with their flags (-fPIE among them).
    file(WRITE ${CMAKE_BINARY_DIR}/oc_test_pch.cpp
         "// Owner of the tests' precompiled header.\nint main() { return 0; }\n")
    add_executable(oc_test_pch ${CMAKE_BINARY_DIR}/oc_test_pch.cpp)
    oc_test_warnings(oc_test_pch)
    target_link_libraries(oc_test_pch PRIVATE GTest::gtest)
    target_precompile_headers(oc_test_pch PRIVATE <gtest/gtest.h> <algorithm> <cmath> <memory>
                              <sstream> <string> <vector>)
endfunction()

# oc_add_test(name source... LIBS lib...) builds one gtest program and registers its tests.
function(oc_add_test name)
    cmake_parse_arguments(T "" "" "LIBS" ${ARGN})
    oc_test_pch()
    add_executable(${name} ${T_UNPARSED_ARGUMENTS})
    # Programs with C sources keep their own headers: the precompiled one is C++ only.
    list(FILTER T_UNPARSED_ARGUMENTS INCLUDE REGEX "\\.c$")
    if(NOT T_UNPARSED_ARGUMENTS)
        target_precompile_headers(${name} REUSE_FROM oc_test_pch)
    endif()
    oc_test_warnings(${name})
    target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300)
endfunction()
