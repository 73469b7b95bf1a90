#include "core/persist/archive.h"

#include "core/base/errors.h"
#include "core/object/instantiator.h"
#include "core/persist/detail/archive_objects.h"

#include <cassert>
#include <memory>

namespace {

enum Tag : unsigned char { eNull = 0, eNew = 1, eBackReference = 2 };

// Counts one level of object nesting for as long as it lives.
class DepthGuard {
public:
    explicit DepthGuard(int& depth) : depth_(depth) { ++depth_; }
    ~DepthGuard() { --depth_; }
    DepthGuard(const DepthGuard&) = delete;
    DepthGuard& operator=(const DepthGuard&) = delete;

private:
    int& depth_;
};

std::string wanted(const std::type_info* expected) {
    return expected ? xc_Instantiator::className(*expected) : std::string("xcPersistent");
}

} // namespace

bool xcArchive::visited_(const void* obj) const {
    return objects_ptr_->visited.count(obj) != 0;
}

void xcArchive::markVisited_(const void* obj) {
    objects_ptr_->visited.insert(obj);
}

void xcArchive::forgetVisited_(const void* obj) {
    objects_ptr_->visited.erase(obj);
}

void xcArchive::storeObject(xcPersistent* obj) {
    if (loading_) throw IOError("Cannot write to an archive that is loading");
    Objects& objects = objects_();
    unsigned char tag = eNull;
    if (!obj) {
        *this || tag;
        return;
    }
    if (auto it = objects.indexOf.find(obj); it != objects.indexOf.end()) {
        if (objects.table[it->second].inProgress)
            throw NotStorable("An object of class " + xc_Instantiator::className(typeid(*obj)) +
                              " refers to an object that contains it");
        tag = eBackReference;
        unsigned long index = it->second;
        *this || tag || index;
        return;
    }
    std::string name = xc_Instantiator::registeredName(typeid(*obj));
    if (name.empty())
        throw NotStorable("Class " + xc_Instantiator::className(typeid(*obj)) +
                          " is not registered with xc_Instantiator");
    if (objects.depth >= kMaxDepth)
        throw NotStorable("Objects nest deeper than " + std::to_string(kMaxDepth) + " levels");
    DepthGuard depth(objects.depth);
    tag = eNew;
    *this || tag || name;

    // Only shared (rep) objects are found again by address. Holding a reference keeps such an
    // object, and so its address, alive for as long as a back-reference to it may be written;
    // one that no handle holds (count 0) is not the archive's to keep, as releasing it later
    // would delete it. A plain object has one owner, so it is written in full every time.
    const xcRepBase* rep = dynamic_cast<const xcRepBase*>(obj);
    const xcRepBase* held = rep && rep->refCount() > 0 ? rep : nullptr;
    const auto index = static_cast<std::uint32_t>(objects.table.size());
    objects.table.push_back({obj, held, rep != nullptr, true});
    if (rep) objects.indexOf.emplace(obj, index);
    if (held) held->addRef();

    forgetVisited_(obj);
    obj->dispatchSerialize(*this);
    objects.table[index].inProgress = false;
}

xcPersistent* xcArchive::loadObject(AcceptFn accept, const std::type_info* expected) {
    if (!loading_) throw IOError("Cannot read from an archive that is storing");
    Objects& objects = objects_();
    unsigned char tag = 0;
    *this || tag;
    if (tag == eNull) return nullptr;

    if (tag == eBackReference) {
        unsigned long index = 0;
        *this || index;
        if (index >= objects.table.size())
            throw BadFormat("Back-reference " + std::to_string(index) + " to one of " +
                            std::to_string(objects.table.size()) + " objects");
        const Objects::Entry& e = objects.table[index];
        if (!e.shared)
            throw BadFormat("Back-reference " + std::to_string(index) +
                            " to an object that is not shared");
        if (e.inProgress)
            throw BadFormat("Back-reference " + std::to_string(index) +
                            " to an object that contains it");
        if (accept && !accept(e.obj))
            throw BadFormat("Back-reference " + std::to_string(index) + " to an object of class " +
                            xc_Instantiator::className(typeid(*e.obj)) + " where " +
                            wanted(expected) + " is wanted");
        return e.obj;
    }
    if (tag != eNew) throw BadFormat("Bad object tag " + std::to_string(unsigned(tag)));

    if (objects.depth >= kMaxDepth)
        throw BadFormat("Objects nest deeper than " + std::to_string(kMaxDepth) + " levels");
    DepthGuard depth(objects.depth);
    std::string name;
    *this || name;
    const xc_Instantiator::MakeFn make = xc_Instantiator::find(name);
    if (!make) throw BadFormat("Class " + name + " is not registered with xc_Instantiator");

    std::unique_ptr<xcPersistent> made(make());
    assert(made && "a registered factory returned null");
    if (accept && !accept(made.get()))
        throw BadFormat("Object of class " + name + " where " + wanted(expected) + " is wanted");

    // From here the table entry owns a rep object through its reference; a plain object stays
    // with `made` until its data is in.
    xcPersistent* obj = made.get();
    const xcRepBase* rep = dynamic_cast<const xcRepBase*>(obj);
    const std::size_t index = objects.table.size();
    objects.table.push_back({obj, rep, rep != nullptr, true});
    if (rep) {
        rep->addRef();
        made.release();
    }
    try {
        forgetVisited_(obj);
        obj->dispatchSerialize(*this);
    } catch (...) {
        // Newest first: objects loaded inside this one go before it (a plain one is deleted by
        // `made` as the exception leaves).
        objects.dropFrom(index);
        throw;
    }
    objects.table[index].inProgress = false;
    made.release(); // a plain object now belongs to the caller
    return obj;
}

xcArchive& operator||(xcArchive& ar, xcPersistent& obj) {
    ar.forgetVisited_(&obj);
    obj.dispatchSerialize(ar);
    return ar;
}

xcArchive& operator||(xcArchive& ar, xcPersistent*& p) {
    if (ar.isStoring())
        ar.storeObject(p);
    else
        p = ar.loadObject();
    return ar;
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
