// Integer arithmetic on mb: storage primitives, comparison, the ring operations,
// shifts, division and bit-level logic. Results are built in static scratch
// records and copied out last, so a result may be one of the operands.
#include "mbMath.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "fpConv.h"
#include "fpFuncs.h"
#include "fpMath.h"
#include "mbConv.h"
#include "mbLimbs.h"

namespace {

inline int32 stripTop(uint32 const* w, int32 n) {
    while (n > 0 && w[n - 1] == 0) --n;
    return n;
}

inline int clz32(uint32 v) { return 32 - NumBits(static_cast<unsigned int>(v)); }

// r (an + bn limbs) := a (an limbs) * b (bn limbs), for 32-bit limbs with 64-bit
// products or 64-bit limbs with 128-bit ones. Two outer limbs per pass: one load and
// one store of each product limb serve both rows, and the two carry chains run side by side.
template <class Limb, class Wide>
void schoolbook(Limb* r, Limb const* a, int32 an, Limb const* b, int32 bn) {
    constexpr int kBits = 8 * sizeof(Limb);
    // The first row writes, the others add.
    Limb carry = 0;
    for (int32 j = 0; j < bn; ++j) {
        Wide t = Wide(a[0]) * b[j] + carry;
        r[j] = static_cast<Limb>(t);
        carry = static_cast<Limb>(t >> kBits);
    }
    r[bn] = carry;
    int32 i = 1;
    for (; i + 1 < an; i += 2) {
        Wide a0 = a[i], a1 = a[i + 1];
        Limb c0 = 0, c1 = 0, prev = 0;
        Limb* ri = r + i;
        for (int32 j = 0; j < bn; ++j) {
            Limb bj = b[j];
            Wide t0 = a0 * bj + ri[j] + c0;
            c0 = static_cast<Limb>(t0 >> kBits);
            Wide t1 = a1 * prev + static_cast<Limb>(t0) + c1;
            c1 = static_cast<Limb>(t1 >> kBits);
            ri[j] = static_cast<Limb>(t1);
            prev = bj;
        }
        Wide t1 = a1 * prev + c0 + c1;
        ri[bn] = static_cast<Limb>(t1);
        ri[bn + 1] = static_cast<Limb>(t1 >> kBits);
    }
    if (i < an) {
        Wide ai = a[i];
        carry = 0;
        Limb* ri = r + i;
        for (int32 j = 0; j < bn; ++j) {
            Wide t = ai * b[j] + ri[j] + carry;
            ri[j] = static_cast<Limb>(t);
            carry = static_cast<Limb>(t >> kBits);
        }
        ri[bn] = carry;
    }
}

#if VANTREL_LIMB64
using namespace limbs;

// r (on + in words) := outer (on words) * inner (in words).
void mulWords64(uint32* r, uint32 const* outer, int32 on, uint32 const* inner, int32 in) {
    static LimbBuffer buf;
    int32 al = limbsOf(on), bl = limbsOf(in);
    uint64* a = buf.get(2 * (std::size_t(al) + bl));
    uint64* b = a + al;
    uint64* p = b + bl;
    loadLimbs(a, outer, on);
    loadLimbs(b, inner, in);
    schoolbook<uint64, uint128>(p, a, al, b, bl);
    storeLimbs(r, on + in, p);  // the limbs past on + in words are zero
}

// q (n words) := x / d, for n >= 1 and a one-word d > 0; returns the remainder.
uint32 shortDivWords64(uint32* q, uint32 const* x, int32 n, uint32 d) {
    int s = clz64(d);  // 32..63
    uint64 dn = uint64(d) << s;
    uint64 v = reciprocal(dn);
    uint64 r = 0;
    int32 top = n;
    if (n & 1) {
        --top;
        q[top] = x[top] / d;
        r = x[top] % d;
    }
    for (int32 i = top - 2; i >= 0; i -= 2) {
        uint64 l = uint64(x[i]) | (uint64(x[i + 1]) << 32);
        // (r * 2^64 + l) * 2^s, whose top limb stays below dn because r < d.
        uint64 rr;
        uint64 qq = div2by1((r << s) | (l >> (64 - s)), l << s, dn, v, rr);
        q[i] = static_cast<uint32>(qq);
        q[i + 1] = static_cast<uint32>(qq >> 32);
        r = rr >> s;
    }
    return static_cast<uint32>(r);
}

// Long division of magnitudes x (xn words) by y (yn words), xn >= yn >= 2, top words
// nonzero: q gets xn - yn + 1 words and r, when given, yn words. Knuth's algorithm D on
// limbs: the quotient limb from the top two limbs by the reciprocal, corrected with the
// next divisor limb, so that at most one add-back remains.
void longDivWords64(uint32* q, uint32* r, uint32 const* x, int32 xn, uint32 const* y, int32 yn) {
    static LimbBuffer buf;
    int32 m = limbsOf(yn), n = limbsOf(xn);
    uint64* v = buf.get(std::size_t(m) + n + 1 + (n - m + 1));
    uint64* u = v + m;
    uint64* ql = u + n + 1;
    loadLimbs(v, y, yn);
    loadLimbs(u, x, xn);
    u[n] = 0;
    int s = clz64(v[m - 1]);
    if (s != 0) {
        for (int32 i = m - 1; i > 0; --i) v[i] = (v[i] << s) | (v[i - 1] >> (64 - s));
        v[0] <<= s;
        for (int32 i = n; i > 0; --i) u[i] = (u[i] << s) | (u[i - 1] >> (64 - s));
        u[0] <<= s;
    }
    uint64 vt = v[m - 1];
    uint64 vs = m >= 2 ? v[m - 2] : 0;
    uint64 inv = reciprocal(vt);
    for (int32 j = n - m; j >= 0; --j) {
        uint64* w = u + j;  // m + 1 limbs
        uint64 u2 = w[m], u1 = w[m - 1];
        uint64 qhat, rhat;
        bool rhatBig;  // rhat >= 2^64: the correction cannot apply
        if (u2 >= vt) {
            qhat = ~uint64(0);
            rhat = u1 + vt;
            rhatBig = rhat < vt;
        } else {
            qhat = div2by1(u2, u1, vt, inv, rhat);
            rhatBig = false;
        }
        if (m >= 2) {
            uint64 u0 = w[m - 2];
            while (!rhatBig && uint128(qhat) * vs > ((uint128(rhat) << 64) | u0)) {
                --qhat;
                rhat += vt;
                rhatBig = rhat < vt;
            }
        }
        // window -= qhat * divisor; too large by one at most, then the divisor goes back.
        uint64 carry = 0;
        for (int32 i = 0; i < m; ++i) {
            uint128 t = uint128(qhat) * v[i] + carry;
            uint64 lo = static_cast<uint64>(t);
            carry = static_cast<uint64>(t >> 64);
            uint64 wi = w[i];
            w[i] = wi - lo;
            carry += wi < lo ? 1u : 0u;
        }
        uint64 topw = w[m];
        w[m] = topw - carry;
        if (topw < carry) {
            --qhat;
            uint64 c = 0;
            for (int32 i = 0; i < m; ++i) {
                uint128 t = uint128(w[i]) + v[i] + c;
                w[i] = static_cast<uint64>(t);
                c = static_cast<uint64>(t >> 64);
            }
            w[m] += c;
        }
        ql[j] = qhat;
    }
    storeLimbs(q, xn - yn + 1, ql);  // the limbs past that are zero
    if (r != nullptr) {
        if (s != 0) {
            for (int32 i = 0; i < m - 1; ++i) u[i] = (u[i] >> s) | (u[i + 1] << (64 - s));
            u[m - 1] >>= s;
        }
        storeLimbs(r, yn, u);
    }
}
#endif

inline void setWords(mb& x, int32 n) {
    x.length = n;
    updateWithCare(x);
}

// Copies a scratch result of n words into z with the given sign, at exact size;
// an array of z that already has that size is reused rather than replaced.
inline void store(mb& z, mb& scratch, int32 n, bool negative) {
    if (n == 0) {
        z = 0;
        return;
    }
    if (z.blocks != nullptr && z.allocated == n) {
        std::memcpy(z.blocks, scratch.blocks, std::size_t(n) * sizeof(uint32));
        z.length = negative ? -n : n;
        return;
    }
    scratch.length = negative ? -n : n;
    equate(z, scratch);
}

int cmpWords(uint32 const* a, int32 an, uint32 const* b, int32 bn) {
    if (an != bn) return an > bn ? 1 : -1;
    for (int32 i = an - 1; i >= 0; --i)
        if (a[i] != b[i]) return a[i] > b[i] ? 1 : -1;
    return 0;
}

// r := a + b for an >= bn; r holds an + 1 words; returns the word count.
int32 addWords(uint32* r, uint32 const* a, int32 an, uint32 const* b, int32 bn) {
    uint64 carry = 0;
    int32 i = 0;
    for (; i < bn; ++i) {
        uint64 s = uint64(a[i]) + b[i] + carry;
        r[i] = static_cast<uint32>(s);
        carry = s >> 32;
    }
    for (; i < an; ++i) {
        uint64 s = uint64(a[i]) + carry;
        r[i] = static_cast<uint32>(s);
        carry = s >> 32;
    }
    r[an] = static_cast<uint32>(carry);
    return carry ? an + 1 : an;
}

// r := a - b for a >= b; returns the word count after stripping.
int32 subWords(uint32* r, uint32 const* a, int32 an, uint32 const* b, int32 bn) {
    uint32 borrow = 0;
    int32 i = 0;
    for (; i < bn; ++i) {
        uint64 d = uint64(a[i]) - b[i] - borrow;
        r[i] = static_cast<uint32>(d);
        borrow = static_cast<uint32>(d >> 32) & 1u;
    }
    for (; i < an; ++i) {
        uint64 d = uint64(a[i]) - borrow;
        r[i] = static_cast<uint32>(d);
        borrow = static_cast<uint32>(d >> 32) & 1u;
    }
    return stripTop(r, an);
}

// Signed sum of x and (yNeg ? -|y| : |y|), shared by add and sub.
void addSigned(mb& z, mb const& x, mb const& y, bool yNeg) {
    static mb zt;
    int32 xn = effLen(x), yn = effLen(y);
    bool xNeg = x.length < 0;
    if (xNeg == yNeg) {
        bool xLonger = xn >= yn;
        setWords(zt, checkedWords(int64(xLonger ? xn : yn) + 1));
        int32 n = xLonger ? addWords(zt.blocks, x.blocks, xn, y.blocks, yn)
                          : addWords(zt.blocks, y.blocks, yn, x.blocks, xn);
        store(z, zt, n, xNeg);
        return;
    }
    int c = cmpWords(x.blocks, xn, y.blocks, yn);
    if (c == 0) {
        z = 0;
        return;
    }
    setWords(zt, c > 0 ? xn : yn);
    int32 n = c > 0 ? subWords(zt.blocks, x.blocks, xn, y.blocks, yn)
                    : subWords(zt.blocks, y.blocks, yn, x.blocks, xn);
    store(z, zt, n, c > 0 ? xNeg : yNeg);
}

// q (n words) := x / d for a one-word d > 0, one hardware division per word; returns
// the remainder.
uint32 shortDivWordsPlain(uint32* q, uint32 const* x, int32 n, uint32 d) {
    uint64 r = 0;
    for (int32 i = n - 1; i >= 0; --i) {
        uint64 cur = (r << 32) | x[i];
        uint64 qw = cur / d;
        q[i] = static_cast<uint32>(qw);
        r = cur - qw * d;
    }
    return static_cast<uint32>(r);
}

// Quotient of n words by one word d into q (sign given); returns the remainder.
uint32 shortDivWords(mb& q, uint32 const* x, int32 n, uint32 d, bool negative) {
    static mb s;
    setWords(s, n);
#if VANTREL_LIMB64
    // The reciprocal costs about what a few hardware divisions do.
    uint32 r = n >= 6 ? shortDivWords64(s.blocks, x, n, d) : shortDivWordsPlain(s.blocks, x, n, d);
#else
    uint32 r = shortDivWordsPlain(s.blocks, x, n, d);
#endif
    store(q, s, stripTop(s.blocks, n), negative);
    return r;
}

#if !VANTREL_LIMB64
// Quotient-word estimate from the top three words of the window and the top two
// of the divisor, in double precision. The +0.01 keeps it from falling short of
// the true word, so corrections only go downward.
uint32 ThreeByTwo(uint32 const* b3, uint32 const* b2) {
    static double const TwoTo32 = 4294967296.0;
    static double const zC = 4294967296.0;
    double num = double(b3[0]) + TwoTo32 * (double(b3[1]) + TwoTo32 * double(b3[2]));
    double den = double(b2[0]) + TwoTo32 * double(b2[1]);
    double e = num / den + 0.01;
    if (e >= zC) return 0xFFFFFFFFu;
    return static_cast<uint32>(e);
}

#endif

// Long division of normalised magnitudes, xn >= yn >= 2. Writes the quotient words
// into q (sign qNeg) and, when r is given, the remainder (sign rNeg).
void longDiv(mb& q, mb* r, mb const& x, int32 xn, mb const& y, int32 yn, bool qNeg, bool rNeg) {
    static mb d, yt, s;
#if VANTREL_LIMB64
    setWords(s, xn - yn + 1);
    if (r != nullptr) setWords(d, yn);
    longDivWords64(s.blocks, r != nullptr ? d.blocks : nullptr, x.blocks, xn, y.blocks, yn);
    if (r != nullptr) store(*r, d, stripTop(d.blocks, yn), rNeg);
    store(q, s, stripTop(s.blocks, xn - yn + 1), qNeg);
#else
    int shift = clz32(y.blocks[yn - 1]);
    int32 m = yn;
    int32 n = xn;

    // Divisor with its top bit set; dividend scaled alike, one word longer.
    setWords(yt, m);
    setWords(d, checkedWords(int64(n) + 1));
    if (shift == 0) {
        std::memcpy(yt.blocks, y.blocks, std::size_t(m) * sizeof(uint32));
        std::memcpy(d.blocks, x.blocks, std::size_t(n) * sizeof(uint32));
        d.blocks[n] = 0;
    } else {
        int back = 32 - shift;
        for (int32 i = m - 1; i > 0; --i) yt.blocks[i] = (y.blocks[i] << shift) | (y.blocks[i - 1] >> back);
        yt.blocks[0] = y.blocks[0] << shift;
        d.blocks[n] = x.blocks[n - 1] >> back;
        for (int32 i = n - 1; i > 0; --i) d.blocks[i] = (x.blocks[i] << shift) | (x.blocks[i - 1] >> back);
        d.blocks[0] = x.blocks[0] << shift;
    }

    int32 qn = n - m + 1;
    setWords(s, qn);
    uint32 const* yw = yt.blocks;
    uint32 const* b2 = yw + m - 2;

    for (int32 j = n - m; j >= 0; --j) {
        uint32* win = d.blocks + j;  // m + 1 words
        uint32 qhat = ThreeByTwo(win + m - 2, b2);
        if (qhat != 0) {
            // window -= qhat * divisor in one pass; the estimate is never short, and
            // when it is long the window goes negative and the divisor is added back.
            uint64 carry = 0;
            for (int32 i = 0; i < m; ++i) {
                uint64 p = uint64(qhat) * yw[i] + carry;
                uint32 lo = static_cast<uint32>(p);
                carry = p >> 32;
                uint32 w = win[i];
                win[i] = w - lo;
                carry += w < lo ? 1u : 0u;
            }
            uint32 top = win[m];
            win[m] = top - static_cast<uint32>(carry);
            if (uint64(top) < carry) {
                uint64 c = 0;
                do {
                    --qhat;
                    c = 0;
                    for (int32 i = 0; i < m; ++i) {
                        uint64 sum = uint64(win[i]) + yw[i] + c;
                        win[i] = static_cast<uint32>(sum);
                        c = sum >> 32;
                    }
                    uint64 sum = uint64(win[m]) + c;
                    win[m] = static_cast<uint32>(sum);
                    c = sum >> 32;
                } while (c == 0);
            }
        }
        s.blocks[j] = qhat;
    }

    if (r != nullptr) {
        // The remainder is the low m words of the window, scaled back down.
        uint32* w = d.blocks;
        if (shift != 0) {
            int back = 32 - shift;
            for (int32 i = 0; i < m - 1; ++i) w[i] = (w[i] >> shift) | (w[i + 1] << back);
            w[m - 1] >>= shift;
        }
        store(*r, d, stripTop(w, m), rNeg);
    }
    store(q, s, stripTop(s.blocks, qn), qNeg);
#endif
}

// Truncating quotient (and remainder, when r is given) for a nonzero divisor.
void divide(mb& q, mb* r, mb const& x, mb const& y) {
    int32 xn = effLen(x), yn = effLen(y);
    bool xNeg = x.length < 0;
    bool qNeg = xNeg != (y.length < 0);
    if (xn == 0) {
        q = 0;
        if (r) *r = 0;
        return;
    }
    if (yn == 1) {
        uint32 rem = shortDivWords(q, x.blocks, xn, y.blocks[0], qNeg);
        if (r) {
            if (rem == 0) {
                *r = 0;
            } else {
                r->length = 1;
                update(*r);
                r->blocks[0] = rem;
                if (xNeg) r->length = -1;
            }
        }
        return;
    }
    int c = cmpWords(x.blocks, xn, y.blocks, yn);
    if (c < 0) {
        if (r) {  // before q, which may be x
            equate(*r, x);
            mbNormalize(*r);
        }
        q = 0;
        return;
    }
    if (c == 0) {
        q.length = 1;
        update(q);
        q.blocks[0] = 1;
        if (qNeg) q.length = -1;
        if (r) *r = 0;
        return;
    }
    longDiv(q, r, x, xn, y, yn, qNeg, xNeg);
}

}  // namespace

