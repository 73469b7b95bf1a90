#include "core/base/handle.h"

#include "core/base/errors.h"

xcRepBase::~xcRepBase() = default;

void xf_ThrowBadPointer() {
    throw xcBadPointer("Null handle dereferenced");
}
