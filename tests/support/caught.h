// Test helper: the exception of class E that f throws, so that a test can check its message and
// number in one line; a call that throws nothing fails the test.
#pragma once

#include <stdexcept>

template <class E, class F>
E caught(F&& f) {
    try {
        f();
    } catch (const E& e) {
        return e;
    }
    throw std::logic_error("the expected exception was not thrown");
}