// ---- storage ----

void update(mb& x) {
    if (x.length != 0) {
        std::free(x.blocks);
        int32 n = absLen(x.length);
        x.blocks = allocWords(std::size_t(n));
        x.allocated = n;
    } else if (x.blocks != nullptr || x.allocated != 0) {
        std::free(x.blocks);
        x.allocated = 0;
        x.blocks = nullptr;
    }
}

void updateWithCare(mb& x) {
    if (x.length != 0) {
        int32 n = absLen(x.length);
        if (n > x.allocated || x.blocks == nullptr) {
            std::free(x.blocks);
            x.blocks = allocWords(std::size_t(n));
            x.allocated = n;
        }
    } else {
        update(x);
    }
}

void mbNormalize(mb& x) {
    if (x.length == 0) return;
    bool negative = x.length < 0;
    int32 n = stripTop(x.blocks, absLen(x.length));
    if (n == 0) {
        x.length = 0;
        update(x);
        return;
    }
    x.length = negative ? -n : n;
}

void myFree(mb& x) {
    std::free(x.blocks);
    x.allocated = 0;
    x.length = 0;
    x.blocks = nullptr;
}

mb abs(mb const& x) {
    mb z;
    equate(z, x);
    if (z.length < 0) z.length = -z.length;
    return z;
}

