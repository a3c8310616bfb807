// 64-bit limbs for the integer kernels and the decimal text conversions. Where the
// compiler offers a 64x64->128-bit product, the schoolbook product, the divisions and
// the text conversions run on 64-bit limbs, each a pair of the 32-bit words combined
// in registers: a quarter of the word products. VANTREL_WORD32 forces the 32-bit code,
// so that the tests can run both. Internal to the library.
#ifndef VANTREL_MBLIMBS_H
#define VANTREL_MBLIMBS_H

#include <cstdlib>

#include "myTypedef.h"

#if defined(__SIZEOF_INT128__) && !defined(VANTREL_WORD32)
#define VANTREL_LIMB64 1

namespace limbs {

__extension__ typedef unsigned __int128 uint128;

// Limbs held for one call; grown, never shrunk, freed at exit.
struct LimbBuffer {
    uint64* p = nullptr;
    std::size_t cap = 0;
    LimbBuffer() = default;
    LimbBuffer(LimbBuffer const&) = delete;
    LimbBuffer& operator=(LimbBuffer const&) = delete;
    ~LimbBuffer() { std::free(p); }
    uint64* get(std::size_t n) {
        if (n > cap) {
            std::free(p);
            p = static_cast<uint64*>(std::malloc(n * sizeof(uint64)));
            if (p == nullptr) vantrelOutOfMemory();
            cap = n;
        }
        return p;
    }
};

inline int32 limbsOf(int32 words) { return words / 2 + (words & 1); }

// n words into limbsOf(n) limbs; an odd count's top limb is its last word alone.
inline void loadLimbs(uint64* l, uint32 const* w, int32 n) {
    int32 k = 0;
    for (; 2 * k + 1 < n; ++k) l[k] = uint64(w[2 * k]) | (uint64(w[2 * k + 1]) << 32);
    if (n & 1) l[k] = w[n - 1];
}

// The low n words of the limbs.
inline void storeLimbs(uint32* w, int32 n, uint64 const* l) {
    int32 k = 0;
    for (; 2 * k + 1 < n; ++k) {
        w[2 * k] = static_cast<uint32>(l[k]);
        w[2 * k + 1] = static_cast<uint32>(l[k] >> 32);
    }
    if (n & 1) w[n - 1] = static_cast<uint32>(l[k]);
}

inline int clz64(uint64 v) { return __builtin_clzll(v); }  // v != 0

// floor((2^128 - 1) / d) - 2^64 for d with its top bit set: the reciprocal that turns
// each division by d into two products.
inline uint64 reciprocal(uint64 d) { return static_cast<uint64>(~uint128(0) / d); }

// (u1 * 2^64 + u0) / d for u1 < d, d with its top bit set, v = reciprocal(d);
// the remainder goes to r. Division by an invariant integer (Moller and Granlund).
inline uint64 div2by1(uint64 u1, uint64 u0, uint64 d, uint64 v, uint64& r) {
    uint128 q = uint128(v) * u1 + ((uint128(u1) << 64) | u0);
    uint64 q1 = static_cast<uint64>(q >> 64) + 1;
    uint64 q0 = static_cast<uint64>(q);
    uint64 rr = u0 - q1 * d;
    if (rr > q0) {
        --q1;
        rr += d;
    }
    if (rr >= d) {
        ++q1;
        rr -= d;
    }
    r = rr;
    return q1;
}

}  // namespace limbs

#else
#define VANTREL_LIMB64 0
#endif

#endif
