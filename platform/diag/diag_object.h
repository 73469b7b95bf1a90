// The diagnostics recorder: an ordered list of records (images, texts, graphics) that
// operations fill to explain their work.
#pragma once

#include "core/image/pel_buffer.h"
#include "diag/export.h"
#include "diag/graphics.h"

#include <memory>
#include <string>
#include <vector>

// One titled text of a record.
class XDIAG_API xcDiagText {
public:
    xcDiagText(const std::string& body, const std::string& title) : body_(body), title_(title) {}

    const std::string& body() const { return body_; }
    const std::string& title() const { return title_; }

    friend bool operator==(const xcDiagText&, const xcDiagText&) = default;

private:
    std::string body_, title_;
};

// One titled graphics list of a record, with the coordinate system it is drawn in
// (xcDisplay::eImageCoords = 1 or xcDisplay::eClientCoords = 2).
class XDIAG_API xcDiagGraphics {
public:
    xcDiagGraphics(const xcGraphicList& list, long coordinateSystem, const std::string& title)
        : list_(list), coordinateSystem_(coordinateSystem), title_(title) {}

    const xcGraphicList& list() const { return list_; }
    long coordinateSystem() const { return coordinateSystem_; }
    const std::string& title() const { return title_; }

private:
    xcGraphicList list_;
    long coordinateSystem_;
    std::string title_;
};

// One record: at most one image, then any number of texts, graphics lists and annotations, each
// kept in the order added. The record's kind is fixed by the first content it receives (an
// image, a text or a graphics list) and its title is that content's title; a record that has
// received nothing yet is eEmpty with an empty title. The level is the recorder's level when
// the record was made: deeper levels nest under the record before them.
class XDIAG_API xcDiagRecord {
public:
    enum Kind : long { eEmpty = 0, eImage = 1, eText = 2, eGraphics = 3 };

    explicit xcDiagRecord(long level = 0) : level_(level) {}

    Kind kind() const { return kind_; }
    long level() const { return level_; }
    const std::string& title() const { return title_; }

    // Shows the image (a handle: the pels are shared, not copied) under a title; a second call
    // replaces the first. The image may be unbound. The display options are passed through to
    // whatever shows the record.
    void image(const xcPelBuffer_const<unsigned char>& image, const std::string& title,
               unsigned long displayOptions = 0);
    bool hasImage() const { return hasImage_; }
    // An unbound buffer when there is no image.
    const xcPelBuffer_const<unsigned char>& image() const { return image_; }
    const std::string& imageTitle() const { return imageTitle_; }
    unsigned long displayOptions() const { return displayOptions_; }
    void displayOptions(unsigned long options) { displayOptions_ = options; }

    // Adds a text with its title.
    void text(const std::string& body, const std::string& title);
    const std::vector<xcDiagText>& texts() const { return texts_; }

    // Adds a copy of a graphics list to draw in coordinate system 1 (image pels) or 2 (client);
    // any other value throws xcDiagDefs::BadParams and adds nothing.
    void graphics(const xcGraphicList& list, long coordinateSystem, const std::string& title);
    const std::vector<xcDiagGraphics>& graphics() const { return graphics_; }

    // Adds a note to the record.
    void recordAnnotation(const std::string& annotation);
    const std::vector<std::string>& annotations() const { return annotations_; }

private:
    void claim(Kind k, const std::string& title);

    long level_;
    Kind kind_ = eEmpty;
    std::string title_;
    bool hasImage_ = false;
    xcPelBuffer_const<unsigned char> image_;
    std::string imageTitle_;
    unsigned long displayOptions_ = 0;
    std::vector<xcDiagText> texts_;
    std::vector<xcDiagGraphics> graphics_;
    std::vector<std::string> annotations_;
};

// The recorder. It owns its records: the pointers it hands out stay valid as long as it lives,
// however many records are added after them. Not copyable.
// "empty", "image", "text" or "graphics": the kind's name as dumps and reports show it.
XDIAG_API const char* xfDiagRecordKindName(xcDiagRecord::Kind kind);

class XDIAG_API xcDiagObject {
public:
    xcDiagObject();
    ~xcDiagObject();
    xcDiagObject(const xcDiagObject&) = delete;
    xcDiagObject& operator=(const xcDiagObject&) = delete;

    // The nesting depth given to new records; starts at 0. A negative level throws
    // xcDiagDefs::BadParams.
    long level() const { return level_; }
    void level(long v);

    // Appends an empty record at the current level and returns it.
    xcDiagRecord* newDiagRecord();
    // The record at index 0 .. numRecords() - 1, in the order made; another index throws
    // xcDiagDefs::BadIndex.
    xcDiagRecord* diagRecord(long index);
    const xcDiagRecord* diagRecord(long index) const;
    long numRecords() const { return static_cast<long>(records_.size()); }

    // Whether a kind of record is wanted: every bit of `what` is set in `flags`, and `what` has
    // at least one bit. (flags & what) == what && what != 0.
    static bool shouldRecord(unsigned long flags, unsigned long what) {
        return what != 0 && (flags & what) == what;
    }

private:
    long level_ = 0;
    std::vector<std::unique_ptr<xcDiagRecord>> records_;
};

// Each of these adds one record to the recorder and returns it; with a null recorder they do
// nothing and return null.
//
// An image record: the image under a title, with display options.
XDIAG_API xcDiagRecord* xf_AddImage(xcDiagObject* diag,
                                    const xcPelBuffer_const<unsigned char>& image,
                                    const std::string& title, unsigned long displayOptions = 0);
// A text record: the body under a title.
XDIAG_API xcDiagRecord* xf_AddText(xcDiagObject* diag, const std::string& body,
                                   const std::string& title);
// A graphics record: the list drawn in the given coordinate system (1 image, 2 client; another
// value throws xcDiagDefs::BadParams before anything is added).
XDIAG_API xcDiagRecord* xf_AddGraphics(xcDiagObject* diag, const xcGraphicList& list,
                                       long coordinateSystem, const std::string& title,
                                       unsigned long displayOptions = 0);
// A graphics record in client coordinates (2).
XDIAG_API xcDiagRecord* xf_AddGraphics(xcDiagObject* diag, const xcGraphicList& list,
                                       const std::string& title, unsigned long displayOptions = 0);
