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
xcMatrix<2> numericJacobian(const xc2XformBase& f, const xcVector<2>& p, double h) {
    const xcVector<2> dx =
        (f.mapPoint(p + xcVector<2>(h, 0)) - f.mapPoint(p - xcVector<2>(h, 0))) / (2 * h);
    const xcVector<2> dy =
        (f.mapPoint(p + xcVector<2>(0, h)) - f.mapPoint(p - xcVector<2>(0, h))) / (2 * h);
    return xcMatrix<2>(dx.x(), dy.x(), dx.y(), dy.y());
}

TEST(XformBase, LinearWrapsAnAffineMap) {
    const xcXform<2> x(xcMatrix<2>(0, -2, 2, 0), xcVector<2>(1, 1));
    const xcXformHandle h = xfMakeXform(x);
    EXPECT_TRUE(h->isLinear());
    EXPECT_EQ(h->mapPoint(xcVector<2>(1, 0)), xcVector<2>(1, 3));
    EXPECT_EQ((*h) * xcVector<2>(1, 0), xcVector<2>(1, 3));
    EXPECT_EQ(h->linearXform(xcVector<2>(123, -7)), x);
    EXPECT_EQ(h->xform(), x);
    EXPECT_TRUE(xfRealEq(h->inverse()->xform() * x, xcXform<2>(), 1e-15));
    EXPECT_TRUE(xfXformEqual(*h, xc2XformLinear(x)));
    EXPECT_FALSE(xfXformEqual(*h, xc2XformLinear()));
    EXPECT_THROW((void)xc2XformLinear(xcXform<2>(xcMatrix<2>(1, 2, 2, 4), xcVector<2>())).inverse(),
                 xcGeomDefs::Singular);
}

TEST(XformBase, Poly2LinearXformMatchesFiniteDifferences) {
    const xcXformHandle f = distortion();
    EXPECT_FALSE(f->isLinear());
    EXPECT_THROW((void)f->xform(), xcGeomDefs::BadParams);
    std::mt19937 rng(31);
    std::uniform_real_distribution<double> c(-50.0, 50.0);
    for (int i = 0; i < 200; ++i) {
        const xcVector<2> p(c(rng), c(rng));
        const xcXform<2> l = f->linearXform(p);
        // Agrees with the map at the point and has its derivative there.
        ASSERT_TRUE(xfRealEq(l.mapPoint(p), f->mapPoint(p), 1e-10));
        ASSERT_TRUE(xfRealEq(l.matrix(), numericJacobian(*f, p, 1e-3), 1e-8));
    }
    // Hand value: x' = x + x^2 at (2, 0) has slope 1 + 2 x = 5.
    const xc2XformPoly2 q(xcXform<2>(), {1, 0, 0}, {0, 0, 0});
    EXPECT_EQ(q.mapPoint(xcVector<2>(2, 0)), xcVector<2>(6, 0));
    EXPECT_EQ(q.linearXform(xcVector<2>(2, 0)).matrix(), xcMatrix<2>(5, 0, 0, 1));
    EXPECT_EQ(q.linearXform(xcVector<2>(2, 0)).trans(), xcVector<2>(-4, 0));
}

TEST(XformBase, Poly2InverseRoundTripsNumerically) {
    const xcXformHandle f = distortion();
    const xcXformHandle g = f->inverse();
    EXPECT_FALSE(g->isLinear());
    std::mt19937 rng(37);
    std::uniform_real_distribution<double> c(-50.0, 50.0);
    for (int i = 0; i < 200; ++i) {
        const xcVector<2> p(c(rng), c(rng));
        ASSERT_TRUE(xfRealEq(g->mapPoint(f->mapPoint(p)), p, 1e-9)) << i;
        // The inverse's first-order map is the inverse of the map's at the matching point.
        const xcXform<2> lg = g->linearXform(f->mapPoint(p));
        ASSERT_TRUE(xfRealEq(lg.matrix() * f->linearXform(p).matrix(), xcMatrix<2>(), 1e-9));
    }
    // The inverse of the inverse is the map itself.
    EXPECT_TRUE(xfXformEqual(*g->inverse(), *f));
    // With no quadratic terms the polynomial is linear and inverts exactly.
    const xc2XformPoly2 flat(xcXform<2>::translation(xcVector<2>(1, 2)), {0, 0, 0}, {0, 0, 0});
    EXPECT_TRUE(flat.isLinear());
    EXPECT_TRUE(flat.inverse()->isLinear());
    EXPECT_EQ(flat.inverse()->xform(), xcXform<2>::translation(xcVector<2>(-1, -2)));
}

TEST(XformBase, ComposeAppliesTheSecondFirst) {
    const xcXform<2> a(xcMatrix<2>(0, -1, 1, 0), xcVector<2>(5, 0));
    const xcXform<2> b = xcXform<2>::translation(xcVector<2>(1, 2));
    const xcXformHandle ab = xfCompose(xfMakeXform(a), xfMakeXform(b));
    // Two linear transforms give a linear one equal to the product.
    EXPECT_TRUE(ab->isLinear());
    EXPECT_EQ(ab->xform(), a * b);

    const xcXformHandle f = distortion();
    const xcXformHandle af = xfCompose(xfMakeXform(a), f);
    const xcXformHandle fa = xfCompose(f, xfMakeXform(a));
    EXPECT_FALSE(af->isLinear());
    std::mt19937 rng(41);
    std::uniform_real_distribution<double> c(-30.0, 30.0);
    for (int i = 0; i < 100; ++i) {
        const xcVector<2> p(c(rng), c(rng));
        ASSERT_TRUE(xfRealEq(af->mapPoint(p), a.mapPoint(f->mapPoint(p)), 1e-10));
        ASSERT_TRUE(xfRealEq(fa->mapPoint(p), f->mapPoint(a.mapPoint(p)), 1e-10));
        ASSERT_TRUE(xfRealEq(af->linearXform(p).matrix(), numericJacobian(*af, p, 1e-3), 1e-8));
        ASSERT_TRUE(xfRealEq(af->inverse()->mapPoint(af->mapPoint(p)), p, 1e-8));
    }
}

TEST(XformBase, EqualityComparesKindAndParameters) {
    const xcXform<2> x(xcMatrix<2>(2, 0, 0, 2), xcVector<2>(1, 0));
    // Linear transforms compare by their affine map, whatever class holds them.
    const xc2XformPoly2 linearPoly(x, {0, 0, 0}, {0, 0, 0});
    EXPECT_TRUE(xfXformEqual(xc2XformLinear(x), linearPoly));
    EXPECT_TRUE(xfXformEqual(*distortion(), *distortion()));
    const xc2XformPoly2 other(xcXform<2>(), {1e-3, 0, 0}, {0, 0, 0});
    EXPECT_FALSE(xfXformEqual(*distortion(), other));
    EXPECT_FALSE(xfXformEqual(xc2XformLinear(x), other));
}

} // namespace
