#include "corrsearch/corrsearch_defs.h"

#include "core/persist/archive.h"
#include "core/persist/instantiator.h"

#include <typeinfo>

namespace {

template <class T>
xcPersistent* make() {
    return new T();
}
const xc_Instantiator sErrors(typeid(xcCorrSearchDefs::Errors), &make<xcCorrSearchDefs::Errors>);
const xc_Instantiator sBadParams(typeid(xcCorrSearchDefs::BadParams),
                                 &make<xcCorrSearchDefs::BadParams>);
const xc_Instantiator sBadImage(typeid(xcCorrSearchDefs::BadImage),
                                &make<xcCorrSearchDefs::BadImage>);
const xc_Instantiator sNotTrained(typeid(xcCorrSearchDefs::NotTrained),
                                  &make<xcCorrSearchDefs::NotTrained>);
const xc_Instantiator sFlatModel(typeid(xcCorrSearchDefs::FlatModel),
                                 &make<xcCorrSearchDefs::FlatModel>);

// Exchanges one level's version byte; only version 0 exists.
void exchangeVersion(xcArchive& ar, const char* className) {
    unsigned char version = 0;
    ar || version;
    if (version != 0) throw xcArchive::UnknownVersion(className, version);
}

} // namespace

xcCorrSearchDefs::Errors::~Errors() = default;
xcCorrSearchDefs::BadParams::~BadParams() = default;
xcCorrSearchDefs::BadImage::~BadImage() = default;
xcCorrSearchDefs::NotTrained::~NotTrained() = default;
xcCorrSearchDefs::FlatModel::~FlatModel() = default;

void xcCorrSearchDefs::Errors::dispatchSerialize(xcArchive& ar) {
    if (haveVisited(ar)) return;
    exchangeVersion(ar, "xcCorrSearchDefs::Errors");
    xcExceptionWithString::dispatchSerialize(ar);
    setVisited(ar);
}

void xcCorrSearchDefs::BadParams::dispatchSerialize(xcArchive& ar) {
    if (haveVisited(ar)) return;
    exchangeVersion(ar, "xcCorrSearchDefs::BadParams");
    Errors::dispatchSerialize(ar);
    setVisited(ar);
}

void xcCorrSearchDefs::BadImage::dispatchSerialize(xcArchive& ar) {
    if (haveVisited(ar)) return;
    exchangeVersion(ar, "xcCorrSearchDefs::BadImage");
    Errors::dispatchSerialize(ar);
    setVisited(ar);
}

void xcCorrSearchDefs::NotTrained::dispatchSerialize(xcArchive& ar) {
    if (haveVisited(ar)) return;
    exchangeVersion(ar, "xcCorrSearchDefs::NotTrained");
    Errors::dispatchSerialize(ar);
    setVisited(ar);
}

void xcCorrSearchDefs::FlatModel::dispatchSerialize(xcArchive& ar) {
    if (haveVisited(ar)) return;
    exchangeVersion(ar, "xcCorrSearchDefs::FlatModel");
    Errors::dispatchSerialize(ar);
    setVisited(ar);
}
