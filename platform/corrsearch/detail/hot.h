// Marks a hot pel loop to be compiled twice, for x86-64-v3 (AVX2, FMA) and for the baseline;
// the loader picks the clone the processor runs. Elsewhere it marks nothing.
#pragma once

#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__) && defined(__linux__)
#define XC_CS_HOT __attribute__((target_clones("arch=x86-64-v3", "default")))
#else
#define XC_CS_HOT
#endif
