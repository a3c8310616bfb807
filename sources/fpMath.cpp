// Floating-point normal form and arithmetic on fp, and the word bit lengths that
// both layers use. Working copies are statics, so a result may be an operand.
#include "fpMath.h"

#include <cstdlib>
#include <cstring>
#include <limits>

#include "fpConv.h"
#include "mbConv.h"
#include "mbMath.h"

int NumBits(unsigned int v) {
    // Halving steps instead of one bit at a time: this sits on every hot path.
    uint32 x = static_cast<uint32>(v);
    if (x == 0) return 0;
    int n = 1;
    if (x >> 16) { n += 16; x >>= 16; }
    if (x >> 8) { n += 8; x >>= 8; }
    if (x >> 4) { n += 4; x >>= 4; }
    if (x >> 2) { n += 2; x >>= 2; }
    if (x >> 1) { n += 1; }
    return n;
}

int NumBits(int v) {
    // The magnitude is taken in int: the most negative int has none and gives 0.
    if (v == std::numeric_limits<int>::min()) return 0;
    return NumBits(static_cast<unsigned int>(v < 0 ? -v : v));
}

// Exponents that would leave the 32-bit range are held at its ends.
int32 clampExponent(int64 e) {
    if (e > std::numeric_limits<int32>::max()) return std::numeric_limits<int32>::max();
    if (e < std::numeric_limits<int32>::min()) return std::numeric_limits<int32>::min();
    return static_cast<int32>(e);
}

// Zero top words are skipped, so a record not in normal form counts as its value; a
// zero gives a bit far below every exponent, so it loses every comparison of size.
int64 topBitOf(fp const& x) {
    int32 n = effLen(x.mantissa);
    if (n == 0) return kZeroTopBit;
    return int64(n - 1) * 32 + x.exponent + NumBits(static_cast<unsigned int>(x.mantissa.blocks[n - 1])) - 1;
}

