// Failure codes of C-style libraries turned into exceptions, per facility.
#pragma once

#include "core/export.h"

// A failure code is a 32-bit value; it fails when negative. Its facility, which names the
// library that produced it, is (code & 0xFFFF) >> 5, in 0 .. 2047: 0x800013EC lies in
// facility 159.
//
// A converter receives the failure code sign-extended from 32 bits, so it is negative on every
// host; compare its low 32 bits: `static_cast<std::uint32_t>(code) == 0x800013ECu`. It throws
// the exception it chooses, or returns to let the core report the code as xcFailureCode.

// Returns when the code (taken as int32) is >= 0; otherwise calls the converter registered for
// the code's facility and, if there is none or it returns, throws xcFailureCode(code).
XCORE_API void xfThrowExceptionOnFailure(long code);

// Registers the converter of a facility (0 .. 2047, else xcBadParams), replacing an earlier
// one; null removes it. Meant for library load; safe against concurrent calls of
// xfThrowExceptionOnFailure.
XCORE_API void xfRegisterExceptionConverter(long facility, void (*converter)(long code));
