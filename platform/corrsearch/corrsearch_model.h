// The correlation search tool: a grey model trained on one image and found in other images by
// normalised correlation at every translation.
#pragma once

#include "core/geom/rect.h"
#include "core/image/pel_buffer.h"
#include "corrsearch/corrsearch_params.h"
#include "corrsearch/corrsearch_result.h"
#include "corrsearch/export.h"

#include <memory>
#include <vector>

class xcDiagObject;

namespace xc_corrsearch {
struct Model;
}

// A trained correlation model: the pels of the training image's window, matched by translation
// only against the pels of a searched image.
//
// Score of a placement: the normalised correlation coefficient of the model pels and the image
// pels under them,
//   r = (n Sxy - Sx Sy) / sqrt((n Sx2 - Sx^2) (n Sy2 - Sy^2)),
// clamped at 0 (a flat image window scores 0). A run considers every placement with the model
// wholly inside the searched image's window, finds the score's local maxima, refines the best
// to sub-pel position, and reports them best first.
//
// At accuracy 4 the score a find reports is taken at its sub-pel position instead: the same
// correlation of model and image both smoothed by a Gaussian of 1 pel, over the model less a
// 3-pel border, with the image's kernel centred on the sub-pel position (models under 9 x 9
// pels, and images as wide or as tall as the model, keep the whole-pel score). It no longer
// falls with the peak's distance from a whole pel, nor favours models whose pels were resampled
// more blurred, so copies of one pattern turned or scaled by small steps compare by their fit
// alone.
//
// Copies share the trained data, which never changes after training; a run changes nothing, so
// runs on several threads at once are safe, also on one model. What a run derives from the
// searched image alone (float planes, window sums, 2 x 2 pel sums) is kept per thread for the
// last image of up to 65536 pels and reused when the next run meets the same pels, compared one
// by one: the many models a caller runs on one small image prepare it once.
class XCORRSEARCH_API xcCorrSearchModel {
public:
    // Untrained.
    xcCorrSearchModel();
    ~xcCorrSearchModel();
    xcCorrSearchModel(const xcCorrSearchModel&);
    xcCorrSearchModel& operator=(const xcCorrSearchModel&);

    // Trains on the image's window (at least 3 x 3 and at most 4194304 pels), replacing any
    // earlier training. The image's client-from-image transform fixes the model's client
    // origin, which results locate. The recorder and flags are accepted for the caller's
    // convenience; training records nothing. Throws xcCorrSearchDefs::BadImage for an unbound,
    // too small or too large image or one whose client transform is not finite, and
    // xcCorrSearchDefs::FlatModel when the window's pels all
    // have one grey value; a failed training leaves the model as it was.
    void train(const xcPelBuffer_const<unsigned char>& image, const xcCorrSearchTrainParams& params,
               xcDiagObject* recorder, unsigned long flags);
    bool isTrained() const { return model_ != nullptr; }
    // The parameters of the last successful training (the defaults before it).
    const xcCorrSearchTrainParams& trainParams() const { return trainParams_; }
    // Size of the trained window (0 x 0 untrained).
    long width() const;
    long height() const;

    // Searches the image's window and returns at most params.maxNumResults() finds, best score
    // first, each scoring at least params.accept() (so each is found()), at its whole pel as well
    // as in the score reported; none reaching it gives an empty vector. Finds whose model
    // rectangles overlap by more than params.xyOverlap() are reduced to the best of them. `region`
    // is ignored: every placement with the model wholly inside the image's window is searched. The
    // recorder and flags are accepted and unused.
    //
    // The calling thread's time limit is polled after at most about a millisecond of work in
    // every stage (image preparation, scoring, climbing), so an expired limit stops a run
    // promptly on any image; xcTimeout exceptions propagate.
    //
    // Errors: xcCorrSearchDefs::NotTrained for an untrained model; xcCorrSearchDefs::BadParams
    // for an algorithm the model was not trained for; xcCorrSearchDefs::BadImage for an unbound
    // image, one of more than 4194304 pels, one smaller than the model in either direction, or
    // one whose client transform is not finite.
    std::vector<xcCorrSearchResult> run(const xcPelBuffer_const<unsigned char>& image,
                                        const xcCorrSearchRunParams& params,
                                        const xcPelRect& region, xcDiagObject* recorder,
                                        unsigned long flags) const;

private:
    xcCorrSearchTrainParams trainParams_;
    std::shared_ptr<const xc_corrsearch::Model> model_;
};
