// Worker threads: creation with an entry function and joining that hands back what the entry
// let out.
#pragma once

#include "core/base/error_class.h"
#include "core/export.h"

#include <string>

// Names one thread made by xfCreateThread until it is joined. The default value names none.
class XCORE_API xcThreadID {
public:
    constexpr xcThreadID() = default;
    constexpr explicit xcThreadID(unsigned long value) : value_(value) {}

    constexpr unsigned long value() const { return value_; }
    constexpr bool isValid() const { return value_ != 0; }

    friend constexpr bool operator==(xcThreadID a, xcThreadID b) = default;

private:
    unsigned long value_ = 0;
};

// Error numbers: BadParams 0x10000211, UnknownThread 0x10000212, CreateFailed 0x10000213.
struct xcThreadDefs {
    // A null entry, a priority below -1 or a stack size that is neither -1 nor 1 .. 1 GiB.
    XC_ERROR_CLASS(XCORE_API, BadParams, xcExceptionWithString, 0x10000211);
    // The id names no thread that is waiting to be joined (never made, or joined already).
    XC_ERROR_CLASS(XCORE_API, UnknownThread, xcExceptionWithString, 0x10000212);
    // The system could not start the thread; the message gives its reason.
    XC_ERROR_CLASS(XCORE_API, CreateFailed, xcExceptionWithString, 0x10000213);
};

// Starts entry(arg) on a new thread and returns its id. The thread starts with no time limits
// (core/sys/attention.h). priority -1 is the default; other values >= 0 are accepted and have
// no effect here, since ordinary threads of this system share one scheduling class. stackSize
// -1 is the default stack; a size in bytes is rounded up to whole pages and to the system's
// minimum stack.
XCORE_API xcThreadID xfCreateThread(unsigned long (*entry)(void*), void* arg, long priority,
                                    long stackSize);

// Waits for the thread to end and forgets its id. If the entry let an exception out, that
// exception is thrown here; otherwise the entry's return value goes to *exitCode when given.
// An id that names no thread waiting to be joined throws xcThreadDefs::UnknownThread.
XCORE_API void xfWaitForThreadTermination(xcThreadID id, unsigned long* exitCode = nullptr);
