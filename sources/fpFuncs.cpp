// Functions of fp built on its arithmetic: the binary logarithm's integer part,
// the truncation to a 32-bit integer, rounding to integers, roots, logarithm,
// exponential and powers, the cached constants, and the circular and hyperbolic
// functions. Every series runs until the next term no longer changes the sum.
#include "fpFuncs.h"

#include <cmath>
#include <limits>

#include "fpConv.h"
#include "fpMath.h"
#include "mbConv.h"
#include "mbMath.h"
#include "myGammaFunctions.h"

int Lg2(fp const& x) {
    if (effLen(x.mantissa) == 0) return 0;
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

namespace {

inline void makeZero(fp& z) {
    z.mantissa = 0;
    z.exponent = 0;
}

// A record with zero top words counts as its value, so a zero may have a length.
inline bool isZero(fp const& x) { return effLen(x.mantissa) == 0; }
inline bool isNegative(fp const& x) { return x.mantissa.length < 0; }
inline void negate(fp& x) { x.mantissa.length = -x.mantissa.length; }

inline void setDouble(fp& x, double d) { equate(x, d); }

// |x| < 2^-(2^30): x^2 leaves the range and f(x) = x (1 + O(x^2)) is x to every digit,
// which a quotient formed at the bottom of the range would no longer give.
inline bool tinyArgument(fp const& x) { return topBitOf(x) < -(int64(1) << 30); }

// A series term whose exponent is held at the bottom of the range shrinks no further,
// so the sum would never settle: the series ends there (the terms left are below
// every value the sum can hold at its precision).
inline bool heldAtBottom(fp const& t) {
    return t.exponent == std::numeric_limits<int32>::min() && t.mantissa.length != 0;
}

// A one-word value that is exact: m * 2^e. The target may hold words.
inline void setExact(fp& x, int32 m, int32 e) {
    long64tomb(x.mantissa, m);
    x.exponent = e;
}

// Whether the `bits` lowest bits of the magnitude are all zero.
bool lowBitsZero(mb const& m, int64 bits) {
    int32 n = absLen(m.length);
    int64 words = bits / 32;
    int rest = static_cast<int>(bits % 32);
    for (int64 i = 0; i < words; ++i) {
        if (i >= n) return true;
        if (m.blocks[i] != 0) return false;
    }
    if (rest == 0 || words >= n) return true;
    return (m.blocks[words] & ((1u << rest) - 1u)) == 0;
}

// Truncation toward zero; `fraction` tells whether bits were dropped.
void truncate(fp& z, fp const& x, bool& fraction) {
    fraction = false;
    if (x.exponent >= 0 || isZero(x)) {
        equate(z, x);
        return;
    }
    fraction = !lowBitsZero(x.mantissa, -int64(x.exponent));
    int32 e = x.exponent;
    // The shift takes its count by magnitude: a negative count shifts right.
    mbShiftRight(z.mantissa, x.mantissa, e);
    z.exponent = 0;
}

// Division by a series counter: one-word division where the counter fits,
// otherwise the counter as an fp (the same value either way).
inline void divByCount(fp& z, fp const& x, int64 k) {
    if (k > 0 && k <= std::numeric_limits<int32>::max()) {
        divByWord(z, x, static_cast<uint32>(k));
    } else {
        static fp t;
        init(t, static_cast<long long>(k));
        div(z, x, t);
    }
}

// Runs body at two words or more. At one word the series would lose every addend
// below a one-word term, so body then computes at two words into a local and the
// result is cut to one word. body returns whether it wrote its target; an
// unwritten target stays as it was.
template <class Body>
bool atTwoWords(fp& z, Body body) {
    if (blockPrec >= 2) return body(z);
    int32 saved = blockPrec;
    blockPrec = 2;
    fp r;
    bool wrote = body(r);
    blockPrec = saved;
    if (wrote) {
        fpNormalize(r);
        z = static_cast<fp&&>(r);
    }
    return wrote;
}

// blockPrec raised for one scope and put back on every exit.
class RaisePrec {
public:
    explicit RaisePrec(int32 by) : saved_(blockPrec) { blockPrec = raised(by); }
    ~RaisePrec() { blockPrec = saved_; }
    void restore() { blockPrec = saved_; }
    RaisePrec(RaisePrec const&) = delete;
    RaisePrec& operator=(RaisePrec const&) = delete;

private:
    int32 raised(int32 by) const {
        int64 p = int64(saved_ < 1 ? 1 : saved_) + by;
        return p > std::numeric_limits<int32>::max() ? std::numeric_limits<int32>::max() : static_cast<int32>(p);
    }
    int32 saved_;
};

// A constant kept at the highest precision asked for so far.
struct Cached {
    fp value;
    int32 blockPrecCurr = 0;
};

template <class Compute>
void handOut(fp& z, Cached& c, Compute compute) {
    if (blockPrec > c.blockPrecCurr) {
        compute(c.value);
        c.blockPrecCurr = blockPrec;
        equate(z, c.value);
    } else {
        equate(z, c.value);
        fpNormalize(z);
    }
}

// A constant built on first use, at the precision then in force; each call site
// (each lambda) has its own.
template <class Make>
fp const& once(Make make) {
    static fp value;
    static bool initGood = false;
    if (!initGood) {
        make(value);
        initGood = true;
    }
    return value;
}

fp const& constOne() {
    return once([](fp& v) { setExact(v, 1, 0); });
}

}  // namespace

// Both forms of a one-operand function from its core, which works at two words or more.
#define VANTREL_UNARY_FORMS(name, core)                         \
    void name(fp& z, fp const& x) {                             \
        atTwoWords(z, [&x](fp& r) { return core(r, x); });      \
    }                                                           \
    fp name(fp const& x) {                                      \
        fp z;                                                   \
        name(z, x);                                             \
        return z;                                               \
    }

// ---- rounding to integers ----

void floor(fp& z, fp const& x) {
    bool fraction = false;
    bool negative = isNegative(x);
    truncate(z, x, fraction);
    if (fraction && negative) sub(z, z, constOne());
}

fp floor(fp const& x) {
    fp z;
    floor(z, x);
    return z;
}

void ceil(fp& z, fp const& x) {
    bool fraction = false;
    bool negative = isNegative(x);
    truncate(z, x, fraction);
    if (fraction && !negative) add(z, z, constOne());
}

fp ceil(fp const& x) {
    fp z;
    ceil(z, x);
    return z;
}

bool isItInteger(fp const& x) {
    static fp t;
    equateWithCare(t, x);
    fpNormalize(t);
    if (isZero(t) || t.exponent >= 0) return true;
    // Low zero words may stand below an integer, so the bits decide, not the exponent.
    return lowBitsZero(t.mantissa, -int64(t.exponent));
}

bool isItEven(fp const& x) {
    if (x.exponent > 0 || isZero(x)) return true;
    // The units bit; for the exponent 0 of floor's results it is bit 0.
    int64 bit = -int64(x.exponent);
    int32 n = absLen(x.mantissa.length);
    if (bit / 32 >= n) return true;
    return ((x.mantissa.blocks[bit / 32] >> (bit % 32)) & 1u) == 0;
}

// ---- square and square root ----

void sqr(fp& z, fp const& x) { mul(z, x, x); }

fp sqr(fp const& x) {
    fp z;
    sqr(z, x);
    return z;
}

namespace {

constexpr int64 kMaxRootWords = int64(1) << 26;

bool sqrtCore(fp& z, fp const& x) {
    static fp t;
    if (isNegative(x)) return false;
    if (isZero(x)) {
        makeZero(z);
        return true;
    }
    int32 p = blockPrec < 1 ? 1 : blockPrec;
    int64 doubled = int64(p) * 2;
    // The integer root counts the mantissa's bits in an int: from 2^26 words on it
    // cannot, so such a precision (blockPrec 2^25 and more) is refused.
    if (doubled >= kMaxRootWords) return false;
    equateWithCare(t, x);
    int64 e = t.exponent;
    int32 n = absLen(t.mantissa.length);
    if (n < doubled) {
        int64 bits = 32 * (doubled - n);
        mbShiftLeft(t.mantissa, t.mantissa, static_cast<int>(bits));
        e -= bits;
    }
    if (e % 2 != 0) {
        mbShiftLeft(t.mantissa, t.mantissa, 1);
        e -= 1;
    }
    sqrt(t.mantissa, t.mantissa);
    equate(z, t);
    z.exponent = clampExponent(e / 2);
    return true;
}

}  // namespace

VANTREL_UNARY_FORMS(sqrt, sqrtCore)

// ---- logarithm and exponential ----

namespace {

bool logCore(fp& z, fp const& x) {
    static fp pointFive, pointSevenFive, onePointFive, one;
    static fp y, s, s1, t, t1, term, power;
    static bool initGood = false;
    if (!initGood) {
        setExact(pointFive, 1, -1);
        setDouble(pointSevenFive, 0.75);
        setDouble(onePointFive, 1.5);
        setExact(one, 1, 0);
        initGood = true;
    }
    if (isZero(x) || isNegative(x)) return false;
    int64 k = 0;
    if (compare(x, pointSevenFive) >= 0 && compare(x, onePointFive) < 0) {
        equateWithCare(t, x);
    } else {
        // t = x * 2^-k: exact but for the cut to blockPrec words.
        k = Lg2(x);
        equateWithCare(t, x);
        t.exponent = clampExponent(int64(t.exponent) - k);
        fpNormalize(t);
        while (compare(t, onePointFive) > 0) {
            mul(t, t, pointFive);
            ++k;
        }
    }
    sub(y, one, t);
    // s = -ln t = y + y^2/2 + y^3/3 + ...
    makeZero(s);
    equateWithCare(term, y);
    equateWithCare(power, y);
    for (int64 i = 2;; ++i) {
        add(s1, s, term);
        if (compare(s1, s) == 0) break;
        equateWithCare(s, s1);
        mul(power, power, y);
        if (heldAtBottom(power)) break;
        divByCount(term, power, i);
    }
    if (k != 0) {
        ComputeLn2(t1);
        mul(t1, t1, static_cast<double>(k < 0 ? -k : k));
        if (k < 0) negate(t1);
    } else {
        makeZero(t1);
    }
    sub(z, t1, s);
    return true;
}

// Beyond this |x| the exponential leaves the binary exponent range (0.69 (2^31 - 1)).
fp const& expLimit() {
    return once([](fp& v) { init(v, 1481763716); });
}

}  // namespace

bool expInRange(fp const& x) {
    static fp a;
    equateWithCare(a, x);
    if (isNegative(a)) negate(a);
    return compare(a, expLimit()) <= 0;
}

namespace {

bool expCore(fp& z, fp const& x) {
    static fp one, f0, f, p, s, s1, term;
    static bool initGood = false;
    if (!initGood) {
        setExact(one, 1, 0);
        initGood = true;
    }
    if (!expInRange(x)) return false;
    floor(f0, x);
    sub(f, x, f0);
    int32 n = to_long(f0);
    ComputeE(p);
    power(p, p, n);
    makeZero(s);
    equateWithCare(term, one);
    for (int64 i = 1;; ++i) {
        add(s1, s, term);
        if (compare(s1, s) == 0) break;
        equateWithCare(s, s1);
        mul(term, term, f);
        if (heldAtBottom(term)) break;
        divByCount(term, term, i);
    }
    mul(z, p, s);
    return true;
}

}  // namespace

VANTREL_UNARY_FORMS(log, logCore)

VANTREL_UNARY_FORMS(exp, expCore)

// ---- powers ----

namespace {

void setOne(fp& z) { equate(z, constOne()); }

// log2 |x| as a double, from the top 64 bits of the mantissa.
double log2Of(fp const& x) {
    int32 n = effLen(x.mantissa);
    uint32 const* w = x.mantissa.blocks;
    double top = double(w[n - 1]);
    int64 e = int64(x.exponent) + int64(n - 1) * 32;
    if (n > 1) {
        top = top * 4294967296.0 + double(w[n - 2]);
        e -= 32;
    }
    return std::log2(top) + double(e);
}

// Whether x^n, with log2 |x| given, stays inside the binary exponent range at the
// current precision. A margin of a few bits leaves the rare exact edge (2^(2^31 - 1))
// inside, since log2 of a power of two is exact. At the bottom the result's words
// must fit too: blockPrec of them, or fewer for a positive power of a short x.
bool powerInRange(double lg, int64 n, int32 xWords) {
    double r = lg * double(n);
    double top = 2147483647.0;
    int64 words = blockPrec < 1 ? 1 : blockPrec;
    if (n > 0 && int64(xWords) * n < words) words = int64(xWords) * n;
    double bottom = -2147483648.0 + 32.0 * double(words) + 64.0;
    return r <= top + 0.5 && r >= bottom;
}

bool powIntCore(fp& z, fp const& x, int n) {
    static fp r;
    fp const& one = constOne();
    if (compare(x, one) == 0) {
        setOne(z);
        return true;
    }
    if (isZero(x)) {
        makeZero(z);
        return true;
    }
    if (n == 0) {
        setOne(z);
        return true;
    }
    int64 m = n < 0 ? -int64(n) : int64(n);
    if (m * Lg2(x) > 2147483647LL || !powerInRange(log2Of(x), n, effLen(x.mantissa))) {
        makeZero(z);
        return false;
    }
    // A negative power whose positive counterpart would fall into the bottom band, where
    // the words no longer fit the exponent range, is a positive power of 1 / x instead.
    fp const* base = &x;
    static fp inverse;
    bool invertFirst = n < 0 && !powerInRange(log2Of(x), m, effLen(x.mantissa));
    if (invertFirst) {
        div(inverse, 1.0, x);
        base = &inverse;
    }
    // Binary powering from the top bit down.
    equateWithCare(r, one);
    uint32 bits = static_cast<uint32>(m);
    int count = NumBits(static_cast<unsigned int>(bits));
    bits <<= (32 - count) & 31;
    for (int i = 0; i < count; ++i) {
        mul(r, r, r);
        if (bits & 0x80000000u) mul(r, r, *base);
        bits <<= 1;
    }
    if (n < 0 && !invertFirst) div(r, 1.0, r);
    equate(z, r);
    return true;
}

bool powCore(fp& z, fp const& x, fp const& y) {
    static fp t;
    fp const& one = constOne();
    if (isZero(y)) {
        setOne(z);
        return true;
    }
    if (isZero(x)) {
        makeZero(z);
        return true;
    }
    if (compare(x, one) == 0) {
        setOne(z);
        return true;
    }
    int n = 0;
    if (equate(n, y)) return powIntCore(z, x, n);
    bool integer = isItInteger(y);
    if (isNegative(x) && !integer) {
        makeZero(z);
        return false;
    }
    // A fractional exponent, or an integer one beyond int: |x|^y through the
    // logarithm, the sign from the parity, and out of range refused.
    bool negate_ = isNegative(x) && !isItEven(floor(y));
    {
        RaisePrec raise(1);
        equateWithCare(t, x);
        if (isNegative(t)) negate(t);
        logCore(t, t);
        mul(t, t, y);
        if (!expCore(t, t)) {
            raise.restore();
            makeZero(z);
            return false;
        }
        raise.restore();
        equate(z, t);
        fpNormalize(z);
    }
    if (negate_) negate(z);
    return true;
}

}  // namespace

bool pow(fp& z, fp const& x, fp const& y) {
    bool ok = true;
    atTwoWords(z, [&](fp& r) {
        ok = powCore(r, x, y);
        return true;
    });
    return ok;
}

fp pow(fp const& x, fp const& y) {
    fp z;
    pow(z, x, y);
    return z;
}

bool pow(fp& z, fp const& x, int n) {
    bool ok = true;
    atTwoWords(z, [&](fp& r) {
        ok = powIntCore(r, x, n);
        return true;
    });
    return ok;
}

fp pow(fp const& x, int n) {
    fp z;
    pow(z, x, n);
    return z;
}

bool pow(fp& z, fp const& x, double y) {
    fp t;
    equate(t, y);
    return pow(z, x, t);
}

fp pow(fp const& x, double y) {
    fp z;
    pow(z, x, y);
    return z;
}

bool pow(fp& z, double x, fp const& y) {
    fp t;
    equate(t, x);
    return pow(z, t, y);
}

fp pow(double x, fp const& y) {
    fp z;
    pow(z, x, y);
    return z;
}

void power2(fp& z, int n) { setExact(z, 1, n); }

fp power2(int n) {
    fp z;
    power2(z, n);
    return z;
}

// ---- constants ----

namespace {

void computeE(fp& z) {
    fp sum, s1, term;
    setExact(sum, 1, 0);
    setExact(term, 1, 0);
    for (int64 i = 2;; ++i) {
        add(s1, sum, term);
        if (compare(s1, sum) == 0) break;
        sum = s1;
        divByCount(term, term, i);
        if (heldAtBottom(term)) break;
    }
    z = static_cast<fp&&>(sum);
}

void computePi(fp& z) {
    static fp one, s47, s15, oneSixteenth;
    static bool initGood = false;
    if (!initGood) {
        setExact(one, 1, 0);
        setDouble(s47, 47.0);
        setDouble(s15, 15.0);
        setExact(oneSixteenth, 1, -4);
        initGood = true;
    }
    fp sum, prev, q, a, b, t, four, two;
    div(sum, s47, s15);
    equate(q, one);
    mul(four, one, 4.0);
    mul(two, one, 2.0);
    for (int64 k = 1;; ++k) {
        mul(q, q, oneSixteenth);
        if (heldAtBottom(q)) break;
        divByCount(a, four, 8 * k + 1);
        divByCount(b, two, 8 * k + 4);
        sub(t, a, b);
        divByCount(a, one, 8 * k + 5);
        sub(t, t, a);
        divByCount(a, one, 8 * k + 6);
        sub(t, t, a);
        mul(t, q, t);
        equateWithCare(prev, sum);
        add(sum, sum, t);
        if (compare(sum, prev) == 0) break;
    }
    z = static_cast<fp&&>(sum);
}

void computeLn2(fp& z) {
    static fp pointFive;
    static bool initGood = false;
    if (!initGood) {
        setExact(pointFive, 1, -1);
        initGood = true;
    }
    fp sum, s1, power, term;
    equate(power, pointFive);
    equate(term, pointFive);
    for (int64 i = 2;; ++i) {
        add(s1, sum, term);
        if (compare(s1, sum) == 0) break;
        sum = s1;
        mul(power, power, pointFive);
        if (heldAtBottom(power)) break;
        divByCount(term, power, i);
    }
    z = static_cast<fp&&>(sum);
}

void computeLog10(fp& z) {
    static fp ten;
    static bool initGood = false;
    if (!initGood) {
        setDouble(ten, 10.0);
        initGood = true;
    }
    logCore(z, ten);
}

// The cache rule of the four constants, at two words or more.
void constant(fp& z, Cached& c, void (*compute)(fp&)) {
    atTwoWords(z, [&c, compute](fp& r) {
        handOut(r, c, compute);
        return true;
    });
}

}  // namespace

void ComputeE(fp& z) {
    static Cached e;
    constant(z, e, computeE);
}

void ComputePi(fp& z) {
    static Cached pi;
    constant(z, pi, computePi);
}

fp Pi() {
    fp z;
    ComputePi(z);
    return z;
}

void ComputeLn2(fp& z) {
    static Cached Ln2;
    constant(z, Ln2, computeLn2);
}

void ComputeLog_10(fp& z) {
    static Cached LogOfTen;
    constant(z, LogOfTen, computeLog10);
}

// ---- circular functions ----

namespace {

inline void mulByCount(fp& z, fp const& x, int64 k) {
    static fp t;
    init(t, static_cast<long long>(k));
    mul(z, x, t);
}

// sum of (-1)^j r^(2j+1) / (2j+1)!, until a term no longer changes the sum.
void sineSeries(fp& z, fp const& r) {
    fp sum, s1, term, r2;
    equate(term, r);
    mul(r2, r, r);
    for (int64 k = 3;; k += 2) {
        add(s1, sum, term);
        if (compare(s1, sum) == 0) break;
        sum = s1;
        mul(term, term, r2);
        if (heldAtBottom(term)) break;
        divByCount(term, term, (k - 1) * k);
        negate(term);
    }
    z = static_cast<fp&&>(sum);
}

bool sinCore(fp& z, fp const& x) {
    static fp one, three, pointFive;
    static bool initGood = false;
    if (!initGood) {
        setDouble(one, 1.0);
        setDouble(three, 3.0);
        setExact(pointFive, 1, -1);
        initGood = true;
    }
    if (isZero(x)) {
        makeZero(z);
        return true;
    }
    fp x2, r;
    mul(x2, x, x);
    if (compare(x2, three) < 0) {
        equate(r, x);
    } else {
        // sin x = (-1)^f sin(pi (x/pi - f)), with the remainder in [-1/2, 1/2].
        fp q, f;
        div(q, x, Pi());
        floor(f, q);
        sub(r, q, f);
        if (compare(r, pointFive) > 0) {
            add(f, f, one);
            sub(r, q, f);
        }
        mul(r, Pi(), r);
        if (!isZero(f) && !isItEven(f)) negate(r);
    }
    sineSeries(z, r);
    return true;
}

bool cosCore(fp& z, fp const& x) {
    static fp pointFive, one;
    static bool initGood = false;
    if (!initGood) {
        setExact(pointFive, 1, -1);
        setDouble(one, 1.0);
        initGood = true;
    }
    if (isZero(x)) {
        equate(z, one);
        return true;
    }
    fp sum;
    {
        RaisePrec raise(1);
        // cos x = sin(pi (x/pi - f - 1/2)), negated for even f.
        fp q, f, r;
        div(q, x, Pi());
        floor(f, q);
        add(r, f, pointFive);
        sub(r, q, r);
        mul(r, Pi(), r);
        if (isZero(f) || isItEven(f)) negate(r);
        sineSeries(sum, r);
    }
    z = static_cast<fp&&>(sum);
    fpNormalize(z);
    return true;
}

bool tanCore(fp& z, fp const& x) {
    if (tinyArgument(x)) {
        equate(z, x);
        fpNormalize(z);
        return true;
    }
    fp c, s;
    cosCore(c, x);
    if (isZero(c)) return false;
    sinCore(s, x);
    div(z, s, c);
    return true;
}

bool atanCore(fp& z, fp const& x) {
    static fp pointZeroOne;
    static bool initGood = false;
    fp const& one = constOne();
    if (!initGood) {
        setDouble(pointZeroOne, 0.01);
        initGood = true;
    }
    if (isZero(x)) {
        makeZero(z);
        return true;
    }
    bool negative = isNegative(x);
    RaisePrec raise(2);
    fp t, a;
    equate(t, x);
    if (negative) negate(t);
    if (compare(t, one) == 0) {
        ComputePi(a);
        raise.restore();
        divByWord(z, a, 4);
        if (negative) negate(z);
        return true;
    }
    bool inverted = compare(t, one) > 0;
    if (inverted) div(t, one, t);
    // Halve the angle until the series converges fast: tan(a/2) = 1/(1/t + sqrt(1/t^2 + 1)).
    int64 h = 0;
    fp u, w;
    while (compare(t, pointZeroOne) > 0) {
        div(u, one, t);
        mul(w, u, u);
        add(w, w, one);
        sqrt(w, w);
        add(w, w, u);
        div(t, one, w);
        ++h;
    }
    fp prev, p, m, term;
    equate(a, t);
    equate(prev, t);
    equate(p, t);
    mul(m, t, t);
    negate(m);
    for (int64 k = 3;; k += 2) {
        mul(p, p, m);
        if (heldAtBottom(p)) break;
        divByCount(term, p, k);
        add(a, a, term);
        if (compare(a, prev) == 0) break;
        equateWithCare(prev, a);
    }
    fp factor;
    equate(factor, one);
    factor.exponent = clampExponent(int64(factor.exponent) + h);
    mul(a, a, factor);
    if (inverted) {
        fp halfPi;
        ComputePi(halfPi);
        halfPi.exponent -= 1;
        sub(a, halfPi, a);
    }
    if (negative) negate(a);
    raise.restore();
    z = static_cast<fp&&>(a);
    fpNormalize(z);
    return true;
}

bool atan2Core(fp& z, fp const& y, fp const& x) {
    int ys = isZero(y) ? 0 : (isNegative(y) ? -1 : 1);
    int xs = isZero(x) ? 0 : (isNegative(x) ? -1 : 1);
    if (ys == 0 && xs == 0) {
        makeZero(z);
        return true;
    }
    fp p;
    ComputePi(p);
    if (xs == 0) {
        divByWord(z, p, 2);
        if (ys < 0) negate(z);
        return true;
    }
    if (ys == 0) {
        if (xs > 0)
            makeZero(z);
        else
            z = static_cast<fp&&>(p);
        return true;
    }
    // y/x from copies scaled to about 1, so that the quotient's exponent is known in 64
    // bits; beyond the range the angle is its limit there: 0 or +-pi, or +-pi/2.
    static fp yScaled, xScaled;
    equateWithCare(yScaled, y);
    equateWithCare(xScaled, x);
    int64 shift = topBitOf(y) - topBitOf(x);
    yScaled.exponent = clampExponent(int64(y.exponent) - topBitOf(y));
    xScaled.exponent = clampExponent(int64(x.exponent) - topBitOf(x));
    fp t, a;
    div(t, yScaled, xScaled);
    int64 e = int64(t.exponent) + shift;
    if (e < std::numeric_limits<int32>::min()) {
        if (xs > 0) {
            makeZero(z);
        } else {
            z = static_cast<fp&&>(p);
            if (ys < 0) negate(z);
        }
        return true;
    }
    if (e > std::numeric_limits<int32>::max()) {
        divByWord(z, p, 2);
        if (ys < 0) negate(z);
        return true;
    }
    t.exponent = static_cast<int32>(e);
    if (isNegative(t)) negate(t);
    atanCore(a, t);
    if (xs > 0) {
        if (ys < 0) negate(a);
        z = static_cast<fp&&>(a);
    } else if (ys > 0) {
        sub(z, p, a);
    } else {
        sub(z, a, p);
    }
    return true;
}

// asin and acos share the root sqrt(1 - t^2); a t above 1 is refused.
bool asinCore(fp& z, fp const& x) {
    fp const& one = constOne();
    if (isZero(x)) {
        makeZero(z);
        return true;
    }
    if (tinyArgument(x)) {
        equate(z, x);
        fpNormalize(z);
        return true;
    }
    bool negative = isNegative(x);
    RaisePrec raise(2);
    fp t, a, w;
    equate(t, x);
    if (negative) negate(t);
    int c = compare(t, one);
    if (c > 0) return false;
    if (c == 0) {
        ComputePi(a);
        a.exponent -= 1;
    } else {
        mul(w, t, t);
        sub(w, one, w);
        sqrt(w, w);
        if (!div(w, t, w)) {
            // 1 - t^2 vanished at this precision: t is 1 but for its last bits.
            ComputePi(a);
            a.exponent -= 1;
        } else {
            atanCore(a, w);
        }
    }
    if (negative) negate(a);
    raise.restore();
    z = static_cast<fp&&>(a);
    fpNormalize(z);
    return true;
}

bool acosCore(fp& z, fp const& x) {
    fp const& one = constOne();
    if (isZero(x)) {
        ComputePi(z);
        z.exponent -= 1;
        return true;
    }
    bool negative = isNegative(x);
    RaisePrec raise(2);
    fp t, a, w;
    equate(t, x);
    if (negative) negate(t);
    if (compare(t, one) > 0) return false;
    mul(w, t, t);
    sub(w, one, w);
    sqrt(w, w);
    div(w, w, t);
    atanCore(a, w);
    if (negative) {
        fp p;
        ComputePi(p);
        sub(a, p, a);
    }
    raise.restore();
    z = static_cast<fp&&>(a);
    fpNormalize(z);
    return true;
}

}  // namespace

VANTREL_UNARY_FORMS(sin, sinCore)
VANTREL_UNARY_FORMS(cos, cosCore)
VANTREL_UNARY_FORMS(tan, tanCore)
VANTREL_UNARY_FORMS(atan, atanCore)
VANTREL_UNARY_FORMS(asin, asinCore)
VANTREL_UNARY_FORMS(acos, acosCore)

void atan2(fp& z, fp const& y, fp const& x) {
    atTwoWords(z, [&y, &x](fp& r) { return atan2Core(r, y, x); });
}

fp atan2(fp const& y, fp const& x) {
    fp z;
    atan2(z, y, x);
    return z;
}

// ---- hyperbolic functions ----

namespace {

// The double nearest 0.1 as an fp of the words in force at the first call.
void setPointOne(fp& x) { setDouble(x, 0.1); }

bool sinhCore(fp& z, fp const& x) {
    static fp pointOne;
    static bool initGood = false;
    if (!initGood) {
        setPointOne(pointOne);
        initGood = true;
    }
    fp a;
    equate(a, x);
    if (isNegative(a)) negate(a);
    if (compare(a, pointOne) > 0) {
        fp e, r;
        if (!expCore(e, x)) return false;
        div(r, 1.0, e);
        sub(r, e, r);
        divByWord(z, r, 2);
        return true;
    }
    // x (1 + x^2/3! + x^4/5! + ...)
    fp sum, s1, term, x2;
    setExact(term, 1, 0);
    mul(x2, x, x);
    for (int64 k = 2;; k += 2) {
        add(s1, sum, term);
        if (compare(s1, sum) == 0) break;
        sum = s1;
        mul(term, term, x2);
        if (heldAtBottom(term)) break;
        divByCount(term, term, (k + 1) * k);
    }
    mul(z, x, sum);
    return true;
}

bool coshCore(fp& z, fp const& x) {
    fp e, r;
    if (!expCore(e, x)) return false;
    div(r, 1.0, e);
    add(r, e, r);
    divByWord(z, r, 2);
    return true;
}

bool tanhCore(fp& z, fp const& x) {
    if (tinyArgument(x)) {
        equate(z, x);
        fpNormalize(z);
        return true;
    }
    fp s, c;
    if (!sinhCore(s, x) || !coshCore(c, x)) {
        // Beyond the exponential's range the quotient is 1 to every kept digit.
        setExact(z, isNegative(x) ? -1 : 1, 0);
        return true;
    }
    div(z, s, c);
    return true;
}

fp const& hugeArgument() {
    return once([](fp& v) { init(v, "1e30000"); });
}

bool asinhCore(fp& z, fp const& x) {
    static fp pointOne;
    static bool initGood = false;
    fp const& max = hugeArgument();
    if (!initGood) {
        setPointOne(pointOne);
        initGood = true;
    }
    bool negative = isNegative(x);
    fp a, w;
    equate(a, x);
    if (negative) negate(a);
    RaisePrec raise(1);
    if (compare(a, max) > 0) {
        mul(w, 2.0, a);
        logCore(w, w);
        if (negative) negate(w);
    } else if (compare(a, pointOne) > 0) {
        mul(w, x, x);
        add(w, w, 1.0);
        sqrt(w, w);
        add(w, a, w);
        logCore(w, w);
        if (negative) negate(w);
    } else {
        // x (1 - x^2/6 + 3x^4/40 - ...)
        fp sum, s1, term, x2;
        setExact(term, 1, 0);
        mul(x2, x, x);
        negate(x2);
        for (int64 k = 3;; k += 2) {
            add(s1, sum, term);
            if (compare(s1, sum) == 0) break;
            sum = s1;
            mul(term, term, x2);
            if (heldAtBottom(term)) break;
            mulByCount(term, term, (k - 2) * (k - 2));
            divByCount(term, term, (k - 1) * k);
        }
        mul(w, x, sum);
    }
    z = static_cast<fp&&>(w);
    return true;
}

bool acoshCore(fp& z, fp const& x) {
    fp const& max = hugeArgument();
    fp const& one = constOne();
    int c = compare(x, one);
    if (c < 0) return false;
    if (c == 0) {
        makeZero(z);
        return true;
    }
    RaisePrec raise(1);
    fp w;
    if (compare(x, max) > 0) {
        mul(w, 2.0, x);
    } else {
        mul(w, x, x);
        sub(w, w, one);
        sqrt(w, w);
        add(w, x, w);
    }
    logCore(w, w);
    z = static_cast<fp&&>(w);
    return true;
}

bool atanhCore(fp& z, fp const& x) {
    static fp one, pointOne;
    static bool initGood = false;
    if (!initGood) {
        setDouble(one, 1.0);
        setPointOne(pointOne);
        initGood = true;
    }
    bool negative = isNegative(x);
    fp a;
    a = x;
    if (negative) negate(a);
    if (compare(a, one) >= 0) return false;
    RaisePrec raise(2);
    fp r;
    if (compare(a, pointOne) < 0) {
        // a (1 + a^2/3 + a^4/5 + ...)
        fp sum, s1, term, p, a2;
        setExact(term, 1, 0);
        setExact(p, 1, 0);
        mul(a2, a, a);
        for (int64 k = 3;; k += 2) {
            add(s1, sum, term);
            if (compare(s1, sum) == 0) break;
            sum = s1;
            mul(p, p, a2);
            if (heldAtBottom(p)) break;
            divByCount(term, p, k);
        }
        mul(r, a, sum);
    } else {
        fp u, v;
        add(u, one, a);
        sub(v, one, a);
        div(u, u, v);
        logCore(u, u);
        divByWord(r, u, 2);
    }
    if (negative) negate(r);
    z = static_cast<fp&&>(r);
    return true;
}

}  // namespace

VANTREL_UNARY_FORMS(sinh, sinhCore)
VANTREL_UNARY_FORMS(cosh, coshCore)
VANTREL_UNARY_FORMS(tanh, tanhCore)
VANTREL_UNARY_FORMS(asinh, asinhCore)
VANTREL_UNARY_FORMS(acosh, acoshCore)
VANTREL_UNARY_FORMS(atanh, atanhCore)
#undef VANTREL_UNARY_FORMS

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
