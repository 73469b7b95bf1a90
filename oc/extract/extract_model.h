// The extraction tool: finds every occurrence of the requested characters of an alphabet.
#pragma once

#include "core/base/handle.h"
#include "core/geom/xform.h"
#include "core/image/pel_buffer.h"
#include "foundation/export.h"
#include "oc/extract/extract_defs.h"
#include "oc/extract/extract_model_params.h"
#include "oc/extract/extract_run_params.h"
#include "oc/extract/string_result.h"
#include "oc/oc/alphabet.h"

#include <memory>
#include <sstream>
#include <vector>

class xcAlignPattern;
class xcDiagObject;

// Each search trains one pattern of the pattern-alignment tool per distinct requested key,
// classifies its rotational symmetry, searches the whole image for every pattern in the order
// of their edge scores (the richest edges first) and shapes the results per model and per
// position. Once enough characters agree on a scale, the rest are searched at that scale only.
// Not copyable; a model may be searched again, which retrains it from scratch.
class OC_API xc_OCExtractModel {
public:
    xc_OCExtractModel();
    ~xc_OCExtractModel();
    xc_OCExtractModel(const xc_OCExtractModel&) = delete;
    xc_OCExtractModel& operator=(const xc_OCExtractModel&) = delete;

    // Trains, searches every model and overwrites `result`. Returns false when the search of at
    // least one model ran out of its time limit or failed inside the pattern-alignment tool;
    // the result holds what was found in either case. With a bound mask (of the image's size)
    // every pattern search ignores the pels the mask marks below 128. A caller's time limit
    // ends the search with xcTimeout::Expired; other exceptions of the tools propagate.
    // Records: with flags bit 0x10000 the run parameters, with 0x20000 the found instances.
    bool search(const xcPtrHandle_const<xcOCAlphabet>& alphabet, const std::vector<long>& keys,
                const xcPelBuffer_const<unsigned char>& image,
                const xcPelBuffer_const<unsigned char>& mask,
                const xc_OCExtractModelParams& modelParams, const xc_OCExtractRunParams& runParams,
                xc_OCExtractStringResult& result, xcDiagObject* rec, unsigned long flags);

    // The number of models of the last training (distinct requested keys).
    long numModels() const { return static_cast<long>(patterns.size()); }
    // Empties patterns, counts, keys and search order, and clears the error state of the
    // diagnostics text (its text is kept).
    void init();

    // What the last training decided, for callers that want to look.
    const std::vector<long>& modelKeyList() const { return modelKeys; }
    const std::vector<long>& keyCountList() const { return keyCounts; }
    const std::vector<long>& searchOrderList() const { return searchOrder; }
    const std::vector<xc_OCExtractDefs::Symmetry>& symmetryList() const { return symmetries; }
    bool isTrained(long model) const;

private:
    friend struct xc_OCExtractTestAccess;

    void train_(const xcPtrHandle_const<xcOCAlphabet>& alphabet, const std::vector<long>& keys,
                xc_OCExtractStringResult& result, xcDiagObject* rec, unsigned long flags);
    void computeModelSymmetries_(const xcPtrHandle_const<xcOCAlphabet>& alphabet, xcDiagObject* rec,
                                 unsigned long flags);
    bool searchGeom_(const xcPtrHandle_const<xcOCAlphabet>& alphabet,
                     const xcPelBuffer_const<unsigned char>& image,
                     const xcPelBuffer_const<unsigned char>& mask,
                     const xc_OCExtractRunParams& runParams, xc_OCExtractStringResult& result,
                     xcDiagObject* rec, unsigned long flags);
    void postProcessResults_(xc_OCExtractStringResult& result, const std::vector<long>& keys,
                             const xc_OCExtractRunParams& runParams, xcDiagObject* rec,
                             unsigned long flags);
    void drawTrainDiags_(const xcPtrHandle_const<xcOCAlphabet>& alphabet,
                         const xcPelBuffer_const<unsigned char>& image,
                         const std::vector<long>& keys, xcDiagObject* rec, unsigned long flags);
    void drawRuntimeDiags_(const xcPtrHandle_const<xcOCAlphabet>& alphabet,
                           const xcPelBuffer_const<unsigned char>& image,
                           const xc_OCExtractRunParams& runParams,
                           const xc_OCExtractStringResult& result, xcDiagObject* rec,
                           unsigned long flags);

    std::vector<long> keyCounts;
    xc_OCExtractModelParams modelParams;
    std::vector<std::unique_ptr<xcAlignPattern>> patterns;
    std::vector<xc_OCExtractDefs::Symmetry> symmetries;
    std::vector<long> modelKeys;
    std::vector<xcXform<2>> rot180Poses;
    std::vector<long> searchOrder;
    std::ostringstream diagText;
};