namespace {

// The words every operation keeps: below one word of precision there is nothing
// sensible to keep, so blockPrec < 1 counts as 1 throughout.
inline int32 effectivePrec() { return blockPrec < 1 ? 1 : blockPrec; }

// Shifts a magnitude with a nonzero top word left in place until its top bit is
// set; the word count does not change, so no storage is touched.
inline void alignInPlace(mb& m) {
    int32 n = absLen(m.length);
    uint32* w = m.blocks;
    int lead = 32 - NumBits(static_cast<unsigned int>(w[n - 1]));
    if (lead == 0) return;
    for (int32 i = n - 1; i > 0; --i) w[i] = (w[i] << lead) | (w[i - 1] >> (32 - lead));
    w[0] <<= lead;
}

// Shifts of the static working copies, in place: the array grows only when it is
// too small, so repeated calls allocate nothing. The sign stays.
void shiftWorkingLeft(mb& m, int64 bits) {
    int32 n = absLen(m.length);
    if (n == 0 || bits <= 0) return;
    bool negative = m.length < 0;
    int32 w = checkedWords(bits / 32);
    int b = static_cast<int>(bits % 32);
    int32 total = checkedWords(int64(n) + w + 1);
    uint32 const* src = m.blocks;
    uint32* dst = total > m.allocated ? allocWords(std::size_t(total)) : m.blocks;
    // From the top down, so a word is read before the same array overwrites it.
    if (b == 0) {
        dst[n + w] = 0;
        for (int32 i = n - 1; i >= 0; --i) dst[i + w] = src[i];
    } else {
        dst[n + w] = src[n - 1] >> (32 - b);
        for (int32 i = n - 1; i > 0; --i) dst[i + w] = (src[i] << b) | (src[i - 1] >> (32 - b));
        dst[w] = src[0] << b;
    }
    for (int32 i = 0; i < w; ++i) dst[i] = 0;
    if (dst != m.blocks) {
        std::free(m.blocks);
        m.blocks = dst;
        m.allocated = total;
    }
    while (total > 0 && dst[total - 1] == 0) --total;
    m.length = negative ? -total : total;
}

void shiftWorkingRight(mb& m, int64 bits) {
    int32 n = absLen(m.length);
    if (n == 0 || bits <= 0) return;
    bool negative = m.length < 0;
    int64 w = bits / 32;
    int b = static_cast<int>(bits % 32);
    if (w >= n) {
        m.length = 0;
        return;
    }
    int32 left = n - static_cast<int32>(w);
    uint32* x = m.blocks;
    for (int32 j = 0; j < left; ++j) {
        uint32 v = x[j + w] >> b;
        if (b != 0 && j + 1 < left) v |= x[j + w + 1] << (32 - b);
        x[j] = v;
    }
    while (left > 0 && x[left - 1] == 0) --left;
    m.length = negative ? -left : left;
}

inline void makeZero(fp& z) {
    z.mantissa = 0;
    z.exponent = 0;
}

// Compares magnitudes after rounding both to blockPrec words, so values that
// differ only below the precision compare equal.
int fpCompareAbs(fp const& x, fp const& y) {
    static fp xt, yt;
    bool xz = x.mantissa.length == 0, yz = y.mantissa.length == 0;
    if (xz || yz) return xz && yz ? 0 : (xz ? -1 : 1);
    equateWithCare(xt, x);
    equateWithCare(yt, y);
    xt.mantissa.length = absLen(xt.mantissa.length);
    yt.mantissa.length = absLen(yt.mantissa.length);
    fpNormalize(xt);
    fpNormalize(yt);
    if (xt.mantissa.length == 0 || yt.mantissa.length == 0) {
        bool a = xt.mantissa.length == 0, b = yt.mantissa.length == 0;
        return a && b ? 0 : (a ? -1 : 1);
    }
    int64 px = topBitOf(xt), py = topBitOf(yt);
    if (px != py) return px > py ? 1 : -1;
    // Same top bit: compare the bit strings aligned at the top.
    alignInPlace(xt.mantissa);
    alignInPlace(yt.mantissa);
    uint32 const* a = xt.mantissa.blocks;
    uint32 const* b = yt.mantissa.blocks;
    int32 an = xt.mantissa.length, bn = yt.mantissa.length;
    int32 common = an < bn ? an : bn;
    for (int32 i = 1; i <= common; ++i)
        if (a[an - i] != b[bn - i]) return a[an - i] > b[bn - i] ? 1 : -1;
    for (int32 i = an - common - 1; i >= 0; --i)
        if (a[i] != 0) return 1;
    for (int32 i = bn - common - 1; i >= 0; --i)
        if (b[i] != 0) return -1;
    return 0;
}

// x + y, or x - y when negateY: both follow one path with y's sign flipped.
void addCore(fp& z, fp const& x, fp const& y, bool negateY) {
    static fp xt, yt;
    if (x.mantissa.length == 0) {
        equate(z, y);
        if (negateY) z.mantissa.length = -z.mantissa.length;
        return;
    }
    if (y.mantissa.length == 0) {
        equate(z, x);
        return;
    }
    equateWithCare(xt, x);
    equateWithCare(yt, y);
    if (negateY) yt.mantissa.length = -yt.mantissa.length;

    int c = fpCompareAbs(xt, yt);
    if (c == 0) {
        if ((xt.mantissa.length < 0) == (yt.mantissa.length < 0)) {
            equate(z, xt);
            z.exponent = clampExponent(int64(xt.exponent) + 1);
            fpNormalize(z);
        } else {
            makeZero(z);
        }
        return;
    }

    int64 lx = topBitOf(xt), ly = topBitOf(yt);
    int64 gap = lx > ly ? lx - ly : ly - lx;
    if (gap > int64(32) * effectivePrec() + 32) {
        equate(z, lx > ly ? xt : yt);
        fpNormalize(z);
        return;
    }

    if (xt.exponent != yt.exponent) {
        fp& L = xt.exponent > yt.exponent ? xt : yt;
        fp& S = xt.exponent > yt.exponent ? yt : xt;
        int64 e = int64(L.exponent) - S.exponent;
        int r = static_cast<int>(e % 32);
        if (r != 0) {
            shiftWorkingLeft(L.mantissa, r);
            L.exponent = clampExponent(int64(L.exponent) - r);
        }
        int64 w = (e - r) / 32;
        int64 room = int64(effectivePrec()) - absLen(L.mantissa.length);
        int64 up = room <= 0 ? 0 : (w <= room ? w : room);
        int64 down = w - up;
        if (up > 0) {
            shiftWorkingLeft(L.mantissa, 32 * up);
            L.exponent = clampExponent(int64(L.exponent) - 32 * up);
        }
        if (down > 0) {
            shiftWorkingRight(S.mantissa, 32 * down);
            S.exponent = clampExponent(int64(S.exponent) + 32 * down);
        }
    }
    int32 e = xt.exponent;
    add(z.mantissa, xt.mantissa, yt.mantissa);
    z.exponent = e;
    fpNormalize(z);
}

}  // namespace