// ---- comparison ----

int mbCompareAbs(mb const& x, mb const& y) {
    return cmpWords(x.blocks, effLen(x), y.blocks, effLen(y));
}

int compare(mb const& x, mb const& y) {
    int32 xn = effLen(x), yn = effLen(y);
    bool xNeg = xn != 0 && x.length < 0;
    bool yNeg = yn != 0 && y.length < 0;
    if (xNeg != yNeg) return xNeg ? -1 : 1;
    int c = cmpWords(x.blocks, xn, y.blocks, yn);
    return xNeg ? -c : c;
}

// ---- ring operations ----

void add(mb& z, mb const& x, mb const& y) {
    if (x.length == 0 && y.length == 0) {
        z = 0;
    } else if (x.length == 0) {
        equate(z, y);
    } else if (y.length == 0) {
        equate(z, x);
    } else {
        addSigned(z, x, y, y.length < 0);
    }
}

void sub(mb& z, mb const& x, mb const& y) {
    if (x.length == 0 && y.length == 0) {
        z = 0;
    } else if (x.length == 0) {
        equate(z, y);
        z.length = -z.length;
    } else if (y.length == 0) {
        equate(z, x);
    } else {
        addSigned(z, x, y, y.length > 0);
    }
}

void mul(mb& z, mb const& x, mb const& y) {
    static mb sz;
    int32 xn = effLen(x), yn = effLen(y);
    if (xn == 0 || yn == 0) {
        z = 0;
        return;
    }
    bool negative = (x.length < 0) != (y.length < 0);
    // The shorter operand drives the outer loop; on a tie, y does.
    uint32 const* outer = y.blocks;
    uint32 const* inner = x.blocks;
    int32 on = yn, in = xn;
    if (xn < yn) {
        outer = x.blocks;
        inner = y.blocks;
        on = xn;
        in = yn;
    }
    int32 n = checkedWords(int64(xn) + yn);
    setWords(sz, n);
    uint32* r = sz.blocks;
#if VANTREL_LIMB64
    mulWords64(r, outer, on, inner, in);
#else
    schoolbook<uint32, uint64>(r, outer, on, inner, in);
#endif
    store(z, sz, stripTop(r, n), negative);
}

