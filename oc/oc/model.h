// One trained character as the alphabet sees it: key, model image, optional mask, image area,
// type, name and description.
#pragma once

#include "core/base/handle.h"
#include "core/geom/angle.h"
#include "core/geom/rect.h"
#include "core/geom/xform.h"
#include "core/image/pel_buffer.h"
#include "core/object/instantiator.h"
#include "core/object/persistent.h"
#include "foundation/export.h"

#include <cstdint>
#include <string>

class xcArchive;

// Every constructor and setter keeps this true: a normal character has a bound image, a blank
// one has none, a bound mask has exactly the image's window, and the image area lies inside the
// windows of both bound buffers. A default model (key -1, blank, no buffers) is valid.
class OC_API xcOCModel : public xcPersistent, public xcRepBase {
public:
    // Stored and archived as a 32-bit value.
    enum CharType : std::int32_t {
        eNormal = 0, // a character with a mark
        eBlank = 1   // a blank character such as a space, without a mark
    };

    xcOCModel();
    xcOCModel(long key, const xcPelBuffer_const<unsigned char>& image, const xcPelRect& imageArea,
              CharType type, const std::string& name, const std::string& description);
    xcOCModel(long key, const xcPelBuffer_const<unsigned char>& image,
              const xcPelBuffer_const<unsigned char>& mask, const xcPelRect& imageArea,
              CharType type, const std::string& name, const std::string& description);
    // Copies every field without checks.
    xcOCModel(const xcOCModel& o);
    xcOCModel& operator=(const xcOCModel& o);
    ~xcOCModel() override;

    long key() const { return key_; }
    CharType charType() const { return charType_; }
    const std::string& name() const { return name_; }
    const std::string& description() const { return description_; }
    const xcPelBuffer_const<unsigned char>& image() const { return image_; }
    const xcPelBuffer_const<unsigned char>& mask() const { return mask_; }
    const xcPelRect& imageArea() const { return imageArea_; }

    void key(long key);
    void name(const std::string& name);
    void description(const std::string& description);
    // Replace image and mask together, the image alone or the mask alone; each checks the model
    // with the new buffers and keeps the old ones when the check fails.
    void model(const xcPelBuffer_const<unsigned char>& image,
               const xcPelBuffer_const<unsigned char>& mask);
    void image(const xcPelBuffer_const<unsigned char>& image);
    void mask(const xcPelBuffer_const<unsigned char>& mask);
    // The area must fit in the windows of the bound buffers.
    void imageArea(const xcPelRect& area);

    // The rectangle that the image area can cover: its corners are mapped from image pels to
    // client coordinates and into b's frame (b^-1 * clientFromImage), then placed by a * b with
    // translation uncertainty t in x and y, rotation uncertainty r and scale uncertainty s, and
    // expressed in the frame c maps from (see xfEncloseRect). The uncertainties must be >= 0.
    xcRect encloseRect(const xcXform<2>& a, const xcXform<2>& b, const xcXform<2>& c, double t,
                       xcRadian r, double s) const;

    // Every field equal; bound buffers equal in window, client-from-image transform and pels.
    bool operator==(const xcOCModel& o) const;
    bool operator!=(const xcOCModel& o) const { return !(*this == o); }

protected:
    // Newest version 1: key, image, mask, charType, name, description, imageArea. Version 0 has no
    // description. Loading stores the fields without the model check.
    void dispatchSerialize(xcArchive& ar) override;
    void serialize_(xcArchive& ar, unsigned char version);

private:
    // Checks the model with these buffers and the current area, then stores them.
    void model_(const xcPelBuffer_const<unsigned char>& image,
                const xcPelBuffer_const<unsigned char>& mask);
    static void checkArea_(const xcPelBuffer_const<unsigned char>& image,
                           const xcPelBuffer_const<unsigned char>& mask, const xcPelRect& area);
    static xcPersistent* make();
    static xc_Instantiator sExemplar;

    long key_ = -1;
    xcPelBuffer_const<unsigned char> image_;
    xcPelBuffer_const<unsigned char> mask_;
    CharType charType_ = eBlank;
    std::string name_;
    std::string description_;
    xcPelRect imageArea_;
};

// The same as operator== except that the client-from-image transforms need only agree within
// tol, element by element.
OC_API bool xfRealEq(const xcOCModel& a, const xcOCModel& b, double tol);

// Stores the type as an unsigned 32-bit value; loading reads a 32-bit value and refuses one that
// is not a type.
OC_API xcArchive& operator||(xcArchive& ar, xcOCModel::CharType& type);
