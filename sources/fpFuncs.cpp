// Functions of fp built on its arithmetic: the binary logarithm's integer part
// and the truncation to a 32-bit integer.
#include "fpFuncs.h"

#include <limits>

#include "fpMath.h"

int Lg2(fp const& x) {
    int32 n = x.mantissa.length < 0 ? -x.mantissa.length : x.mantissa.length;
    if (n == 0) return 0;
    int64 v = int64(x.exponent) + int64(32) * (n - 1) +
              NumBits(static_cast<unsigned int>(x.mantissa.blocks[n - 1])) - 1;
    if (v > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
    if (v < std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
    return static_cast<int>(v);
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
