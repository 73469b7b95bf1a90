// Parameter classes declared as a table of fields: each field's name, default, accepted values
// and the message its setter throws for any other value. The table drives the setters, the
// defaults, the equality, the archive and the parameter tests.
//
// A parameter class keeps its public accessors and names a table struct as its friend:
//
//     struct xc_FooParamsTable {
//         using Owner = xcFooParams;
//         using Error = xc_FooDefs::BadParams;
//         static inline const xc_ParamField<Owner, double> gain{
//             "gain", &Owner::gain_, &Owner::gain, 1.0, 0.0, 10.0, "gain must be between 0 and
//             10"};
//         static auto fields() { return std::tie(gain); }
//     };
//     xcFooParams::xcFooParams() { xf_ResetParams<xc_FooParamsTable>(*this); }
//     void xcFooParams::gain(double v) { xf_SetParam<xc_FooParamsTable>(*this, Table::gain, v); }
#pragma once

#include <cmath>
#include <tuple>
#include <type_traits>

// One field of the parameter class Owner, stored in Owner::*member.
//
// A value is accepted when low <= value <= high (numbers, bools and enumerations; a double must
// also be finite) and, when `extra` is given, extra(value) holds. A field of another type (a
// range, a rectangle) is checked by `extra` alone. `refusedByExtra` is a value that only the extra
// condition refuses; the parameter tests use it.
template <class Owner, class T>
struct xc_ParamField {
    using Value = T;
    // How the public setter takes its value: numbers and enumerations by value, others by
    // reference.
    using Arg = std::conditional_t<std::is_arithmetic_v<T> || std::is_enum_v<T>, T, const T&>;

    const char* name;
    T Owner::*member;
    // The class's public setter of the field (the tests reach the field through it).
    void (Owner::*setter)(Arg);
    T defaultValue;
    T low;
    T high;
    const char* message;
    bool (*extra)(const T&) = nullptr;
    T refusedByExtra = T();

    static constexpr bool kOrdered = std::is_arithmetic_v<T> || std::is_enum_v<T>;

    bool accepts(const T& v) const {
        if constexpr (std::is_floating_point_v<T>) {
            if (!std::isfinite(v)) return false;
        }
        if constexpr (kOrdered) {
            if (!(low <= v && v <= high)) return false;
        }
        return extra == nullptr || extra(v);
    }
};

// Checks v against the field and stores it; a refused value throws Table::Error(field.message)
// and leaves the object as it was.
template <class Table, class Owner, class T>
void xf_SetParam(Owner& owner, const xc_ParamField<Owner, T>& field,
                 const std::type_identity_t<T>& v) {
    if (!field.accepts(v)) throw typename Table::Error(field.message);
    owner.*field.member = v;
}

// Gives every field of the table its default.
template <class Table, class Owner>
void xf_ResetParams(Owner& owner) {
    std::apply([&](const auto&... f) { ((owner.*f.member = f.defaultValue), ...); },
               Table::fields());
}

// True when every field of the table is equal in a and b (doubles exactly).
template <class Table, class Owner>
bool xf_ParamsEqual(const Owner& a, const Owner& b) {
    return std::apply([&](const auto&... f) { return ((a.*f.member == b.*f.member) && ...); },
                      Table::fields());
}