namespace {

// The normal form with the exponent carried in 64 bits, so that a result whose
// exponent is out of range before the cut is clamped once, at the end.
void normalizeAt(fp& x, int64 e) {
    mb& m = x.mantissa;
    if (m.length == 0) {
        x.exponent = 0;
        return;
    }
    x.exponent = clampExponent(e);
    bool negative = m.length < 0;
    int32 n = effLen(m);
    if (n == 0) {
        m.length = 0;
        update(m);
        x.exponent = 0;
        return;
    }
    int32 keep = effectivePrec();
    if (n <= keep) {
        m.length = negative ? -n : n;
        return;
    }
    uint32* w = m.blocks;

    m.length = n;
    e -= 32 - NumBits(static_cast<unsigned int>(w[n - 1]));
    alignInPlace(m);
    int32 low = 0;
    while (w[low] == 0) ++low;  // the top word is nonzero, so this stops
    int32 d = n - low - keep;
    if (d <= 0) {
        if (low > 0) {
            std::memmove(w, w + low, std::size_t(n - low) * sizeof(uint32));
            e += int64(32) * low;
        }
        m.length = negative ? -(n - low) : (n - low);
        x.exponent = clampExponent(e);
        return;
    }
    int32 drop = low + d;  // words below the kept part
    if (w[drop - 1] & 0x80000000u) {
        bool allOnes = true;
        for (int32 i = drop; i < n && allOnes; ++i) allOnes = w[i] == 0xFFFFFFFFu;
        if (allOnes) {
            w[0] = 1;
            m.length = negative ? -1 : 1;
            x.exponent = clampExponent(e + int64(32) * n);
            return;
        }
        for (int32 i = drop; i < n; ++i)
            if (++w[i] != 0) break;
    }
    std::memmove(w, w + drop, std::size_t(keep) * sizeof(uint32));
    m.length = negative ? -keep : keep;
    x.exponent = clampExponent(e + int64(32) * drop);
}

}  // namespace

void fpNormalize(fp& x) { normalizeAt(x, x.exponent); }

int compare(fp const& x, fp const& y) {
    int c = fpCompareAbs(x, y);
    bool xNeg = x.mantissa.length < 0, yNeg = y.mantissa.length < 0;
    if (c > 0) return xNeg ? -1 : 1;
    if (c < 0) return yNeg ? 1 : -1;
    if (!xNeg && yNeg) return 1;
    if (xNeg && !yNeg) return -1;
    return 0;
}

void add(fp& z, fp const& x, fp const& y) { addCore(z, x, y, false); }

void sub(fp& z, fp const& x, fp const& y) { addCore(z, x, y, true); }

void mul(fp& z, fp const& x, fp const& y) {
    if (x.mantissa.length == 0 || y.mantissa.length == 0) {
        makeZero(z);
        return;
    }
    int64 e = int64(x.exponent) + y.exponent;
    mul(z.mantissa, x.mantissa, y.mantissa);
    normalizeAt(z, e);
}

