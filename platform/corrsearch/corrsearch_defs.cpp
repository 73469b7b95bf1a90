#include "corrsearch/corrsearch_defs.h"

XC_DEFINE_ERROR(xcCorrSearchDefs::Errors, xcExceptionWithString)
XC_DEFINE_ERROR(xcCorrSearchDefs::BadParams, xcCorrSearchDefs::Errors)
XC_DEFINE_ERROR(xcCorrSearchDefs::BadImage, xcCorrSearchDefs::Errors)
XC_DEFINE_ERROR(xcCorrSearchDefs::NotTrained, xcCorrSearchDefs::Errors)
XC_DEFINE_ERROR(xcCorrSearchDefs::FlatModel, xcCorrSearchDefs::Errors)
