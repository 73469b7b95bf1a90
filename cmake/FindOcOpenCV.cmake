# Finds OpenCV's core and imgproc libraries and headers. Debian's -dev packages for single
# modules ship no CMake package configuration, so the imported targets are made here.
find_path(OC_OPENCV_INCLUDE_DIR opencv2/core.hpp PATH_SUFFIXES opencv4 REQUIRED)
foreach(module core imgproc)
    find_library(OC_OPENCV_${module}_LIBRARY NAMES opencv_${module} REQUIRED)
    if(NOT TARGET opencv_${module})
        add_library(opencv_${module} UNKNOWN IMPORTED)
        set_target_properties(opencv_${module} PROPERTIES
            IMPORTED_LOCATION ${OC_OPENCV_${module}_LIBRARY}
            INTERFACE_INCLUDE_DIRECTORIES ${OC_OPENCV_INCLUDE_DIR})
    endif()
endforeach()
set_property(TARGET opencv_imgproc APPEND PROPERTY INTERFACE_LINK_LIBRARIES opencv_core)
