// Floating-point arithmetic; for now the word bit lengths shared with the integer layer.
#include "fpMath.h"

int NumBits(unsigned int v) {
    if (v & 0x80000000u) return 32;
    int n = 32;
    while (n > 0 && !(v & 0x80000000u)) {
        v <<= 1;
        --n;
    }
    return n;
}

int NumBits(int v) {
    // The magnitude is taken in int: the most negative int has none and gives 0.
    if (v == (-2147483647 - 1)) return 0;
    return NumBits(static_cast<unsigned int>(v < 0 ? -v : v));
}
