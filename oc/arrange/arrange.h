// The OC Arranger: where every expected character of a text stands in an image.
#pragma once

#include "core/image/pel_buffer.h"
#include "foundation/export.h"
#include "oc/arrange/arrange_params.h"
#include "oc/arrange/arrange_results.h"
#include "oc/oc/alphabet.h"

#include <vector>

class xcDiagObject;

// Finds the characters of `keys` (keys of the alphabet's models, in reading order, lines one
// after another) in `image`, groups them into straight or circular lines and overwrites
// `results` with every character's status, score and pose. An unbound image throws
// xcPel::UnboundWindow; a key missing from the alphabet throws xcOCDefs::BadKey; all checks
// happen before `results` is touched. A caller's time limit (xcAttention) ends the run with its
// exception; `results` is then reset and incomplete.
OC_API void xfOCArrange(const xcPelBuffer_const<unsigned char>& image, const xcOCAlphabet& alphabet,
                        const std::vector<long>& keys, const xcOCArrangeParams& params,
                        xcOCArrangeResults& results, xcDiagObject* rec, unsigned long flags);

// The same, looking only at the pels where `mask` is 128 or more. An unbound mask throws
// xcPel::UnboundWindow; one of another size or offset than the image throws
// xcOCArrangeDefs::BadMask.
OC_API void xfOCArrange(const xcPelBuffer_const<unsigned char>& image,
                        const xcPelBuffer_const<unsigned char>& mask, const xcOCAlphabet& alphabet,
                        const std::vector<long>& keys, const xcOCArrangeParams& params,
                        xcOCArrangeResults& results, xcDiagObject* rec, unsigned long flags);

// The worker of both; an unbound mask means no mask.
OC_API void xfOCArrange_(const xcPelBuffer_const<unsigned char>& image,
                         const xcPelBuffer_const<unsigned char>& mask, const xcOCAlphabet& alphabet,
                         const std::vector<long>& keys, const xcOCArrangeParams& params,
                         xcOCArrangeResults& results, xcDiagObject* rec, unsigned long flags);