bool div(fp& z, fp const& x, fp const& y) {
    static fp s;
    if (y.mantissa.length == 0) return false;
    if (x.mantissa.length == 0) {
        makeZero(z);
        return true;
    }
    equateWithCare(s, x);
    int64 a = int64(effectivePrec()) - absLen(x.mantissa.length) + absLen(y.mantissa.length);
    int64 se = s.exponent;
    if (a >= 0) {
        int64 bits = 32 * a + 32;
        shiftWorkingLeft(s.mantissa, bits);
        se -= bits;
    }
    int64 e = se - y.exponent;
    div(z.mantissa, s.mantissa, y.mantissa);
    normalizeAt(z, e);
    return true;
}

bool divByWord(fp& z, fp const& x, uint32 k) {
    static fp s;
    if (k == 0) return false;
    if (x.mantissa.length == 0) {
        makeZero(z);
        return true;
    }
    // The steps of div with a one-word divisor: the same shift, so the same
    // truncated quotient, from one pass of single-word division.
    equateWithCare(s, x);
    int64 a = int64(effectivePrec()) - absLen(x.mantissa.length) + 1;
    int64 se = s.exponent;
    if (a >= 0) {
        int64 bits = 32 * a + 32;
        shiftWorkingLeft(s.mantissa, bits);
        se -= bits;
    }
    mb& m = s.mantissa;
    bool negative = m.length < 0;
    int32 n = absLen(m.length);
    uint64 r = 0;
    for (int32 i = n - 1; i >= 0; --i) {
        uint64 cur = (r << 32) | m.blocks[i];
        uint64 q = cur / k;
        m.blocks[i] = static_cast<uint32>(q);
        r = cur - q * k;
    }
    while (n > 0 && m.blocks[n - 1] == 0) --n;
    m.length = negative ? -n : n;
    equateWithCare(z.mantissa, m);
    normalizeAt(z, se);
    return true;
}

bool power(fp& z, fp const& x, int n) {
    static fp one;
    static bool initGood = false;
    if (!initGood) {
        long32tofp(one, 1);
        initGood = true;
    }
    if (x.mantissa.length == 0) {
        makeZero(z);
        return n > 0;
    }
    if (n == 0) {
        equate(z, one);
        return true;
    }
    fp r;
    equate(r, one);
    // The magnitude in unsigned arithmetic, so -2^31 powers by 2^31.
    uint32 m = n < 0 ? 0u - static_cast<uint32>(n) : static_cast<uint32>(n);
    int b = NumBits(static_cast<unsigned int>(m));
    m <<= (32 - b) & 31;
    for (int i = 0; i < b; ++i) {
        mul(r, r, r);
        if (m & 0x80000000u) mul(r, r, x);
        m <<= 1;
    }
    if (n < 0) div(r, one, r);
    equate(z, r);
    return true;
}

// ---- operand forms ----

namespace {

inline void operand(fp& t, mb const& v) { equate(t, v); }

inline void operand(fp& t, double v) { equate(t, v); }

}  // namespace

#define VANTREL_OPERAND_FORMS(R, op, T)    \
    R op(fp& z, fp const& x, T y) {        \
        static fp yt;                      \
        operand(yt, y);                    \
        return op(z, x, yt);               \
    }                                      \
    R op(fp& z, T x, fp const& y) {        \
        static fp xt;                      \
        operand(xt, x);                    \
        return op(z, xt, y);               \
    }

VANTREL_OPERAND_FORMS(void, add, mb const&)
VANTREL_OPERAND_FORMS(void, add, double)
VANTREL_OPERAND_FORMS(void, sub, mb const&)
VANTREL_OPERAND_FORMS(void, sub, double)
VANTREL_OPERAND_FORMS(void, mul, mb const&)
VANTREL_OPERAND_FORMS(void, mul, double)
VANTREL_OPERAND_FORMS(bool, div, mb const&)
VANTREL_OPERAND_FORMS(bool, div, double)
#undef VANTREL_OPERAND_FORMS
