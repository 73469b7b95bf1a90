// Test helper: the exception of class E that f throws, so that a test can check its message and
// number in one line; a call that throws nothing fails the test.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

template <class E, class F>
E caught(F&& f) {
    try {
        f();
    } catch (const E& e) {
        return e;
    }
    throw std::logic_error("the expected exception was not thrown");
}

// Calls that must each throw the family root E's error of this number (which names its class)
// with this message.
using NumberedRefusals = std::vector<std::tuple<std::function<void()>, long, std::string>>;
template <class E>
void expectRefusals(const NumberedRefusals& cases) {
    for (const auto& [f, number, message] : cases) {
        try {
            f();
            ADD_FAILURE() << "nothing thrown: " << message;
        } catch (const E& e) {
            EXPECT_EQ(e.errorNumber(), number) << message;
            EXPECT_EQ(e.message(), message);
        }
    }
}
