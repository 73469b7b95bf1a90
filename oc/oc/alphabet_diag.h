// An alphabet in the diagnostics recorder: its confusion matrix as text and its records.
#pragma once

#include "foundation/export.h"

#include <string>

class xcDiagObject;
class xcDiagRecord;
class xcOCAlphabet;

// "Confusion matrix:", a header line with every character's quoted name, then one line per row
// character with its scores against every column character (tab-separated, three decimals), and
// with listPairs "Confusing pairs:" and one line per ordered pair of distinct keys scoring above
// the confusion threshold (a blank row too) with its offset's translation. Empty for a null or
// empty alphabet or one that is not compiled; characters with a null handle are left out.
OC_API std::string xf_ConfusionMatrix(const xcOCAlphabet* alphabet, bool listPairs);

// Adds the record "Alphabet general info" (name, character count, threshold, compiled flag and
// the confusion matrix with its pairs), annotated with `title`, and returns it; with
// perCharacter, one level deeper, one image record per character (its info text, image area and
// client axes) followed, one level deeper still, by its mask's record. Null and nothing recorded
// when the recorder or the alphabet is null.
OC_API xcDiagRecord* xf_AddAlphabet(xcDiagObject* diag, const xcOCAlphabet* alphabet,
                                    const std::string& title, bool perCharacter);
