// Out-of-line parts of the priority queue's exceptions (core/base/priority_queue.h); the queue
// itself is a header-only template.
#include "core/base/priority_queue.h"

#include <ostream>

XC_DEFINE_ERROR(xcPriorityQueueDefs::Empty, xcException)
XC_DEFINE_ERROR(xcPriorityQueueDefs::BadCost, xcException)

void xcPriorityQueueDefs::Empty::message_(std::ostream& os) const {
    os << "The priority queue is empty";
}

void xcPriorityQueueDefs::BadCost::message_(std::ostream& os) const {
    os << "A priority queue cost must not be NaN";
}
