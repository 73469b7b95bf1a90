#include "core/persist/persistent.h"

#include "core/base/errors.h"
#include "core/persist/archive.h"

xcPersistent::~xcPersistent() = default;

void xcPersistent::dispatchSerialize(xcArchive&) {
}

void xcPersistent::reInit() {
}

void xcPersistent::loadSimple(xcArchive& ar) {
    if (!ar.isLoading()) throw xcBadParams("loadSimple needs an archive that is loading");
    ar || *this;
}

bool xcPersistent::haveVisited(xcArchive& ar) const {
    return ar.visited_(static_cast<const xcPersistent*>(this));
}

void xcPersistent::setVisited(xcArchive& ar) const {
    ar.markVisited_(static_cast<const xcPersistent*>(this));
}
