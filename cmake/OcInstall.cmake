# What `cmake --install` puts under the prefix: the public headers under one include root (kept
# at the paths the sources use, `core/...`, `oc/arrange/...`, `foundation/...`), the shared
# libraries, the CMake package `OC` (imported targets OC::oc, OC::xcore, ...) and `oc.pc`.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

# One folder of its own keeps generic names such as `core/` out of the shared include directory.
set(OC_INSTALL_INCLUDEDIR ${CMAKE_INSTALL_INCLUDEDIR}/oclib)
set(OC_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/OC)
# In link order: each library before the ones it stands on.
set(OC_INSTALLED_LIBRARIES oc xsubmodel xcorrsearch xalign xoccore ximgproc xdiag xcore)

foreach(lib ${OC_INSTALLED_LIBRARIES})
    target_include_directories(${lib} INTERFACE $<INSTALL_INTERFACE:${OC_INSTALL_INCLUDEDIR}>)
    # The 0.x releases promise no binary compatibility between minor versions. An installed
    # library finds the others beside it.
    set_target_properties(${lib} PROPERTIES
        VERSION ${PROJECT_VERSION}
        SOVERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}
        INSTALL_RPATH "$ORIGIN")
endforeach()

install(TARGETS ${OC_INSTALLED_LIBRARIES} EXPORT OCTargets
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/platform/ ${PROJECT_SOURCE_DIR}/oc
    ${PROJECT_SOURCE_DIR}/foundation
    DESTINATION ${OC_INSTALL_INCLUDEDIR} FILES_MATCHING PATTERN "*.h")
install(EXPORT OCTargets NAMESPACE OC:: DESTINATION ${OC_INSTALL_CMAKEDIR})

configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/OCConfig.cmake.in
    ${PROJECT_BINARY_DIR}/OCConfig.cmake INSTALL_DESTINATION ${OC_INSTALL_CMAKEDIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/OCConfigVersion.cmake
    VERSION ${PROJECT_VERSION} COMPATIBILITY SameMinorVersion)
install(FILES ${PROJECT_BINARY_DIR}/OCConfig.cmake ${PROJECT_BINARY_DIR}/OCConfigVersion.cmake
    DESTINATION ${OC_INSTALL_CMAKEDIR})

# The pkg-config file finds the prefix from its own place, so an installed tree can be moved.
file(RELATIVE_PATH OC_PC_PREFIX_FROM_PCDIR /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
string(REGEX REPLACE "/$" "" OC_PC_PREFIX_FROM_PCDIR "${OC_PC_PREFIX_FROM_PCDIR}")
list(TRANSFORM OC_INSTALLED_LIBRARIES PREPEND "-l" OUTPUT_VARIABLE _oc_pc_libs)
list(JOIN _oc_pc_libs " " OC_PC_LIBS)
configure_file(${CMAKE_CURRENT_LIST_DIR}/oc.pc.in ${PROJECT_BINARY_DIR}/oc.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/oc.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
