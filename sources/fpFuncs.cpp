// Functions of fp built on its arithmetic: the binary logarithm's integer part
// and the truncation to a 32-bit integer.
#include "fpFuncs.h"

#include <limits>

#include "fpConv.h"
#include "fpMath.h"
#include "myGammaFunctions.h"

int Lg2(fp const& x) {
    if (x.mantissa.length == 0) return 0;
    static_assert(std::numeric_limits<int>::max() == std::numeric_limits<int32>::max() &&
                      std::numeric_limits<int>::min() == std::numeric_limits<int32>::min(),
                  "the exponent clamp serves as the int clamp");
    return clampExponent(topBitOf(x));
}

int32 to_long(fp const& x) {
    mb const& m = x.mantissa;
    int32 n = m.length < 0 ? -m.length : m.length;
    if (n == 0) return 0;
    // Only the lowest word of the integer part is kept, so read it straight from
    // the mantissa instead of shifting the whole value.
    uint32 low = 0;
    int64 e = x.exponent;
    if (e >= 0) {
        low = e >= 32 ? 0u : static_cast<uint32>(m.blocks[0] << e);
    } else {
        int64 bit = -e;
        int64 word = bit / 32;
        int off = static_cast<int>(bit % 32);
        if (word < n) {
            low = m.blocks[word] >> off;
            if (off != 0 && word + 1 < n) low |= m.blocks[word + 1] << (32 - off);
        }
    }
    if (m.length < 0) low = 0u - low;
    return static_cast<int32>(int64(low) - (low >= 0x80000000u ? int64(4294967296LL) : 0));
}

// ---- factorial ----

void factorial(fp& z, fp const& x) {
    fp t;
    add(t, x, 1.0);
    Gamma(z, t);
}

fp factorial(fp const& x) {
    fp z;
    factorial(z, x);
    return z;
}

void factorial(fp& z, double x) { Gamma(z, x + 1.0); }

fp factorial(double x) {
    fp z;
    Gamma(z, x + 1.0);
    return z;
}
