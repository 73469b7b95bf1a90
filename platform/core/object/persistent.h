// Base of every object that an archive can store and load through its framing.
#pragma once

#include "core/export.h"

class xcArchive;

// A persistent class stores itself with dispatchSerialize: one version byte of its own, then
// its fields, then its base class's dispatchSerialize. An object that several handles share is
// written once per archive; haveVisited / setVisited let every level of a class tree take part
// in one pass without writing an object twice.
class XCORE_API xcPersistent {
public:
    virtual ~xcPersistent();

    // Exchanges this object's data with the archive (stores or loads as the archive says).
    // The base writes nothing.
    virtual void dispatchSerialize(xcArchive& ar);
    // Returns the object to the state of a default-constructed one.
    virtual void reInit();
    // Loads the object's data without the archive's object framing.
    virtual void loadSimple(xcArchive& ar);

protected:
    xcPersistent() = default;
    xcPersistent(const xcPersistent&) = default;
    xcPersistent& operator=(const xcPersistent&) = default;

    // Called by setters before they change the object; a hook for derived classes.
    void mutating() {}
    // True when this object was already handled in the current pass of the archive.
    bool haveVisited(xcArchive& ar) const;
    // Marks this object as handled in the current pass of the archive.
    void setVisited(xcArchive& ar) const;
};
