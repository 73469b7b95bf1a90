#include "diag/diag_errors.h"

#include "core/persist/archive.h"
#include "core/persist/instantiator.h"

#include <typeinfo>

namespace {

xcPersistent* makeBadIndex() {
    return new xcDiagDefs::BadIndex();
}
xcPersistent* makeBadParams() {
    return new xcDiagDefs::BadParams();
}
const xc_Instantiator sBadIndex(typeid(xcDiagDefs::BadIndex), &makeBadIndex);
const xc_Instantiator sBadParams(typeid(xcDiagDefs::BadParams), &makeBadParams);

void exchangeVersion(xcArchive& ar, const char* className) {
    unsigned char version = 0;
    ar || version;
    if (version != 0) throw xcArchive::UnknownVersion(className, version);
}

} // namespace

xcDiagDefs::BadIndex::~BadIndex() = default;
xcDiagDefs::BadParams::~BadParams() = default;

void xcDiagDefs::BadIndex::dispatchSerialize(xcArchive& ar) {
    if (haveVisited(ar)) return;
    exchangeVersion(ar, "xcDiagDefs::BadIndex");
    xcExceptionWithString::dispatchSerialize(ar);
    setVisited(ar);
}

void xcDiagDefs::BadParams::dispatchSerialize(xcArchive& ar) {
    if (haveVisited(ar)) return;
    exchangeVersion(ar, "xcDiagDefs::BadParams");
    xcExceptionWithString::dispatchSerialize(ar);
    setVisited(ar);
}
