#include "diag/diag_object.h"

#include "diag/diag_errors.h"

namespace {

void checkCoordinateSystem(long cs) {
    if (cs != xcDisplay::eImageCoords && cs != xcDisplay::eClientCoords)
        throw xcDiagDefs::BadParams("Coordinate system must be 1 (image) or 2 (client)");
}

} // namespace

void xcDiagRecord::claim(Kind k, const std::string& title) {
    if (kind_ != eEmpty) return;
    kind_ = k;
    title_ = title;
}

void xcDiagRecord::image(const xcPelBuffer_const<unsigned char>& image, const std::string& title,
                         unsigned long displayOptions) {
    image_ = image;
    imageTitle_ = title;
    displayOptions_ = displayOptions;
    hasImage_ = true;
    claim(eImage, title);
}

void xcDiagRecord::text(const std::string& body, const std::string& title) {
    texts_.emplace_back(body, title);
    claim(eText, title);
}

void xcDiagRecord::graphics(const xcGraphicList& list, long coordinateSystem,
                            const std::string& title) {
    checkCoordinateSystem(coordinateSystem);
    graphics_.emplace_back(list, coordinateSystem, title);
    claim(eGraphics, title);
}

void xcDiagRecord::recordAnnotation(const std::string& annotation) {
    annotations_.push_back(annotation);
}

const char* xfDiagRecordKindName(xcDiagRecord::Kind kind) {
    switch (kind) {
    case xcDiagRecord::eImage:
        return "image";
    case xcDiagRecord::eText:
        return "text";
    case xcDiagRecord::eGraphics:
        return "graphics";
    case xcDiagRecord::eEmpty:
        break;
    }
    return "empty";
}

xcDiagObject::xcDiagObject() = default;
xcDiagObject::~xcDiagObject() = default;

void xcDiagObject::level(long v) {
    if (v < 0) throw xcDiagDefs::BadParams("Diagnostic level must be >= 0");
    level_ = v;
}

xcDiagRecord* xcDiagObject::newDiagRecord() {
    records_.push_back(std::make_unique<xcDiagRecord>(level_));
    return records_.back().get();
}

xcDiagRecord* xcDiagObject::diagRecord(long index) {
    if (index < 0 || index >= numRecords())
        throw xcDiagDefs::BadIndex("Diagnostic record index out of range");
    return records_[static_cast<std::size_t>(index)].get();
}

const xcDiagRecord* xcDiagObject::diagRecord(long index) const {
    return const_cast<xcDiagObject*>(this)->diagRecord(index);
}

xcDiagRecord* xf_AddImage(xcDiagObject* diag, const xcPelBuffer_const<unsigned char>& image,
                          const std::string& title, unsigned long displayOptions) {
    if (!diag) return nullptr;
    xcDiagRecord* r = diag->newDiagRecord();
    r->image(image, title, displayOptions);
    return r;
}

xcDiagRecord* xf_AddText(xcDiagObject* diag, const std::string& body, const std::string& title) {
    if (!diag) return nullptr;
    xcDiagRecord* r = diag->newDiagRecord();
    r->text(body, title);
    return r;
}

xcDiagRecord* xf_AddGraphics(xcDiagObject* diag, const xcGraphicList& list, long coordinateSystem,
                             const std::string& title, unsigned long displayOptions) {
    if (!diag) return nullptr;
    checkCoordinateSystem(coordinateSystem);
    xcDiagRecord* r = diag->newDiagRecord();
    r->graphics(list, coordinateSystem, title);
    r->displayOptions(displayOptions);
    return r;
}

xcDiagRecord* xf_AddGraphics(xcDiagObject* diag, const xcGraphicList& list,
                             const std::string& title, unsigned long displayOptions) {
    return xf_AddGraphics(diag, list, xcDisplay::eClientCoords, title, displayOptions);
}
