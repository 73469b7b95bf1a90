#include "oc/oc/model.h"

#include "core/geom/polygon.h"
#include "core/geom/xform_base.h"
#include "core/image/pel_buffer_archive.h"
#include "core/image/pel_ops.h"
#include "core/persist/archive.h"
#include "core/persist/archive_geom.h"
#include "foundation/oc_defs.h"
#include "submodel/enclose_rect.h"

#include <utility>

namespace {

using Buffer = xcPelBuffer_const<unsigned char>;

// Two buffers are alike when both are unbound, or both are bound with equal windows, transforms
// (by `sameXform`) and pels. Transforms of unbound buffers do not count.
template <class SameXform>
bool buffersAlike(const Buffer& a, const Buffer& b, SameXform sameXform) {
    if (a.isBound() != b.isBound()) return false;
    if (!a.isBound()) return true;
    return a.window() == b.window() && sameXform(a, b) && xfPelEqual(a, b);
}

bool sameXform(const Buffer& a, const Buffer& b) {
    return xfXformEqual(*a.clientFromImageXform(), *b.clientFromImageXform());
}

bool fieldsEqual(const xcOCModel& a, const xcOCModel& b) {
    return a.key() == b.key() && a.charType() == b.charType() && a.name() == b.name() &&
           a.description() == b.description() && a.imageArea() == b.imageArea();
}

} // namespace

xc_Instantiator xcOCModel::sExemplar(typeid(xcOCModel), &xcOCModel::make);

xcPersistent* xcOCModel::make() {
    return new xcOCModel();
}

xcOCModel::xcOCModel() = default;

xcOCModel::xcOCModel(long key, const Buffer& image, const xcPelRect& imageArea, CharType type,
                     const std::string& name, const std::string& description)
    : key_(key), charType_(type), name_(name), description_(description), imageArea_(imageArea) {
    model_(image, Buffer());
}

xcOCModel::xcOCModel(long key, const Buffer& image, const Buffer& mask, const xcPelRect& imageArea,
                     CharType type, const std::string& name, const std::string& description)
    : key_(key), charType_(type), name_(name), description_(description), imageArea_(imageArea) {
    model_(image, mask);
}

xcOCModel::xcOCModel(const xcOCModel& o)
    : xcPersistent(o), xcRepBase(o), key_(o.key_), image_(o.image_), mask_(o.mask_),
      charType_(o.charType_), name_(o.name_), description_(o.description_),
      imageArea_(o.imageArea_) {
}

xcOCModel& xcOCModel::operator=(const xcOCModel& o) {
    if (this == &o) return *this;
    xcPersistent::operator=(o);
    key_ = o.key_;
    image_ = o.image_;
    mask_ = o.mask_;
    charType_ = o.charType_;
    name_ = o.name_;
    description_ = o.description_;
    imageArea_ = o.imageArea_;
    return *this;
}

xcOCModel::~xcOCModel() = default;

void xcOCModel::key(long key) {
    key_ = key;
    mutating();
}

void xcOCModel::name(const std::string& name) {
    name_ = name;
    mutating();
}

void xcOCModel::description(const std::string& description) {
    description_ = description;
    mutating();
}

void xcOCModel::model(const Buffer& image, const Buffer& mask) {
    mutating();
    model_(image, mask);
}

void xcOCModel::image(const Buffer& image) {
    mutating();
    model_(image, mask_);
}

void xcOCModel::mask(const Buffer& mask) {
    mutating();
    model_(image_, mask);
}

void xcOCModel::imageArea(const xcPelRect& area) {
    mutating();
    checkArea_(image_, mask_, area);
    imageArea_ = area;
}

void xcOCModel::model_(const Buffer& image, const Buffer& mask) {
    if (charType_ == eNormal && !image.isBound())
        throw xcOCDefs::BadImage("Image models must be bound for normal characters.");
    if (charType_ == eBlank && image.isBound())
        throw xcOCDefs::NotImplemented("Bound images are not supported for blank characters");
    if (image.isBound() && mask.isBound() && image.window() != mask.window())
        throw xcOCDefs::BadParams(
            "Character mask window must be equal to the image character model window.");
    checkArea_(image, mask, imageArea_);
    image_ = image;
    mask_ = mask;
}

