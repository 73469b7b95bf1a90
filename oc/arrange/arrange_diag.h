// What the arranger records about its inputs, its way to the result and the result.
#pragma once

#include "core/image/pel_buffer.h"
#include "foundation/export.h"
#include "oc/arrange/arrange_context.h"
#include "oc/arrange/arrange_fit.h"
#include "oc/arrange/arrange_path.h"
#include "oc/arrange/arrange_results.h"

#include <string>
#include <vector>

class xcDiagObject;

// "OC Arranger: Input": the image with its info, the alphabet and target-string tables and the
// run parameters; one level deeper the mask (when bound) and the alphabet's own records.
OC_API void xf_RecordArrangeInput_(xcDiagObject* rec, const xcPelBuffer_const<unsigned char>& image,
                                   const xcPelBuffer_const<unsigned char>& mask,
                                   const xcOCAlphabet& alphabet, const std::vector<long>& keys,
                                   const xcOCArrangeParams& params);

// The image record "OC Arranger: Intermediate".
OC_API void xf_RecordArrangeIntermediate_(xcDiagObject* rec,
                                          const xcPelBuffer_const<unsigned char>& image);

// "Build arrangement": one level deeper the image, per line of the fit a "Line #<l> graphics"
// record (line model in red, each character not unknown at its pose) and a "Line #<l> details"
// table, then "Arrangement cost"; `found` false records "No valid solution found" instead.
// statuses and poses are the arrangement's own placement of each character, before refinement.
OC_API void xf_RecordBuildArrangement_(xcDiagObject* rec,
                                       const xcPelBuffer_const<unsigned char>& image,
                                       const xc_ArrangeContext& ctx, const xc_ArrangePath& path,
                                       const xc_ArrangeFit& fit, bool found,
                                       const std::vector<xcOCArrangeDefs::CharStatus>& statuses,
                                       const std::vector<xc_Pose>& poses);

// "OC Arranger: Output": flags, transform, the per-character table and the overall info; one
// level deeper the details of every line; then "Arrangement graphics".
OC_API void xf_RecordArrangeOutput_(xcDiagObject* rec,
                                    const xcPelBuffer_const<unsigned char>& image,
                                    const xcOCAlphabet& alphabet, const std::vector<long>& keys,
                                    const xcOCArrangeResults& results);
