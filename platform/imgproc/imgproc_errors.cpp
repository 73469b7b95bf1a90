#include "imgproc/imgproc_errors.h"

#include "core/persist/archive.h"
#include "core/persist/instantiator.h"

#include <typeinfo>

namespace {

xcPersistent* makeBadParams() {
    return new xcImgProcDefs::BadParams();
}
xcPersistent* makeBadImage() {
    return new xcImgProcDefs::BadImage();
}
const xc_Instantiator sBadParams(typeid(xcImgProcDefs::BadParams), &makeBadParams);
const xc_Instantiator sBadImage(typeid(xcImgProcDefs::BadImage), &makeBadImage);

} // namespace

xcImgProcDefs::BadParams::~BadParams() = default;
xcImgProcDefs::BadImage::~BadImage() = default;

void xcImgProcDefs::BadParams::dispatchSerialize(xcArchive& ar) {
    if (haveVisited(ar)) return;
    unsigned char version = 0;
    ar || version;
    if (version != 0) throw xcArchive::UnknownVersion("xcImgProcDefs::BadParams", version);
    xcExceptionWithString::dispatchSerialize(ar);
    setVisited(ar);
}

void xcImgProcDefs::BadImage::dispatchSerialize(xcArchive& ar) {
    if (haveVisited(ar)) return;
    unsigned char version = 0;
    ar || version;
    if (version != 0) throw xcArchive::UnknownVersion("xcImgProcDefs::BadImage", version);
    xcExceptionWithString::dispatchSerialize(ar);
    setVisited(ar);
}
