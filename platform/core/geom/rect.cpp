#include "core/geom/rect.h"

#include "core/geom/geom_errors.h"

#include <cmath>

xcPelRect xfEnclosePel(double x0, double y0, double x1, double y1) {
    constexpr double kLimit = 1099511627776.0; // 2^40: far beyond any image, safe in a long
    for (double v : {x0, y0, x1, y1})
        if (!(std::fabs(v) <= kLimit))
            throw xcGeomDefs::BadParams("Rectangle coordinates out of range");
    const long l = long(std::floor(x0)), t = long(std::floor(y0));
    const long r = long(std::ceil(x1)), b = long(std::ceil(y1));
    return xcPelRect(l, t, r - l, b - t);
}
