// Exceptions of the pel buffers, the pel operations and the affine sampler.
#pragma once

#include "core/base/exception.h"
#include "core/export.h"

#include <string>

// Error numbers: UnboundWindow 0x10000301, BadWindow 0x10000302, SizeMismatch 0x10000303,
// BadParams 0x10000304.
struct xcPel {
    // A window, size or pel was asked of a buffer that holds no pels.
    class XCORE_API UnboundWindow : public xcExceptionWithString {
    public:
        explicit UnboundWindow(const std::string& message = "") : xcExceptionWithString(message) {}
        ~UnboundWindow() override;
        // Archive: version byte 0, then the xcExceptionWithString part.
        void dispatchSerialize(xcArchive& ar) override;
        XC_EXCEPTION_CONCRETE(UnboundWindow, 0x10000301)
    };
    // A window that does not lie where it must (outside the current window), a negative or too
    // large size, or a position out of range.
    class XCORE_API BadWindow : public xcExceptionWithString {
    public:
        explicit BadWindow(const std::string& message = "") : xcExceptionWithString(message) {}
        ~BadWindow() override;
        // Archive: version byte 0, then the xcExceptionWithString part.
        void dispatchSerialize(xcArchive& ar) override;
        XC_EXCEPTION_CONCRETE(BadWindow, 0x10000302)
    };
    // Two buffers that an operation pairs pel by pel differ in width or height.
    class XCORE_API SizeMismatch : public xcExceptionWithString {
    public:
        explicit SizeMismatch(const std::string& message = "") : xcExceptionWithString(message) {}
        ~SizeMismatch() override;
        // Archive: version byte 0, then the xcExceptionWithString part.
        void dispatchSerialize(xcArchive& ar) override;
        XC_EXCEPTION_CONCRETE(SizeMismatch, 0x10000303)
    };
    // A parameter outside the range an operation accepts (row alignment, sample counts,
    // sampling rectangle, interpolation mode, missing table).
    class XCORE_API BadParams : public xcExceptionWithString {
    public:
        explicit BadParams(const std::string& message = "") : xcExceptionWithString(message) {}
        ~BadParams() override;
        // Archive: version byte 0, then the xcExceptionWithString part.
        void dispatchSerialize(xcArchive& ar) override;
        XC_EXCEPTION_CONCRETE(BadParams, 0x10000304)
    };
};
