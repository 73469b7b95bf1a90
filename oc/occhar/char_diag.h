// Characters in the diagnostics recorder: a key as text and a character as a record.
#pragma once

#include "foundation/export.h"
#include "oc/occhar/char_key.h"

#include <string>

class xcDiagObject;
class xcDiagRecord;
class xcOCChar;

// Four lines, each ended by "\n": "Character code : " code (unsigned decimal), "Instance : ",
// "Variant : " and "FontID : " with their signed values (-1 when unspecified).
OC_API std::string xf_OCCharKeyText(const xcOCCharKey& key);

// Adds the character's stored image (not cut to the image area) under `label` and returns that
// record (null for a null recorder, which records nothing). The record gets the text "Key"
// ("Name : " line when the name has an 8-bit form, the key text, "Polarity : " line) and one
// graphics list "rect(s)": the specified mark and cell rectangles (green and orange, unfilled)
// in client coordinates (system 2) when there are more of those than of image rectangles, else
// the image ones (system 1), even when empty. Detected marks are not drawn.
OC_API xcDiagRecord* xf_AddOCChar(xcDiagObject* diag, const xcOCChar& ch, const std::string& label);