void mulByScalarAbs(mb& z, mb const& x, unsigned int a) {
    static mb zt;
    int32 xn = effLen(x);
    if (a == 0 || xn == 0) {
        z = 0;
        return;
    }
    setWords(zt, checkedWords(int64(xn) + 1));
    uint64 carry = 0;
    for (int32 i = 0; i < xn; ++i) {
        uint64 t = uint64(a) * x.blocks[i] + carry;
        zt.blocks[i] = static_cast<uint32>(t);
        carry = t >> 32;
    }
    zt.blocks[xn] = static_cast<uint32>(carry);
    store(z, zt, stripTop(zt.blocks, xn + 1), x.length < 0);
}

// ---- shifts ----

namespace {
// A count's magnitude; the most negative int counts as 2^31.
inline uint32 countOf(int n) { return n < 0 ? 0u - static_cast<uint32>(n) : static_cast<uint32>(n); }
}  // namespace

void mbShiftLeft(mb& z, mb const& x, int n) {
    static mb s;
    int32 xn = effLen(x);
    if (xn == 0) {
        z = 0;
        return;
    }
    uint32 cnt = countOf(n);
    if (cnt == 0) {
        equate(z, x);
        return;
    }
    int32 w = static_cast<int32>(cnt / 32);
    int b = static_cast<int>(cnt % 32);
    int32 total = checkedWords(int64(xn) + w + (b ? 1 : 0));
    setWords(s, total);
    uint32* r = s.blocks;
    std::memset(r, 0, std::size_t(w) * sizeof(uint32));
    if (b == 0) {
        std::memcpy(r + w, x.blocks, std::size_t(xn) * sizeof(uint32));
    } else {
        uint32 carry = 0;
        for (int32 i = 0; i < xn; ++i) {
            uint32 v = x.blocks[i];
            r[w + i] = (v << b) | carry;
            carry = v >> (32 - b);
        }
        r[w + xn] = carry;
    }
    store(z, s, stripTop(r, total), x.length < 0);
}

