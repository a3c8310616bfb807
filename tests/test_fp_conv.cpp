// fp from decimal text and double, fp to integers, and the digit writer fpToStr2.
// A GMP model of the reader's rounding checks its results bit for bit where the
// scaling is exact in its steps; exact rationals and MPFR bound the error elsewhere.
#include <gtest/gtest.h>

#include <gmp.h>
#include <mpfr.h>

#include <algorithm>
#include <clocale>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "fp.h"
#include "fpConv.h"
#include "fpFuncs.h"
#include "fpMath.h"
#include "fp_oracle.h"
#include "mbConv.h"
#include "mbMath.h"

namespace {

using namespace oracle;

// digits * 10^e10 exactly.
Mpq decimal(mpz_srcptr digits, int64 e10) {
    Mpq q;
    mpq_set_z(q, digits);
    Mpz p;
    mpz_ui_pow_ui(p, 10, static_cast<unsigned long>(e10 < 0 ? -e10 : e10));
    Mpq f;
    mpq_set_z(f, p);
    if (e10 >= 0)
        mpq_mul(q, q, f);
    else
        mpq_div(q, q, f);
    return q;
}

Mpq decimal(char const* digits, int64 e10) { return decimal(Mpz(digits), e10); }

// The normal form of a parsed or converted fp: a normal mantissa, zero with exponent 0.
::testing::AssertionResult fpNormal(fp const& x, int32 maxWords) {
    ::testing::AssertionResult r = isNormal(x.mantissa);
    if (!r) return r;
    if (x.mantissa.length == 0 && x.exponent != 0)
        return ::testing::AssertionFailure() << "zero with exponent " << x.exponent;
    int32 n = absLength(x.mantissa);
    if (n > maxWords) return ::testing::AssertionFailure() << n << " words, more than " << maxWords;
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult equalsExactly(fp const& x, mpq_srcptr want) {
    Mpq got = valueOf(x);
    if (mpq_equal(got, want)) return ::testing::AssertionSuccess();
    Mpq w;
    mpq_set(w, want);
    std::string a = got.str(), b = w.str();
    if (a.size() > 200) a = a.substr(0, 200) + "...";
    if (b.size() > 200) b = b.substr(0, 200) + "...";
    return ::testing::AssertionFailure() << "got " << a << ", expected " << b;
}

// |x - want| <= ulps * 2^(1 - bits) * |want|. Failures show the relative error, not
// the rationals, which may have millions of digits.
::testing::AssertionResult withinRelative(fp const& x, mpq_srcptr want, int bits, int64 ulps) {
    Mpq got = valueOf(x);
    Mpq diff;
    mpq_sub(diff, got, want);
    mpq_abs(diff, diff);
    Mpq bound;
    mpq_abs(bound, want);
    mpq_div_2exp(bound, bound, static_cast<mp_bitcnt_t>(bits - 1));
    Mpq k;
    mpq_set_ui(k, static_cast<unsigned long>(ulps), 1);
    mpq_mul(bound, bound, k);
    if (mpq_cmp(diff, bound) <= 0) return ::testing::AssertionSuccess();
    Mpq rel;
    mpq_abs(rel, want);
    mpq_srcptr relp = rel;
    if (mpq_sgn(relp) != 0) mpq_div(rel, diff, rel);
    return ::testing::AssertionFailure() << "relative error " << mpq_get_d(rel) << " (log2 "
                                         << std::log2(mpq_get_d(rel)) << "), allowed " << ulps << " units of 2^-"
                                         << bits - 1;
}

// Rounds m * 2^e to `bits` significant bits, the magnitude half away from zero,
// judged by the top dropped bit: the word-boundary rounding of the normal form.
void roundAway(Mpz& m, int64& e, int64 bits) {
    int64 len = mpz_sgn(m) == 0 ? 0 : int64(mpz_sizeinbase(m, 2));
    if (len <= bits) return;
    int64 drop = len - bits;
    bool negative = mpz_sgn(m) < 0;
    Mpz a;
    mpz_abs(a, m);
    bool up = mpz_tstbit(a, static_cast<mp_bitcnt_t>(drop - 1)) != 0;
    mpz_tdiv_q_2exp(a, a, static_cast<mp_bitcnt_t>(drop));
    if (up) mpz_add_ui(a, a, 1);
    if (negative) mpz_neg(a, a);
    m = a;
    e += drop;
}

// The reader's value for a non-negative e10: 10^e10 by left-to-right binary powering
// and M times it, each product rounded to `words` words.
Mpq modelRead(mpz_srcptr M, int e10, int words) {
    int64 bits = int64(words) * 32;
    Mpz r(1L);
    int64 re = 0;
    for (int b = 30; b >= 0; --b) {
        bool started = (e10 >> (b + 1)) != 0;
        if (started) {
            mpz_mul(r, r, r);
            re *= 2;
            roundAway(r, re, bits);
        }
        if ((e10 >> b) & 1) {
            mpz_mul_ui(r, r, 10);
            roundAway(r, re, bits);
        }
    }
    Mpz z;
    mpz_mul(z, M, r);
    int64 ze = re;
    roundAway(z, ze, bits);
    return ratio(z, ze);
}

// Error bound of the reader's scaling, in units of the last place at the parse width:
// squaring doubles a relative error, so 10^n by binary powering carries up to about
// 2n rounding errors, plus the division for n < 0 and the final product. The guard
// word keeps this below half a unit at blockPrec words for every accepted exponent.
int64 powerUlps(int64 e10) { return 2 * (e10 < 0 ? -e10 : e10) + 2 * bitLength(e10) + 8; }

// err := x - ref, x first rounded to err's precision.
void errorOf(mpfr_ptr err, fp const& x, mpfr_srcptr ref) {
    setMpfr(err, x);
    mpfr_sub(err, err, ref, MPFR_RNDN);
}

// ---- syntax ----

struct SyntaxCase {
    char const* text;
    bool ok;
};

void PrintTo(SyntaxCase const& c, std::ostream* os) { *os << '"' << c.text << '"'; }

class CheckInput : public ::testing::TestWithParam<SyntaxCase> {};

TEST_P(CheckInput, Result) { EXPECT_EQ(checkInputString(GetParam().text), GetParam().ok) << GetParam().text; }

INSTANTIATE_TEST_SUITE_P(
    Texts, CheckInput,
    ::testing::Values(
        SyntaxCase{"", false}, SyntaxCase{" 1", false}, SyntaxCase{"1 ", false}, SyntaxCase{"1 2", false},
        SyntaxCase{".e3", false}, SyntaxCase{"+.e3", false}, SyntaxCase{"+e3", false}, SyntaxCase{"e5", false},
        SyntaxCase{"E5", false}, SyntaxCase{"1.5.2", false}, SyntaxCase{".5.", false}, SyntaxCase{"1e3.5", false},
        SyntaxCase{"1e-3-", false}, SyntaxCase{"1e.5", false}, SyntaxCase{"1e3e", false}, SyntaxCase{"1-2", false},
        SyntaxCase{"--1", false}, SyntaxCase{"1x", false}, SyntaxCase{"0x10", false}, SyntaxCase{"1,5", false},
        SyntaxCase{"\t1", false}, SyntaxCase{"inf", false}, SyntaxCase{"nan", false}, SyntaxCase{"-e", false},
        SyntaxCase{"1e+-3", false},
        // Passed here; the reader refuses some of them later.
        SyntaxCase{"1e", true}, SyntaxCase{"1ee3", true}, SyntaxCase{"1eE3", true}, SyntaxCase{"1e+", true},
        SyntaxCase{"1e-", true}, SyntaxCase{".", true}, SyntaxCase{"+", true}, SyntaxCase{"-", true},
        SyntaxCase{"+.", true}, SyntaxCase{".5", true}, SyntaxCase{"5.", true}, SyntaxCase{"5.e3", true},
        SyntaxCase{"-.5e1", true}, SyntaxCase{"1e+3", true}, SyntaxCase{"1E-3", true}, SyntaxCase{"0", true},
        SyntaxCase{"-12.5e3", true}, SyntaxCase{"007.700", true}, SyntaxCase{"1e0005", true}));

TEST(CheckInput, NullIsRefused) { EXPECT_FALSE(checkInputString(nullptr)); }

// ---- the reader: worked cases ----

struct ReadCase {
    char const* text;
    bool ok;
    char const* digits;  // the value is digits * 10^e10
    int e10;
};

void PrintTo(ReadCase const& c, std::ostream* os) { *os << '"' << c.text << '"'; }

class FpReader : public ::testing::TestWithParam<ReadCase> {};

TEST_P(FpReader, InitGivesTheValueAtBlockPrec) {
    ReadCase const& c = GetParam();
    for (int32 bp : {1, 2, 5}) {
        PrecScope scope(bp);
        fp x;
        bool ok = init(x, c.text);
        EXPECT_EQ(ok, c.ok) << c.text;
        EXPECT_EQ(blockPrec, bp) << c.text;
        EXPECT_TRUE(fpNormal(x, bp)) << c.text;
        Mpq want = decimal(c.digits, c.e10);
        // Simple values come out exact once rounded to blockPrec words.
        EXPECT_TRUE(equalsExactly(x, want)) << c.text << " at blockPrec " << bp;
        fp y(c.text);
        EXPECT_EQ(compare(x, y), 0) << c.text;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, FpReader,
    ::testing::Values(
        ReadCase{".5", true, "5", -1}, ReadCase{"5.", true, "5", 0}, ReadCase{"-.5e1", true, "-5", 0},
        ReadCase{"1e+3", true, "1", 3}, ReadCase{"-12.5e3", true, "-125", 2}, ReadCase{"0", true, "0", 0},
        ReadCase{"-0", true, "0", 0}, ReadCase{"000.000", true, "0", 0}, ReadCase{"0e2147483647", true, "0", 0},
        ReadCase{"-0.0e-2147483648", true, "0", 0}, ReadCase{"1.25", true, "125", -2},
        ReadCase{"0.75", true, "75", -2}, ReadCase{"4294967296", true, "4294967296", 0},
        ReadCase{"-4294967295.0", true, "-4294967295", 0}, ReadCase{"1E10", true, "1", 10},
        ReadCase{"5.e3", true, "5", 3}, ReadCase{"+7", true, "7", 0}, ReadCase{"1e-0", true, "1", 0},
        // Exponents are read in full, leading zeros included.
        ReadCase{"1e0000000000000000000000005", true, "1", 5}, ReadCase{"-12e+00000000000000000000003", true, "-12", 3},
        ReadCase{"25e-00000000000000000000002", true, "25", -2}, ReadCase{"3e+0000000000000000000000", true, "3", 0},
        ReadCase{"0e+0000000000002147483647", true, "0", 0}, ReadCase{"0e-0000000000002147483648", true, "0", 0},
        // Refused: syntax, exponent read, no digit, exponent outside int or past the span.
        ReadCase{"", false, "0", 0}, ReadCase{"1 ", false, "0", 0}, ReadCase{"1e", false, "0", 0},
        ReadCase{"e5", false, "0", 0}, ReadCase{".e3", false, "0", 0}, ReadCase{"1.5.2", false, "0", 0},
        ReadCase{".5.", false, "0", 0}, ReadCase{"1ee3", false, "0", 0}, ReadCase{"1e3.5", false, "0", 0},
        ReadCase{"1e-3-", false, "0", 0}, ReadCase{"1e+", false, "0", 0}, ReadCase{"1e-", false, "0", 0},
        ReadCase{"1eE3", false, "0", 0}, ReadCase{".", false, "0", 0}, ReadCase{"+", false, "0", 0},
        ReadCase{"-", false, "0", 0}, ReadCase{"+.", false, "0", 0}, ReadCase{"1e2147483648", false, "0", 0},
        ReadCase{"1e-2147483649", false, "0", 0}, ReadCase{"0e2147483648", false, "0", 0},
        ReadCase{"1e99999999999999999999", false, "0", 0}, ReadCase{"1e2147483647", false, "0", 0},
        ReadCase{"1e323228496", false, "0", 0}, ReadCase{"12e323228495", false, "0", 0},
        ReadCase{"1e-323228496", false, "0", 0}, ReadCase{"0.01e-323228495", false, "0", 0},
        ReadCase{"1e0000000000002147483648", false, "0", 0}, ReadCase{"0e0000000000002147483648", false, "0", 0},
        ReadCase{"1e-0000000000002147483649", false, "0", 0}, ReadCase{"1e-0000000000002147483648", false, "0", 0},
        ReadCase{"1e10000000000000000000000", false, "0", 0}, ReadCase{"1e-999999999999999999999999", false, "0", 0}));

TEST(FpReader, ExponentOfThousandsOfCharactersIsReadInFull) {
    std::string zeros(5000, '0');
    fp x, y, z;
    ASSERT_TRUE(init(x, ("12e" + zeros).c_str()));
    EXPECT_TRUE(equalsExactly(x, decimal("12", 0)));
    ASSERT_TRUE(equate(x, ("-3e-" + zeros + "1").c_str()));
    ASSERT_TRUE(init(y, "-0.3"));
    EXPECT_EQ(compare(x, y), 0);
    EXPECT_FALSE(init(z, ("1e+" + zeros + "2147483648").c_str()));
    EXPECT_TRUE(fpNormal(z, 0));
}

TEST(FpReader, SpanBoundIsInclusive) {
    PrecScope scope(3);
    fp x;
    ASSERT_TRUE(init(x, "1e323228495"));
    // log2(10^323228495) = 1073741818.6...
    EXPECT_EQ(Lg2(x), 1073741818);
    fp y;
    ASSERT_TRUE(init(y, "-10e323228494"));
    EXPECT_EQ(compare(x, abs(y)), 0);
    EXPECT_LT(y.mantissa.length, 0);
    fp s;
    ASSERT_TRUE(init(s, "1e-323228495"));
    EXPECT_EQ(Lg2(s), -1073741819);
    fp t;
    ASSERT_TRUE(init(t, "0.1e-323228494"));
    EXPECT_EQ(compare(s, t), 0);
    EXPECT_EQ(blockPrec, 3);
}

TEST(FpReader, NullTextIsRefused) {
    fp x;
    EXPECT_FALSE(fpConvFromString(x, nullptr));
    EXPECT_FALSE(init(x, static_cast<char const*>(nullptr)));
    EXPECT_TRUE(fpNormal(x, 0));
}

TEST(FpReader, ParseKeepsOneGuardWordAndInitRounds) {
    PrecScope scope(2);
    char const* text = "0.1234567890123456789012345678901234567890";
    fp parsed;
    ASSERT_TRUE(fpConvFromString(parsed, text));
    EXPECT_EQ(absLength(parsed.mantissa), 3);
    EXPECT_TRUE(fpNormal(parsed, 3));
    fp constructed(text);
    EXPECT_TRUE(sameFp(constructed, parsed));
    EXPECT_EQ(constructed.mantissa.allocated, 3);  // an exact-size copy
    fp rounded;
    ASSERT_TRUE(init(rounded, text));
    EXPECT_EQ(absLength(rounded.mantissa), 2);
    // init is the parse followed by the normal form.
    fp again = parsed;
    fpNormalize(again);
    EXPECT_TRUE(sameFp(rounded, again));
}

TEST(FpReader, EquateReleasesAndReplaces) {
    fp x;
    ASSERT_TRUE(init(x, "123456789.987654321"));
    ASSERT_TRUE(equate(x, "-2.5"));
    EXPECT_TRUE(equalsExactly(x, decimal("-25", -1)));
    ASSERT_FALSE(equate(x, "garbage"));
    EXPECT_TRUE(fpNormal(x, 0));
    fp bad("1e");
    EXPECT_TRUE(fpNormal(bad, 0));
}

TEST(FpReader, BlockPrecIsRestoredOnEveryPath) {
    char const* texts[] = {"1", "-1.5e-300", "1e300", "", "x", "1e", ".", "1e2147483648", "1e400000000",
                           "0e5", "99999999999999999999999999999999999e-20"};
    for (int32 bp : {1, 3, 7}) {
        for (char const* t : texts) {
            PrecScope scope(bp);
            fp a, c;
            fpConvFromString(a, t);
            EXPECT_EQ(blockPrec, bp) << t;
            init(c, t);
            EXPECT_EQ(blockPrec, bp) << t;
            equate(c, t);
            EXPECT_EQ(blockPrec, bp) << t;
            fp d(t);
            EXPECT_EQ(blockPrec, bp) << t;
            mb m;
            mbConvFromStr(m, t);
            EXPECT_EQ(blockPrec, bp) << t;
        }
    }
}

// ---- the reader against models ----

struct RandomText {
    std::string text;
    Mpz M;        // all mantissa digits as one integer, signed
    int64 e10;    // value = M * 10^e10
};

RandomText randomText(Generator& g, int maxDigits, int maxExp) {
    RandomText r;
    int n = g.intIn(1, maxDigits);
    std::string digits(std::size_t(n), '0');
    for (auto& c : digits) c = static_cast<char>('0' + g.intIn(0, 9));
    if (g.oneIn(4)) digits[0] = static_cast<char>('1' + g.intIn(0, 8));
    if (g.oneIn(8)) digits = std::string(std::size_t(n), '9');
    bool negative = g.coin();
    r.e10 = g.range(-maxExp, maxExp);
    // Where the point stands (if anywhere) decides the exponent to write.
    std::string mant = digits;
    int64 written = r.e10;
    if (!g.oneIn(3)) {
        int point = g.intIn(0, n);
        mant.insert(std::size_t(point), ".");
        written += n - point;
    }
    r.text = (negative ? "-" : (g.oneIn(4) ? "+" : "")) + mant;
    if (written != 0 || g.coin()) r.text += (g.coin() ? "e" : "E") + std::to_string(written);
    mpz_set_str(r.M, digits.c_str(), 10);
    if (negative) mpz_neg(r.M, r.M);
    return r;
}

TEST(FpReaderModel, NonNegativeExponentsMatchTheModelBitForBit) {
    Generator g(0xf9'c0);
    for (int iter = 0; iter < 3000; ++iter) {
        int32 bp = static_cast<int32>(g.intIn(1, 8));
        PrecScope scope(bp);
        RandomText r = randomText(g, iter % 10 == 0 ? 300 : 40, 400);
        if (r.e10 < 0) continue;
        fp z;
        ASSERT_TRUE(fpConvFromString(z, r.text.c_str())) << r.text;
        ASSERT_EQ(blockPrec, bp);
        ASSERT_TRUE(fpNormal(z, bp + 1)) << r.text;
        ASSERT_TRUE(equalsExactly(z, modelRead(r.M, static_cast<int>(r.e10), bp + 1))) << r.text << " bp " << bp;
    }
}

TEST(FpReaderModel, AnyExponentWithinAFewUnitsOfTheExactValue) {
    Generator g(0x5ca1e);
    Mpfr ref(64), got(64);
    for (int iter = 0; iter < 2000; ++iter) {
        int32 bp = static_cast<int32>(g.intIn(1, 8));
        PrecScope scope(bp);
        RandomText r = randomText(g, iter % 10 == 0 ? 200 : 40, iter % 50 == 0 ? 20000 : 400);
        fp z;
        ASSERT_TRUE(fpConvFromString(z, r.text.c_str())) << r.text;
        ASSERT_EQ(blockPrec, bp);
        ASSERT_TRUE(fpNormal(z, bp + 1)) << r.text;
        if (mpz_sgn(r.M) == 0) {
            ASSERT_EQ(z.mantissa.length, 0);
            continue;
        }
        int bits = 32 * (bp + 1);
        int64 ulps = powerUlps(r.e10);
        Mpq exact = decimal(r.M, r.e10);
        ASSERT_TRUE(withinRelative(z, exact, bits, ulps)) << r.text << " bp " << bp;

        // MPFR, rounding the text once to the same width, agrees within the same bound.
        mpfr_set_prec(ref.get(), bits);
        mpfr_set_str(ref.get(), r.text.c_str(), 10, MPFR_RNDN);
        mpfr_set_prec(got.get(), std::max<mpfr_prec_t>(32, 32 * absLength(z.mantissa)));
        errorOf(got.get(), z, ref.get());
        if (mpfr_zero_p(got.get())) continue;
        ASSERT_LE(mpfr_get_exp(got.get()), mpfr_get_exp(ref.get()) - bits + bitLength(ulps) + 1) << r.text;
    }
}

TEST(FpReaderModel, HugeExponentsAgainstMpfr) {
    MpfrRange range;
    Mpfr ref(192), got(192);
    for (char const* text : {"1e323228495", "-7.3e300000000", "1e-323228495", "9.99e-299999999", "123456789e100000000",
                             "31415926535897932384626433832795e-100000031"}) {
        PrecScope scope(5);
        fp z;
        ASSERT_TRUE(fpConvFromString(z, text)) << text;
        mpfr_set_str(ref.get(), text, 10, MPFR_RNDN);
        errorOf(got.get(), z, ref.get());
        // The decimal exponent of each text, for the error bound.
        int64 e10 = std::strtoll(std::strchr(text, 'e') + 1, nullptr, 10);
        char const* point = std::strchr(text, '.');
        if (point != nullptr) e10 -= int64(std::strchr(text, 'e') - point - 1);
        if (!mpfr_zero_p(got.get())) {
            EXPECT_LE(mpfr_get_exp(got.get()), mpfr_get_exp(ref.get()) - 192 + bitLength(powerUlps(e10)) + 1) << text;
        }
        // Rounded to blockPrec words, the value is within a unit of the last place.
        fpNormalize(z);
        mpfr_set_prec(got.get(), 192);
        errorOf(got.get(), z, ref.get());
        if (!mpfr_zero_p(got.get())) {
            EXPECT_LE(mpfr_get_exp(got.get()), mpfr_get_exp(ref.get()) - 160 + 1) << text;
        }
    }
}

// ---- double ----

TEST(FpDouble, ZeroAndNonFinite) {
    for (double d : {0.0, -0.0}) {
        fp x;
        EXPECT_TRUE(init(x, d));
        EXPECT_TRUE(fpNormal(x, 0));
        fp y(d);
        EXPECT_TRUE(fpNormal(y, 0));
        fp z;
        ASSERT_TRUE(init(z, 5));
        z = d;
        EXPECT_TRUE(fpNormal(z, 0));
    }
    for (double d : {std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
                     std::numeric_limits<double>::quiet_NaN()}) {
        fp x;
        EXPECT_FALSE(init(x, d));
        EXPECT_TRUE(fpNormal(x, 0));
        fp y;
        ASSERT_TRUE(init(y, 3));
        EXPECT_FALSE(equate(y, d));
        EXPECT_TRUE(fpNormal(y, 0));
        fp z(d);
        EXPECT_TRUE(fpNormal(z, 0));
        z = 1.5;
        z = d;
        EXPECT_TRUE(fpNormal(z, 0));
    }
}

TEST(FpDouble, EntersThroughItsEighteenDigitText) {
    fp x;
    ASSERT_TRUE(init(x, 0.1));
    fp y;
    ASSERT_TRUE(init(y, "0.100000000000000006"));
    EXPECT_EQ(compare(x, y), 0);
    // Not the binary value of the double: 0.1000000000000000055511151231257827...
    Mpq binary;
    mpq_set_d(binary, 0.1);
    EXPECT_FALSE(withinRelative(x, binary, 64, 1));
    EXPECT_TRUE(withinRelative(x, decimal("100000000000000006", -18), 32 * blockPrec, 16));

    struct Case {
        double d;
        char const* digits;
        int e10;
    } exact[] = {{1.5, "15", -1}, {1.0, "1", 0}, {-2.5, "-25", -1}, {1e20, "1", 20}, {-1024.0, "-1024", 0},
                 {0.5, "5", -1}, {4294967296.0, "4294967296", 0}, {123456.0, "123456", 0}};
    for (auto const& c : exact) {
        fp z;
        ASSERT_TRUE(init(z, c.d));
        EXPECT_TRUE(equalsExactly(z, decimal(c.digits, c.e10))) << c.d;
        EXPECT_TRUE(fpNormal(z, blockPrec));
    }
}

TEST(FpDouble, RandomDoublesAgainstMpfrDigits) {
    Generator g(0xd0b1e);
    Mpfr d(53);
    char buf[64];
    for (int iter = 0; iter < 3000; ++iter) {
        int32 bp = static_cast<int32>(g.intIn(2, 8));
        PrecScope scope(bp);
        double v;
        uint64 bitsOf = g.engine()();
        std::memcpy(&v, &bitsOf, sizeof v);
        if (!std::isfinite(v) || v == 0.0) continue;
        fp x;
        ASSERT_TRUE(init(x, v)) << v;
        ASSERT_EQ(blockPrec, bp);
        ASSERT_TRUE(fpNormal(x, bp));
        // The 18 significant digits, rounded to nearest as printf does.
        mpfr_set_d(d.get(), v, MPFR_RNDN);
        mpfr_exp_t e = 0;
        mpfr_get_str(buf, &e, 10, 18, d.get(), MPFR_RNDN);
        Mpq want = decimal(buf, int64(e) - 18);
        ASSERT_TRUE(withinRelative(x, want, 32 * bp, 2 * bitLength(int64(e) - 18) + 6)) << v << " bp " << bp;
        fp y(v);
        ASSERT_EQ(compare(x, y), 0);
    }
}

TEST(FpDouble, ExtremesAndSubnormals) {
    for (double v : {std::numeric_limits<double>::max(), std::numeric_limits<double>::min(),
                     std::numeric_limits<double>::denorm_min(), -std::numeric_limits<double>::max(), 1e-300}) {
        fp x;
        ASSERT_TRUE(init(x, v)) << v;
        char text[64];
        std::snprintf(text, sizeof text, "%.17e", v);
        fp y;
        ASSERT_TRUE(init(y, static_cast<char const*>(text)));
        EXPECT_EQ(compare(x, y), 0) << text;
    }
}

TEST(FpDouble, ConstructorAndAssignment) {
    fp x(2.5);
    EXPECT_TRUE(equalsExactly(x, decimal("25", -1)));
    fp y;
    ASSERT_TRUE(init(y, 1234567));
    y = -0.75;
    EXPECT_TRUE(equalsExactly(y, decimal("-75", -2)));
    EXPECT_EQ(y.mantissa.allocated, absLength(y.mantissa));
    y = 0.0;
    EXPECT_TRUE(fpNormal(y, 0));
    fp z;
    ASSERT_TRUE(equate(z, 3.0));
    ASSERT_TRUE(equate(z, -3.0));
    EXPECT_TRUE(equalsExactly(z, decimal("-3", 0)));
}

TEST(FpDouble, CommaLocaleStillReads) {
    // printf writes the locale's radix character; the reader needs a point.
    std::string scratch;
    bool found = commaLocale(scratch);
    fp x;
    bool ok = found && init(x, 1.5);
    fp y;
    bool okSmall = found && init(y, -2.5e-300);
    std::setlocale(LC_NUMERIC, "C");
#ifndef _WIN32
    if (!scratch.empty()) {
        unsetenv("LOCPATH");
        if (std::system(("rm -rf " + scratch).c_str()) != 0) ADD_FAILURE() << "could not remove " << scratch;
    }
#endif
    if (!found) GTEST_SKIP() << "no locale with a decimal comma could be had";
    ASSERT_TRUE(ok);
    EXPECT_TRUE(equalsExactly(x, decimal("15", -1)));
    ASSERT_TRUE(okSmall);
    fp z;
    ASSERT_TRUE(init(z, -2.5e-300));  // in the C locale
    EXPECT_EQ(compare(y, z), 0);
}

// ---- integers ----

TEST(FpToMb, CutTowardZero) {
    struct Case {
        char const* text;
        char const* value;
    } cases[] = {{"-3.7", "-3"}, {"3.7", "3"}, {"0.999", "0"}, {"-0.5", "0"}, {"0", "0"},
                 {"1e30", "1000000000000000000000000000000"}, {"-123456789.5", "-123456789"}};
    for (auto const& c : cases) {
        fp x;
        ASSERT_TRUE(init(x, c.text));
        mb m = toMb(99);
        equate(m, x);
        EXPECT_TRUE(isNormalValue(m, Mpz(c.value))) << c.text;
    }
}

TEST(FpToMb, RandomShiftsAgainstGmp) {
    Generator g(0xabcd);
    for (int iter = 0; iter < 2000; ++iter) {
        fp x;
        x.mantissa = g.nonzero(6);
        x.exponent = static_cast<int32>(g.range(-250, 250));
        Mpz want = toMpz(x.mantissa);
        if (x.exponent >= 0)
            mpz_mul_2exp(want, want, static_cast<mp_bitcnt_t>(x.exponent));
        else
            mpz_tdiv_q_2exp(want, want, static_cast<mp_bitcnt_t>(-x.exponent));
        mb m;
        equate(m, x);
        ASSERT_TRUE(isNormalValue(m, want));
        // The target may be the value's own mantissa.
        fp y = x;
        equate(y.mantissa, y);
        ASSERT_TRUE(isNormalValue(y.mantissa, want));
    }
}

TEST(FpToMb, MostNegativeExponentGivesZero) {
    fp x;
    ASSERT_TRUE(init(x, 12345));
    x.exponent = INT32_MIN;
    mb m = toMb(1);
    equate(m, x);
    EXPECT_TRUE(isNormalValue(m, Mpz(0L)));
}

struct IntCase {
    char const* text;
    bool ok;
    int value;
};

TEST(FpToInt, Table) {
    IntCase cases[] = {{"2147483647", true, 2147483647}, {"2147483648", false, 0}, {"-2147483648", false, 0},
                       {"-2147483647", true, -2147483647}, {"2.5", false, 2}, {"-2.5", false, -2},
                       {"0.5", false, 0}, {"-0.5", false, 0}, {"0", true, 0}, {"1", true, 1},
                       {"-1", true, -1}, {"1e12", false, 0}, {"4294967296", false, 0},
                       {"4294967297", false, 0}, {"1e300000000", false, 0}, {"1e-300000000", false, 0},
                       {"2147483646.5", false, 2147483646}};
    for (auto const& c : cases) {
        fp x;
        ASSERT_TRUE(init(x, c.text)) << c.text;
        fp before = x;
        int v = 12345;
        EXPECT_EQ(equate(v, x), c.ok) << c.text;
        EXPECT_EQ(v, c.value) << c.text;
        EXPECT_TRUE(sameFp(x, before));
    }
}

TEST(FpToInt, UnnormalisedRepresentationsOfIntegers) {
    fp x;
    long32tofp(x, 12);
    x.exponent = -1;  // 6
    int v = 0;
    EXPECT_TRUE(equate(v, x));
    EXPECT_EQ(v, 6);
    x.mantissa = makeRecord({0, 0, 3}, true);  // -3 * 2^64 * 2^-64
    x.exponent = -64;
    EXPECT_TRUE(equate(v, x));
    EXPECT_EQ(v, -3);
    x.exponent = -65;  // -1.5
    EXPECT_FALSE(equate(v, x));
    EXPECT_EQ(v, -1);
}

// ---- fpToStr2 ----

struct Written {
    std::string digits;
    int e10;
};

Written write(fp const& x, int n) {
    Written w;
    char* p = fpToStr2(w.e10, x, n);
    w.digits = p;
    std::free(p);
    return w;
}

struct DigitCase {
    char const* value;  // read by init
    int nDigits;
    char const* digits;
    int e10;
};

TEST(FpToStr2, WorkedExamples) {
    fp two, three, q;
    ASSERT_TRUE(init(two, 2));
    ASSERT_TRUE(init(three, 3));
    ASSERT_TRUE(div(q, two, three));
    Written w = write(q, 5);
    EXPECT_EQ(w.digits, "66667");
    EXPECT_EQ(w.e10, -5);

    DigitCase cases[] = {{"9.9999", 2, "1", 1}, {"-1250", 10, "-125", 1}, {"0.001", 4, "1", -3},
                         {"0.96", 1, "1", 0}, {"0.94", 1, "9", -1}, {"1", 1, "1", 0},
                         {"1", 30, "1", 0}, {"-7", 3, "-7", 0}, {"123456789", 3, "123", 6},
                         {"123556789", 3, "124", 6}, {"0.25", 1, "3", -1}, {"999999", 5, "1", 6},
                         {"1e300", 20, "1", 300}, {"-1.5e-300", 2, "-15", -301}, {"1e300000000", 20, "1", 300000000},
                         {"3.14159265358979323846264338327950288", 25, "3141592653589793238462643", -24}};
    for (auto const& c : cases) {
        fp x;
        ASSERT_TRUE(init(x, c.value)) << c.value;
        Written r = write(x, c.nDigits);
        EXPECT_EQ(r.digits, c.digits) << c.value << " at " << c.nDigits;
        EXPECT_EQ(r.e10, c.e10) << c.value << " at " << c.nDigits;
    }
}

TEST(FpToStr2, ZeroAndNoDigits) {
    fp zero;
    Written w = write(zero, 10);
    EXPECT_EQ(w.digits, "0");
    EXPECT_EQ(w.e10, 0);
    fp x;
    ASSERT_TRUE(init(x, 5));
    for (int n : {0, -1, INT_MIN}) {
        w = write(x, n);
        EXPECT_EQ(w.digits, "0");
        EXPECT_EQ(w.e10, 0);
    }
    // A zero that carries an exponent is still zero.
    zero.exponent = 77;
    w = write(zero, 3);
    EXPECT_EQ(w.digits, "0");
}

// Half-up rounding of |x| to n significant digits, trailing zeros dropped. `nearTie`
// tells that the scaled value lies so close to a rounding boundary that the
// finite working precision may take either side.
Written expectedDigits(Mpq const& x, int n, bool& nearTie) {
    Mpq a;
    mpq_abs(a, x);
    // E = floor(log10 |x|), from the bit lengths and then corrected exactly.
    mpq_srcptr ap = a;
    long bits = long(mpz_sizeinbase(mpq_numref(ap), 2)) - long(mpz_sizeinbase(mpq_denref(ap), 2));
    long E = static_cast<long>(std::floor(double(bits) * 0.30102999566398120)) - 2;
    auto pow10 = [](long k) {
        Mpz p;
        mpz_ui_pow_ui(p, 10, static_cast<unsigned long>(k < 0 ? -k : k));
        Mpq q;
        mpq_set_z(q, p);
        if (k < 0) mpq_inv(q, q);
        return q;
    };
    while (mpq_cmp(pow10(E + 1), a) <= 0) ++E;
    while (mpq_cmp(pow10(E), a) > 0) --E;
    Mpq y;
    mpq_mul(y, a, pow10(n - 1 - E));
    Mpq half;
    mpq_set_ui(half, 1, 2);
    Mpq shifted;
    mpq_add(shifted, y, half);
    Mpz N;
    mpq_srcptr sp = shifted;
    mpz_fdiv_q(N, mpq_numref(sp), mpq_denref(sp));
    // Distance of y + 1/2 from the integer below it, and from the one above.
    Mpq frac;
    Mpq Nq;
    mpq_set_z(Nq, N);
    mpq_sub(frac, shifted, Nq);
    Mpq eps;
    mpq_set_ui(eps, 1, 1u << 20);
    Mpq oneMinus;
    mpq_set_ui(oneMinus, 1, 1);
    mpq_sub(oneMinus, oneMinus, eps);
    nearTie = mpq_cmp(frac, eps) < 0 || mpq_cmp(frac, oneMinus) > 0;
    std::string d = N.str(10);
    long e10 = E - (n - 1);
    while (d.size() > 1 && d.back() == '0') {
        d.pop_back();
        ++e10;
    }
    Written w;
    mpq_srcptr xp = x;
    w.digits = (mpq_sgn(xp) < 0 ? "-" : "") + d;
    w.e10 = static_cast<int>(e10);
    return w;
}

TEST(FpToStr2, RandomValuesAgainstExactRounding) {
    Generator g(0x2057e2);
    int ties = 0;
    for (int iter = 0; iter < 3000; ++iter) {
        int32 bp = static_cast<int32>(g.intIn(1, 8));
        PrecScope scope(bp);
        fp x;
        if (g.oneIn(3)) {
            RandomText r = randomText(g, 45, 60);
            if (!init(x, r.text.c_str()) || x.mantissa.length == 0) continue;
        } else {
            x.mantissa = g.nonzero(g.intIn(1, 6));
            x.exponent = static_cast<int32>(g.range(-1500, 1500));
        }
        int n = g.oneIn(5) ? g.intIn(1, 120) : g.intIn(1, 40);
        fp before = x;
        Written got = write(x, n);
        ASSERT_EQ(blockPrec, bp);
        ASSERT_TRUE(sameFp(x, before));
        bool nearTie = false;
        Written want = expectedDigits(valueOf(x), n, nearTie);
        if (nearTie && (got.digits != want.digits || got.e10 != want.e10)) {
            ++ties;
            continue;
        }
        ASSERT_EQ(got.digits, want.digits) << show(x) << " n " << n;
        ASSERT_EQ(got.e10, want.e10) << show(x) << " n " << n;
        std::size_t sig = got.digits.size() - (got.digits[0] == '-' ? 1 : 0);
        ASSERT_LE(sig, std::size_t(n));
        ASSERT_NE(got.digits.back(), '0');
    }
    EXPECT_LT(ties, 10);
}

TEST(FpToStr2, TextRoundTrip) {
    Generator g(0x7a7);
    for (int iter = 0; iter < 1500; ++iter) {
        PrecScope scope(static_cast<int32>(g.intIn(2, 6)));
        fp x;
        x.mantissa = g.nonzero(4);
        x.exponent = static_cast<int32>(g.range(-3000, 3000));
        int n = g.intIn(1, 9 * blockPrec);
        Written a = write(x, n);
        std::string text = a.digits + "e" + std::to_string(a.e10);
        fp y;
        ASSERT_TRUE(init(y, text.c_str())) << text;
        Written b = write(y, n);
        ASSERT_EQ(b.digits, a.digits) << text;
        ASSERT_EQ(b.e10, a.e10) << text;
    }
}

}  // namespace
