// Out-of-line parts of the priority queue's exceptions (core/base/priority_queue.h); the queue
// itself is a header-only template.
#include "core/base/priority_queue.h"

#include "core/persist/archive.h"
#include "core/persist/instantiator.h"

#include <ostream>
#include <typeinfo>

namespace {

xcPersistent* makeEmpty() {
    return new xcPriorityQueueDefs::Empty();
}
xcPersistent* makeBadCost() {
    return new xcPriorityQueueDefs::BadCost();
}
const xc_Instantiator sEmpty(typeid(xcPriorityQueueDefs::Empty), &makeEmpty);
const xc_Instantiator sBadCost(typeid(xcPriorityQueueDefs::BadCost), &makeBadCost);

void exchangeVersion(xcArchive& ar, const char* className) {
    unsigned char version = 0;
    ar || version;
    if (version != 0) throw xcArchive::UnknownVersion(className, version);
}

} // namespace

xcPriorityQueueDefs::Empty::~Empty() = default;

void xcPriorityQueueDefs::Empty::dispatchSerialize(xcArchive& ar) {
    if (haveVisited(ar)) return;
    exchangeVersion(ar, "xcPriorityQueueDefs::Empty");
    xcException::dispatchSerialize(ar);
    setVisited(ar);
}

void xcPriorityQueueDefs::Empty::message_(std::ostream& os) const {
    os << "The priority queue is empty";
}

xcPriorityQueueDefs::BadCost::~BadCost() = default;

void xcPriorityQueueDefs::BadCost::dispatchSerialize(xcArchive& ar) {
    if (haveVisited(ar)) return;
    exchangeVersion(ar, "xcPriorityQueueDefs::BadCost");
    xcException::dispatchSerialize(ar);
    setVisited(ar);
}

void xcPriorityQueueDefs::BadCost::message_(std::ostream& os) const {
    os << "A priority queue cost must not be NaN";
}
