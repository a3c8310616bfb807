// The fp normal form, comparison, add/sub/mul/div, integer powers, Lg2 and to_long.
// A model built on GMP integers follows each operation's rules word for word, so results
// are checked bit for bit; exact rationals and MPFR then check the value independently.
#include <gtest/gtest.h>

#include <gmp.h>
#include <mpfr.h>

#include <climits>
#include <cstdio>
#include <cstdint>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "fp.h"
#include "fpConv.h"
#include "fpFuncs.h"
#include "fpMath.h"
#include "fp_oracle.h"
#include "mbMath.h"

namespace {

using namespace oracle;
using oracle::show;  // beside the model's show(Val) below

constexpr int64 kInt32Max = std::numeric_limits<int32>::max();
constexpr int64 kInt32Min = std::numeric_limits<int32>::min();

// A value as the model holds it: signed mantissa times 2^e. A mantissa without zero top
// words is fixed by its integer value, so comparing integers compares the words too.
struct Val {
    Mpz m;
    int64 e = 0;
};

Val val(long long m, int64 e) {
    Val v;
    mpz_set(v.m, Mpz(m));
    v.e = e;
    return v;
}

Val fromWords(std::vector<uint32> const& w, bool negative, int64 e) {
    Val v;
    if (!w.empty()) mpz_import(v.m, w.size(), -1, sizeof(uint32), 0, 0, w.data());
    if (negative) mpz_neg(v.m, v.m);
    v.e = e;
    return v;
}

int sgn(Val const& v) { return mpz_sgn(v.m); }
bool isZero(Val const& v) { return mpz_sgn(v.m) == 0; }
int64 bitLen(mpz_srcptr m) { return mpz_sgn(m) == 0 ? 0 : static_cast<int64>(mpz_sizeinbase(m, 2)); }
int64 wordLen(mpz_srcptr m) { return (bitLen(m) + 31) / 32; }
// Position just above the top bit: |v| lies in [2^(top-1), 2^top).
int64 topOf(Val const& v) { return bitLen(v.m) + v.e; }

Val negOf(Val const& v) {
    Val r = v;
    mpz_neg(r.m, r.m);
    return r;
}

Val absOf(Val const& v) {
    Val r = v;
    mpz_abs(r.m, r.m);
    return r;
}

// m * 2^k for k >= 0, on the signed value.
void shl(Mpz& m, int64 k) { mpz_mul_2exp(m, m, static_cast<mp_bitcnt_t>(k)); }
// Magnitude shifted right, truncated toward zero, sign kept.
void shrTrunc(Mpz& m, int64 k) { mpz_tdiv_q_2exp(m, m, static_cast<mp_bitcnt_t>(k)); }

std::string show(Val const& v) {
    std::ostringstream os;
    os << (mpz_sgn(v.m) < 0 ? "-0x" : "0x");
    Mpz a;
    mpz_abs(a, v.m);
    os << a.str(16) << " * 2^" << v.e << " (" << wordLen(v.m) << " words)";
    return os.str();
}

Val valOf(fp const& x) {
    Val v;
    toMpz(v.m, x.mantissa);
    v.e = x.exponent;
    return v;
}

// x := v, exact words, `slack` garbage words past length so stray reads show.
void setFp(fp& x, Val const& v, int32 slack = 0) { oracle::setFp(x, v.m, static_cast<int32>(v.e), slack); }

// The record holds exactly this representation (words, sign, exponent) in normal form.
::testing::AssertionResult sameRep(fp const& got, Val const& want) {
    ::testing::AssertionResult normal = isNormal(got.mantissa);
    if (!normal) return ::testing::AssertionFailure() << normal.message() << " in " << show(got);
    Val g = valOf(got);
    if (mpz_cmp(g.m, want.m) != 0 || g.e != want.e)
        return ::testing::AssertionFailure() << "got " << show(g) << ", expected " << show(want);
    return ::testing::AssertionSuccess();
}

// Two records hold the same representation.
::testing::AssertionResult sameRep(fp const& a, fp const& b) { return sameRep(a, valOf(b)); }

// ---- the model ---------------------------------------------------------------------

// Set when a model exponent leaves the int32 range; the library saturates there, so the
// bit-for-bit comparison only holds while this stays false.
bool gModelLeftRange = false;

void noteRange(int64 e) {
    if (e > kInt32Max || e < kInt32Min) gModelLeftRange = true;
}

// Normal form: strip zero top words (implicit here); at most bp words stays as it is;
// otherwise left-align, drop low zero words, and cut to bp words rounding the magnitude
// half away from zero by the top bit of the dropped part.
Val refNormalize(Val v, int64 bp) {
    if (bp < 1) bp = 1;
    noteRange(v.e);
    if (isZero(v)) return val(0, 0);
    bool negative = sgn(v) < 0;
    Mpz a;
    mpz_abs(a, v.m);
    int64 e = v.e;
    int64 n = wordLen(a);
    if (n <= bp) return v;
    int64 lead = 32 * n - bitLen(a);
    shl(a, lead);
    e -= lead;
    int64 k = static_cast<int64>(mpz_scan1(a, 0)) / 32;
    shrTrunc(a, 32 * k);
    e += 32 * k;
    n -= k;
    Val r;
    if (n <= bp) {
        mpz_set(r.m, a);
        r.e = e;
    } else {
        int64 d = n - bp;
        bool up = mpz_tstbit(a, static_cast<mp_bitcnt_t>(32 * d - 1)) != 0;
        shrTrunc(a, 32 * d);
        if (up) mpz_add_ui(a, a, 1);
        if (bitLen(a) > 32 * bp) {  // every kept word was all ones
            mpz_set_ui(r.m, 1);
            r.e = e + 32 * n;
        } else {
            mpz_set(r.m, a);
            r.e = e + 32 * d;
        }
    }
    if (negative) mpz_neg(r.m, r.m);
    noteRange(r.e);
    return r;
}

// Exact comparison of the magnitudes of two nonzero values.
int cmpAbsExact(Val const& a, Val const& b) {
    int64 ta = topOf(a), tb = topOf(b);
    if (ta != tb) return ta > tb ? 1 : -1;
    int64 emin = a.e < b.e ? a.e : b.e;
    Mpz x, y;
    mpz_abs(x, a.m);
    mpz_abs(y, b.m);
    shl(x, a.e - emin);
    shl(y, b.e - emin);
    int c = mpz_cmp(x, y);
    return (c > 0) - (c < 0);
}

int cmpExact(Val const& a, Val const& b) {
    int sa = sgn(a), sb = sgn(b);
    if (sa != sb) return sa < sb ? -1 : 1;
    if (sa == 0) return 0;
    return sa > 0 ? cmpAbsExact(a, b) : -cmpAbsExact(a, b);
}

// compare: magnitudes after rounding each to bp words, zero counted as positive.
int refCompare(Val const& x, Val const& y, int64 bp) {
    bool xz = isZero(x), yz = isZero(y);
    int c;
    if (xz || yz)
        c = xz && yz ? 0 : (xz ? -1 : 1);
    else
        c = cmpAbsExact(refNormalize(absOf(x), bp), refNormalize(absOf(y), bp));
    int sx = sgn(x) < 0 ? -1 : 1, sy = sgn(y) < 0 ? -1 : 1;
    if (c > 0) return sx;
    if (c < 0) return -sy;
    if (sx > 0 && sy < 0) return 1;
    if (sx < 0 && sy > 0) return -1;
    return 0;
}

int64 lg2Of(Val const& v) { return topOf(v) - 1; }

// How often each branch of the add/sub model ran, so the random test can show that it
// reached all of them.
struct AddPaths {
    int copy = 0, twice = 0, zero = 0, far = 0, sameExponent = 0, truncate = 0, widen = 0, both = 0;
};
AddPaths gAddPaths;

// add and sub: copies for a zero operand, twice x or zero for equal magnitudes, the
// larger operand when far apart, else alignment with truncation of the smaller one.
Val refAddSub(Val const& x, Val const& y, int64 bp, bool subtract) {
    if (isZero(x) || isZero(y)) {
        ++gAddPaths.copy;
        if (isZero(x)) return subtract ? negOf(y) : y;
        return x;
    }
    Val X = x, Y = subtract ? negOf(y) : y;
    if (refCompare(X, Y, bp) == 0) {
        ++gAddPaths.twice;
        X.e += 1;
        return refNormalize(X, bp);
    }
    if (refCompare(X, negOf(Y), bp) == 0) {
        ++gAddPaths.zero;
        return val(0, 0);
    }
    int64 lx = lg2Of(X), ly = lg2Of(Y);
    int64 gap = lx > ly ? lx - ly : ly - lx;
    if (gap > 32 * bp + 32) {
        ++gAddPaths.far;
        return refNormalize(lx > ly ? X : Y, bp);
    }
    if (X.e == Y.e) ++gAddPaths.sameExponent;
    if (X.e != Y.e) {
        Val& L = X.e > Y.e ? X : Y;
        Val& S = X.e > Y.e ? Y : X;
        int64 e = L.e - S.e;
        int64 r = e % 32;
        shl(L.m, r);
        L.e -= r;
        int64 w = (e - r) / 32;
        int64 room = bp - wordLen(L.m);
        if (room <= 0) {
            ++gAddPaths.truncate;
            shrTrunc(S.m, 32 * w);
            S.e += 32 * w;
        } else if (w <= room) {
            ++gAddPaths.widen;
            shl(L.m, 32 * w);
            L.e -= 32 * w;
        } else {
            ++gAddPaths.both;
            shl(L.m, 32 * room);
            L.e -= 32 * room;
            shrTrunc(S.m, 32 * (w - room));
            S.e += 32 * (w - room);
        }
    }
    Val z;
    mpz_add(z.m, X.m, Y.m);
    z.e = X.e;
    return refNormalize(z, bp);
}

Val refMul(Val const& x, Val const& y, int64 bp) {
    if (isZero(x) || isZero(y)) return val(0, 0);
    Val z;
    mpz_mul(z.m, x.m, y.m);
    z.e = x.e + y.e;
    return refNormalize(z, bp);
}

// y nonzero. Shift the dividend by 32a + 32 when a >= 0, truncated quotient, normal form.
Val refDiv(Val const& x, Val const& y, int64 bp) {
    if (isZero(x)) return val(0, 0);
    Val s = x;
    int64 a = bp - wordLen(x.m) + wordLen(y.m);
    if (a >= 0) {
        shl(s.m, 32 * a + 32);
        s.e -= 32 * a + 32;
    }
    Val z;
    mpz_tdiv_q(z.m, s.m, y.m);
    z.e = s.e - y.e;
    return refNormalize(z, bp);
}

// Left-to-right binary powering, each product normalised, reciprocal last.
Val refPower(Val const& x, int n, int64 bp) {
    if (isZero(x)) return val(0, 0);
    if (n == 0) return val(1, 0);
    Val r = val(1, 0);
    uint32 m = n < 0 ? 0u - static_cast<uint32>(n) : static_cast<uint32>(n);
    int b = 0;
    while (b < 32 && (m >> b) != 0) ++b;
    m <<= (32 - b) & 31;
    for (int i = 0; i < b; ++i) {
        r = refMul(r, r, bp);
        if (m & 0x80000000u) r = refMul(r, x, bp);
        m <<= 1;
    }
    if (n < 0) r = refDiv(val(1, 0), r, bp);
    return r;
}

// Exact x + y.
Val exactSum(Val const& x, Val const& y) {
    if (isZero(x)) return y;
    if (isZero(y)) return x;
    int64 emin = x.e < y.e ? x.e : y.e;
    Val a = x, b = y;
    shl(a.m, a.e - emin);
    shl(b.m, b.e - emin);
    Val z;
    mpz_add(z.m, a.m, b.m);
    z.e = emin;
    return z;
}

// |got - truth| <= |scale| * 2^log2Factor, decided exactly.
::testing::AssertionResult withinExact(Val const& got, Val const& truth, Val const& scale, int64 log2Factor) {
    Val d = exactSum(got, negOf(truth));
    if (isZero(d)) return ::testing::AssertionSuccess();
    Val bound = absOf(scale);
    bound.e += log2Factor;
    if (!isZero(bound) && cmpAbsExact(d, bound) <= 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "error " << show(d) << " exceeds " << show(bound) << " (got "
                                         << show(got) << ", exact " << show(truth) << ")";
}

// r := v exactly (the precision is raised to hold every bit).
void setExact(mpfr_ptr r, Val const& v) {
    int64 bits = bitLen(v.m);
    mpfr_set_prec(r, static_cast<mpfr_prec_t>(bits < 2 ? 2 : bits));
    int ternary = mpfr_set_z_2exp(r, v.m, static_cast<mpfr_exp_t>(v.e), MPFR_RNDN);
    EXPECT_EQ(ternary, 0) << "inexact MPFR copy of " << show(v);
}

// |got - truth| <= |truth| * 2^log2Rel.
::testing::AssertionResult withinRel(Val const& got, mpfr_ptr truth, long log2Rel) {
    Mpfr g(2), d(mpfr_get_prec(truth) + 64), bound(mpfr_get_prec(truth));
    setExact(g.get(), got);
    mpfr_sub(d.get(), g.get(), truth, MPFR_RNDN);
    mpfr_abs(d.get(), d.get(), MPFR_RNDN);
    mpfr_abs(bound.get(), truth, MPFR_RNDN);
    mpfr_mul_2si(bound.get(), bound.get(), log2Rel, MPFR_RNDN);
    if (mpfr_lessequal_p(d.get(), bound.get())) return ::testing::AssertionSuccess();
    mpfr_exp_t de = 0, be = 0;
    double dm = mpfr_get_d_2exp(&de, d.get(), MPFR_RNDN);
    double bm = mpfr_get_d_2exp(&be, bound.get(), MPFR_RNDN);
    return ::testing::AssertionFailure() << "error " << dm << "*2^" << de << " exceeds " << bm << "*2^" << be
                                         << " for " << show(got);
}

// ---- operands ----------------------------------------------------------------------

// Seeded operands: mantissas rich in edge words, several representations of one value,
// partners far apart, near, equal or opposite in magnitude.
class FpGen {
public:
    explicit FpGen(std::uint64_t seed) : g_(seed) {}

    Generator& g() { return g_; }

    Mpz magnitude(int32 n) {
        std::vector<uint32> w = g_.words(n, g_.style());
        return fromWords(w, false, 0).m;
    }

    // Word count 1..bp+3, mostly within the precision.
    int32 count(int64 bp) {
        if (g_.oneIn(4)) return static_cast<int32>(g_.range(bp + 1, bp + 3));
        return static_cast<int32>(g_.range(1, bp));
    }

    Val withTop(int32 n, int64 top) {
        Val v;
        v.m = magnitude(n);
        if (g_.coin()) mpz_neg(v.m, v.m);
        v.e = top - bitLen(v.m);
        return v;
    }

    Val operand(int64 bp) {
        if (g_.oneIn(30)) return val(0, g_.range(-40, 40));
        return withTop(count(bp), g_.range(-3000, 3000));
    }

    // The same value held differently: extra low zero words, a top word that is not
    // left-aligned, trailing zero bits stripped, or both shifts.
    Val reshape(Val v) {
        if (isZero(v)) return v;
        switch (g_.intIn(0, 4)) {
            case 0: break;
            case 1: {
                int64 k = g_.range(1, 3);
                shl(v.m, 32 * k);
                v.e -= 32 * k;
                break;
            }
            case 2: {
                int64 s = g_.range(1, 31);
                shl(v.m, s);
                v.e -= s;
                break;
            }
            case 3: {
                int64 tz = static_cast<int64>(mpz_scan1(v.m, 0));
                shrTrunc(v.m, tz);
                v.e += tz;
                break;
            }
            default: {
                int64 s = g_.range(1, 31) + 32 * g_.range(1, 2);
                shl(v.m, s);
                v.e -= s;
                break;
            }
        }
        return v;
    }

    Val partner(Val const& x, int64 bp) {
        if (isZero(x)) return operand(bp);
        int64 tx = topOf(x);
        int64 far = 32 * bp + 32;
        switch (g_.intIn(0, 7)) {
            case 0: return withTop(count(bp), tx + g_.range(-far - 8, far + 8));
            case 7: {  // the same exponent as x, a mantissa of its own
                Val y = withTop(count(bp), 0);
                y.e = x.e;
                return y;
            }
            case 1: return withTop(count(bp), tx + (g_.coin() ? 1 : -1) * (far + g_.range(-1, 2)));
            case 2: return reshape(g_.coin() ? x : negOf(x));
            case 3: {  // a tiny step away from +-x, held in more words
                Val y = g_.coin() ? x : negOf(x);
                int64 s = g_.range(0, 70);
                shl(y.m, s);
                y.e -= s;
                long delta = static_cast<long>(g_.range(-3, 3));
                if (delta >= 0)
                    mpz_add_ui(y.m, y.m, static_cast<unsigned long>(delta));
                else
                    mpz_sub_ui(y.m, y.m, static_cast<unsigned long>(-delta));
                if (isZero(y)) y = x;
                return reshape(y);
            }
            case 4: return withTop(count(bp), tx + g_.range(-3, 3));
            case 5: return g_.oneIn(3) ? val(0, g_.range(-40, 40)) : withTop(count(bp), tx + g_.range(-40, 40));
            default: return reshape(withTop(count(bp), tx + g_.range(-2 * far, 2 * far)));
        }
    }

    int32 slack() { return g_.oneIn(3) ? static_cast<int32>(g_.range(1, 3)) : 0; }

private:
    Generator g_;
};

// ---- fpNormalize -------------------------------------------------------------------

struct NormCase {
    char const* what;
    int32 bp;
    std::vector<uint32> in;  // low to high, zero top words allowed
    bool negative;
    int32 inExp;
    std::vector<uint32> out;
    int32 outExp;
};

TEST(FpNormalize, TableCases) {
    std::vector<NormCase> const cases = {
        {"zero with exponent 7", 5, {}, false, 7, {}, 0},
        {"three words, top zero: two words, unshifted", 5, {5, 0x1234, 0}, false, 9, {5, 0x1234}, 9},
        {"five words, top bit clear, low zero: unchanged", 5, {0, 1, 2, 3, 0x40}, false, -3, {0, 1, 2, 3, 0x40}, -3},
        {"dropped word 0x80000000 rounds up",
         5,
         {0x80000000u, 0, 0, 0, 0, 0x80000000u},
         false,
         0,
         {1, 0, 0, 0, 0x80000000u},
         32},
        {"dropped word 0x7FFFFFFF rounds down, low zeros stay",
         5,
         {0x7FFFFFFFu, 0, 0, 0, 0, 0x80000000u},
         false,
         0,
         {0, 0, 0, 0, 0x80000000u},
         32},
        {"all ones carry: mantissa 1",
         5,
         {0x80000000u, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu},
         false,
         0,
         {1},
         192},
        {"all ones carry, negative",
         5,
         {0x80000000u, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu},
         true,
         0,
         {1},
         192},
        {"six left-aligned words, two low zeros: four words",
         5,
         {0, 0, 7, 8, 9, 0x80000001u},
         false,
         10,
         {7, 8, 9, 0x80000001u},
         74},
        {"negative rounds like its positive twin",
         5,
         {0x80000000u, 0, 0, 0, 0, 0x80000000u},
         true,
         0,
         {1, 0, 0, 0, 0x80000000u},
         32},
        {"left-align, then a low zero word goes", 1, {0xC0000000u, 1}, false, 0, {0xE0000000u}, 1},
        {"left-align, dropped part below one half", 1, {0x40000000u, 0, 1}, false, 0, {0x80000000u}, 33},
        {"left-align, the bit shifted in rounds up", 1, {0, 1, 1}, false, 0, {0x80000001u}, 33},
        {"only zero words: zero", 3, {0, 0, 0}, true, 12, {}, 0},
        {"top zero words stripped, then cut", 1, {0x80000000u, 0x80000000u, 0, 0}, false, -5, {0x80000001u}, 27},
        {"exactly blockPrec words: untouched", 2, {0xFFFFFFFFu, 1}, false, 3, {0xFFFFFFFFu, 1}, 3},
        {"trailing zero words dropped, below precision after", 2, {0, 0, 0, 0x80000000u}, false, 0, {0x80000000u}, 96},
    };
    for (NormCase const& c : cases) {
        SCOPED_TRACE(c.what);
        PrecScope prec(c.bp);
        fp x;
        setRecord(x, c.in, c.negative, c.inExp, 1);
        fpNormalize(x);
        EXPECT_EQ(blockPrec, c.bp);
        if (c.in.empty()) {
            // length 0 only has its exponent cleared; an array it may hold stays.
            EXPECT_EQ(x.mantissa.length, 0);
            EXPECT_EQ(x.exponent, 0);
            continue;
        }
        EXPECT_TRUE(sameRep(x, fromWords(c.out, c.negative && !c.out.empty(), c.outExp)));
        // The model agrees with the table.
        Val model = refNormalize(fromWords(c.in, c.negative, c.inExp), c.bp);
        EXPECT_TRUE(sameRep(x, model));
    }
}

TEST(FpNormalize, ZeroReleasesItsArray) {
    fp x;
    setRecord(x, {0, 0}, false, 7, 1);
    fpNormalize(x);
    EXPECT_EQ(x.mantissa.length, 0);
    EXPECT_EQ(x.mantissa.blocks, nullptr);
    EXPECT_EQ(x.mantissa.allocated, 0);
    EXPECT_EQ(x.exponent, 0);
    fp y;
    y.exponent = -9;
    fpNormalize(y);
    EXPECT_EQ(y.exponent, 0);
}

TEST(FpNormalize, MatchesModelOnRandomMantissas) {
    FpGen gen(0x5EED0001u);
    for (int32 bp = 1; bp <= 12; ++bp) {
        PrecScope prec(bp);
        for (int i = 0; i < 300; ++i) {
            int32 n = static_cast<int32>(gen.g().range(1, 2 * bp + 4));
            Val v = gen.withTop(n, gen.g().range(-5000, 5000));
            if (gen.g().oneIn(4)) v = gen.reshape(v);
            int32 topZeros = gen.g().oneIn(5) ? gen.g().intIn(1, 2) : 0;
            // The record, possibly with zero words above the value.
            std::vector<uint32> w(static_cast<std::size_t>(wordLen(v.m) + topZeros), 0u);
            mpz_export(w.data(), nullptr, -1, sizeof(uint32), 0, 0, v.m);
            fp x;
            setRecord(x, w, sgn(v) < 0, static_cast<int32>(v.e), 1);
            fpNormalize(x);
            ASSERT_EQ(blockPrec, bp);
            ASSERT_TRUE(sameRep(x, refNormalize(v, bp))) << "bp " << bp << " input " << show(v);
            // Value kept within half a unit of the last kept word.
            Val d = exactSum(valOf(x), negOf(v));
            if (!isZero(d)) {
                ASSERT_GT(wordLen(v.m), bp);
                Val half = absOf(v);
                half.e -= 32 * bp;
                ASSERT_LE(cmpAbsExact(d, half), 0) << show(v);
            }
        }
    }
}

TEST(FpNormalize, PrecisionBelowOneActsAsOne) {
    FpGen gen(0x5EED0002u);
    for (int i = 0; i < 200; ++i) {
        Val v = gen.reshape(gen.withTop(gen.g().intIn(1, 6), gen.g().range(-300, 300)));
        Val want = refNormalize(v, 1);
        for (int32 bp : {0, -1, -1000, std::numeric_limits<int32>::min()}) {
            PrecScope prec(bp);
            fp x;
            setFp(x, v);
            fpNormalize(x);
            ASSERT_EQ(blockPrec, bp);
            ASSERT_TRUE(sameRep(x, want)) << "blockPrec " << bp << " input " << show(v);
        }
    }
}

TEST(FpNormalize, ExponentSaturatesAtTheEnds) {
    PrecScope prec(2);
    // Dropping words raises the exponent past the top of the range.
    fp x;
    setRecord(x, {1, 2, 3, 4, 0x80000000u}, false, std::numeric_limits<int32>::max() - 10, 1);
    fpNormalize(x);
    EXPECT_EQ(x.exponent, std::numeric_limits<int32>::max());
    EXPECT_EQ(wordsOf(x.mantissa), (std::vector<uint32>{4, 0x80000000u}));
    // Cutting never lowers the exponent (left-aligning takes at most 31, dropping gives
    // at least 32), so a value at the bottom stays exact.
    Val low = fromWords({1, 2, 3, 4, 1}, true, std::numeric_limits<int32>::min());
    fp y;
    setFp(y, low);
    fpNormalize(y);
    gModelLeftRange = false;
    EXPECT_TRUE(sameRep(y, refNormalize(low, 2)));
    EXPECT_FALSE(gModelLeftRange);
}

// ---- compare -----------------------------------------------------------------------

TEST(FpCompare, TableCases) {
    PrecScope prec(5);
    struct Case {
        Val x, y;
        int want;
    };
    std::vector<Case> const cases = {
        {val(1, 0), val(2, -1), 0},   {val(0, 0), val(-3, 0), 1},   {val(-3, 0), val(0, 0), -1},
        {val(0, 0), val(0, 0), 0},    {val(0, 5), val(0, -2), 0},   {val(-5, 0), val(-3, 0), -1},
        {val(3, 0), val(-3, 0), 1},   {val(-3, 0), val(3, 0), -1},  {val(3, 4), val(48, 0), 0},
        {val(-3, 4), val(-49, 0), 1}, {val(7, -1), val(3, 0), 1},   {val(1, 100), val(1, 99), 1},
        {val(-1, 100), val(1, -100), -1},
    };
    for (Case const& c : cases) {
        fp x, y;
        setFp(x, c.x);
        setFp(y, c.y);
        EXPECT_EQ(compare(x, y), c.want) << show(c.x) << " vs " << show(c.y);
        EXPECT_EQ(compare(y, x), -c.want) << show(c.y) << " vs " << show(c.x);
        EXPECT_TRUE(sameRep(x, c.x));
        EXPECT_TRUE(sameRep(y, c.y));
    }
}

TEST(FpCompare, LongValuesCompareAfterRounding) {
    PrecScope prec(5);
    std::vector<uint32> w = {3, 9, 8, 7, 6, 5, 0x89ABCDEFu};
    std::vector<uint32> w2 = w;
    w2[0] = 0x7FFFFFFFu;
    fp x, y;
    setRecord(x, w, false, -100, 1);
    setRecord(y, w2, false, -100, 1);
    EXPECT_EQ(compare(x, y), 0);
    EXPECT_NE(cmpExact(valOf(x), valOf(y)), 0);
    // The dropped part's top bit decides: these two round to neighbours.
    std::vector<uint32> w3 = w;
    w3[1] = 0x80000000u;
    fp z;
    setRecord(z, w3, false, -100, 1);
    EXPECT_EQ(compare(z, x), 1);
    EXPECT_EQ(compare(x, z), -1);
    // Negative twins behave alike.
    fp nx, ny;
    setRecord(nx, w, true, -100, 1);
    setRecord(ny, w2, true, -100, 1);
    EXPECT_EQ(compare(nx, ny), 0);
    EXPECT_EQ(compare(nx, y), -1);
}

TEST(FpCompare, ExactWithinPrecisionAndModelBeyond) {
    FpGen gen(0x5EED0003u);
    for (int32 bp = 1; bp <= 12; ++bp) {
        PrecScope prec(bp);
        for (int i = 0; i < 300; ++i) {
            Val x = gen.operand(bp);
            Val y = gen.partner(x, bp);
            if (gen.g().coin()) x = gen.reshape(x);
            fp fx, fy;
            setFp(fx, x, gen.slack());
            setFp(fy, y, gen.slack());
            int got = compare(fx, fy);
            ASSERT_EQ(blockPrec, bp);
            ASSERT_EQ(got, refCompare(x, y, bp)) << show(x) << " vs " << show(y);
            if (wordLen(x.m) <= bp && wordLen(y.m) <= bp) {
                ASSERT_EQ(got, cmpExact(x, y)) << show(x) << " vs " << show(y);
            }
            ASSERT_EQ(compare(fy, fx), -got);
            ASSERT_EQ(compare(fx, fx), 0);
            ASSERT_TRUE(sameRep(fx, x));
            ASSERT_TRUE(sameRep(fy, y));
        }
    }
}

// ---- add and sub -------------------------------------------------------------------

TEST(FpAddSub, TableCases) {
    PrecScope prec(5);
    fp one, z;
    setFp(one, val(1, 0));
    // 1 + 2^-150: exact, five words.
    fp y;
    setFp(y, val(1, -150));
    add(z, one, y);
    {
        Val exact;
        mpz_setbit(exact.m, 150);
        mpz_add_ui(exact.m, exact.m, 1);
        exact.e = -150;
        EXPECT_TRUE(sameRep(z, exact));
    }
    // 1 + 2^-190: y is shifted out, the result is exactly 1.
    setFp(y, val(1, -190));
    add(z, one, y);
    EXPECT_EQ(cmpExact(valOf(z), val(1, 0)), 0) << show(z);
    EXPECT_TRUE(sameRep(z, refAddSub(val(1, 0), val(1, -190), 5, false)));
    // 1 + 2^-200: far apart, the larger operand.
    setFp(y, val(1, -200));
    add(z, one, y);
    EXPECT_TRUE(sameRep(z, val(1, 0)));
    // 2^-150 held as 0x80000000 * 2^-181 is truncated away: exactly 1.
    setFp(y, fromWords({0x80000000u}, false, -181));
    add(z, one, y);
    EXPECT_EQ(cmpExact(valOf(z), val(1, 0)), 0) << show(z);
    // sub with far-apart operands: the negated larger y.
    fp big;
    setFp(big, val(3, 400));
    sub(z, one, big);
    EXPECT_TRUE(sameRep(z, val(-3, 400)));
    sub(z, big, one);
    EXPECT_TRUE(sameRep(z, val(3, 400)));
    add(z, one, big);
    EXPECT_TRUE(sameRep(z, val(3, 400)));
}

TEST(FpAddSub, ZeroOperandGivesUnnormalisedCopy) {
    PrecScope prec(5);
    Val x = fromWords({1, 2, 3, 4, 5, 6, 7, 8}, true, -77);  // longer than blockPrec
    fp fx, zero, z;
    setFp(fx, x, 2);
    zero.exponent = 7;
    add(z, fx, zero);
    EXPECT_TRUE(sameRep(z, x));
    EXPECT_EQ(z.mantissa.allocated, 8);
    add(z, zero, fx);
    EXPECT_TRUE(sameRep(z, x));
    sub(z, fx, zero);
    EXPECT_TRUE(sameRep(z, x));
    sub(z, zero, fx);
    EXPECT_TRUE(sameRep(z, negOf(x)));
    // Two zeros: a copy of y, exponent and all.
    fp zero2;
    zero2.exponent = -4;
    add(z, zero, zero2);
    EXPECT_EQ(z.mantissa.length, 0);
    EXPECT_EQ(z.exponent, -4);
}

TEST(FpAddSub, EqualMagnitudesGiveTwiceOrZero) {
    PrecScope prec(5);
    Val x = fromWords({0xFFFFFFFFu, 0x12345678u, 0x80000000u, 3, 0x7FFFFFFFu, 9, 0xABCDu}, false, 40);
    fp fx, fnx, z;
    setFp(fx, x);
    setFp(fnx, negOf(x));
    Val twice = x;
    twice.e += 1;
    twice = refNormalize(twice, 5);
    add(z, fx, fx);
    EXPECT_TRUE(sameRep(z, twice));
    sub(z, fx, fnx);
    EXPECT_TRUE(sameRep(z, twice));
    for (int k = 0; k < 2; ++k) {
        z = fx;
        if (k == 0)
            add(z, fx, fnx);
        else
            sub(z, fx, fx);
        EXPECT_EQ(z.mantissa.length, 0);
        EXPECT_EQ(z.mantissa.blocks, nullptr);
        EXPECT_EQ(z.mantissa.allocated, 0);
        EXPECT_EQ(z.exponent, 0);
    }
    // Values equal only after rounding to blockPrec count as equal: x + y is 2x.
    Val y = x;
    mpz_add_ui(y.m, y.m, 5);
    fp fy;
    setFp(fy, y);
    add(z, fx, fy);
    EXPECT_TRUE(sameRep(z, twice));
    sub(z, fx, fy);
    EXPECT_EQ(z.mantissa.length, 0);
}

void checkAddSub(FpGen& gen, int32 bp, bool subtract) {
    Val x = gen.operand(bp);
    Val y = gen.partner(x, bp);
    if (gen.g().coin()) std::swap(x, y);
    if (gen.g().oneIn(3)) x = gen.reshape(x);
    fp fx, fy, z;
    setFp(fx, x, gen.slack());
    setFp(fy, y, gen.slack());
    if (gen.g().coin()) setFp(z, gen.operand(bp), gen.slack());  // a target that holds something
    if (subtract)
        sub(z, fx, fy);
    else
        add(z, fx, fy);
    ASSERT_EQ(blockPrec, bp);
    Val want = refAddSub(x, y, bp, subtract);
    ASSERT_TRUE(sameRep(z, want)) << (subtract ? "sub " : "add ") << "bp " << bp << "\n x " << show(x) << "\n y "
                                  << show(y);
    ASSERT_TRUE(sameRep(fx, x));
    ASSERT_TRUE(sameRep(fy, y));
    // Independent check: within truncation plus rounding of the exact value.
    Val truth = exactSum(x, subtract ? negOf(y) : y);
    Val scale = cmpAbsExact(isZero(x) ? val(1, kInt32Min) : x, isZero(y) ? val(1, kInt32Min) : y) >= 0 ? x : y;
    if (isZero(x) || isZero(y)) {
        ASSERT_EQ(cmpExact(valOf(z), truth), 0);
    } else {
        ASSERT_TRUE(withinExact(valOf(z), truth, scale, -32 * int64(bp) + 34))
            << "bp " << bp << "\n x " << show(x) << "\n y " << show(y);
    }
}

TEST(FpAddSub, MatchModelBitForBitOnRandomOperands) {
    FpGen gen(0x5EED0004u);
    gAddPaths = AddPaths();
    for (int32 bp = 1; bp <= 12; ++bp) {
        PrecScope prec(bp);
        for (int i = 0; i < 400; ++i) {
            checkAddSub(gen, bp, false);
            checkAddSub(gen, bp, true);
            if (::testing::Test::HasFatalFailure()) return;
        }
    }
    // Every branch ran often enough to matter.
    AddPaths const& p = gAddPaths;
    EXPECT_GE(p.copy, 50);
    EXPECT_GE(p.twice, 100);
    EXPECT_GE(p.zero, 100);
    EXPECT_GE(p.far, 300);
    EXPECT_GE(p.sameExponent, 200);
    EXPECT_GE(p.truncate, 300);
    EXPECT_GE(p.widen, 300);
    EXPECT_GE(p.both, 300);
}

// ---- mul ---------------------------------------------------------------------------

TEST(FpMul, ZeroOperand) {
    PrecScope prec(5);
    fp x, zero, z;
    setFp(x, val(-12345, 17));
    zero.exponent = 99;
    setFp(z, val(7, 3), 2);
    mul(z, x, zero);
    EXPECT_TRUE(sameRep(z, val(0, 0)));
    setFp(z, val(7, 3));
    mul(z, zero, x);
    EXPECT_TRUE(sameRep(z, val(0, 0)));
}

TEST(FpMul, MatchModelBitForBitAndWithinRounding) {
    FpGen gen(0x5EED0005u);
    for (int32 bp = 1; bp <= 12; ++bp) {
        PrecScope prec(bp);
        for (int i = 0; i < 300; ++i) {
            Val x = gen.reshape(gen.operand(bp));
            Val y = gen.reshape(gen.operand(bp));
            fp fx, fy, z;
            setFp(fx, x, gen.slack());
            setFp(fy, y, gen.slack());
            mul(z, fx, fy);
            ASSERT_EQ(blockPrec, bp);
            ASSERT_TRUE(sameRep(z, refMul(x, y, bp))) << "bp " << bp << "\n x " << show(x) << "\n y " << show(y);
            ASSERT_TRUE(sameRep(fx, x));
            ASSERT_TRUE(sameRep(fy, y));
            Val truth;
            mpz_mul(truth.m, x.m, y.m);
            truth.e = x.e + y.e;
            if (isZero(truth))
                ASSERT_EQ(z.mantissa.length, 0);
            else
                ASSERT_TRUE(withinExact(valOf(z), truth, truth, -32 * int64(bp)));
        }
    }
}

// ---- div ---------------------------------------------------------------------------

TEST(FpDiv, ZeroDivisorAndZeroDividend) {
    PrecScope prec(5);
    fp x, zero, z;
    setFp(x, val(-12345, 17));
    setFp(z, val(99, -3), 1);
    uint32 const* before = z.mantissa.blocks;
    EXPECT_FALSE(div(z, x, zero));
    EXPECT_TRUE(sameRep(z, val(99, -3)));
    EXPECT_EQ(z.mantissa.blocks, before);
    EXPECT_TRUE(div(z, zero, x));
    EXPECT_TRUE(sameRep(z, val(0, 0)));
    EXPECT_FALSE(div(x, x, zero));
    EXPECT_TRUE(sameRep(x, val(-12345, 17)));
    EXPECT_EQ(blockPrec, 5);
}

TEST(FpDiv, SmallQuotients) {
    PrecScope prec(2);
    fp x, y, z;
    setFp(x, val(1, 0));
    setFp(y, val(4, 0));
    ASSERT_TRUE(div(z, x, y));
    EXPECT_EQ(cmpExact(valOf(z), val(1, -2)), 0) << show(z);
    setFp(y, val(-3, 0));
    ASSERT_TRUE(div(z, x, y));
    // 2^96 / 3 left-aligned is three words 0xAAAAAAAA; the dropped one has its top bit
    // set, so the magnitude rounds up.
    EXPECT_TRUE(sameRep(z, fromWords({0xAAAAAAABu, 0xAAAAAAAAu}, true, -65)));
    setFp(x, val(2, 0));
    setFp(y, val(3, 0));
    ASSERT_TRUE(div(z, x, y));
    EXPECT_TRUE(sameRep(z, fromWords({0xAAAAAAABu, 0xAAAAAAAAu}, false, -64)));
}

TEST(FpDiv, MatchModelBitForBitAndMpfr) {
    MpfrRange range;
    FpGen gen(0x5EED0006u);
    for (int32 bp = 1; bp <= 12; ++bp) {
        PrecScope prec(bp);
        mpfr_prec_t p = 64 * bp + 128;
        Mpfr xv(2), yv(2), q(p);
        for (int i = 0; i < 250; ++i) {
            Val x = gen.reshape(gen.operand(bp));
            Val y = gen.reshape(gen.operand(bp));
            if (isZero(y)) y = val(-1, 0);
            fp fx, fy, z;
            setFp(fx, x, gen.slack());
            setFp(fy, y, gen.slack());
            ASSERT_TRUE(div(z, fx, fy));
            ASSERT_EQ(blockPrec, bp);
            ASSERT_TRUE(sameRep(z, refDiv(x, y, bp))) << "bp " << bp << "\n x " << show(x) << "\n y " << show(y);
            ASSERT_TRUE(sameRep(fx, x));
            ASSERT_TRUE(sameRep(fy, y));
            if (isZero(x)) continue;
            setExact(xv.get(), x);
            setExact(yv.get(), y);
            mpfr_div(q.get(), xv.get(), yv.get(), MPFR_RNDN);
            ASSERT_TRUE(withinRel(valOf(z), q.get(), -32 * bp + 1)) << "bp " << bp << "\n x " << show(x) << "\n y "
                                                                    << show(y);
        }
    }
}


// A result whose exponent fell below the range: the exponent is held at INT32_MIN and
// the normal form then raises it by what it drops, so it ends within `words` words of
// the bottom.
::testing::AssertionResult nearBottom(fp const& z, int64 words) {
    ::testing::AssertionResult normal = isNormal(z.mantissa);
    if (!normal) return normal;
    if (z.mantissa.length == 0) return ::testing::AssertionFailure() << "zero";
    if (int64(z.exponent) > kInt32Min + 32 * words)
        return ::testing::AssertionFailure() << "exponent " << z.exponent << " not near the bottom";
    return ::testing::AssertionSuccess();
}

// ---- power -------------------------------------------------------------------------

// log2 of the first-order error bound of power: every product rounds by at most
// 2^(-32 bp) and the rounding of a partial power x^k is raised to n/k, which sums to
// under 8|n| units; the final reciprocal adds two more.
long powerErrorLog2(int n, int32 bp) {
    int64 units = 8 * (n < 0 ? -int64(n) : int64(n)) + 4;
    long lg = 0;
    while ((int64(1) << lg) < units) ++lg;
    return lg - 32 * long(bp);
}

TEST(FpPower, TableCases) {
    PrecScope prec(5);
    fp zero, two, z, x;
    setFp(two, val(2, 0));
    setFp(x, val(-0x1234567, -20));
    setFp(z, val(5, 5));
    EXPECT_TRUE(power(z, zero, 3));
    EXPECT_TRUE(sameRep(z, val(0, 0)));
    setFp(z, val(5, 5));
    EXPECT_FALSE(power(z, zero, 0));
    EXPECT_TRUE(sameRep(z, val(0, 0)));
    setFp(z, val(5, 5));
    EXPECT_FALSE(power(z, zero, -2));
    EXPECT_TRUE(sameRep(z, val(0, 0)));
    EXPECT_TRUE(power(z, x, 0));
    EXPECT_TRUE(sameRep(z, val(1, 0)));
    EXPECT_TRUE(power(z, two, -2));
    EXPECT_EQ(cmpExact(valOf(z), val(1, -2)), 0) << show(z);
    EXPECT_TRUE(power(z, two, 10));
    EXPECT_EQ(cmpExact(valOf(z), val(1024, 0)), 0) << show(z);
    EXPECT_TRUE(power(z, x, 1));
    EXPECT_EQ(cmpExact(valOf(z), val(-0x1234567, -20)), 0) << show(z);
    EXPECT_TRUE(power(z, x, 3));
    EXPECT_LT(z.mantissa.length, 0);
    EXPECT_TRUE(power(z, x, 2));
    EXPECT_GT(z.mantissa.length, 0);
    EXPECT_EQ(blockPrec, 5);
}

void checkPower(Val const& x, int n, int32 bp) {
    PrecScope prec(bp);
    fp fx, z;
    setFp(fx, x, 1);
    ASSERT_TRUE(power(z, fx, n));
    ASSERT_EQ(blockPrec, bp);
    ASSERT_TRUE(sameRep(fx, x));
    gModelLeftRange = false;
    Val want = refPower(x, n, bp);
    ASSERT_FALSE(gModelLeftRange) << "choose operands whose powers stay in range";
    ASSERT_TRUE(sameRep(z, want)) << "bp " << bp << " n " << n << " x " << show(x);
    Mpfr xv(2), t(64 * bp + 128);
    setExact(xv.get(), x);
    mpfr_pow_si(t.get(), xv.get(), n, MPFR_RNDN);
    ASSERT_TRUE(withinRel(valOf(z), t.get(), powerErrorLog2(n, bp))) << "bp " << bp << " n " << n << " x " << show(x);
}

TEST(FpPower, MatchModelBitForBitAndMpfr) {
    MpfrRange range;
    FpGen gen(0x5EED0007u);
    int const big[] = {1000, -1000, 4097, -65537, 123457};
    for (int32 bp = 1; bp <= 12; ++bp) {
        for (int i = 0; i < 60; ++i) {
            Val x = gen.withTop(gen.count(bp), gen.g().range(-4, 4));
            if (gen.g().coin()) x = gen.reshape(x);
            int n = gen.g().oneIn(10) ? big[gen.g().range(0, 4)] : static_cast<int>(gen.g().range(-70, 70));
            checkPower(x, n, bp);
            if (::testing::Test::HasFatalFailure()) return;
        }
    }
}

TEST(FpPower, FullWidthExponents) {
    MpfrRange range;
    // 1 + 2^-40 and 1 - 2^-35 to the largest positive n: 31 squarings.
    Val a = val(1, -40);
    mpz_setbit(a.m, 40);
    Val b = val(0, -35);
    mpz_setbit(b.m, 35);
    mpz_sub_ui(b.m, b.m, 1);
    checkPower(a, INT_MAX, 3);
    checkPower(b, INT_MAX, 3);
    checkPower(a, INT_MIN + 1, 4);
    checkPower(negOf(b), INT_MAX - 1, 2);
    // 2^(2^31 - 1) is the largest power of two an exponent can hold.
    PrecScope prec(5);
    fp two, z;
    setFp(two, val(2, 0));
    ASSERT_TRUE(power(z, two, INT_MAX));
    Val got = valOf(z);
    EXPECT_EQ(mpz_popcount(got.m), 1u) << show(z);
    EXPECT_EQ(topOf(got) - 1, kInt32Max) << show(z);
}

// n = INT_MIN: |n| = 2^31 is taken in unsigned arithmetic, so the result is the
// reciprocal of x^(2^31).
TEST(FpPower, MostNegativeExponent) {
    for (int32 bp : {1, 3, 5, 12}) {
        PrecScope prec(bp);
        fp x, z;
        // 1 and -1, held in two ways each: exactly 1.
        for (Val one : {val(1, 0), val(-1, 0), fromWords({0x80000000u}, false, -31), fromWords({0, 1}, true, -32)}) {
            setFp(x, one);
            ASSERT_TRUE(power(z, x, INT_MIN));
            EXPECT_EQ(cmpExact(valOf(z), val(1, 0)), 0) << show(z);
            EXPECT_TRUE(isNormal(z.mantissa));
        }
        // 1/2: exactly 2^(2^31), which an exponent still holds (0x80000000 * 2^(2^31 - 31)).
        setFp(x, val(1, -1));
        ASSERT_TRUE(power(z, x, INT_MIN));
        EXPECT_EQ(mpz_popcount(valOf(z).m), 1u) << show(z);
        EXPECT_EQ(topOf(valOf(z)) - 1, int64(1) << 31) << show(z);
        // 2 and -2: 2^(2^31) is held at the top of the range, its reciprocal near the
        // bottom: positive, one bit, exponent within a few words of INT32_MIN. The exact
        // 2^-(2^31) would need mantissa 1 at INT32_MIN, which the normal form of a
        // multi-word quotient never gives.
        for (long two : {2L, -2L}) {
            setFp(x, val(two, 0));
            ASSERT_TRUE(power(z, x, INT_MIN));
            EXPECT_GT(z.mantissa.length, 0);
            EXPECT_EQ(mpz_popcount(valOf(z).m), 1u) << show(z);
            EXPECT_TRUE(nearBottom(z, bp + 2)) << show(z);
        }
        EXPECT_EQ(blockPrec, bp);
    }
}

// ---- Lg2 and to_long ---------------------------------------------------------------

TEST(FpLg2, TableCases) {
    struct Case {
        Val x;
        int want;
    };
    std::vector<Case> const cases = {
        {val(0, 0), 0},           {val(0, 77), 0},           {val(1, 0), 0},          {val(3, -2), -1},
        {val(-8, 0), 3},          {val(-1, -1), -1},         {val(0x7FFFFFFF, 1), 31}, {val(1, -1074), -1074},
        {fromWords({0, 0, 1}, false, -64), 0},               {fromWords({5, 0x80000000u}, true, -63), 0},
        {fromWords({0xFFFFFFFFu, 0xFFFFFFFFu}, false, 0), 63},
    };
    for (Case const& c : cases) {
        fp x;
        setFp(x, c.x, 1);
        EXPECT_EQ(Lg2(x), c.want) << show(c.x);
        EXPECT_TRUE(sameRep(x, c.x));
    }
}

TEST(FpLg2, MatchesTopBitOnRandomValues) {
    FpGen gen(0x5EED0008u);
    for (int i = 0; i < 2000; ++i) {
        Val x = gen.reshape(gen.withTop(gen.g().intIn(1, 12), gen.g().range(-1000000, 1000000)));
        fp fx;
        setFp(fx, x, gen.slack());
        ASSERT_EQ(Lg2(fx), topOf(x) - 1) << show(x);
    }
}

// The low 32 bits of the integer part, as a signed word.
int32 refToLong(Val const& x) {
    if (isZero(x)) return 0;
    Mpz t;
    mpz_abs(t, x.m);
    if (x.e >= 0)
        mpz_mul_2exp(t, t, static_cast<mp_bitcnt_t>(x.e));
    else
        mpz_tdiv_q_2exp(t, t, static_cast<mp_bitcnt_t>(-x.e));
    uint32 low = static_cast<uint32>(mpz_getlimbn(t, 0));  // GMP limbs are at least 32 bits
    if (sgn(x) < 0) low = 0u - low;
    return low >= 0x80000000u ? static_cast<int32>(int64(low) - 4294967296LL) : static_cast<int32>(low);
}

TEST(FpToLong, TableCases) {
    // -3.7 to 60 fraction bits.
    Val minus37 = val(37, 0);
    mpz_mul_2exp(minus37.m, minus37.m, 60);
    mpz_tdiv_q_ui(minus37.m, minus37.m, 10);
    mpz_neg(minus37.m, minus37.m);
    minus37.e = -60;
    struct Case {
        Val x;
        int32 want;
    };
    std::vector<Case> const cases = {
        {fromWords({5, 1}, false, 0), 5},
        {val(3000000000LL, 0), -1294967296},
        {minus37, -3},
        {val(0, 5), 0},
        {val(999, -10), 0},
        {val(-999, -10), 0},
        {val(7, -1), 3},
        {val(-7, -1), -3},
        {val(1, 31), std::numeric_limits<int32>::min()},
        {val(-1, 31), std::numeric_limits<int32>::min()},
        {val(1, 32), 0},
        {val(3, 31), std::numeric_limits<int32>::min()},
        {val(0xFFFFFFFFL, 0), -1},
        {val(-0xFFFFFFFFL, 0), 1},
        {val(1, 1000000000), 0},
        {val(-12345, 1000000000), 0},
        {val(12345, -1000000000), 0},
        {val(12345, std::numeric_limits<int32>::max()), 0},
        {val(12345, std::numeric_limits<int32>::min()), 0},
        {fromWords({0x12345678u, 0x9ABCDEF0u, 1}, false, -36), refToLong(fromWords({0x12345678u, 0x9ABCDEF0u, 1}, false, -36))},
        {fromWords({0, 0, 0xABCDEF01u}, true, -64), 0x543210FF},
    };
    for (Case const& c : cases) {
        fp x;
        setFp(x, c.x, 1);
        EXPECT_EQ(to_long(x), c.want) << show(c.x);
        if (c.x.e < 100000 && c.x.e > -100000) {
            EXPECT_EQ(refToLong(c.x), c.want) << show(c.x);
        }
        EXPECT_TRUE(sameRep(x, c.x));
    }
}

TEST(FpToLong, MatchesModelOnRandomValues) {
    FpGen gen(0x5EED0009u);
    for (int i = 0; i < 3000; ++i) {
        Val x = gen.reshape(gen.withTop(gen.g().intIn(1, 6), gen.g().range(-40, 100)));
        fp fx;
        setFp(fx, x, gen.slack());
        ASSERT_EQ(to_long(fx), refToLong(x)) << show(x);
    }
}

// ---- aliasing ----------------------------------------------------------------------

using BinOp = void (*)(fp&, fp const&, fp const&);

void addOp(fp& z, fp const& x, fp const& y) { add(z, x, y); }
void subOp(fp& z, fp const& x, fp const& y) { sub(z, x, y); }
void mulOp(fp& z, fp const& x, fp const& y) { mul(z, x, y); }
void divOp(fp& z, fp const& x, fp const& y) { EXPECT_TRUE(div(z, x, y)); }

TEST(FpAliasing, ResultMayBeAnOperand) {
    struct Named {
        char const* name;
        BinOp op;
    };
    Named const ops[] = {{"add", addOp}, {"sub", subOp}, {"mul", mulOp}, {"div", divOp}};
    FpGen gen(0x5EED000Au);
    for (int32 bp : {1, 2, 3, 5, 8, 12}) {
        PrecScope prec(bp);
        for (int i = 0; i < 120; ++i) {
            Val x = gen.reshape(gen.operand(bp));
            Val y = gen.partner(x, bp);
            for (Named const& o : ops) {
                SCOPED_TRACE(o.name);
                Val yy = (o.op == divOp && isZero(y)) ? val(3, 0) : y;
                Val xx = (o.op == divOp && isZero(x)) ? val(5, 2) : x;
                fp fx, fy, want, wantSelf;
                setFp(fx, xx);
                setFp(fy, yy);
                o.op(want, fx, fy);
                o.op(wantSelf, fx, fx);
                fp a, b, c;
                setFp(a, xx, gen.slack());
                o.op(a, a, fy);
                ASSERT_TRUE(sameRep(a, want)) << "z = x, bp " << bp << "\n x " << show(xx) << "\n y " << show(yy);
                setFp(b, yy, gen.slack());
                o.op(b, fx, b);
                ASSERT_TRUE(sameRep(b, want)) << "z = y, bp " << bp << "\n x " << show(xx) << "\n y " << show(yy);
                setFp(c, xx, gen.slack());
                o.op(c, c, c);
                ASSERT_TRUE(sameRep(c, wantSelf)) << "z = x = y, bp " << bp << "\n x " << show(xx);
                ASSERT_EQ(blockPrec, bp);
            }
            // power(x, x, n)
            int n = static_cast<int>(gen.g().range(-9, 9));
            if (isZero(x)) continue;
            fp fx, want, a;
            setFp(fx, x);
            ASSERT_TRUE(power(want, fx, n));
            setFp(a, x, gen.slack());
            ASSERT_TRUE(power(a, a, n));
            ASSERT_TRUE(sameRep(a, want)) << "power bp " << bp << " n " << n << " x " << show(x);
            ASSERT_EQ(blockPrec, bp);
        }
    }
}

TEST(FpAliasing, SpecialPathsWithAliasedTarget) {
    PrecScope prec(3);
    Val x = fromWords({9, 8, 7, 6, 5}, true, -40);
    fp fx, zero;
    zero.exponent = 3;
    setFp(fx, x, 1);
    add(fx, zero, fx);
    EXPECT_TRUE(sameRep(fx, x));
    add(fx, fx, zero);
    EXPECT_TRUE(sameRep(fx, x));
    sub(fx, zero, fx);
    EXPECT_TRUE(sameRep(fx, negOf(x)));
    sub(fx, zero, fx);
    EXPECT_TRUE(sameRep(fx, x));
    sub(fx, fx, fx);
    EXPECT_TRUE(sameRep(fx, val(0, 0)));
    setFp(fx, x);
    EXPECT_FALSE(div(fx, fx, zero));
    EXPECT_TRUE(sameRep(fx, x));
    mul(fx, fx, zero);
    EXPECT_TRUE(sameRep(fx, val(0, 0)));
    EXPECT_FALSE(power(fx, fx, -1));
    EXPECT_TRUE(sameRep(fx, val(0, 0)));
}

// ---- exponents at the ends of the int32 range ---------------------------------------

TEST(FpExponentRange, ProductsSaturate) {
    PrecScope prec(3);
    int32 const top = std::numeric_limits<int32>::max();
    int32 const bottom = std::numeric_limits<int32>::min();
    fp x, y, z;
    setFp(x, val(3, top - 5));
    setFp(y, val(-5, top - 5));
    mul(z, x, y);
    EXPECT_TRUE(sameRep(z, val(-15, top)));
    setFp(x, val(3, bottom + 5));
    setFp(y, val(5, bottom));
    mul(z, x, y);
    EXPECT_TRUE(sameRep(z, val(15, bottom)));
    // Long mantissas: the words are those of the normal form, the exponent held at the top.
    Val lx = fromWords({1, 2, 3, 4, 0x80000000u}, false, top - 100);
    Val ly = fromWords({0xFFFFFFFFu, 7, 0x12345678u, 9}, true, top - 100);
    setFp(x, lx);
    setFp(y, ly);
    mul(z, x, y);
    Val prod;
    mpz_mul(prod.m, lx.m, ly.m);
    Val norm = refNormalize(prod, 3);
    EXPECT_EQ(z.exponent, top);
    EXPECT_EQ(mpz_cmp(valOf(z).m, norm.m), 0) << show(z);
    EXPECT_TRUE(isNormal(z.mantissa));
    // Squaring at the bottom: the words of the normal form, the exponent near the bottom.
    Val sx = fromWords({1, 2, 3, 4, 5}, false, bottom + 10);
    setFp(x, sx);
    mul(z, x, x);
    mpz_mul(prod.m, sx.m, sx.m);
    norm = refNormalize(prod, 3);
    EXPECT_EQ(mpz_cmp(valOf(z).m, norm.m), 0) << show(z);
    EXPECT_TRUE(nearBottom(z, 10));
    EXPECT_EQ(blockPrec, 3);
}

TEST(FpExponentRange, QuotientsSumsAndPowersSaturate) {
    PrecScope prec(3);
    int32 const top = std::numeric_limits<int32>::max();
    int32 const bottom = std::numeric_limits<int32>::min();
    fp x, y, z;
    setFp(x, val(1, top));
    setFp(y, val(1, bottom));
    ASSERT_TRUE(div(z, x, y));
    EXPECT_EQ(z.exponent, top);
    EXPECT_GT(z.mantissa.length, 0);
    ASSERT_TRUE(div(z, y, x));
    EXPECT_TRUE(nearBottom(z, 3 + 2));
    EXPECT_GT(z.mantissa.length, 0);
    // Twice the largest exponent.
    add(z, x, x);
    EXPECT_TRUE(sameRep(z, val(1, top)));
    // Far apart across the whole range, both ways round.
    add(z, x, y);
    EXPECT_TRUE(sameRep(z, val(1, top)));
    sub(z, y, x);
    EXPECT_TRUE(sameRep(z, val(-1, top)));
    EXPECT_EQ(compare(x, y), 1);
    EXPECT_EQ(compare(y, x), -1);
    // Alignment next to both ends stays exact.
    for (int32 base : {top, bottom + 200}) {
        Val a = val(1, base), b = val(3, base - 40);
        setFp(x, a);
        setFp(y, b);
        add(z, x, y);
        gModelLeftRange = false;
        Val want = refAddSub(a, b, 3, false);
        ASSERT_FALSE(gModelLeftRange);
        EXPECT_TRUE(sameRep(z, want));
    }
    // A power whose exponent would pass 2^31.
    setFp(x, val(1, 1 << 20));
    ASSERT_TRUE(power(z, x, 4096));
    EXPECT_EQ(z.exponent, top);
    ASSERT_TRUE(power(z, x, -4096));
    EXPECT_TRUE(nearBottom(z, 3 + 2));
    // Lg2 of a value above 2^(2^31) is held at INT_MAX.
    setFp(x, fromWords({1, 2, 3}, false, top));
    EXPECT_EQ(Lg2(x), INT_MAX);
    setFp(x, val(1, bottom));
    EXPECT_EQ(Lg2(x), INT_MIN);
    EXPECT_EQ(blockPrec, 3);
}

}  // namespace

// A blockPrec below 1 counts as 1 in every operation, and whole doubles within int take
// a shortcut past their text that must leave the same words as the text would.
TEST(FpPrecisionFloor, BelowOneActsAsOne) {
    std::mt19937_64 gen(0xF10012u);
    for (int i = 0; i < 300; ++i) {
        Mpz a, b;
        mpz_set_ui(a, static_cast<unsigned long>(gen() | 1u));
        mpz_mul_2exp(a, a, 40);
        mpz_add_ui(a, a, static_cast<unsigned long>(gen() & 0xFFFFu));
        mpz_set_ui(b, static_cast<unsigned long>((gen() >> 3) | 1u));
        fp x = fpOf(a, static_cast<int32>(gen() % 97) - 48), y = fpOf(b, static_cast<int32>(gen() % 97) - 48);
        fp want[5], got[5];
        {
            PrecScope one(1);
            add(want[0], x, y);
            sub(want[1], x, y);
            mul(want[2], x, y);
            div(want[3], x, y);
            power(want[4], x, 3);
        }
        for (int32 low : {0, -5}) {
            PrecScope below(low);
            add(got[0], x, y);
            sub(got[1], x, y);
            mul(got[2], x, y);
            div(got[3], x, y);
            power(got[4], x, 3);
            for (int k = 0; k < 5; ++k) ASSERT_TRUE(sameFp(got[k], want[k])) << "case " << i << " op " << k;
        }
    }
}

TEST(FpFromDouble, WholeNumbersMatchTheirText) {
    std::mt19937_64 gen(0xD0B1Eu);
    for (int i = 0; i < 2000; ++i) {
        int32 v = static_cast<int32>(static_cast<uint32>(gen()));
        if (i % 3 == 0) v >>= gen() % 31;
        for (int32 prec : {1, 2, 5}) {
            PrecScope scope(prec);
            char text[64];
            std::snprintf(text, sizeof text, "%d", v);
            fp viaDouble, viaText;
            init(viaDouble, static_cast<double>(v));
            init(viaText, text);
            ASSERT_TRUE(sameFp(viaDouble, viaText)) << v << " at " << prec;
            mb m(static_cast<double>(v));
            ASSERT_TRUE(isNormalValue(m, Mpz(text))) << v;
        }
    }
}
