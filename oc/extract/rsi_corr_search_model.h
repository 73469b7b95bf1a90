// The refinement searcher: a set of turned and scaled correlation models of one character.
#pragma once

#include "core/base/handle.h"
#include "core/geom/rect.h"
#include "core/geom/xform.h"
#include "core/image/pel_buffer.h"
#include "corrsearch/corrsearch_model.h"
#include "foundation/export.h"
#include "oc/extract/rsi_params.h"
#include "oc/extract/search_result2.h"

#include <string>
#include <vector>

class xcDiagObject;

// Rotation and scale live in the set of models: model k was trained on the character image
// turned and scaled by transforms()[k], and finds the character by translation alone. Shared
// through handles; it never changes after training.
class OC_API xcRSICorrSearchModel : public virtual xcRepBase {
public:
    // Trains one correlation model (accuracy 4, algorithms 8) per angle and scale of params on
    // the image turned and scaled with xf_AffineTransform. The mask is turned as well but not
    // used. Steps that are not > 0, a scale range or base scale not > 0, a range that is not
    // finite or a grid of more than 100000 models throw xc_OCExtractDefs::xc_OCExtractError
    // "Bad refinement parameters"; exceptions of the tools propagate.
    xcRSICorrSearchModel(const xcPelBuffer_const<unsigned char>& image,
                         const xcPelBuffer_const<unsigned char>& mask, const xcRSIParams& params,
                         const std::string& name, xcDiagObject* rec, unsigned long flags);
    ~xcRSICorrSearchModel() override;
    xcRSICorrSearchModel(const xcRSICorrSearchModel&) = delete;
    xcRSICorrSearchModel& operator=(const xcRSICorrSearchModel&) = delete;

    // Runs every model on the image and keeps the best maxNumResults finds, each with the pose
    // (location as translation, rotation and scale of the searched image's client-from-image
    // transform times the model's transform) and the trained window placed by it. Creates the
    // result when the handle is null, else re-initialises it. xcTimeout::Expired propagates; a
    // model whose run throws another xcException is skipped.
    void run(const xcPelBuffer_const<unsigned char>& image, const xcRSIRunParams& params,
             xcPtrHandle<xc_SearchResult2>& result, xcDiagObject* rec, unsigned long flags) const;

    const std::string& name() const { return name_; }
    const xcPelRect& window() const { return window_; }
    const xcRSIParams& params() const { return params_; }
    long numModels() const { return static_cast<long>(models_.size()); }
    // The rotation and scale of each model's image.
    const std::vector<xcXform<2>>& transforms() const { return transforms_; }

private:
    std::string name_;
    xcPelRect window_;
    xcRSIParams params_;
    std::vector<xcCorrSearchModel> models_;
    std::vector<xcXform<2>> transforms_;
};
