# Finds libspng (Debian libspng-dev) and defines the imported target Spng::spng.
find_path(SPNG_INCLUDE_DIR spng.h)
find_library(SPNG_LIBRARY NAMES spng)
include(FindPackageHandleStandardArgs)
find_package_handle_standard_args(Spng REQUIRED_VARS SPNG_LIBRARY SPNG_INCLUDE_DIR)
if(Spng_FOUND AND NOT TARGET Spng::spng)
    add_library(Spng::spng UNKNOWN IMPORTED)
    set_target_properties(Spng::spng PROPERTIES IMPORTED_LOCATION ${SPNG_LIBRARY}
                                                INTERFACE_INCLUDE_DIRECTORIES ${SPNG_INCLUDE_DIR})
endif()
mark_as_advanced(SPNG_INCLUDE_DIR SPNG_LIBRARY)
