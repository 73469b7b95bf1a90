#include "oc/arrange/arrange_path.h"

void xc_ArrangePath::push(long c, bool newLine) {
    if (newLine) lineStarts.push_back(depth());
    choices.push_back(c);
}

void xc_ArrangePath::pop() {
    if (!lineStarts.empty() && lineStarts.back() == depth() - 1) lineStarts.pop_back();
    choices.pop_back();
}
