// Exceptions of the geometry classes (error numbers 0x10000101, 0x10000102).
#pragma once

#include "core/base/exception.h"
#include "core/export.h"

struct xcGeomDefs {
    // A transform or matrix that must be inverted is singular (or not finite).
    class XCORE_API Singular : public xcExceptionWithString {
    public:
        explicit Singular(const std::string& message = "") : xcExceptionWithString(message) {}
        ~Singular() override;
        void dispatchSerialize(xcArchive& ar) override;
        XC_EXCEPTION_CONCRETE(Singular, 0x10000101)
    };
    // A geometric argument is invalid (degenerate rectangle, empty point set, NaN, ...).
    class XCORE_API BadParams : public xcExceptionWithString {
    public:
        explicit BadParams(const std::string& message = "") : xcExceptionWithString(message) {}
        ~BadParams() override;
        void dispatchSerialize(xcArchive& ar) override;
        XC_EXCEPTION_CONCRETE(BadParams, 0x10000102)
    };
};