void mbShiftRight(mb& z, mb const& x, int n) {
    static mb s;
    int32 xn = effLen(x);
    if (xn == 0) {
        z = 0;
        return;
    }
    uint32 cnt = countOf(n);
    if (cnt == 0) {
        equate(z, x);
        return;
    }
    uint32 w = cnt / 32;
    int b = static_cast<int>(cnt % 32);
    if (uint32(xn) <= w) {
        z = 0;
        return;
    }
    int32 total = xn - static_cast<int32>(w);
    setWords(s, total);
    uint32 const* src = x.blocks + w;
    uint32* r = s.blocks;
    if (b == 0) {
        std::memmove(r, src, std::size_t(total) * sizeof(uint32));
    } else {
        for (int32 j = 0; j < total - 1; ++j) r[j] = (src[j] >> b) | (src[j + 1] << (32 - b));
        r[total - 1] = src[total - 1] >> b;
    }
    store(z, s, stripTop(r, total), x.length < 0);
}

int alignLeft(mb& x) {
    int32 full = absLen(x.length);
    int32 xn = effLen(x);
    if (xn == 0) return 0;
    int64 count = int64(32) * (full - xn) + clz32(x.blocks[xn - 1]);
    if (count > std::numeric_limits<int>::max()) {
        // The shift itself would pass int: drop the zero top words and align the rest.
        mbNormalize(x);
        count = clz32(x.blocks[xn - 1]);
    }
    int c = static_cast<int>(count);
    if (c != 0) mbShiftLeft(x, x, c);
    return c;
}

// ---- division ----

int mbKernelBits() { return VANTREL_LIMB64 ? 64 : 32; }

int mbShortDiv(mb& q, mb const& x, mb const& y) {
    if (effLen(y) != 1) return 0;
    int32 xn = effLen(x);
    if (xn == 0) {
        q = 0;
        return 0;
    }
    uint32 r = shortDivWords(q, x.blocks, xn, y.blocks[0], (x.length < 0) != (y.length < 0));
    return static_cast<int>(r);  // the word's bits; read it back as unsigned
}

int mbShortDiv(mb& q, mb const& x, unsigned int y) {
    if (y == 0) return 0;
    int32 xn = effLen(x);
    if (xn == 0) {
        q = 0;
        return 0;
    }
    return static_cast<int>(shortDivWords(q, x.blocks, xn, y, x.length < 0));
}

bool div(mb& q, mb const& x, mb const& y) {
    if (effLen(y) == 0) return false;
    divide(q, nullptr, x, y);
    return true;
}

bool divRem(mb& q, mb& r, mb const& x, mb const& y) {
    if (effLen(y) == 0) return false;
    divide(q, &r, x, y);
    return true;
}

// ---- bits ----

int countOnes(unsigned int v) {
    int n = 0;
    for (; v != 0; v &= v - 1) ++n;
    return n;
}

int compareBitsUINT32(unsigned int a, unsigned int b, int n) {
    int k = n < 0 ? 0 : (n > 31 ? 31 : n);
    uint32 mask = k == 31 ? 0xFFFFFFFFu : ((1u << (k + 1)) - 1u);
    return countOnes(~(a ^ b) & mask);
}

int getBit(unsigned int v, int i) { return (i < 0 || i > 31) ? 0 : static_cast<int>((v >> i) & 1u); }

unsigned int clearBit(unsigned int v, int i) { return (i < 0 || i > 31) ? v : (v & ~(1u << i)); }

unsigned int setBit(unsigned int v, int i) { return (i < 0 || i > 31) ? v : (v | (1u << i)); }

int NumBits(mb const& x) {
    int32 n = effLen(x);
    if (n == 0) return 1;
    return checkedWords(int64(n - 1) * 32 + NumBits(static_cast<unsigned int>(x.blocks[n - 1])));
}

int mbGetBit(mb const& x, int i) {
    int32 n = effLen(x);
    if (i < 0 || n == 0) return 0;
    int32 word = i / 32;
    if (word >= n) return 0;
    return static_cast<int>((x.blocks[word] >> (i % 32)) & 1u);
}

