// Exceptions of the core library's own base services: handles, failure codes and arguments.
#pragma once

#include "core/base/error_class.h"
#include "core/export.h"

#include <string>

// Error numbers of the core library (each class returns its own from errorNumber()):
//   0x10000000  xcException, xcExceptionWithString (no more specific class)
//   0x10000001  xcBadPointer
//   0x10000002  xcFailureCode
//   0x10000003  xcBadParams
//   0x10000011 .. 0x10000015  xcArchive's exceptions (core/persist/archive.h)
//   0x10000101 ..  geometry, 0x10000201 ..  time limits and threads

// A null handle or pointer was dereferenced.
class XCORE_API xcBadPointer : public xcExceptionWithString {
public:
    explicit xcBadPointer(const std::string& message = "Null pointer dereferenced")
        : xcExceptionWithString(message) {}
    // Archive: version byte 0, then the xcExceptionWithString part.
    XC_ERROR_MEMBERS(xcBadPointer, 0x10000001)
};

// A negative failure code that no registered converter turned into an exception of its own.
// code() is the code sign-extended from 32 bits; the message reads "Failure code 0x800013EE".
class XCORE_API xcFailureCode : public xcException {
public:
    explicit xcFailureCode(long code = 0);

    long code() const { return code_; }
    void message_(std::ostream& os) const override;

    // Archive: version byte 0, the code as a signed 32-bit long, then the xcException part.
    XC_ERROR_MEMBERS(xcFailureCode, 0x10000002)

private:
    long code_ = 0;
};

// An argument of a core service is not valid (the message says which and why).
XC_ERROR_CLASS(XCORE_API, xcBadParams, xcExceptionWithString, 0x10000003);
