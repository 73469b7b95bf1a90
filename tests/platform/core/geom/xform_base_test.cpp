#include "core/geom/xform_base.h"

#include "core/geom/geom_errors.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>

namespace {

// A mild lens-like distortion around an affine map; invertible over [-50, 50]^2.
xcXformHandle distortion() {
    const xcXform<2> affine(xcMatrix<2>(xcDegree(10), xcDegree(12), 1.2, 0.9), xcVector<2>(3, -4));
    return std::make_shared<xc2XformPoly2>(affine, std::array<double, 3>{1e-3, -5e-4, 2e-4},
                                           std::array<double, 3>{-3e-4, 8e-4, 1e-3});
}

// Jacobian of a map at p by central differences.
xcMatrix<2> numericJacobian(const xc2XformBase& f, const xcVector<2>& p) {
    const double h = 1e-3;
    const xcVector<2> dx = (f * (p + xcVector<2>(h, 0)) - f * (p - xcVector<2>(h, 0))) / (2 * h);
    const xcVector<2> dy = (f * (p + xcVector<2>(0, h)) - f * (p - xcVector<2>(0, h))) / (2 * h);
    return xcMatrix<2>(dx.x(), dy.x(), dx.y(), dy.y());
}

TEST(XformBase, LinearWrapsAnAffineMapAndEqualityComparesTheMap) {
    const xcXform<2> x(xcMatrix<2>(0, -2, 2, 0), xcVector<2>(1, 1));
    const xcXformHandle h = xfMakeXform(x);
    EXPECT_TRUE(h->isLinear());
    EXPECT_EQ(h->mapPoint(xcVector<2>(1, 0)), xcVector<2>(1, 3));
    EXPECT_EQ(h->linearXform(xcVector<2>(123, -7)), x);
    EXPECT_THROW((void)xc2XformLinear(xcXform<2>(xcMatrix<2>(1, 2, 2, 4), xcVector<2>())).inverse(),
                 xcGeomDefs::Singular);
    // Linear transforms compare by their affine map, whatever class holds them.
    EXPECT_TRUE(xfXformEqual(*h, xc2XformPoly2(x, {0, 0, 0}, {0, 0, 0})));
    EXPECT_TRUE(xfXformEqual(*distortion(), *distortion()));
    EXPECT_FALSE(xfXformEqual(*distortion(), xc2XformPoly2(xcXform<2>(), {1e-3, 0, 0}, {0, 0, 0})));
}

TEST(XformBase, Poly2LinearXformAndInverseMatchNumericValues) {
    const xcXformHandle f = distortion();
    const xcXformHandle g = f->inverse();
    EXPECT_FALSE(g->isLinear());
    EXPECT_THROW((void)f->xform(), xcGeomDefs::BadParams);
    std::mt19937 rng(31);
    std::uniform_real_distribution<double> c(-50.0, 50.0);
    for (int i = 0; i < 200; ++i) {
        const xcVector<2> p(c(rng), c(rng));
        const xcXform<2> l = f->linearXform(p);
        ASSERT_TRUE(xfRealEq(l.mapPoint(p), f->mapPoint(p), 1e-10));
        ASSERT_TRUE(xfRealEq(l.matrix(), numericJacobian(*f, p), 1e-8));
        ASSERT_TRUE(xfRealEq(g->mapPoint(f->mapPoint(p)), p, 1e-9)) << i;
        const xcXform<2> lg = g->linearXform(f->mapPoint(p));
        ASSERT_TRUE(xfRealEq(lg.matrix() * l.matrix(), xcMatrix<2>(), 1e-9));
    }
    EXPECT_TRUE(xfXformEqual(*g->inverse(), *f));
    // Hand value: x' = x + x^2 at (2, 0) has slope 1 + 2 x = 5.
    const xc2XformPoly2 q(xcXform<2>(), {1, 0, 0}, {0, 0, 0});
    EXPECT_EQ(q.mapPoint(xcVector<2>(2, 0)), xcVector<2>(6, 0));
    EXPECT_EQ(q.linearXform(xcVector<2>(2, 0)),
              xcXform<2>(xcMatrix<2>(5, 0, 0, 1), xcVector<2>(-4, 0)));
    // With no quadratic terms the polynomial is linear and inverts exactly.
    const xc2XformPoly2 flat(xcXform<2>::translation(xcVector<2>(1, 2)), {0, 0, 0}, {0, 0, 0});
    EXPECT_EQ(flat.inverse()->xform(), xcXform<2>::translation(xcVector<2>(-1, -2)));
}

TEST(XformBase, ComposeAppliesTheSecondFirst) {
    const xcXform<2> a(xcMatrix<2>(0, -1, 1, 0), xcVector<2>(5, 0));
    const xcXform<2> b = xcXform<2>::translation(xcVector<2>(1, 2));
    const xcXformHandle ab = xfCompose(xfMakeXform(a), xfMakeXform(b));
    EXPECT_TRUE(ab->isLinear());
    EXPECT_EQ(ab->xform(), a * b);

    const xcXformHandle f = distortion();
    const xcXformHandle af = xfCompose(xfMakeXform(a), f);
    const xcXformHandle fa = xfCompose(f, xfMakeXform(a));
    std::mt19937 rng(41);
    std::uniform_real_distribution<double> c(-30.0, 30.0);
    for (int i = 0; i < 100; ++i) {
        const xcVector<2> p(c(rng), c(rng));
        ASSERT_TRUE(xfRealEq(af->mapPoint(p), a.mapPoint(f->mapPoint(p)), 1e-10));
        ASSERT_TRUE(xfRealEq(fa->mapPoint(p), f->mapPoint(a.mapPoint(p)), 1e-10));
        ASSERT_TRUE(xfRealEq(af->linearXform(p).matrix(), numericJacobian(*af, p), 1e-8));
        ASSERT_TRUE(xfRealEq(af->inverse()->mapPoint(af->mapPoint(p)), p, 1e-8));
    }
}

} // namespace
