// The key that names one trained character: code, instance, variant and font.
#pragma once

#include "foundation/export.h"
#include "occore/xoc_char.h"

#include <cstdint>

class xcArchive;

// Four 32-bit fields. -1 (bit pattern 0xFFFFFFFF) marks an unspecified instance, variant or
// font, 0xF800 the unknown character code; no other value is special and nothing is checked.
// Values given as long are stored as their low 32 bits, so 0xFFFFFFFF and -1 are the same.
// A key with unspecified parts serves as a pattern (isMatch).
class OC_API xcOCCharKey {
public:
    static constexpr unsigned long kUnknownCode = 0xF800;

    xcOCCharKey(unsigned long characterCode = kUnknownCode, long instance = -1, long variant = -1,
                long fontID = -1);

    // Unknown code; instance, variant and font unspecified.
    void reset();

    unsigned long characterCode() const { return code_; }
    void characterCode(unsigned long code) { code_ = static_cast<uint32_t>(code); }
    long instance() const { return instance_; }
    void instance(long v) { instance_ = static_cast<int32_t>(v); }
    long variant() const { return variant_; }
    void variant(long v) { variant_ = static_cast<int32_t>(v); }
    long fontID() const { return fontID_; }
    void fontID(long v) { fontID_ = static_cast<int32_t>(v); }

    bool isCharacterCodeKnown() const { return code_ != kUnknownCode; }
    bool isInstanceSpecified() const { return instance_ != -1; }
    bool isVariantSpecified() const { return variant_ != -1; }
    bool isFontIDSpecified() const { return fontID_ != -1; }

    // The code's forms as the core library's xcCharCode judges and converts them; the
    // conversions throw xcCharCodeDefs::NotRepresentable for a code without that form.
    bool isRepresentableAsChar() const;
    bool isRepresentableAsWChar() const;
    bool isRepresentableAsTChar() const;
    explicit operator char() const;
    explicit operator wchar_t() const;
    bool isSpace() const;

    bool equalCharacterCode(unsigned long code) const {
        return code_ == static_cast<uint32_t>(code);
    }
    bool equalCharacterCode(const xcOCCharKey& other) const { return code_ == other.code_; }

    // All four fields equal.
    bool operator==(const xcOCCharKey& other) const;
    bool operator!=(const xcOCCharKey& other) const { return !(*this == other); }
    // Strict order by code, font, instance, variant; the first differing field decides. Known
    // codes sort before the unknown one, specified values before unspecified ones; otherwise
    // codes compare unsigned and the other fields signed.
    bool operator<(const xcOCCharKey& other) const;
    // Both codes known and equal, and each of instance, variant and font equal or -1 on either
    // side. A key with the unknown code matches nothing, not even itself.
    bool isMatch(const xcOCCharKey& other) const;

    // Field-by-field exchange with the character core library's key record.
    void setKey(const xoc_charKey& key);
    void getKey(xoc_charKey& key) const;

private:
    uint32_t code_;
    int32_t instance_;
    int32_t variant_;
    int32_t fontID_;
};

// Archive: version byte (1), code (uint32), instance, fontID, then from version 1 on variant
// (int32 each). A version 0 archive loads variant -1; a version above 1 throws
// xcArchive::UnknownVersion. A failed load leaves the key as it was.
OC_API xcArchive& operator||(xcArchive& ar, xcOCCharKey& key);
