// The pattern-alignment tool: a pattern trained from an image, found in run images at any
// position, angle and scale.
#pragma once

#include "align/align_result.h"
#include "align/align_run_params.h"
#include "align/export.h"
#include "core/geom/xform_base.h"
#include "core/image/pel_buffer.h"

#include <memory>

class xcDiagObject;

namespace xc_align {
struct Model;
}

// A trained pattern. Training learns the pattern's edge features and grey template on several
// pyramid levels; a run finds every instance of it in an image within the run's angle and scale
// zones and reports each with a pose from the train image's client coordinates to the run
// image's client coordinates.
//
// Copies share the trained data (it never changes after training). Runs on several threads at
// once are safe, also on one pattern; the derived data of run images (pyramids, direction
// responses) are kept in a small cache keyed on pel content, so searching several patterns in
// one image builds them once.
class XALIGN_API xcAlignPattern {
public:
    xcAlignPattern();
    ~xcAlignPattern();
    xcAlignPattern(const xcAlignPattern&);
    xcAlignPattern& operator=(const xcAlignPattern&);

    // Grain limits: the finest and coarsest pyramid grain (in train pels) the search works on.
    // Automatic (the default) lets training choose the coarse grain from the pattern's size.
    // The coarse grain selects the coarsest level (the largest power of two not above it);
    // refinement always ends at full resolution.
    bool autoSelectGrainLimits() const { return autoGrain_; }
    void autoSelectGrainLimits(bool automatic) { autoGrain_ = automatic; }
    // 1 <= fine <= coarse <= 16, else xc_AlignDefs::BadParams.
    void grainLimits(float fine, float coarse);
    float grainLimitFine() const { return grainFine_; }
    float grainLimitCoarse() const { return grainCoarse_; }

    // Trains on the image's window. dofMask (bits 1 angle, 2 scale) names the degrees of
    // freedom runs may search; one left out is held at its nominal value. The recorder and
    // flags are accepted for the caller's convenience; training records nothing.
    // Throws xc_AlignDefs::BadParams for an unbound image or a dofMask with other bits, and
    // xc_AlignDefs::Errors when the image gives too little to train on: smaller than 6 x 6
    // pels (or than 4 coarse grains a side with manual limits), flat, with fewer than 12 edge
    // points, or with edges that all run one way. A failed training leaves the pattern as it
    // was.
    void train(const xcPelBuffer_const<unsigned char>& image, long dofMask, xcDiagObject* rec,
               unsigned long flags);
    bool isTrained() const { return model_ != nullptr; }
    long dofMask() const { return dofMask_; }

    // The train image (a copy of the trained window with the same window position and
    // transforms) and its client-from-image transform. Untrained: xc_AlignDefs::BadParams.
    const xcPelBuffer_const<unsigned char>& trainImage() const;
    xcXformHandle trainClientFromImage() const;

    // Finds the pattern in the image's window. `results` is cleared first and then filled as
    // instances are found: accepted results best first, at most numToFind; when none is
    // accepted, the best instance alone, unaccepted. The caller's time limit is polled every
    // few milliseconds; xcTimeout::InternalExpired and xcTimeout::Expired propagate and leave
    // the results found until then in `results`. Errors: an untrained pattern, an unbound
    // image, or an image of more than 2^24 pels throw xc_AlignDefs::BadParams; an unexpected
    // failure inside the tool throws xc_AlignDefs::InternalError with `results` empty.
    void run(const xcPelBuffer_const<unsigned char>& image, const xcAlignRunParams& params,
             xcAlignResultSet& results, xcDiagObject* rec, unsigned long flags) const;
    // The same with a mask of the image's size, paired window-relatively: pels below 128 are
    // ignored.
    void run(const xcPelBuffer_const<unsigned char>& image,
             const xcPelBuffer_const<unsigned char>& mask, const xcAlignRunParams& params,
             xcAlignResultSet& results, xcDiagObject* rec, unsigned long flags) const;

private:
    void run_(const xcPelBuffer_const<unsigned char>& image,
              const xcPelBuffer_const<unsigned char>* mask, const xcAlignRunParams& params,
              xcAlignResultSet& results) const;

    bool autoGrain_ = true;
    float grainFine_ = 1.0f;
    float grainCoarse_ = 4.0f;
    long dofMask_ = 3;
    std::shared_ptr<const xc_align::Model> model_;
    xcPelBuffer_const<unsigned char> trainImage_;
};
