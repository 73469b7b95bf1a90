#include "core/base/exception.h"

#include "core/object/exchange.h"
#include "core/object/instantiator.h"

#include <sstream>

namespace {

xcPersistent* makeException() {
    return new xcException();
}
xcPersistent* makeExceptionWithString() {
    return new xcExceptionWithString();
}

const xc_Instantiator sException(typeid(xcException), &makeException);
const xc_Instantiator sExceptionWithString(typeid(xcExceptionWithString), &makeExceptionWithString);

} // namespace

xcException::~xcException() = default;

void xcException::dispatchSerialize(xcArchive& ar) {
    if (haveVisited(ar)) return;
    xfExchangeVersion(ar, "xcException");
    setVisited(ar);
}

long xcException::errorNumber() const {
    return 0x10000000;
}

void xcException::suicideAndRethrow() {
    xcException copy(*this);
    delete this;
    throw copy;
}

void xcException::message_(std::ostream&) const {
}

std::string xcException::message() const {
    std::ostringstream os;
    message_(os);
    return os.str();
}

const char* xcException::what() const noexcept {
    try {
        what_ = message();
    } catch (...) {
        // Out of memory while formatting: an empty text is better than no answer.
        what_.clear();
    }
    return what_.c_str();
}

xcExceptionWithString::xcExceptionWithString(const std::string& message) : text_(message) {
}

xcExceptionWithString::~xcExceptionWithString() = default;

void xcExceptionWithString::dispatchSerialize(xcArchive& ar) {
    if (haveVisited(ar)) return;
    xfExchangeVersion(ar, "xcExceptionWithString");
    std::string text = text_;
    ar || text;
    xcException::dispatchSerialize(ar);
    text_.swap(text);
    setVisited(ar);
}

void xcExceptionWithString::suicideAndRethrow() {
    xcExceptionWithString copy(*this);
    delete this;
    throw copy;
}

void xcExceptionWithString::message_(std::ostream& os) const {
    os << text_;
}
