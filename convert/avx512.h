#pragma once
// AVX-512 for the routines that use it where the processor has it: the intrinsics, the
// attribute that enables them in one function, and whether the processor runs them.
//
// In the Windows build too. Windows aligns the stack to 16 bytes only, and GCC may move a
// 64-byte register there with an aligned move (GCC bug 54412); Debian's mingw-w64 GCC, which
// builds the program, makes those moves unaligned (Debian bug 939559), and the test
// vornel_stack_vector_moves reads the Windows programs' code to hold it so.

#if defined(__x86_64__) && defined(__GNUC__)

// GCC 12's AVX-512 headers leave the source of some operations undefined on purpose and then
// warn about it.
#if defined(__clang__)
#include <immintrin.h>
#else
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wuninitialized"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include <immintrin.h>
#pragma GCC diagnostic pop
#endif

// Enables AVX-512 (with VBMI and VBMI2) in a function.
#define VORNEL_AVX512 __attribute__((target("avx512f,avx512bw,avx512vbmi,avx512vbmi2")))

#endif

namespace avx512 {

// Whether this processor (and its system) runs the functions marked VORNEL_AVX512; false in a
// build without them.
inline bool Available() {
#if defined(VORNEL_AVX512)
  static const bool available =
      __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
      __builtin_cpu_supports("avx512vbmi") && __builtin_cpu_supports("avx512vbmi2");
  return available;
#else
  return false;
#endif
}

}  // namespace avx512
