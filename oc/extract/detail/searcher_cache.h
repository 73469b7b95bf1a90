// Trained refinement searchers kept per thread for the next refinement of the same character.
#pragma once

#include "core/base/handle.h"
#include "core/image/pel_buffer.h"
#include "foundation/export.h"
#include "oc/extract/rsi_corr_search_model.h"

#include <string>

// The searcher that xcRSICorrSearchModel(image, mask, params, name, null, 0) would train. One
// trained before on this thread for equal pels, windows, client-from-image transforms, mask,
// parameters and name is handed out again (training is deterministic, so the results are the
// same); otherwise a new one is trained and kept, the least recently used of 16 giving way.
OC_API xcPtrHandle_const<xcRSICorrSearchModel>
xf_OCRefineSearcher(const xcPelBuffer_const<unsigned char>& image,
                    const xcPelBuffer_const<unsigned char>& mask, const xcRSIParams& params,
                    const std::string& name);

// Forgets the searchers kept on the calling thread.
OC_API void xf_OCRefineSearcherCacheClear();
