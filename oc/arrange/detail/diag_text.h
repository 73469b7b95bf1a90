// Pieces shared by the arranger's diagnostics records: recorder levels and character columns.
#pragma once

#include "core/text/str.h"
#include "diag/diag_object.h"
#include "oc/oc/alphabet.h"

#include <string>

namespace oc_detail {

// Raises the recorder's level (when there is one) for the records made while it lives, and
// lowers it again on every way out, a time-out included.
class DiagDeeper {
public:
    explicit DiagDeeper(xcDiagObject* rec) : rec_(rec) {
        if (rec_ != nullptr) rec_->level(rec_->level() + 1);
    }
    ~DiagDeeper() {
        if (rec_ != nullptr) rec_->level(rec_->level() - 1);
    }
    DiagDeeper(const DiagDeeper&) = delete;
    DiagDeeper& operator=(const DiagDeeper&) = delete;

private:
    xcDiagObject* rec_;
};

// A number in the records' fixed three-decimal form.
inline std::string diagDbl(double v) {
    return xfDbl(v, 3, false);
}

inline std::string diagHexKey(long key) {
    return xfHex(static_cast<long long>(key), 8);
}

inline std::string diagTypeText(xcOCModel::CharType type) {
    return type == xcOCModel::eBlank ? "eBlank" : "eNormal";
}

// The model columns of a key's table row: "'name'\ttype\twidth x height", or the note that the
// alphabet lacks the key. Output results may come from an archive, so the key is not trusted.
inline std::string diagModelColumns(const xcOCAlphabet& alphabet, long key) {
    if (!alphabet.hasCharacter(key) || alphabet.character(key).isNull())
        return "Key not found in alphabet!";
    const xcOCModel& m = *alphabet.character(key);
    return "'" + m.name() + "'\t" + diagTypeText(m.charType()) + "\t" +
           xfStr(m.imageArea().width()) + " x " + xfStr(m.imageArea().height());
}

} // namespace oc_detail
