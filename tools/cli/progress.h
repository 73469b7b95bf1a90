// Progress of a run over many cases: a bar redrawn in place on a terminal, one plain line per
// case otherwise.
#pragma once

#include <cstddef>
#include <mutex>
#include <string>

namespace oc_tools {

// Safe to call from several threads.
class Progress {
public:
    // terminal: draw the bar on stderr; else print lines on stdout.
    Progress(std::size_t total, bool terminal);
    // One more case done, in `ms` milliseconds.
    void done(const std::string& id, double ms);
    // Clears the bar.
    void finish();

private:
    std::mutex mutex_;
    std::size_t total_, done_ = 0;
    bool terminal_;
};

} // namespace oc_tools
