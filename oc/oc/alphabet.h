// The set of character models a reading may meet, with their confusion scores and offsets.
#pragma once

#include "core/base/handle.h"
#include "core/geom/nmmatrix.h"
#include "core/geom/xform.h"
#include "core/object/instantiator.h"
#include "core/object/persistent.h"
#include "foundation/export.h"
#include "oc/oc/model.h"

#include <string>
#include <vector>

class xcArchive;
class xcDiagObject;

// Characters are kept in insertion order (a character's position is its index) under unique
// keys. Beside them the alphabet keeps a square confusion matrix, element (i, j) the score of row
// character i found in column character j's image, and per pair the transform at which it was
// found (the character offset); both are valid for the current characters while isCompiled() is
// true, and the matrix is then max(1, n) x max(1, n) and the offsets n x n. Two characters are
// confusable when the row character's score is above the confusion threshold (above 0 for a
// blank row character).
class OC_API xcOCAlphabet : public xcPersistent, public xcRepBase {
public:
    using Models = std::vector<xcPtrHandle_const<xcOCModel>>;
    using MutableModels = std::vector<xcPtrHandle<xcOCModel>>;

    // Compiled, no characters, threshold 0.5, a 1 x 1 matrix.
    xcOCAlphabet();
    // Checks the threshold, then sets the characters (see characters()).
    xcOCAlphabet(const Models& models, double confusionThreshold, bool compile,
                 const std::string& name);
    xcOCAlphabet(const MutableModels& models, double confusionThreshold, bool compile,
                 const std::string& name);
    xcOCAlphabet(const xcOCAlphabet& o);
    // Copies threshold, offsets, name, characters and the compiled flag; the matrix only when the
    // source is compiled.
    xcOCAlphabet& operator=(const xcOCAlphabet& o);
    ~xcOCAlphabet() override;

    const std::string& name() const { return name_; }
    const Models& characters() const { return characters_; }
    long numChars() const { return static_cast<long>(characters_.size()); }
    double confusionThreshold() const { return confusionThreshold_; }
    bool isCompiled() const { return isCompiled_; }
    const xcNMMatrix& confusionMatrix() const { return matrix_; }
    const std::vector<std::vector<xcXform<2>>>& offsets() const { return offsets_; }

    // Index of the first character with this key, or -1.
    long characterIndex(long key) const;
    bool hasCharacter(long key) const { return characterIndex(key) != -1; }
    const xcPtrHandle_const<xcOCModel>& character(long key) const;
    // The score of key1's model found in key2's image; needs a compiled alphabet.
    double confusion(long key1, long key2) const;
    // confusion(key1, key2) above the threshold, or above 0 when key1's model is blank.
    bool areConfusable(long key1, long key2) const;
    // The transform at which key1's model was found in key2's image; needs a compiled alphabet.
    xcXform<2> characterOffset(long key1, long key2) const;

    void name(const std::string& name);
    // 0 <= t <= 1; the compiled state is kept.
    void confusionThreshold(double t);
    void confusionThreshold(double t, bool);
    // Replace all characters (keys must be unique); the alphabet is then not compiled.
    void characters(const Models& models, bool compile);
    void characters(const MutableModels& models, bool compile);
    // Append characters whose keys are new and unique; the alphabet is then not compiled.
    void add(const xcPtrHandle_const<xcOCModel>& model, bool compile);
    void add(const Models& models, bool compile);
    void add(const MutableModels& models, bool compile);
    // Remove characters by key; the former last character takes a removed one's index, and its
    // scores and offsets move with it, so a compiled alphabet stays compiled.
    void remove(long key);
    void remove(const std::vector<long>& keys);

    // Fills the confusion matrix and the offsets for every ordered pair of characters, one
    // worker thread per row, and polls the caller's time limit between batches of rows. A row
    // character found in a column character's image gives the tool's score and pose; a blank row
    // character scores how much less structure a character shows in the blank's area than the
    // flattest quarter of them. Compiling a compiled alphabet only records. When a worker or the
    // time limit stops it, the matrix and offsets stay partly filled and the alphabet is not
    // compiled. Records "Alphabet Compilation Input", "Alphabet Compilation Details" and
    // "Alphabet Compilation Results" under flag bits 0x10000, 0x40000 and 0x20000.
    void compile(xcDiagObject* diag, unsigned long flags);

    // Same characters (by value, in order), name, threshold and compiled flag; matrix and offsets
    // are not compared.
    bool operator==(const xcOCAlphabet& o) const;
    bool operator!=(const xcOCAlphabet& o) const { return !(*this == o); }

protected:
    // Newest version 1: name, confusionThreshold, characters, isCompiled, the matrix (always),
    // offsets. Version 0 holds name, threshold, characters and whether it was compiled.
    void dispatchSerialize(xcArchive& ar) override;
    void serialize_(xcArchive& ar, unsigned char version);

private:
    // Index of a key known to be present.
    std::size_t indexOf_(long key) const;
    // Computes one row of the matrix and offsets as they are, in the calling thread.
    void compileRow_(long row);
    static xcPersistent* make();
    static xc_Instantiator sExemplar;

    bool isCompiled_ = true;
    std::string name_;
    double confusionThreshold_ = 0.5;
    Models characters_;
    xcNMMatrix matrix_;
    std::vector<std::vector<xcXform<2>>> offsets_;
};

// The same as operator== with models compared by their xfRealEq and thresholds within tol.
OC_API bool xfRealEq(const xcOCAlphabet& a, const xcOCAlphabet& b, double tol);
