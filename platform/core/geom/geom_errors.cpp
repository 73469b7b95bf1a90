#include "core/geom/geom_errors.h"

xcGeomDefs::Singular::~Singular() = default;
xcGeomDefs::BadParams::~BadParams() = default;
