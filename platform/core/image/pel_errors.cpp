#include "core/image/pel_errors.h"

XC_DEFINE_ERROR(xcPel::UnboundWindow, xcExceptionWithString)
XC_DEFINE_ERROR(xcPel::BadWindow, xcExceptionWithString)
XC_DEFINE_ERROR(xcPel::SizeMismatch, xcExceptionWithString)
XC_DEFINE_ERROR(xcPel::BadParams, xcExceptionWithString)
