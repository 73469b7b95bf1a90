// Marks a hot pixel loop to be compiled twice, for the baseline x86-64 and for AVX2 with FMA;
// the loader picks the clone that the processor runs. Elsewhere it marks nothing.
#pragma once

#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__) && defined(__linux__)
#define XI_HOT_KERNEL __attribute__((target_clones("arch=x86-64-v3", "default")))
#else
#define XI_HOT_KERNEL
#endif
