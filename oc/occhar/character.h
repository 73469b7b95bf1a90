// One sample of a character: images, image area, key, metrics, polarity, threshold and names.
#pragma once

#include "core/geom/rect.h"
#include "core/geom/vector.h"
#include "core/image/pel_buffer.h"
#include "foundation/export.h"
#include "foundation/oc_defs.h"
#include "oc/occhar/char_key.h"
#include "oc/occhar/char_metrics.h"
#include "occore/xoc_char.h"

#include <cstdint>
#include <string>
#include <vector>

class xcArchive;

// A plain value class. Copies share pixel memory through the images' reference-counted buffers;
// every setter that takes an image stores its own pixel copy. Every setter checks its argument
// before it changes anything.
//
// Invariants:
// - binarizedImageCached implies that binarizedImage holds the normalized image mapped through
//   threshold and invert (grey < threshold -> low, else high; (low, high) = (0, 255), or
//   (255, 0) with invert). Changing threshold, invert, hasThresholdAndInvert or the normalized
//   image drops the cache.
// - name / name32 (and description / description32) hold the same text when it can be written
//   in 8 bits; name is empty when name32 holds a code that cannot. The record exchange and the
//   archive set all four independently.
// - Setting the image, mask or normalized image, or changing the image area or the polarity,
//   drops the detected mark (client rectangle and its flag; the image rectangle stays).
// - threshold and the image area fit in 32 bits (the record and the archive hold 32 bits).
class OC_API xcOCChar {
public:
    using Image = xcPelBuffer_const<unsigned char>;
    // Text of 32-bit codes; every code holds a 32-bit value.
    using String32 = std::basic_string<unsigned long>;

    xcOCChar();
    xcOCChar(const xcOCChar& other);
    xcOCChar& operator=(const xcOCChar& other);
    ~xcOCChar();

    // Back to a new character's state.
    void reset();

    // Field by field; images are equal when both are unbound or their window pels are equal.
    bool operator==(const xcOCChar& other) const;
    bool operator!=(const xcOCChar& other) const { return !(*this == other); }

    const xcOCCharKey& key() const { return key_; }
    void key(const xcOCCharKey& k) { key_ = k; }
    unsigned long characterCode() const { return key_.characterCode(); }
    void characterCode(unsigned long code) { key_.characterCode(code); }
    // The setter copies the metrics as given and does not drop the detected mark.
    const xcOCCharMetrics& metrics() const { return metrics_; }
    void metrics(const xcOCCharMetrics& m) { metrics_ = m; }

    // name() throws xcCharCodeDefs::NotRepresentable (empty message) when the 8-bit form is
    // empty but the 32-bit one is not. name(s) widens s byte by byte, each byte a signed 8-bit
    // value whose sign extends into the 32-bit code; name32(s) narrows s through xcCharCode (the
    // 8-bit form becomes empty at the first code without an 8-bit character). A code wider
    // than 32 bits keeps its low 32 bits.
    std::string name() const;
    const String32& name32() const { return name32_; }
    void name(const std::string& s);
    void name32(const String32& s);
    std::string description() const;
    const String32& description32() const { return description32_; }
    void description(const std::string& s);
    void description32(const String32& s);

    xcOCDefs::Polarity polarity() const { return polarity_; }
    // 1, 2 or 4, else xcOCDefs::BadParams "Unknown polarity". A change drops the detected mark.
    void polarity(xcOCDefs::Polarity p);

    bool hasThresholdAndInvert() const { return hasThresholdAndInvert_; }
    void hasThresholdAndInvert(bool v);
    // Without hasThresholdAndInvert the getters throw xcOCDefs::ThresholdAndInvertNotSpecified
    // (empty message). threshold(t): t < 0 throws xcOCDefs::BadParams "Threshold must be >= 0.",
    // t beyond 32 bits xcOCDefs::IntegerOverflow "Value overflows integer value range"; no other
    // upper bound, and hasThresholdAndInvert is not set.
    long threshold() const;
    void threshold(long t);
    bool invert() const;
    void invert(bool v);

    const xcPelRect& imageArea() const { return imageArea_; }
    // A change drops the detected mark. Coordinates or sizes beyond 32 bits throw
    // xcOCDefs::IntegerOverflow "Value overflows integer value range".
    void imageArea(const xcPelRect& r);
    // The image area for blank metrics; otherwise the window of imageMarkRect(), or the image
    // area when no mark rectangle is specified.
    xcPelRect markOrImageArea() const;

    // The stored buffers (sharing pixels). With useImageArea a bound buffer comes back windowed
    // to the image area: a null area throws xcOCDefs::BadParams "imageArea cannot be null", one
    // not inside the window "image does not contain imageArea".
    Image image(bool useImageArea) const;
    Image mask(bool useImageArea) const;
    Image normalizedImage(bool useImageArea) const;
    // Needs threshold and invert (else ThresholdAndInvertNotSpecified, empty message); builds the
    // cache when it is not valid (a threshold above 256 throws xcOCDefs::BadParams
    // "threshold() > 256)"). An unbound normalized image gives an unbound result.
    Image binarizedImage(bool useImageArea);

