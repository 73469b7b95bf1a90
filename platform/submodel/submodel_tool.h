// The correlation sub-model tool: finds a trained sub-model near a start pose in a run image.
#pragma once

#include "core/geom/vector.h"
#include "core/geom/xform_base.h"
#include "core/image/pel_buffer.h"
#include "submodel/cor_run_params.h"
#include "submodel/cor_train_params.h"
#include "submodel/export.h"
#include "submodel/submodel.h"
#include "submodel/submodel_result.h"

#include <memory>
#include <vector>

class xcDiagObject;

namespace xc_submodel {
struct Trained;
}

// Training keeps the sub-model's pels and care flags. A run searches translations only: the
// start pose maps the model's client coordinates to the run image's client coordinates, which
// (with the two images' client transforms) lays the model's pel grid onto the image's; every
// whole-pel shift of that placement within +-xyUncertainty / 2 that the partialMatch rectangle
// allows is scored by the normalised correlation of model and image over the pels both care
// for inside the image window, and a placement is scored only when at least half of the model's
// cared-for pels take part. The local maxima of the score, refined to sub-pel position by a
// parabola fit, are reported best first with the pose
//
//   pose = the start pose's matrix with translation imageClientFromImage(o + d),
//
// where o is where the start pose puts the model's client origin in the run image's pel
// coordinates and d the found shift in pels. So the pose's matrix is the start pose's exactly
// (a non-linear start pose stands for its linear form at the model's centre).
//
// When the start pose (with both client transforms, taken at the model's centre) lays the
// model's pel grid onto the image's by a translation, give or take half a pel at the model's
// corners, the model's own pels are moved by whole pels (the exact and fast case: the caller
// resamples an image of another scale or rotation first). Otherwise the model is resampled
// bilinearly onto the image's pel grid at the start placement and searched the same way.
//
// Copies share the trained data, which never changes; run() changes nothing in the tool, so
// one tool may run on several threads at once.
class XSUBMODEL_API xc_SubModelTool {
public:
    // The most results a run reports.
    static constexpr long kMaxResults = 16;

    xc_SubModelTool();
    ~xc_SubModelTool();
    xc_SubModelTool(const xc_SubModelTool&);
    xc_SubModelTool& operator=(const xc_SubModelTool&);

    // Learns the sub-model. The recorder and flags are accepted for the caller's sake; training
    // records nothing. A sub-model with no cared-for pel throws xc_SubModelDefs::NoCarePels and
    // leaves the tool as it was.
    void train(const xcSubModel& subModel, const xcSubModelCorTrainParams& params,
               xcDiagObject* recorder, unsigned long flags);
    bool isTrained() const { return trained_ != nullptr; }
    // The trained sub-model and parameters; before training xc_SubModelDefs::NotTrained.
    const xcSubModel& subModel() const;
    const xcSubModelCorTrainParams& trainParams() const;

    // Searches the image's window (see the class comment) and replaces the contents of
    // `results`. `points` is left as it is: this tool reports no feature points. The recorder
    // and flags are accepted and unused. The caller's time limit is polled after at most about a
    // millisecond of work in every stage (resampling, copying, summing); xcTimeout exceptions
    // pass through.
    //
    // Errors, each leaving `results` as it was: xc_SubModelDefs::NotTrained before training,
    // UnboundImage for an unbound image, BadPose when the start pose with the client transforms
    // is singular or not finite, or maps the model to fewer than one or more than 2^24 pels or
    // to no cared-for pel.
    void run(const xcPelBuffer_const<unsigned char>& image, const xc2XformBase& startPose,
             const xcSubModelCorRunParams& params, std::vector<xcVector<2>>& points,
             xc_SubModelResultSet& results, xcDiagObject* recorder, unsigned long flags) const;
    // The same with a mask paired with the image pel by pel within the two windows: 255 marks a
    // pel to care for and 0 one to ignore (from 128 up cared for). An unbound mask throws
    // xc_SubModelDefs::UnboundImage, one of another size MaskMismatch.
    void run(const xcPelBuffer_const<unsigned char>& image,
             const xcPelBuffer_const<unsigned char>& mask, const xc2XformBase& startPose,
             const xcSubModelCorRunParams& params, std::vector<xcVector<2>>& points,
             xc_SubModelResultSet& results, xcDiagObject* recorder, unsigned long flags) const;

private:
    void run_(const xcPelBuffer_const<unsigned char>& image,
              const xcPelBuffer_const<unsigned char>* mask, const xc2XformBase& startPose,
              const xcSubModelCorRunParams& params, xc_SubModelResultSet& results) const;

    std::shared_ptr<const xc_submodel::Trained> trained_;
};
