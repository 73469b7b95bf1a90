#include "submodel/submodel.h"

#include "submodel/submodel_defs.h"

xcSubModel::xcSubModel(const xcPelBuffer_const<unsigned char>& image, const std::string& name)
    : xcSubModel(image, xcPelBuffer_const<unsigned char>(), name) {
}

xcSubModel::xcSubModel(const xcPelBuffer_const<unsigned char>& image,
                       const xcPelBuffer_const<unsigned char>& mask, const std::string& name)
    : image_(image), mask_(mask), name_(name) {
    if (!image_.isBound()) throw xc_SubModelDefs::UnboundImage();
    if (mask_.isBound() && (mask_.width() != image_.width() || mask_.height() != image_.height()))
        throw xc_SubModelDefs::MaskMismatch();
}
