// Where every expected character of an arrangement result stands in the image.
#pragma once

#include "core/geom/xform.h"
#include "foundation/export.h"
#include "oc/arrange/arrange_results.h"

#include <vector>

// The client-from-model transform of every character of the result's arrangement, in key order:
// clientFromArrangementXform x line pose x character pose, its matrix scaled by the character's
// scale. Empty when the result holds no arrangement.
OC_API std::vector<xcXform<2>> xfOCCharacterPoses(const xcOCArrangeResults& results);
