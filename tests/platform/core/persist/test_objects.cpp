#include "test_objects.h"

#include "core/object/instantiator.h"

namespace {

xcPersistent* makeNode() {
    return new xcTest::Node();
}
xcPersistent* makeOtherNode() {
    return new xcTest::OtherNode();
}

const xc_Instantiator sNode(typeid(xcTest::Node), &makeNode);
const xc_Instantiator sOtherNode(typeid(xcTest::OtherNode), &makeOtherNode);

} // namespace