int mbCompareBits(mb const& x, mb const& y, int from, int to) {
    if (from < 0 || from > to) return 0;
    // Past both bit lengths every position holds 0 in both, so those agree wholesale.
    int64 top = std::max<int64>(int64(effLen(x)), int64(effLen(y))) * 32;
    int64 count = 0;
    int64 last = std::min<int64>(to, top - 1);
    for (int64 i = from; i <= last; ++i)
        if (mbGetBit(x, static_cast<int>(i)) == mbGetBit(y, static_cast<int>(i))) ++count;
    int64 highFrom = std::max<int64>(from, top);
    if (highFrom <= to) count += int64(to) - highFrom + 1;
    return count > std::numeric_limits<int>::max() ? std::numeric_limits<int>::max() : static_cast<int>(count);
}

int mbCountOnes(mb const& x) {
    int32 n = effLen(x);
    int64 c = 0;
    for (int32 i = 0; i < n; ++i) c += countOnes(x.blocks[i]);
    return c > std::numeric_limits<int>::max() ? std::numeric_limits<int>::max() : static_cast<int>(c);
}

bool isItEven(mb const& x) { return effLen(x) == 0 || (x.blocks[0] & 1u) == 0; }

int Lg2(mb const& x) {
    int32 n = effLen(x);
    if (n == 0) return -1;
    return NumBits(x) - 1;
}

mb twosComplement(mb const& x, int w) {
    mb z;
    int32 xn = effLen(x);
    if (xn == 0) return z;
    int32 own = absLen(x.length);
    int32 k = w > own ? w : own;
    z.length = k;
    update(z);
    // 2^(32k) - |x|: complement every word and add one.
    uint64 carry = 1;
    for (int32 i = 0; i < k; ++i) {
        uint64 v = uint64(static_cast<uint32>(~(i < xn ? x.blocks[i] : 0u))) + carry;
        z.blocks[i] = static_cast<uint32>(v);
        carry = v >> 32;
    }
    mbNormalize(z);
    return z;
}

mb twosComplement(mb const& x) { return twosComplement(x, absLen(x.length)); }

namespace {

enum class Logic { And, Or, Xor };

// The operand as a word pattern on k words: itself when nonnegative.
void pattern(mb& out, mb const& x, int32 k) {
    if (x.length < 0)
        out = twosComplement(x, k);
    else
        equate(out, x);
}

mb combine(mb const& x, mb const& y, Logic op) {
    mb z;
    bool xz = effLen(x) == 0, yz = effLen(y) == 0;
    if (op == Logic::And ? (xz || yz) : (xz && yz)) return z;
    int32 k = std::max(absLen(x.length), absLen(y.length));
    mb xa, ya;
    pattern(xa, x, k);
    pattern(ya, y, k);
    if (xz) return ya;
    if (yz) return xa;
    int32 xn = effLen(xa), yn = effLen(ya);
    int32 lo = std::min(xn, yn);
    int32 n = op == Logic::And ? lo : std::max(xn, yn);
    if (n == 0) return z;
    mb const& longer = xn >= yn ? xa : ya;
    z.length = n;
    update(z);
    for (int32 i = 0; i < lo; ++i) {
        uint32 a = xa.blocks[i], b = ya.blocks[i];
        z.blocks[i] = op == Logic::And ? (a & b) : op == Logic::Or ? (a | b) : (a ^ b);
    }
    for (int32 i = lo; i < n; ++i) z.blocks[i] = longer.blocks[i];
    mbNormalize(z);
    return z;
}

// The int forms: a negative n goes through the mb form on the wider pattern.
mb combineInt(mb const& x, int n, Logic op) {
    mb z;
    bool xz = effLen(x) == 0;
    if (op == Logic::And ? (xz || n == 0) : (xz && n == 0)) return z;
    if (n < 0) {
        mb t;
        long32tomb(t, n);
        return combine(x, t, op);
    }
    mb xa;
    pattern(xa, x, absLen(x.length));
    if (n == 0) return xa;
    uint32 v = static_cast<uint32>(n);
    if (op == Logic::And) {
        z.length = 1;
        update(z);
        z.blocks[0] = xa.blocks[0] & v;
        mbNormalize(z);
        return z;
    }
    if (xz) {
        long32tomb(z, n);
        return z;
    }
    xa.blocks[0] = op == Logic::Or ? (xa.blocks[0] | v) : (xa.blocks[0] ^ v);
    mbNormalize(xa);
    return xa;
}

mb powerOfTwo(int i) {
    mb one, z;
    long32tomb(one, 1);
    mbShiftLeft(z, one, i);
    return z;
}

}  // namespace

mb mbAnd(mb const& x, mb const& y) { return combine(x, y, Logic::And); }
mb mbOr(mb const& x, mb const& y) { return combine(x, y, Logic::Or); }
mb mbXor(mb const& x, mb const& y) { return combine(x, y, Logic::Xor); }
mb mbAnd(mb const& x, int n) { return combineInt(x, n, Logic::And); }
mb mbOr(mb const& x, int n) { return combineInt(x, n, Logic::Or); }
mb mbXor(mb const& x, int n) { return combineInt(x, n, Logic::Xor); }

mb mbSetBit(mb const& x, int i) {
    if (i < 0) return x;
    return mbOr(x, powerOfTwo(i));
}

mb mbFlipBit(mb const& x, int i) {
    if (i < 0) return x;
    return mbXor(x, powerOfTwo(i));
}

