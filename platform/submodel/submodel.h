// A sub-model: the image (with an optional care mask) that the sub-model tool is trained on.
#pragma once

#include "core/image/pel_buffer.h"
#include "submodel/export.h"

#include <string>

// The model image's window is the model; its client coordinates are the frame the tool's poses
// place. The mask, when bound, has the image's size and is paired with it pel by pel within the
// two windows: 255 marks a pel to care for and 0 a pel to ignore (values from 128 up count as
// cared for, lower ones as ignored). An unbound mask cares for every pel.
//
// The sub-model keeps handles on the buffers as given (windows and transforms included), so it
// shares their pels: changing them before training changes what the tool learns.
class XSUBMODEL_API xcSubModel {
public:
    // An unbound image throws xc_SubModelDefs::UnboundImage; a bound mask whose window size
    // differs from the image's throws xc_SubModelDefs::MaskMismatch.
    xcSubModel(const xcPelBuffer_const<unsigned char>& image, const std::string& name);
    xcSubModel(const xcPelBuffer_const<unsigned char>& image,
               const xcPelBuffer_const<unsigned char>& mask, const std::string& name);

    const xcPelBuffer_const<unsigned char>& image() const { return image_; }
    const xcPelBuffer_const<unsigned char>& mask() const { return mask_; }
    bool hasMask() const { return mask_.isBound(); }
    const std::string& name() const { return name_; }
    void name(const std::string& n) { name_ = n; }

private:
    xcPelBuffer_const<unsigned char> image_;
    xcPelBuffer_const<unsigned char> mask_;
    std::string name_;
};
