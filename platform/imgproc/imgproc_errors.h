// Exceptions of the image-processing library.
#pragma once

#include "core/base/exception.h"
#include "imgproc/export.h"

#include <string>

// Error numbers: BadParams 0x10000601, BadImage 0x10000602.
struct xcImgProcDefs {
    // A parameter outside the range an operation accepts.
    class XIMGPROC_API BadParams : public xcExceptionWithString {
    public:
        explicit BadParams(const std::string& message = "") : xcExceptionWithString(message) {}
        ~BadParams() override;
        // Archive: version byte 0, then the xcExceptionWithString part.
        void dispatchSerialize(xcArchive& ar) override;
        XC_EXCEPTION_CONCRETE(BadParams, 0x10000601)
    };
    // An image or mask that an operation cannot use: unbound, empty, or of the wrong size.
    class XIMGPROC_API BadImage : public xcExceptionWithString {
    public:
        explicit BadImage(const std::string& message = "") : xcExceptionWithString(message) {}
        ~BadImage() override;
        // Archive: version byte 0, then the xcExceptionWithString part.
        void dispatchSerialize(xcArchive& ar) override;
        XC_EXCEPTION_CONCRETE(BadImage, 0x10000602)
    };
};
