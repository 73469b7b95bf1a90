#include "submodel/submodel_defs.h"

XC_DEFINE_ERROR(xc_SubModelDefs::Errors, xcExceptionWithString)
XC_DEFINE_ERROR(xc_SubModelDefs::BadParams, xc_SubModelDefs::Errors)
XC_DEFINE_ERROR(xc_SubModelDefs::NotTrained, xc_SubModelDefs::Errors)
XC_DEFINE_ERROR(xc_SubModelDefs::NoCarePels, xc_SubModelDefs::Errors)
XC_DEFINE_ERROR(xc_SubModelDefs::UnboundImage, xc_SubModelDefs::Errors)
XC_DEFINE_ERROR(xc_SubModelDefs::MaskMismatch, xc_SubModelDefs::Errors)
XC_DEFINE_ERROR(xc_SubModelDefs::BadPose, xc_SubModelDefs::Errors)

xc_SubModelDefs::NotTrained::NotTrained() : Errors("The sub-model tool is not trained.") {
}
xc_SubModelDefs::NoCarePels::NoCarePels() : Errors("The sub-model has no cared-for pel.") {
}
xc_SubModelDefs::UnboundImage::UnboundImage() : Errors("The image is unbound.") {
}
xc_SubModelDefs::MaskMismatch::MaskMismatch() : Errors("The mask and the image differ in size.") {
}
xc_SubModelDefs::BadPose::BadPose()
    : Errors("The start pose does not place the sub-model on the image's pel grid.") {
}
