// Run parameters of the correlation sub-model tool.
#pragma once

#include "core/geom/rect.h"
#include "core/geom/vector.h"
#include "submodel/export.h"

// Where a run looks and what it reports. Setters check their argument first and throw
// xc_SubModelDefs::BadParams, leaving the object unchanged, when it makes no sense. The fields
// are declared in detail/cor_params_table.h.
class XSUBMODEL_API xcSubModelCorRunParams {
public:
    // acceptThreshold 0.5, zoneEnable 0, partialMatch (0, 0, 0, 0), xyUncertainty (0, 0).
    xcSubModelCorRunParams();

    // Placements scoring at least this (0..1) are found.
    double acceptThreshold() const { return acceptThreshold_; }
    void acceptThreshold(double threshold);
    // Bit mask of the degrees of freedom to search beyond translation. The tool searches
    // translation only, so every value is accepted and kept and bits other than 0 are ignored.
    long zoneEnable() const { return zoneEnable_; }
    void zoneEnable(long mask);
    // How far the model may hang over the image's border, in model pels. With the model's window
    // w x h, the image's window W x H and u the position of the model's first pel relative to
    // the image window's first pel, the placements with the model fully inside have
    // 0 <= u.x <= W - w and 0 <= u.y <= H - h; the rectangle (x, y, pw, ph) widens that range
    // to x <= u.x <= W - w + x + pw and y <= u.y <= H - h + y + ph. So -x and -y are the pels
    // the model may reach past the left and top edges and x + pw, y + ph those past the right
    // and bottom edges: (-w/2, -h/2, w, h) keeps the model's centre inside the image, and the
    // null rectangle at the origin keeps the whole model inside. The rectangle must hold the
    // origin (x <= 0 <= x + pw, y <= 0 <= y + ph) and every number must lie within +-2^30.
    const xcPelRect& partialMatch() const { return partialMatch_; }
    void partialMatch(const xcPelRect& r);
    // The extent of the search around the start placement, in run-image pels: the model moves
    // by up to +-x/2 across and +-y/2 down. Both finite and >= 0.
    const xcVector<2>& xyUncertainty() const { return xyUncertainty_; }
    void xyUncertainty(const xcVector<2>& extent);

private:
    friend struct xc_SubModelCorRunParamsTable;
    double acceptThreshold_;
    long zoneEnable_;
    xcPelRect partialMatch_;
    xcVector<2> xyUncertainty_;
};