mb mbClearBit(mb const& x, int i) {
    if (i < 0 || i >= NumBits(x)) return x;
    mb z;
    if (effLen(x) == 0) return z;
    mb t = powerOfTwo(i);
    if (effLen(mbAnd(x, t)) != 0) return mbXor(x, t);
    return x;
}

// ---- roots, powers and number theory ----

mb const& mbOne() {
    static mb one;
    static bool initGood = false;
    if (!initGood) {
        long32tomb(one, 1);
        initGood = true;
    }
    return one;
}

namespace {

bool isOne(mb const& x) { return effLen(x) == 1 && x.length > 0 && x.blocks[0] == 1; }

// x^n by left-to-right binary powering; n >= 1.
void powerPositive(mb& z, mb const& x, uint32 n) {
    mb p;
    equate(p, x);  // the top bit of n, which is set
    mbNormalize(p);  // as a product would leave it
    int b = NumBits(static_cast<unsigned int>(n));
    n <<= (32 - b) & 31;
    n <<= 1;
    for (int i = 1; i < b; ++i) {
        mul(p, p, p);
        if (n & 0x80000000u) mul(p, p, x);
        n <<= 1;
    }
    equate(z, p);
}

}  // namespace

void sqrt(mb& z, mb const& x) {
    static mb s, s1, t1, ss, q;
    if (x.length < 0 && effLen(x) != 0) return;
    if (effLen(x) == 0) {
        z = 0;
        return;
    }
    mbShiftRight(s1, x, NumBits(x) / 2);
    equate(t1, s1);
    for (int i = 0; i < 10000; ++i) {
        div(q, x, s1);
        add(s, q, s1);
        mbShiftRight(s, s, 1);
        if (compare(s, s1) == 0) break;
        if (compare(s, t1) == 0) {
            // Two values alternate when x + 1 is a square: take the lower.
            mul(ss, s, s);
            if (compare(ss, x) > 0) sub(s, s, mbOne());
            break;
        }
        equate(t1, s1);
        equate(s1, s);
    }
    equate(z, s);
}

mb sqrt(mb const& x) {
    mb z;
    sqrt(z, x);
    return z;
}

bool isItSquare(mb& r, mb const& x) {
    int32 n = effLen(x);
    if (n == 0) {
        r = 0;
        return true;
    }
    if (x.length < 0) {
        r = 0;
        return false;
    }
    // Squares leave only these patterns in their low bits.
    uint32 low = x.blocks[0];
    bool candidate = (low & 7u) == 1u || (low & 31u) == 4u || (low & 127u) == 16u || (low & 191u) == 0u;
    if (!candidate) {
        r = 0;
        return false;
    }
    mb root, square;
    sqrt(root, x);
    mul(square, root, root);
    if (compare(square, x) == 0) {
        equate(r, root);
        return true;
    }
    r = 0;
    return false;
}

void sqr(mb& z, mb const& x) { mul(z, x, x); }

mb sqr(mb const& x) {
    mb z;
    mul(z, x, x);
    return z;
}

bool power(mb& z, mb const& x, int n) {
    bool nonzero = effLen(x) != 0;
    if (isOne(x)) {
        equate(z, mbOne());
        return true;
    }
    if (n < 0) {
        z = 0;
        return nonzero;
    }
    if (n == 0) {
        equate(z, mbOne());
        return nonzero;
    }
    powerPositive(z, x, static_cast<uint32>(n));
    return true;
}

bool power(mb& z, mb const& x, mb const& y) {
    int n = 0;
    if (!equate(n, y)) return false;
    return power(z, x, n);
}

mb power(mb const& x, int n) {
    mb z;
    power(z, x, n);
    return z;
}

mb power(mb const& x, mb const& y) {
    mb z;
    power(z, x, y);
    return z;
}

namespace {
// Exchanges two values without copying their words.
inline void swapValues(mb& a, mb& b) {
    mb t;
    t.allocated = a.allocated;
    t.length = a.length;
    t.blocks = a.blocks;
    a.allocated = b.allocated;
    a.length = b.length;
    a.blocks = b.blocks;
    b.allocated = t.allocated;
    b.length = t.length;
    b.blocks = t.blocks;
    t.blocks = nullptr;
}
}  // namespace

void gcd(mb& z, mb const& x, mb const& y) {
    mb p = abs(x), q = abs(y), r, t;
    while (effLen(q) != 0) {
        divRem(t, r, p, q);
        swapValues(p, q);  // (p, q, r) := (q, r, p): the old p's array becomes scratch
        swapValues(q, r);
    }
    if (effLen(p) == 0) p = 0;
    equate(z, p);
}

mb gcd(mb const& x, mb const& y) {
    mb z;
    gcd(z, x, y);
    return z;
}

void extendedGCD(mb& X, mb& Y, mb& G, mb const& a, mb const& b) {
    mb A(a), B(b), x, lastX, y, lastY, q, r, t;
    lastX = 1;
    y = 1;
    while (effLen(B) != 0) {
        divRem(q, r, A, B);
        equate(A, B);
        equate(B, r);
        mul(t, q, x);
        sub(t, lastX, t);
        equate(lastX, x);
        equate(x, t);
        mul(t, q, y);
        sub(t, lastY, t);
        equate(lastY, y);
        equate(y, t);
    }
    equate(X, lastX);
    equate(Y, lastY);
    equate(G, A);
}

