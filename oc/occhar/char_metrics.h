// Where a character lies in its image: cell, mark and detected mark rectangles and the advance.
#pragma once

#include "core/geom/rect.h"
#include "core/geom/vector.h"
#include "core/geom/xform.h"
#include "foundation/export.h"
#include "occore/xoc_char.h"

#include <cstdint>

class xcArchive;
class xc_PelBuffer;

// Each box exists in client coordinates (an xcRect of doubles) and in image coordinates (an
// xcPelRect whose four integers are fixed-point numbers: value = integer / 2^fractionBits).
// Every box and the advance has its own "specified" flag, independent of its value; reading an
// unspecified one throws, writing a value never touches the flag.
class OC_API xcOCCharMetrics {
public:
    // Single bits, so that they combine into the mask of specified rectangles.
    enum RectType : unsigned int {
        eCellRect = 1,               // cell, client coordinates
        eCellRectImage = 2,          // cell, image coordinates (fixed point)
        eMarkRect = 4,               // mark, client coordinates
        eMarkRectImage = 8,          // mark, image coordinates (fixed point)
        eDetectedMarkRect = 16,      // detected mark, client coordinates
        eDetectedMarkRectImage = 32, // detected mark, image coordinates (fixed point)
    };

    // Nothing specified, 16 fraction bits, default rectangles and advance.
    xcOCCharMetrics();
    void reset();
    // A default object on which makeBlank was called.
    static xcOCCharMetrics blankMetrics();

    // Every field, flags and values whose flag is clear alike, in declaration order.
    bool operator==(const xcOCCharMetrics& other) const;
    bool operator!=(const xcOCCharMetrics& other) const { return !(*this == other); }

    // A type other than the six single bits throws xcOCDefs::BadParams "Illegal metrics rect
    // type" in every operation that takes one, before anything changes.
    bool isRectSpecified(RectType type) const;
    void isRectSpecified(RectType type, bool specified);
    bool isMarkRectSpecified() const { return isRectSpecified(eMarkRect); }
    void isMarkRectSpecified(bool v) { isRectSpecified(eMarkRect, v); }
    bool hasDetectedMarkRect() const { return isRectSpecified(eDetectedMarkRect); }
    void hasDetectedMarkRect(bool v) { isRectSpecified(eDetectedMarkRect, v); }
    bool isAdvanceSpecified() const { return advanceSpecified_; }
    void isAdvanceSpecified(bool v) { advanceSpecified_ = v; }

    // The rectangle; an unspecified one throws xcOCDefs::RectNotSpecified (empty message). An
    // image type comes back converted from fixed point.
    xcRect rect(RectType type) const;
    // Stores the rectangle without touching the flags. An image type is converted to fixed
    // point; a value that does not fit throws xcOCDefs::IntegerOverflow ("Value overflows fixed
    // point value range", or "... integer value range" when x + w or y + h does not fit).
    void rect(RectType type, const xcRect& r);
    // The pel rectangle's edges as an xcRect (so an image type stores pels in fixed point).
    void rect(RectType type, const xcPelRect& r);
    xcRect cellRect() const { return rect(eCellRect); }
    void cellRect(const xcRect& r) { rect(eCellRect, r); }
    xcRect markRect() const { return rect(eMarkRect); }
    void markRect(const xcRect& r) { rect(eMarkRect, r); }
    xcRect detectedMarkRect() const { return rect(eDetectedMarkRect); }
    void detectedMarkRect(const xcRect& r) { rect(eDetectedMarkRect, r); }

    // Throws xcOCDefs::MetricNotSpecified (empty message) when the advance is not specified.
    xcVector<2> advance() const;
    void advance(const xcVector<2>& v) { advance_ = v; }

    long fractionBits() const { return fractionBits_; }

    // The enclosing pel rectangle of rect(type). Each of ul.x, ul.y, lr.x, lr.y outside
    // [-2147483648, 2147483647] (or NaN) throws xcOCDefs::IntegerOverflow "Value overflows
    // integer value range".
    xcPelRect encloseRect(RectType type) const;
    // In image pels: an image type as encloseRect; a client type as the enclosing pel rectangle
    // of the bounding box of its three corners ul, ur, ll mapped by imageFromClient (same range
    // checks).
    xcPelRect encloseRectImage(RectType type, const xcXform<2>& imageFromClient) const;
    // The image's imageFromClient transform must be linear, else xcOCDefs::BadParams "image must
    // have a linear imageFromClient transform".
    xcPelRect encloseRectImage(RectType type, const xc_PelBuffer& image) const;

    // For cell, mark and detected mark: a specified client rectangle is mapped as in
    // encloseRectImage and its bounding box (not enclosed in pels) stored as the image
    // rectangle, in fixed point; then the image flag takes the client flag, so an image
    // rectangle whose client one is unspecified keeps its value but becomes unspecified. All or
    // nothing: a failure leaves every rectangle as it was.
    void setImageRectsFromClientRects(const xcXform<2>& imageFromClient);
    void setImageRectsFromClientRects(const xc_PelBuffer& image);

    // Blank when the specified ones of the mark rectangle (degenerate) and the mark image
    // rectangle (fixed width or height <= 0) say so; false when neither is specified; throws
    // xcOCDefs::MetricNotSpecified (empty message) when both are specified and disagree.
    bool isBlank() const;
    // Mark and detected mark rectangles (client and image) become default rectangles and
    // specified; cell rectangles and the advance are left alone.
    void makeBlank();

    // Exchange with the character core library's record: flag bits 1 .. 32 one by one (other
    // bits dropped), advanceSpecified as 0/1 (non-zero reads true), image rectangles and
    // fractionBits as raw integers, client rectangles and advance as doubles.
    void setMetrics(const xoc_charMetrics& m);
    void getMetrics(xoc_charMetrics& m) const;

    friend OC_API xcArchive& operator||(xcArchive& ar, xcOCCharMetrics& m);

private:
    // The storage of a type: exactly one of client / image is non-null.
    void getRect_(RectType type, const xcRect*& client, const xcPelRect*& image) const;
    void getRect_(RectType type, xcRect*& client, xcPelRect*& image);

    uint32_t specifiedRects_;
    bool advanceSpecified_;
    xcPelRect cellRectImage_;
    xcPelRect markRectImage_;
    xcPelRect detectedMarkRectImage_;
    int32_t fractionBits_;
    xcRect cellRect_;
    xcRect markRect_;
    xcRect detectedMarkRect_;
    xcVector<2> advance_;
};

// Archive: version byte (1; any other version, 0 included, throws xcArchive::UnknownVersion),
// specifiedRects (uint32), advanceSpecified (bool), the three image rectangles (xcPelRect),
// fractionBits (int32), the three client rectangles (xcRect), advance (xcVector<2>). A failed
// load leaves the metrics as they were.
OC_API xcArchive& operator||(xcArchive& ar, xcOCCharMetrics& m);
