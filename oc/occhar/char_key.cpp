#include "oc/occhar/char_key.h"

#include "core/persist/archive.h"
#include "core/text/charcode.h"

namespace {

// a sorts before b in one signed field: a specified value before an unspecified (-1) one,
// specified values in signed order.
bool lessSpecified(int32_t a, int32_t b) {
    return a != b && a != -1 && (b == -1 || a < b);
}

bool lessCode(uint32_t a, uint32_t b) {
    return a != b && a != xcOCCharKey::kUnknownCode && (b == xcOCCharKey::kUnknownCode || a < b);
}

bool matchField(int32_t a, int32_t b) {
    return a == b || a == -1 || b == -1;
}

} // namespace

xcOCCharKey::xcOCCharKey(unsigned long characterCode, long instance, long variant, long fontID)
    : code_(static_cast<uint32_t>(characterCode)), instance_(static_cast<int32_t>(instance)),
      variant_(static_cast<int32_t>(variant)), fontID_(static_cast<int32_t>(fontID)) {
}

void xcOCCharKey::reset() {
    *this = xcOCCharKey();
}

bool xcOCCharKey::isRepresentableAsChar() const {
    return xcCharCode::isRepresentableAsChar(code_);
}
bool xcOCCharKey::isRepresentableAsWChar() const {
    return xcCharCode::isRepresentableAsWChar(code_);
}
bool xcOCCharKey::isRepresentableAsTChar() const {
    return xcCharCode::isRepresentableAsTChar(code_);
}
xcOCCharKey::operator char() const {
    return xcCharCode::getAsChar(code_);
}
xcOCCharKey::operator wchar_t() const {
    return xcCharCode::getAsWChar(code_);
}
bool xcOCCharKey::isSpace() const {
    return xcCharCode::isSpace(code_);
}

bool xcOCCharKey::operator==(const xcOCCharKey& o) const {
    return code_ == o.code_ && instance_ == o.instance_ && variant_ == o.variant_ &&
           fontID_ == o.fontID_;
}

bool xcOCCharKey::operator<(const xcOCCharKey& o) const {
    if (code_ != o.code_) return lessCode(code_, o.code_);
    if (fontID_ != o.fontID_) return lessSpecified(fontID_, o.fontID_);
    if (instance_ != o.instance_) return lessSpecified(instance_, o.instance_);
    return lessSpecified(variant_, o.variant_);
}

bool xcOCCharKey::isMatch(const xcOCCharKey& o) const {
    return isCharacterCodeKnown() && o.isCharacterCodeKnown() && code_ == o.code_ &&
           matchField(instance_, o.instance_) && matchField(variant_, o.variant_) &&
           matchField(fontID_, o.fontID_);
}

void xcOCCharKey::setKey(const xoc_charKey& key) {
    code_ = key.characterCode;
    instance_ = key.instance;
    variant_ = key.variant;
    fontID_ = key.fontID;
}

void xcOCCharKey::getKey(xoc_charKey& key) const {
    key.characterCode = code_;
    key.instance = instance_;
    key.variant = variant_;
    key.fontID = fontID_;
}

xcArchive& operator||(xcArchive& ar, xcOCCharKey& key) {
    const unsigned char version = xfExchangeVersion(ar, "xcOCCharKey", 1);
    // Exchanged through locals so that a load that fails halfway leaves the key untouched.
    uint32_t code = static_cast<uint32_t>(key.characterCode());
    int32_t instance = static_cast<int32_t>(key.instance());
    int32_t fontID = static_cast<int32_t>(key.fontID());
    int32_t variant = static_cast<int32_t>(key.variant());
    ar || code || instance || fontID;
    if (version >= 1)
        ar || variant;
    else
        variant = -1;
    if (ar.isLoading()) key = xcOCCharKey(code, instance, variant, fontID);
    return ar;
}
