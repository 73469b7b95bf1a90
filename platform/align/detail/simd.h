// Marks a hot loop function to be compiled twice, for x86-64-v3 (AVX2, FMA) and for the
// baseline, with the variant chosen once at load time for the running processor.
#pragma once

#if defined(__GNUC__) && defined(__x86_64__) && !defined(__clang__)
#define XC_ALIGN_HOT __attribute__((target_clones("arch=x86-64-v3", "default")))
#else
#define XC_ALIGN_HOT
#endif