    // The buffer windowed to the mark rectangle: the first specified of eMarkRectImage,
    // eDetectedMarkRectImage, eMarkRect, eDetectedMarkRect, enclosed in pels through the
    // buffer's imageFromClient transform and intersected with its window (a zero-size window at
    // the nearest window position when they do not meet). None specified throws
    // xcOCDefs::RectNotSpecified (empty message); an unbound buffer comes back as it is.
    Image imageMarkRect() const;
    Image maskMarkRect() const;
    Image normalizedImageMarkRect() const;
    // The same for the binarized image, computed by the character core library on this
    // character's record; failures arrive as the library's exceptions (threshold and invert are
    // checked before the rectangle).
    Image binarizedImageMarkRect() const;

    // Each stores a private copy of src by the root copy rule and drops the detected mark: an
    // unbound src is stored as it is; a non-null rootCopyRect must contain src's window (else
    // xcOCDefs::BadParams "Root copy rect does not contain image window") and the part of src's
    // root inside it is copied, showing src's window; a null one copies exactly the window.
    void image(const Image& src, const xcPelRect& rootCopyRect = xcPelRect());
    void mask(const Image& src, const xcPelRect& rootCopyRect = xcPelRect());
    // Also drops the binarized cache.
    void normalizedImage(const Image& src, const xcPelRect& rootCopyRect = xcPelRect());
    // Sets the normalized image, threshold and invert through the character core library; a
    // threshold outside 0 .. 256 throws xcOCDefs::BadParams "Threshold must be between 0 and
    // 256 inclusive". On failure the character is unchanged.
    void normalizedImage(const Image& src, bool hasThresholdAndInvert, long threshold, bool invert,
                         const xcPelRect& rootCopyRect = xcPelRect());

    // Moves the client origin to the old client point `offset`: the image's and mask's
    // imageFromClient become imageFromClient * Translation(offset); specified, non-degenerate
    // cell, mark and detected mark rectangles move by -offset. Image rectangles and the other
    // images stay.
    void moveOrigin(const xcVector<2>& offset);

    // `key` with an instance no key of `keys` with the same code uses: unchanged when its
    // instance is specified and unused, else the smallest free instance counted from 0 (the
    // first position i of the sorted used instances whose value is not i). Font and variant play
    // no part. 2147483647 used instances throw xcOCDefs::BadParams "All key values in use".
    static xcOCCharKey makeUniqueInstanceKey(const xcOCCharKey& key,
                                             const std::vector<xcOCCharKey>& keys);
    static xcOCCharKey makeUniqueInstanceKey(const xcOCCharKey& key,
                                             const std::vector<xcOCChar>& chars);
    // Gives the first key instance 0 when it has none, then makes every later key unique
    // against the keys before it. True when a key after the first was changed.
    static bool makeUniqueInstanceKeys(std::vector<xcOCCharKey>& keys);

    // Replaces the whole character from a record (flags cleared first; key, metrics, polarity,
    // image area, threshold, invert, texts, images, then the two flags). With copyImages bound
    // images are copied, else they share the record's pixels. A polarity other than 1, 2 or 4
    // throws xcOCDefs::BadParams "Illegal polarity" with key, metrics and the cleared flags
    // already taken.
    void setCharacter(const xoc_char& rec, bool copyImages);
    // Fills a record made by xoc_char_construct. The record holds its own references to the
    // pixels (deep copies with copyImages) and its own copies of the texts, so it stays valid
    // after this character is gone. Texts end at their first 0 code.
    void getCharacter(xoc_char& rec, bool copyImages) const;

    friend OC_API xcArchive& operator||(xcArchive& ar, xcOCChar& c);

private:
    void dropDetectedMark_();
    void dropBinarizedCache_();
    void buildBinarizedCache_();
    Image windowedToImageArea_(const Image& buffer, bool useImageArea) const;
    Image windowedToMark_(const Image& buffer) const;

    xcOCCharKey key_;
    xcOCDefs::Polarity polarity_;
    Image image_;
    Image mask_;
    Image normalizedImage_;
    bool binarizedImageCached_;
    Image binarizedImage_;
    bool hasThresholdAndInvert_;
    int32_t threshold_;
    bool invert_;
    xcPelRect imageArea_;
    xcOCCharMetrics metrics_;
    String32 name32_;
    String32 description32_;
    std::string name_;
    std::string description_;
};

// Archive: version byte (1; any other version, 0 included, throws xcArchive::UnknownVersion),
// key, polarity (uint32), image, mask, normalizedImage, binarizedImageCached (bool),
// binarizedImage, hasThresholdAndInvert (bool), threshold (int32), invert (bool), imageArea,
// metrics, name32, description32, name, description. A loaded polarity other than 1, 2 or 4
// throws xcOCDefs::BadParams "Illegal polarity". A failed load leaves the character as it was.
OC_API xcArchive& operator||(xcArchive& ar, xcOCChar& c);
