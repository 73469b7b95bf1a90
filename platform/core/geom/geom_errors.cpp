#include "core/geom/geom_errors.h"

#include "core/persist/archive.h"
#include "core/persist/instantiator.h"

namespace {

xcPersistent* makeSingular() {
    return new xcGeomDefs::Singular();
}
xcPersistent* makeBadParams() {
    return new xcGeomDefs::BadParams();
}

const xc_Instantiator sSingular(typeid(xcGeomDefs::Singular), &makeSingular);
const xc_Instantiator sBadParams(typeid(xcGeomDefs::BadParams), &makeBadParams);

// One version byte per class level; only version 0 exists.
void exchangeVersion(xcArchive& ar, const char* className) {
    unsigned char version = 0;
    ar || version;
    if (version != 0) throw xcArchive::UnknownVersion(className, version);
}

} // namespace

xcGeomDefs::Singular::~Singular() = default;
xcGeomDefs::BadParams::~BadParams() = default;

void xcGeomDefs::Singular::dispatchSerialize(xcArchive& ar) {
    if (haveVisited(ar)) return;
    exchangeVersion(ar, "xcGeomDefs::Singular");
    xcExceptionWithString::dispatchSerialize(ar);
    setVisited(ar);
}

void xcGeomDefs::BadParams::dispatchSerialize(xcArchive& ar) {
    if (haveVisited(ar)) return;
    exchangeVersion(ar, "xcGeomDefs::BadParams");
    xcExceptionWithString::dispatchSerialize(ar);
    setVisited(ar);
}
