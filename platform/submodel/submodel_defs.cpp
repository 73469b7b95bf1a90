#include "submodel/submodel_defs.h"

#include "core/persist/archive.h"
#include "core/persist/instantiator.h"

#include <typeinfo>

namespace {

template <class T>
xcPersistent* make() {
    return new T();
}
const xc_Instantiator sErrors(typeid(xc_SubModelDefs::Errors), &make<xc_SubModelDefs::Errors>);
const xc_Instantiator sBadParams(typeid(xc_SubModelDefs::BadParams),
                                 &make<xc_SubModelDefs::BadParams>);
const xc_Instantiator sNotTrained(typeid(xc_SubModelDefs::NotTrained),
                                  &make<xc_SubModelDefs::NotTrained>);
const xc_Instantiator sNoCarePels(typeid(xc_SubModelDefs::NoCarePels),
                                  &make<xc_SubModelDefs::NoCarePels>);
const xc_Instantiator sUnboundImage(typeid(xc_SubModelDefs::UnboundImage),
                                    &make<xc_SubModelDefs::UnboundImage>);
const xc_Instantiator sMaskMismatch(typeid(xc_SubModelDefs::MaskMismatch),
                                    &make<xc_SubModelDefs::MaskMismatch>);
const xc_Instantiator sBadPose(typeid(xc_SubModelDefs::BadPose), &make<xc_SubModelDefs::BadPose>);

// Exchanges one level's version byte; only version 0 exists.
void exchangeVersion(xcArchive& ar, const char* className) {
    unsigned char version = 0;
    ar || version;
    if (version != 0) throw xcArchive::UnknownVersion(className, version);
}

} // namespace

xc_SubModelDefs::Errors::~Errors() = default;
xc_SubModelDefs::BadParams::~BadParams() = default;
xc_SubModelDefs::NotTrained::~NotTrained() = default;
xc_SubModelDefs::NoCarePels::~NoCarePels() = default;
xc_SubModelDefs::UnboundImage::~UnboundImage() = default;
xc_SubModelDefs::MaskMismatch::~MaskMismatch() = default;
xc_SubModelDefs::BadPose::~BadPose() = default;

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

void xc_SubModelDefs::Errors::dispatchSerialize(xcArchive& ar) {
    if (haveVisited(ar)) return;
    exchangeVersion(ar, "xc_SubModelDefs::Errors");
    xcExceptionWithString::dispatchSerialize(ar);
    setVisited(ar);
}

// Each derived class frames its own version byte before its base's part.
#define XC_SUBMODEL_SERIALIZE(Class)                                                               \
    void xc_SubModelDefs::Class::dispatchSerialize(xcArchive& ar) {                                \
        if (haveVisited(ar)) return;                                                               \
        exchangeVersion(ar, "xc_SubModelDefs::" #Class);                                           \
        Errors::dispatchSerialize(ar);                                                             \
        setVisited(ar);                                                                            \
    }

XC_SUBMODEL_SERIALIZE(BadParams)
XC_SUBMODEL_SERIALIZE(NotTrained)
XC_SUBMODEL_SERIALIZE(NoCarePels)
XC_SUBMODEL_SERIALIZE(UnboundImage)
XC_SUBMODEL_SERIALIZE(MaskMismatch)
XC_SUBMODEL_SERIALIZE(BadPose)
