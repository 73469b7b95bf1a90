# oc_add_library(name EXPORT_MACRO_PREFIX) creates a shared library whose sources the folder's
# subdirectories add with target_sources; BUILDING_<PREFIX> switches its export macro to export.
function(oc_add_library name prefix)
    add_library(${name} SHARED)
    target_compile_definitions(${name} PRIVATE BUILDING_${prefix})
    set_target_properties(${name} PROPERTIES LINKER_LANGUAGE CXX)
endfunction()

# oc_add_test(name source... LIBS lib...) builds one gtest program and registers its tests.
function(oc_add_test name)
    cmake_parse_arguments(T "" "" "LIBS" ${ARGN})
    add_executable(${name} ${T_UNPARSED_ARGUMENTS})
    target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300)
endfunction()
