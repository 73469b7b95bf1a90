#include "align/align_defs.h"

#include "core/persist/archive.h"
#include "core/persist/instantiator.h"

#include <typeinfo>

namespace {

xcPersistent* makeErrors() {
    return new xc_AlignDefs::Errors();
}
xcPersistent* makeInternalError() {
    return new xc_AlignDefs::InternalError();
}
xcPersistent* makeBadParams() {
    return new xc_AlignDefs::BadParams();
}
const xc_Instantiator sErrors(typeid(xc_AlignDefs::Errors), &makeErrors);
const xc_Instantiator sInternalError(typeid(xc_AlignDefs::InternalError), &makeInternalError);
const xc_Instantiator sBadParams(typeid(xc_AlignDefs::BadParams), &makeBadParams);

// Exchanges one level's version byte; only version 0 exists.
void exchangeVersion(xcArchive& ar, const char* className) {
    unsigned char version = 0;
    ar || version;
    if (version != 0) throw xcArchive::UnknownVersion(className, version);
}

} // namespace

xc_AlignDefs::Errors::~Errors() = default;
xc_AlignDefs::InternalError::~InternalError() = default;
xc_AlignDefs::BadParams::~BadParams() = default;

void xc_AlignDefs::Errors::dispatchSerialize(xcArchive& ar) {
    if (haveVisited(ar)) return;
    exchangeVersion(ar, "xc_AlignDefs::Errors");
    xcExceptionWithString::dispatchSerialize(ar);
    setVisited(ar);
}

void xc_AlignDefs::InternalError::dispatchSerialize(xcArchive& ar) {
    if (haveVisited(ar)) return;
    exchangeVersion(ar, "xc_AlignDefs::InternalError");
    Errors::dispatchSerialize(ar);
    setVisited(ar);
}

void xc_AlignDefs::BadParams::dispatchSerialize(xcArchive& ar) {
    if (haveVisited(ar)) return;
    exchangeVersion(ar, "xc_AlignDefs::BadParams");
    xcExceptionWithString::dispatchSerialize(ar);
    setVisited(ar);
}
