// The per-archive object table and visited set behind the framing of persistent objects.
#pragma once

#include "core/base/handle.h"
#include "core/persist/archive.h"

#include <cstdint>
#include <unordered_map>
#include <unordered_set>
#include <vector>

struct xcArchive::Objects {
    struct Entry {
        xcPersistent* obj;
        const xcRepBase* held; // set when the archive holds a reference to obj
        bool shared;           // obj is an xcRepBase: back-references to it are allowed
        bool inProgress;       // obj's own data is still being exchanged
    };

    Objects() = default;
    Objects(const Objects&) = delete;
    Objects& operator=(const Objects&) = delete;
    ~Objects() { dropFrom(0); }

    // Releases the archive's references to the entries from index on, newest first, and
    // forgets them. A failed load calls it for the object it was making.
    void dropFrom(std::size_t index) {
        while (table.size() > index) {
            const Entry e = table.back();
            table.pop_back();
            indexOf.erase(e.obj);
            if (e.held) e.held->release();
        }
    }

    std::vector<Entry> table;                                       // in framing order
    std::unordered_map<const xcPersistent*, std::uint32_t> indexOf; // storing: object -> index
    std::unordered_set<const void*> visited;
    int depth = 0;
};
