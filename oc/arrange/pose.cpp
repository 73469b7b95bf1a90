#include "oc/arrange/pose.h"

#include <cmath>

xc_Pose::xc_Pose(const xcVector<2>& t, xcRadian a, double s)
    : translation(t), angle(a), scale(s), logScale(std::log(s)) {
}

xc_Pose::xc_Pose(const xcXform<2>& x) : translation(x.trans()) {
    const xcMatrix<2>& m = x.matrix();
    const double sum = m.a() + m.d(), diff = m.c() - m.b();
    angle = xcRadian(sum == 0.0 && diff == 0.0 ? 0.0 : std::atan2(diff, sum));
    scale = std::sqrt(std::fabs(m.det()));
    logScale = std::log(scale);
}

xcXform<2> xc_Pose::xform() const {
    return xcXform<2>(xcMatrix<2>::rotation(angle, scale), translation);
}
