// The OC library's exception classes, their error numbers, and the mark polarity.
#pragma once

#include "core/base/exception.h"
#include "core/persist/instantiator.h"
#include "foundation/export.h"

#include <string>

class xcArchive;

// Declares a concrete OC exception class: its constructor, copy operations, error number,
// suicideAndRethrow, archive operations and its load-time factory registration (sExemplar).
#define XC_OC_EXCEPTION_CLASS(Class, Base)                                                         \
    class OC_API Class : public Base {                                                             \
    public:                                                                                        \
        explicit Class(const std::string& message = "");                                           \
        Class(const Class& other);                                                                 \
        Class& operator=(const Class& other);                                                      \
        ~Class() override;                                                                         \
        long errorNumber() const override;                                                         \
        [[noreturn]] void suicideAndRethrow() override;                                            \
                                                                                                   \
    protected:                                                                                     \
        void dispatchSerialize(xcArchive& ar) override;                                            \
        void serialize_(xcArchive& ar, unsigned char version);                                     \
                                                                                                   \
    private:                                                                                       \
        static xcPersistent* make();                                                               \
        static xc_Instantiator sExemplar;                                                          \
    }

struct xcOCDefs {
    // How marks differ from their background (bit values; no other value is valid).
    enum Polarity : unsigned int {
        eDarkOnLight = 1,    // mark pels are below the threshold
        eLightOnDark = 2,    // mark pels are at or above the threshold
        eUnknownPolarity = 4 // determined from the image where needed
    };

    // Base of every OC exception; the message is the base's string.
    class OC_API Errors : public xcExceptionWithString {
    public:
        ~Errors() override;
        long errorNumber() const override = 0;
        void suicideAndRethrow() override = 0;

    protected:
        explicit Errors(const std::string& message);
        void dispatchSerialize(xcArchive& ar) override;
        Errors(const Errors&) = default;
        Errors& operator=(const Errors&) = default;
        void serialize_(xcArchive& ar, unsigned char version);
    };

    // Error numbers (errorNumber()); 0x10005E07, 0x10005E08 and 0x10005E0C belong to no class.
    XC_OC_EXCEPTION_CLASS(BadParams, Errors);                      // 0x10005E00
    XC_OC_EXCEPTION_CLASS(BadImage, Errors);                       // 0x10005E01
    XC_OC_EXCEPTION_CLASS(NotImplemented, Errors);                 // 0x10005E02
    XC_OC_EXCEPTION_CLASS(SameKey, Errors);                        // 0x10005E03
    XC_OC_EXCEPTION_CLASS(BadKey, Errors);                         // 0x10005E04
    XC_OC_EXCEPTION_CLASS(BadIndex, Errors);                       // 0x10005E05
    XC_OC_EXCEPTION_CLASS(NotCompiled, Errors);                    // 0x10005E06
    XC_OC_EXCEPTION_CLASS(RectNotSpecified, Errors);               // 0x10005E09
    XC_OC_EXCEPTION_CLASS(MetricNotSpecified, Errors);             // 0x10005E0A
    XC_OC_EXCEPTION_CLASS(ThresholdAndInvertNotSpecified, Errors); // 0x10005E0B
    XC_OC_EXCEPTION_CLASS(IntegerOverflow, Errors);                // 0x10005E0D
    XC_OC_EXCEPTION_CLASS(UnrepresentableKey, Errors);             // 0x10005E0E
    XC_OC_EXCEPTION_CLASS(BadFileFormat, Errors);                  // 0x10005E0F
};
