#include "cli/progress.h"

#include <cstdio>

namespace oc_tools {

namespace {

constexpr int kBarWidth = 40;

} // namespace

Progress::Progress(std::size_t total, bool terminal) : total_(total), terminal_(terminal) {
}

void Progress::done(const std::string& id, double ms) {
    const std::lock_guard<std::mutex> lock(mutex_);
    ++done_;
    if (!terminal_) {
        std::printf("case %zu/%zu %s: %.1f ms\n", done_, total_, id.c_str(), ms);
        std::fflush(stdout);
        return;
    }
    const int filled = total_ ? int(done_ * kBarWidth / total_) : kBarWidth;
    std::fprintf(stderr, "\r[%.*s%*s] %zu/%zu %-16.16s", filled,
                 "========================================", kBarWidth - filled, "", done_, total_,
                 id.c_str());
    std::fflush(stderr);
}

void Progress::finish() {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (terminal_) std::fprintf(stderr, "\r%*s\r", kBarWidth + 40, "");
}

} // namespace oc_tools
