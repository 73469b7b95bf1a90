#include "core/geom/xform_base.h"

#include "core/geom/geom_errors.h"

#include <cmath>

namespace {

// b first, then a; kept when either part is not linear.
class Composed final : public xc2XformBase {
public:
    Composed(xcXformHandle a, xcXformHandle b) : a_(std::move(a)), b_(std::move(b)) {}

    xcVector<2> mapPoint(const xcVector<2>& p) const override {
        return a_->mapPoint(b_->mapPoint(p));
    }
    bool isLinear() const override { return false; }
    xcXform<2> linearXform(const xcVector<2>& at) const override {
        return a_->linearXform(b_->mapPoint(at)) * b_->linearXform(at);
    }
    xcXformHandle inverse() const override { return xfCompose(b_->inverse(), a_->inverse()); }
    bool equals(const xc2XformBase& other) const override {
        auto* o = dynamic_cast<const Composed*>(&other);
        return o && xfXformEqual(*a_, *o->a_) && xfXformEqual(*b_, *o->b_);
    }

private:
    xcXformHandle a_, b_;
};

// The inverse of a non-linear map, by Newton's method on its first-order approximations.
class NumericInverse final : public xc2XformBase {
public:
    explicit NumericInverse(xcXformHandle f) : f_(std::move(f)) {}

    xcVector<2> mapPoint(const xcVector<2>& q) const override {
        xcVector<2> p = f_->linearXform(xcVector<2>()).inverse().mapPoint(q);
        for (int i = 0; i < 50; ++i) {
            const xcXform<2> l = f_->linearXform(p);
            const xcVector<2> step = l.matrix().inverse() * (q - f_->mapPoint(p));
            p += step;
            if (step.len2() < 1e-28 * (1.0 + p.len2())) break;
        }
        return p;
    }
    bool isLinear() const override { return false; }
    xcXform<2> linearXform(const xcVector<2>& at) const override {
        const xcVector<2> p = mapPoint(at);
        const xcMatrix<2> j = f_->linearXform(p).matrix().inverse();
        return xcXform<2>(j, p - j * at);
    }
    xcXformHandle inverse() const override { return f_; }
    bool equals(const xc2XformBase& other) const override {
        auto* o = dynamic_cast<const NumericInverse*>(&other);
        return o && xfXformEqual(*f_, *o->f_);
    }

private:
    xcXformHandle f_;
};

} // namespace

xc2XformBase::~xc2XformBase() = default;

xcXform<2> xc2XformBase::xform() const {
    if (!isLinear()) throw xcGeomDefs::BadParams("Transform is not linear");
    return linearXform(xcVector<2>());
}

xcXformHandle xc2XformLinear::inverse() const {
    return std::make_shared<xc2XformLinear>(x_.inverse());
}

bool xc2XformLinear::equals(const xc2XformBase& other) const {
    auto* o = dynamic_cast<const xc2XformLinear*>(&other);
    return o && o->x_ == x_;
}

xc2XformPoly2::xc2XformPoly2(const xcXform<2>& affine, const std::array<double, 3>& qx,
                             const std::array<double, 3>& qy)
    : a_(affine), qx_(qx), qy_(qy) {
}

xcVector<2> xc2XformPoly2::mapPoint(const xcVector<2>& p) const {
    const double x = p.x(), y = p.y();
    const xcVector<2> l = a_.mapPoint(p);
    return xcVector<2>(l.x() + qx_[0] * x * x + qx_[1] * x * y + qx_[2] * y * y,
                       l.y() + qy_[0] * x * x + qy_[1] * x * y + qy_[2] * y * y);
}

xcXform<2> xc2XformPoly2::linearXform(const xcVector<2>& at) const {
    const double x = at.x(), y = at.y();
    const xcMatrix<2>& m = a_.matrix();
    const xcMatrix<2> j(m.a() + 2 * qx_[0] * x + qx_[1] * y, m.b() + qx_[1] * x + 2 * qx_[2] * y,
                        m.c() + 2 * qy_[0] * x + qy_[1] * y, m.d() + qy_[1] * x + 2 * qy_[2] * y);
    return xcXform<2>(j, mapPoint(at) - j * at);
}

xcXformHandle xc2XformPoly2::inverse() const {
    if (isLinear()) return std::make_shared<xc2XformLinear>(a_.inverse());
    return std::make_shared<NumericInverse>(shared_from_this());
}

bool xc2XformPoly2::equals(const xc2XformBase& other) const {
    auto* o = dynamic_cast<const xc2XformPoly2*>(&other);
    return o && o->a_ == a_ && o->qx_ == qx_ && o->qy_ == qy_;
}

xcXformHandle xfMakeXform(const xcXform<2>& x) {
    return std::make_shared<xc2XformLinear>(x);
}

xcXformHandle xfCompose(const xcXformHandle& a, const xcXformHandle& b) {
    if (a->isLinear() && b->isLinear())
        return xfMakeXform(a->linearXform(xcVector<2>()) * b->linearXform(xcVector<2>()));
    return std::make_shared<Composed>(a, b);
}

bool xfXformEqual(const xc2XformBase& a, const xc2XformBase& b) {
    if (&a == &b) return true;
    if (a.isLinear() && b.isLinear())
        return a.linearXform(xcVector<2>()) == b.linearXform(xcVector<2>());
    return a.equals(b);
}
