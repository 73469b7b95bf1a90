// The archive-facing members of xcPersistent (loadSimple, haveVisited, setVisited) are defined
// with the archive in core/persist/archive_object.cpp.
#include "core/object/persistent.h"

xcPersistent::~xcPersistent() = default;

void xcPersistent::dispatchSerialize(xcArchive&) {
}

void xcPersistent::reInit() {
}
