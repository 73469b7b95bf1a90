// Transforms of the plane that need not be affine, shared immutably through xcXformHandle.
#pragma once

#include "core/export.h"
#include "core/geom/xform.h"

#include <array>
#include <memory>

class xc2XformBase;
using xcXformHandle = std::shared_ptr<const xc2XformBase>;

// A map of the plane. "Linear" here means affine (M * p + t); a non-linear transform still has a
// first-order approximation at every point, linearXform(at), which agrees with it at `at`.
class XCORE_API xc2XformBase : public std::enable_shared_from_this<xc2XformBase> {
public:
    virtual ~xc2XformBase();

    virtual xcVector<2> mapPoint(const xcVector<2>& p) const = 0;
    virtual bool isLinear() const = 0;
    // The affine map A with A(at) = mapPoint(at) and the derivative of this map at `at`.
    virtual xcXform<2> linearXform(const xcVector<2>& at) const = 0;
    // The inverse map; throws xcGeomDefs::Singular when there is none.
    virtual xcXformHandle inverse() const = 0;
    // Same kind of transform with the same parameters.
    virtual bool equals(const xc2XformBase& other) const = 0;

    // The affine map itself; throws xcGeomDefs::BadParams when the transform is not linear.
    xcXform<2> xform() const;
    xcVector<2> operator*(const xcVector<2>& p) const { return mapPoint(p); }
};

// An affine transform behind the general interface.
class XCORE_API xc2XformLinear final : public xc2XformBase {
public:
    xc2XformLinear() = default;
    explicit xc2XformLinear(const xcXform<2>& x) : x_(x) {}

    const xcXform<2>& linear() const { return x_; }

    xcVector<2> mapPoint(const xcVector<2>& p) const override { return x_.mapPoint(p); }
    bool isLinear() const override { return true; }
    xcXform<2> linearXform(const xcVector<2>&) const override { return x_; }
    xcXformHandle inverse() const override;
    bool equals(const xc2XformBase& other) const override;

private:
    xcXform<2> x_;
};

// A second-order polynomial map: an affine part plus quadratic terms,
//   x' = A(p).x + qx[0] x^2 + qx[1] x y + qx[2] y^2,  y' = A(p).y + qy[0] x^2 + qy[1] x y + qy[2]
//   y^2.
// Models lens-like distortion; its inverse is found numerically.
class XCORE_API xc2XformPoly2 final : public xc2XformBase {
public:
    xc2XformPoly2(const xcXform<2>& affine, const std::array<double, 3>& qx,
                  const std::array<double, 3>& qy);

    xcVector<2> mapPoint(const xcVector<2>& p) const override;
    bool isLinear() const override { return qx_ == std::array<double, 3>{} && qy_ == qx_; }
    xcXform<2> linearXform(const xcVector<2>& at) const override;
    xcXformHandle inverse() const override;
    bool equals(const xc2XformBase& other) const override;

private:
    xcXform<2> a_;
    std::array<double, 3> qx_, qy_;
};

// Handle of an affine transform.
XCORE_API xcXformHandle xfMakeXform(const xcXform<2>& x);
// a * b: b first, then a. Two linear transforms give a linear one.
XCORE_API xcXformHandle xfCompose(const xcXformHandle& a, const xcXformHandle& b);
// True when both are the same kind with equal parameters (linear ones compared exactly).
XCORE_API bool xfXformEqual(const xc2XformBase& a, const xc2XformBase& b);
