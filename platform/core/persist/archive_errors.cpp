#include "core/persist/archive.h"
#include "core/persist/instantiator.h"

#include <ostream>

namespace {

xcPersistent* makeUnknownVersion() {
    return new xcArchive::UnknownVersion();
}
xcPersistent* makeBadFormat() {
    return new xcArchive::BadFormat();
}
xcPersistent* makeEndOfArchive() {
    return new xcArchive::EndOfArchive();
}
xcPersistent* makeIOError() {
    return new xcArchive::IOError();
}
xcPersistent* makeNotStorable() {
    return new xcArchive::NotStorable();
}

const xc_Instantiator sUnknownVersion(typeid(xcArchive::UnknownVersion), &makeUnknownVersion);
const xc_Instantiator sBadFormat(typeid(xcArchive::BadFormat), &makeBadFormat);
const xc_Instantiator sEndOfArchive(typeid(xcArchive::EndOfArchive), &makeEndOfArchive);
const xc_Instantiator sIOError(typeid(xcArchive::IOError), &makeIOError);
const xc_Instantiator sNotStorable(typeid(xcArchive::NotStorable), &makeNotStorable);

// Exchanges one class level's version byte; only version 0 exists.
void exchangeVersion(xcArchive& ar, const char* className) {
    unsigned char version = 0;
    ar || version;
    if (version != 0) throw xcArchive::UnknownVersion(className, version);
}

} // namespace

xcArchive::UnknownVersion::~UnknownVersion() = default;

void xcArchive::UnknownVersion::dispatchSerialize(xcArchive& ar) {
    if (haveVisited(ar)) return;
    exchangeVersion(ar, "xcArchive::UnknownVersion");
    std::string text = text_;
    long number = number_;
    ar || text || number;
    xcException::dispatchSerialize(ar);
    text_.swap(text);
    number_ = number;
    setVisited(ar);
}

void xcArchive::UnknownVersion::message_(std::ostream& os) const {
    os << "Unknown version " << number_ << " of " << text_;
}

xcArchive::BadFormat::~BadFormat() = default;

void xcArchive::BadFormat::dispatchSerialize(xcArchive& ar) {
    if (haveVisited(ar)) return;
    exchangeVersion(ar, "xcArchive::BadFormat");
    xcExceptionWithString::dispatchSerialize(ar);
    setVisited(ar);
}

xcArchive::EndOfArchive::~EndOfArchive() = default;

void xcArchive::EndOfArchive::dispatchSerialize(xcArchive& ar) {
    if (haveVisited(ar)) return;
    exchangeVersion(ar, "xcArchive::EndOfArchive");
    BadFormat::dispatchSerialize(ar);
    setVisited(ar);
}

xcArchive::IOError::~IOError() = default;

void xcArchive::IOError::dispatchSerialize(xcArchive& ar) {
    if (haveVisited(ar)) return;
    exchangeVersion(ar, "xcArchive::IOError");
    xcExceptionWithString::dispatchSerialize(ar);
    setVisited(ar);
}

xcArchive::NotStorable::~NotStorable() = default;

void xcArchive::NotStorable::dispatchSerialize(xcArchive& ar) {
    if (haveVisited(ar)) return;
    exchangeVersion(ar, "xcArchive::NotStorable");
    xcExceptionWithString::dispatchSerialize(ar);
    setVisited(ar);
}
