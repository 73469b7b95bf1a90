#include "core/persist/archive.h"

#include <ostream>

XC_DEFINE_ERROR_WITH_FIELDS(xcArchive::UnknownVersion)
XC_DEFINE_ERROR(xcArchive::BadFormat, xcExceptionWithString)
XC_DEFINE_ERROR(xcArchive::EndOfArchive, xcArchive::BadFormat)
XC_DEFINE_ERROR(xcArchive::IOError, xcExceptionWithString)
XC_DEFINE_ERROR(xcArchive::NotStorable, xcExceptionWithString)

unsigned char xfExchangeVersion(xcArchive& ar, const char* className, unsigned char current,
                                unsigned char oldest) {
    unsigned char version = current;
    ar || version;
    if (version < oldest || version > current) throw xcArchive::UnknownVersion(className, version);
    return version;
}

void xf_ExchangeErrorVersion(xcArchive& ar, const char* className, long reportedNumber) {
    unsigned char version = 0;
    ar || version;
    if (version != 0)
        throw xcArchive::UnknownVersion(className, reportedNumber >= 0 ? reportedNumber : version);
}

void xcArchive::UnknownVersion::dispatchSerialize(xcArchive& ar) {
    if (haveVisited(ar)) return;
    xfExchangeVersion(ar, "xcArchive::UnknownVersion");
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
