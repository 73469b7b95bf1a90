#include "oc/extract/extract_defs.h"

#include "core/persist/archive.h"

using Error = xc_OCExtractDefs::xc_OCExtractError;

Error::xc_OCExtractError(const std::string& message) : xcExceptionWithString(message) {
}

Error::xc_OCExtractError(const xc_OCExtractError& other) : xcExceptionWithString(other) {
}

Error& Error::operator=(const xc_OCExtractError& other) {
    xcExceptionWithString::operator=(other);
    return *this;
}

Error::~xc_OCExtractError() = default;

long Error::errorNumber() const {
    return 0x10007402;
}

void Error::suicideAndRethrow() {
    xc_OCExtractError copy(*this);
    delete this;
    throw copy;
}

void Error::dispatchSerialize(xcArchive& ar) {
    if (haveVisited(ar)) return;
    unsigned char version = 0;
    ar || version;
    serialize_(ar, version);
    setVisited(ar);
}

void Error::serialize_(xcArchive& ar, unsigned char version) {
    if (version != 0) throw xcArchive::UnknownVersion("xc_OCExtractDefs::xc_OCExtractError", 0);
    xcExceptionWithString::dispatchSerialize(ar);
}

xcPersistent* Error::make() {
    return new xc_OCExtractError();
}

xc_Instantiator Error::sExemplar(typeid(xc_OCExtractDefs::xc_OCExtractError), &Error::make);
