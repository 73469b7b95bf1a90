// One walk over every declared field of every parameter class: the default, the values its table
// accepts and refuses (bounds, extra conditions, NaN and infinities) through the public setter,
// with the family's message and error number, and an object left unchanged by a refusal.
#include "align/detail/run_params_table.h"
#include "core/image/detail/sampling_params_table.h"
#include "corrsearch/detail/params_table.h"
#include "diag/detail/graphic_props_table.h"
#include "imgproc/detail/edge_params_table.h"
#include "oc/arrange/detail/arrange_params_table.h"
#include "submodel/detail/cor_params_table.h"

#include <gtest/gtest.h>

#include <cmath>
#include <concepts>
#include <limits>
#include <vector>

namespace {

// A value of a type without an order, other than the declared default.
xcRange otherValue(const xcRange&) {
    return xcRange(0.5, 2.0);
}
xcRadian otherValue(const xcRadian&) {
    return xcRadian(0.25);
}
xcPelRect otherValue(const xcPelRect&) {
    return xcPelRect(-3, -2, 5, 4);
}
xcVector<2> otherValue(const xcVector<2>&) {
    return xcVector<2>(4.5, 0.0);
}
xcAffineRectangle otherValue(const xcAffineRectangle&) {
    return xcAffineRectangle(xcVector<2>(2, 3), xcVector<2>(7, 3), xcVector<2>(2, 9));
}

// Values just outside [low, high], where the type has any.
template <class T>
std::vector<T> outside(T low, T high) {
    std::vector<T> out;
    if constexpr (std::is_same_v<T, bool>) {
        return out;
    } else if constexpr (std::is_floating_point_v<T>) {
        const T inf = std::numeric_limits<T>::infinity();
        if (low > std::numeric_limits<T>::lowest()) out.push_back(std::nextafter(low, -inf));
        if (high < std::numeric_limits<T>::max()) out.push_back(std::nextafter(high, inf));
        out.insert(out.end(), {std::numeric_limits<T>::quiet_NaN(), inf, -inf});
    } else if constexpr (std::is_enum_v<T>) {
        using U = std::underlying_type_t<T>;
        if (static_cast<U>(low) > std::numeric_limits<U>::min())
            out.push_back(static_cast<T>(static_cast<U>(low) - 1));
        out.push_back(static_cast<T>(static_cast<U>(high) + 1));
    } else {
        if (low > std::numeric_limits<T>::min()) out.push_back(static_cast<T>(low - 1));
        if (high < std::numeric_limits<T>::max()) out.push_back(static_cast<T>(high + 1));
    }
    return out;
}

template <class Table, class T>
void checkField(const xc_ParamField<typename Table::Owner, T>& f, long errorNumber) {
    using Owner = typename Table::Owner;
    SCOPED_TRACE(f.name);
    const Owner fresh;
    EXPECT_TRUE(fresh.*f.member == f.defaultValue);
    EXPECT_TRUE(f.accepts(f.defaultValue));

    // Accepted values are stored by the public setter and change nothing else.
    std::vector<T> accepted;
    if constexpr (xc_ParamField<Owner, T>::kOrdered) {
        accepted = {f.low, f.high};
    } else {
        accepted = {otherValue(f.defaultValue)};
    }
    for (const T& v : accepted) {
        if (!f.accepts(v)) continue; // a bound that an extra condition refuses
        Owner o;
        (o.*f.setter)(v);
        EXPECT_TRUE(o.*f.member == v);
        Owner expected;
        expected.*f.member = v;
        EXPECT_TRUE(xf_ParamsEqual<Table>(o, expected));
        if constexpr (std::equality_comparable<Owner>) {
            if (!(v == f.defaultValue)) {
                EXPECT_FALSE(o == fresh);
            }
        }
    }

    // Refused values throw the family's exception and leave the object as it was.
    std::vector<T> refused;
    if constexpr (xc_ParamField<Owner, T>::kOrdered) refused = outside(f.low, f.high);
    if (f.extra != nullptr) refused.push_back(f.refusedByExtra);
    if constexpr (std::is_same_v<T, xcRadian>) refused.push_back(xcRadian(std::nan("")));
    for (const T& v : refused) {
        Owner o;
        const Owner before = o;
        try {
            (o.*f.setter)(v);
            ADD_FAILURE() << "a refused value was stored";
        } catch (const typename Table::Error& e) {
            EXPECT_EQ(e.message(), f.message);
            EXPECT_EQ(e.errorNumber(), errorNumber);
        }
        EXPECT_TRUE(xf_ParamsEqual<Table>(o, before));
    }
}

template <class Table>
void checkTable(long errorNumber) {
    std::apply([&](const auto&... f) { (checkField<Table>(f, errorNumber), ...); },
               Table::fields());
}

} // namespace

TEST(ParamTables, EveryFieldOfEveryParameterClass) {
    checkTable<xc_OCArrangeParamsTable>(0x10007400);
    checkTable<xc_CorrSearchTrainParamsTable>(0x10000702);
    checkTable<xc_CorrSearchRunParamsTable>(0x10000702);
    checkTable<xc_AlignRunParamsTable>(0x10000403);
    checkTable<xc_EdgeParamsTable>(0x10000601);
    checkTable<xc_GraphicPropsTable>(0x10000502);
    checkTable<xc_AffineSamplingParamsTable>(0x10000304);
    checkTable<xc_SubModelCorTrainParamsTable>(0x802);
    checkTable<xc_SubModelCorRunParamsTable>(0x802);
}

// The constructors that take values check them as the setters do, in declaration order.
TEST(ParamTables, ValueConstructorsCheckLikeTheSetters) {
    EXPECT_EQ(xcCorrSearchRunParams(16).algorithm(), 16);
    EXPECT_THROW(xcCorrSearchRunParams(24), xcCorrSearchDefs::BadParams);
    EXPECT_EQ(xcEdgeParams(2.0, 5.0, 0).magnitudeThreshold(), 5.0);
    EXPECT_THROW(xcEdgeParams(1.0, NAN, 0), xcImgProcDefs::BadParams);
    EXPECT_EQ(xcGraphicProps(xcColor::eBlue, eDot, 3).penWidth(), 3);
    EXPECT_THROW(xcGraphicProps(xcColor::eRed, eSolid, -4), xcDiagDefs::BadParams);
    const xcAffineRectangle unit(xcVector<2>(0, 0), xcVector<2>(1, 0), xcVector<2>(0, 1));
    EXPECT_EQ(xcAffineSamplingParams(unit, 3, 4).ny(), 4);
    EXPECT_THROW(xcAffineSamplingParams(unit, 5, -1), xcPel::BadParams);
}
