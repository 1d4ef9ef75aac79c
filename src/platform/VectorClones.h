#pragma once
// The per-paint pixel loops are built twice, for the x86-64 baseline and for AVX2, and the
// loader picks the one the processor runs; other processors, and sanitizer builds (whose
// run-time starts after the loader's choice is made), get the plain build.

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define VARKELO_NO_VECTOR_CLONES
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define VARKELO_NO_VECTOR_CLONES
#endif
#endif

#if defined(__x86_64__) && defined(__GNUC__) && !defined(VARKELO_NO_VECTOR_CLONES)
#define VARKELO_VECTOR_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define VARKELO_VECTOR_CLONES
#endif