void nthRoot(mb& z, mb const& x, int n) {
    if (n <= 0) {
        z = 0;
        return;
    }
    if (n == 1) {
        equate(z, x);
        return;
    }
    bool negative = x.length < 0 && effLen(x) != 0;
    if (negative && n % 2 == 0) {
        z = 0;
        return;
    }
    mb p = abs(x);
    if (effLen(p) == 0) {
        z = 0;
        return;
    }
    if (isOne(p)) {
        equate(z, x);
        return;
    }
    mb q;
    if (NumBits(p) <= n) {
        // p < 2^n, so the root is 1; no need to build 2^n.
        equate(q, mbOne());
    } else {
        // Newton's step from above decreases monotonically to the floor root,
        // so the loop ends. Start at 2^ceil(bits/n) >= the root.
        mb qn1, t, nn, step;
        init(nn, n);
        int bits = NumBits(p);
        mbShiftLeft(q, mbOne(), bits / n + (bits % n != 0 ? 1 : 0));
        uint32 n1 = static_cast<uint32>(n - 1);
        for (;;) {
            powerPositive(qn1, q, n1);
            div(t, p, qn1);                 // p / q^(n-1)
            mulByScalarAbs(step, q, n1);    // (n-1) q
            add(t, t, step);
            div(t, t, nn);                  // ((n-1) q + p / q^(n-1)) / n
            if (compare(t, q) >= 0) break;
            equate(q, t);
        }
    }
    if (negative) q.length = -q.length;
    equate(z, q);
}

mb nthRoot(mb const& x, int n) {
    mb z;
    nthRoot(z, x, n);
    return z;
}

void factorial(mb& z, mb const& n) {
    if (n.length < 0 && effLen(n) != 0) return;
    mb f, t(n);
    equate(f, mbOne());
    while (effLen(t) != 0) {
        mul(f, f, t);
        sub(t, t, mbOne());
    }
    equate(z, f);
}

mb factorial(mb const& n) {
    mb z;
    factorial(z, n);
    return z;
}

bool binomial(mb& z, mb const& n, mb const& k) {
    bool nNeg = n.length < 0 && effLen(n) != 0, kNeg = k.length < 0 && effLen(k) != 0;
    if (nNeg || kNeg || compare(n, k) < 0) {
        z = 0;
        return false;
    }
    if (compare(n, k) == 0 || effLen(k) == 0) {
        equate(z, mbOne());
        return true;
    }
    mb kk, s, f, i;
    sub(kk, n, k);
    if (compare(k, kk) < 0) equate(kk, k);  // the smaller of k and n - k
    sub(s, n, kk);
    equate(f, mbOne());
    equate(i, mbOne());
    while (compare(i, kk) <= 0) {
        add(s, s, mbOne());
        mul(f, f, s);
        div(f, f, i);
        add(i, i, mbOne());
    }
    equate(z, f);
    return true;
}

bool binomial(mb& z, mb const& n, int k) {
    mb b;
    init(b, k);
    return binomial(z, n, b);
}

bool binomial(mb& z, int n, mb const& k) {
    mb a;
    init(a, n);
    return binomial(z, a, k);
}

bool binomial(mb& z, int n, int k) {
    mb a, b;
    init(a, n);
    init(b, k);
    return binomial(z, a, b);
}

mb binomial(mb const& n, mb const& k) {
    mb z;
    binomial(z, n, k);
    return z;
}

mb binomial(mb const& n, int k) {
    mb z;
    binomial(z, n, k);
    return z;
}

mb binomial(int n, mb const& k) {
    mb z;
    binomial(z, n, k);
    return z;
}

mb binomial(int n, int k) {
    mb z;
    binomial(z, n, k);
    return z;
}

// ---- scalar operand forms ----

namespace {

// An int is exact as a double and in its decimal text, so it goes straight in.
inline void scalar(mb& t, int v) { equate(t, v); }

inline void scalar(mb& t, double v) { equate(t, v); }

}  // namespace

#define VANTREL_SCALAR_FORMS(R, op, T)       \
    R op(mb& z, mb const& x, T y) {          \
        static mb yt;                        \
        scalar(yt, y);                       \
        return op(z, x, yt);                 \
    }                                        \
    R op(mb& z, T x, mb const& y) {          \
        static mb xt;                        \
        scalar(xt, x);                       \
        return op(z, xt, y);                 \
    }

VANTREL_SCALAR_FORMS(void, add, int)
VANTREL_SCALAR_FORMS(void, add, double)
VANTREL_SCALAR_FORMS(void, sub, int)
VANTREL_SCALAR_FORMS(void, sub, double)
VANTREL_SCALAR_FORMS(void, mul, int)
VANTREL_SCALAR_FORMS(void, mul, double)
VANTREL_SCALAR_FORMS(bool, div, int)
VANTREL_SCALAR_FORMS(bool, div, double)
#undef VANTREL_SCALAR_FORMS

bool divRem(mb& q, mb& r, mb const& x, int y) {
    mb t;
    equate(t, y);
    return divRem(q, r, x, t);
}

bool divRem(mb& q, mb& r, int x, mb const& y) {
    mb t;
    equate(t, x);
    return divRem(q, r, t, y);
}

bool divRem(mb& q, mb& r, mb const& x, double y) {
    mb t;
    equate(t, y);
    return divRem(q, r, x, t);
}

bool divRem(mb& q, mb& r, double x, mb const& y) {
    mb t;
    equate(t, x);
    return divRem(q, r, t, y);
}

// ---- natural logarithm ----

void log(double& v, mb const& x) {
    if (x.length <= 0 || effLen(x) == 0) return;
    fp t;
    equate(t, x);
    log(t, t);
    equate(v, t);
}

double log(mb const& x) {
    double v = 0.0;
    log(v, x);
    return v;
}