void xcOCModel::checkArea_(const Buffer& image, const Buffer& mask, const xcPelRect& area) {
    // Windowing a copy to the area is the test: it fails exactly when the area leaves the
    // buffer's window. Only the core's own failures are turned into the model's message.
    try {
        if (image.isBound()) {
            Buffer copy(image);
            copy.window(area, false);
        }
        if (mask.isBound()) {
            Buffer copy(mask);
            copy.window(area, false);
        }
    } catch (const xcException&) {
        throw xcOCDefs::BadParams("The image area must fit within the mask and image windows.");
    }
}

xcRect xcOCModel::encloseRect(const xcXform<2>& a, const xcXform<2>& b, const xcXform<2>& c,
                              double t, xcRadian r, double s) const {
    if (!(t >= 0.0)) throw xcOCDefs::BadParams("Translation uncertainty must be >= 0");
    if (!(r.toDouble() >= 0.0)) throw xcOCDefs::BadParams("Rotation uncertainty must be >= 0");
    if (!(s >= 0.0)) throw xcOCDefs::BadParams("Scale uncertainty must be >= 0");
    const xcPolygon area({imageArea_.ul(), imageArea_.ur(), imageArea_.lr(), imageArea_.ll()}, 0);
    const xcPolygon mapped = area.map(b.inverse() * image_.clientFromImage());
    return xfEncloseRect(mapped, a * b, c, t, t, r, s, 0.0, 0.0, 0.0, 1);
}

bool xcOCModel::operator==(const xcOCModel& o) const {
    return fieldsEqual(*this, o) && buffersAlike(image_, o.image_, sameXform) &&
           buffersAlike(mask_, o.mask_, sameXform);
}

bool xfRealEq(const xcOCModel& a, const xcOCModel& b, double tol) {
    // Linear transforms are compared number by number within tol; any other kind exactly.
    const auto near = [tol](const Buffer& x, const Buffer& y) {
        const xcXformHandle& fx = x.clientFromImageXform();
        const xcXformHandle& fy = y.clientFromImageXform();
        if (fx->isLinear() && fy->isLinear()) return xfRealEq(fx->xform(), fy->xform(), tol);
        return xfXformEqual(*fx, *fy);
    };
    return fieldsEqual(a, b) && buffersAlike(a.image(), b.image(), near) &&
           buffersAlike(a.mask(), b.mask(), near);
}

void xcOCModel::dispatchSerialize(xcArchive& ar) {
    if (haveVisited(ar)) return;
    serialize_(ar, xfExchangeVersion(ar, "xcOCModel", 1));
    setVisited(ar);
}

void xcOCModel::serialize_(xcArchive& ar, unsigned char version) {
    xcPersistent::dispatchSerialize(ar);
    if (ar.isStoring()) {
        ar || key_ || image_ || mask_ || charType_ || name_ || description_ || imageArea_;
        return;
    }
    // Read everything first, so that a damaged archive leaves the model as it was.
    long key = -1;
    Buffer image, mask;
    CharType type = eBlank;
    std::string name, description;
    xcPelRect area;
    ar || key || image || mask || type || name;
    if (version >= 1) ar || description;
    ar || area;
    key_ = key;
    image_ = std::move(image);
    mask_ = std::move(mask);
    charType_ = type;
    name_ = std::move(name);
    description_ = std::move(description);
    imageArea_ = area;
}

xcArchive& operator||(xcArchive& ar, xcOCModel::CharType& type) {
    if (ar.isStoring()) {
        unsigned long v = static_cast<unsigned long>(static_cast<std::uint32_t>(type));
        return ar || v;
    }
    long v = 0;
    ar || v;
    if (v != xcOCModel::eNormal && v != xcOCModel::eBlank)
        throw xcArchive::BadFormat("xcOCModel: unknown character type");
    type = static_cast<xcOCModel::CharType>(v);
    return ar;
}
