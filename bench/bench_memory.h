// Resident memory of the benchmark's own process, as /proc/self/status reports it.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace oc_bench {

// A "Vm..." line of /proc/self/status in MiB (VmRSS: resident now, VmHWM: the peak); -1 when
// it cannot be read.
inline double statusMb(const char* field) {
    std::FILE* f = std::fopen("/proc/self/status", "r");
    if (f == nullptr) return -1.0;
    char line[256];
    double kb = -1.0;
    const std::size_t n = std::strlen(field);
    while (std::fgets(line, sizeof line, f) != nullptr)
        if (std::strncmp(line, field, n) == 0 && line[n] == ':') {
            kb = std::strtod(line + n + 1, nullptr);
            break;
        }
    std::fclose(f);
    return kb < 0.0 ? -1.0 : kb / 1024.0;
}

// Starts VmHWM again from the present resident size; false when the system does not allow it.
inline bool resetPeakResident() {
    std::FILE* f = std::fopen("/proc/self/clear_refs", "w");
    if (f == nullptr) return false;
    const bool ok = std::fputs("5", f) >= 0;
    return std::fclose(f) == 0 && ok;
}

} // namespace oc_bench
