#include "imgproc/imgproc_errors.h"

XC_DEFINE_ERROR(xcImgProcDefs::BadParams, xcExceptionWithString)
XC_DEFINE_ERROR(xcImgProcDefs::BadImage, xcExceptionWithString)
