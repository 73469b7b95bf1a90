#include "core/geom/xform.h"

xcXform<2>::xcXform(const xcVector<2>& translation, double scale, double aspect, xcRadian shear,
                    xcRadian rotation)
    : m_(rotation, rotation + shear, scale, scale * aspect), t_(translation) {
}

xcXform<2> xcXform<2>::inverse() const {
    const xcMatrix<2> mi = m_.inverse();
    return xcXform(mi, -(mi * t_));
}
