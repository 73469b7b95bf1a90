#include "core/geom/geom_errors.h"

XC_DEFINE_ERROR(xcGeomDefs::Singular, xcExceptionWithString)
XC_DEFINE_ERROR(xcGeomDefs::BadParams, xcExceptionWithString)
