#include "core/image/pel_errors.h"

#include "core/persist/archive.h"
#include "core/persist/instantiator.h"

#include <typeinfo>

namespace {

xcPersistent* makeUnboundWindow() {
    return new xcPel::UnboundWindow();
}
xcPersistent* makeBadWindow() {
    return new xcPel::BadWindow();
}
xcPersistent* makeSizeMismatch() {
    return new xcPel::SizeMismatch();
}
xcPersistent* makeBadParams() {
    return new xcPel::BadParams();
}

const xc_Instantiator sUnboundWindow(typeid(xcPel::UnboundWindow), &makeUnboundWindow);
const xc_Instantiator sBadWindow(typeid(xcPel::BadWindow), &makeBadWindow);
const xc_Instantiator sSizeMismatch(typeid(xcPel::SizeMismatch), &makeSizeMismatch);
const xc_Instantiator sBadParams(typeid(xcPel::BadParams), &makeBadParams);

// Exchanges one level's version byte; only version 0 exists.
void exchangeVersion(xcArchive& ar, const char* className) {
    unsigned char version = 0;
    ar || version;
    if (version != 0) throw xcArchive::UnknownVersion(className, version);
}

} // namespace

xcPel::UnboundWindow::~UnboundWindow() = default;
xcPel::BadWindow::~BadWindow() = default;
xcPel::SizeMismatch::~SizeMismatch() = default;
xcPel::BadParams::~BadParams() = default;

void xcPel::UnboundWindow::dispatchSerialize(xcArchive& ar) {
    if (haveVisited(ar)) return;
    exchangeVersion(ar, "xcPel::UnboundWindow");
    xcExceptionWithString::dispatchSerialize(ar);
    setVisited(ar);
}

void xcPel::BadWindow::dispatchSerialize(xcArchive& ar) {
    if (haveVisited(ar)) return;
    exchangeVersion(ar, "xcPel::BadWindow");
    xcExceptionWithString::dispatchSerialize(ar);
    setVisited(ar);
}

void xcPel::SizeMismatch::dispatchSerialize(xcArchive& ar) {
    if (haveVisited(ar)) return;
    exchangeVersion(ar, "xcPel::SizeMismatch");
    xcExceptionWithString::dispatchSerialize(ar);
    setVisited(ar);
}

void xcPel::BadParams::dispatchSerialize(xcArchive& ar) {
    if (haveVisited(ar)) return;
    exchangeVersion(ar, "xcPel::BadParams");
    xcExceptionWithString::dispatchSerialize(ar);
    setVisited(ar);
}
