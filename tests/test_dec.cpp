// The decimal layer against exact rationals: exact arithmetic and comparison, both
// texts, the double and currency conversions, and the results rounded through fp
// against the exact value rounded to N digits. Every result is checked for normal form,
// every getString for leaving the scale alone, every test for leaving the settings.
#include <gtest/gtest.h>

#include <gmp.h>
#include <mpfr.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "decMath.h"
#include "fpConv.h"
#include "fp_oracle.h"

namespace {

using namespace oracle;
using oracle::valueOf;

class Dec : public ::testing::Test {
protected:
    void SetUp() override { decSetStartValues(); }
    void TearDown() override {
        EXPECT_EQ(scale, 5);
        EXPECT_EQ(globalBitPrecision, 128);
        EXPECT_EQ(blockPrec, 5);
    }
};

// N digits for one scope, blockPrec as the precision setter derives it.
struct Digits {
    explicit Digits(int n) {
        globalBitPrecision = 4 * n;
        blockPrec = globalBitPrecision / 32 + 1;
    }
    ~Digits() { decSetStartValues(); }
};

int sgn(int c) { return (c > 0) - (c < 0); }
std::string text(mpq_srcptr q) {
    Mpq c;
    mpq_set(c, q);
    return c.str();
}
// |v| rounded half up to an integer.
Mpz roundedAbs(mpq_srcptr v) {
    Mpq a;
    mpq_abs(a, v);
    mpq_add(a, a, Mpq("1/2"));
    Mpz r;
    mpz_fdiv_q(r, mpq_numref(a), mpq_denref(a));
    return r;
}
Mpq valueOf(DecData const& d) {
    Mpq q = pow10q(d.exponent), m;
    mpq_set_z(m, toMpz(d.mantissa));
    mpq_mul(q, q, m);
    return q;
}
// Normal form (no trailing zero digit, zero as 0e0) and, given want, the value.
::testing::AssertionResult isDec(DecData const& d, mpq_srcptr want = nullptr) {
    Mpz m = toMpz(d.mantissa);
    if (!isNormal(d.mantissa) || (m.sign() == 0 ? d.exponent != 0 : mpz_divisible_ui_p(m, 10) != 0))
        return ::testing::AssertionFailure() << "not normal: " << describe(d.mantissa) << " e" << d.exponent;
    if (want != nullptr && mpq_equal(valueOf(d), want) == 0)
        return ::testing::AssertionFailure() << m << "e" << d.exponent << " is not " << text(want);
    return ::testing::AssertionSuccess();
}
// getString2, or with fixed getString, which must leave the scale alone.
std::string str(DecData const& d, bool fixed = true) {
    int32 before = scale;
    char* s = fixed ? getString(d) : getString2(d);
    std::string t = s != nullptr ? s : "(refused)";
    std::free(s);
    EXPECT_EQ(scale, before) << "getString moved the scale";
    return t;
}
std::string str2(DecData const& d) { return str(d, false); }
DecData dec(char const* t) {
    DecData d;
    EXPECT_TRUE(getDec_Str(d, t)) << t;
    return d;
}

// Up to maxDigits digits, exponent within +-maxExp, either sign; one in five carries
// trailing zeros, so operands outside normal form come too.
DecData randomDec(Generator& g, int maxDigits = 200, int maxExp = 400) {
    int n = g.intIn(0, maxDigits);
    std::string s = g.coin() ? "-" : "";
    s += n == 0 ? '0' : static_cast<char>('1' + g.intIn(0, 8));
    for (int i = 1; i < n; ++i) s += static_cast<char>('0' + g.intIn(0, 9));
    if (n > 0 && g.oneIn(5)) s += std::string(std::size_t(g.intIn(1, 5)), '0');
    DecData d;
    fromMpz(d.mantissa, Mpz(s.c_str()));
    d.exponent = g.intIn(-maxExp, maxExp);
    return d;
}

// a + b, a - b, a * b and the comparison; every aliasing form (x = a, y = b, x = a = b)
// equals the distinct target. A refused product (allowed when mayRefuse) leaves the target.
void checkExact(DecData const& a, DecData const& b, bool mayRefuse = false) {
    Mpq qa = valueOf(a), qb = valueOf(b), want[3], self[3];
    mpq_add(want[0], qa, qb);
    mpq_sub(want[1], qa, qb);
    mpq_mul(want[2], qa, qb);
    mpq_add(self[0], qa, qa);
    mpq_mul(self[2], qa, qa);
    bool (*const ops[3])(DecData&, DecData const&, DecData const&) = {addDec, subDec, mulDec};
    for (int op = 0; op < 3; ++op) {
        DecData t[4] = {DecData(), a, b, a};
        t[0].mantissa = stale();
        Mpq before[4] = {valueOf(t[0]), qa, qb, qa};
        bool ok[4] = {ops[op](t[0], a, b), ops[op](t[1], t[1], b), ops[op](t[2], a, t[2]), ops[op](t[3], t[3], t[3])};
        for (int k = 0; k < 4; ++k) {
            EXPECT_TRUE(ok[k] || (mayRefuse && op == 2)) << op << " form " << k;
            EXPECT_TRUE(ok[k] ? isDec(t[k], k == 3 ? self[op] : want[op])
                              : ::testing::AssertionResult(mpq_equal(valueOf(t[k]), before[k]) != 0))
                << op << " form " << k;
        }
    }
    EXPECT_EQ(compareDecToDec(a, b), sgn(mpq_cmp(qa, qb)));
}

// Random values against the exact ones: the operations with their aliasing forms and the
// text round trip; fixed text at scales 0..12 rounded half away from zero, the sign kept
// while the value cut to one more place is not zero; currency both ways, |v| 10^4
// rounded half up fitting or refused (the output kept); doubles in as their "%.13e"
// image and compared, and out: correctly rounded wherever a factor or the product is
// not a normal double, elsewhere (the mantissa passes a 16-digit text) within six units.
TEST_F(Dec, RandomValuesAgainstRationals) {
    Generator g(8101);
    MpfrRange range;
    Mpfr exact(4000);
    for (int i = 0; i < 6000; ++i) {
        if (i % 4 == 0) {
            DecData a = randomDec(g), back;
            ASSERT_NO_FATAL_FAILURE(checkExact(a, g.oneIn(8) ? a : randomDec(g)));
            ASSERT_TRUE(getDec_Str(back, str2(a).c_str()));
            EXPECT_TRUE(isDec(back, valueOf(a)));
        }
        if (i % 2 == 0) {
            DecData d = randomDec(g, 30, 20);
            int places = g.intIn(0, 12);
            Mpq v = valueOf(d), v1 = valueOf(d);
            mpq_mul(v, v, pow10q(places));
            mpq_mul(v1, v1, pow10q(places + 1));
            Mpz cut;
            std::string digits = roundedAbs(v).str();
            mpz_tdiv_q(cut, mpq_numref(v1), mpq_denref(v1));
            std::string want = mpq_sgn(v) < 0 && cut.sign() != 0 ? "-" : "";
            if (digits.size() <= std::size_t(places)) digits.insert(0, std::size_t(places) + 1 - digits.size(), '0');
            want += digits.substr(0, digits.size() - std::size_t(places)) + "." +
                    digits.substr(digits.size() - std::size_t(places));
            scale = places;
            EXPECT_EQ(str(d), want) << str2(d) << " at " << places;
            scale = 5;

            long long c = i < 4 ? (i == 0 ? LLONG_MIN : LLONG_MAX)
                                : static_cast<long long>(g.engine()() >> g.intIn(0, 63)) * (g.coin() ? -1 : 1);
            long long back = 0, out = 7;
            DecData cd, x = randomDec(g, 22, 12);
            getDec_Curr(cd, c);
            Mpq cv(std::to_string(c).c_str());
            mpq_mul(cv, cv, pow10q(-4));
            EXPECT_TRUE(isDec(cd, cv));
            EXPECT_TRUE(getCurr_Dec(back, cd));
            EXPECT_EQ(back, c);
            v = valueOf(x);
            mpq_mul(v, v, pow10q(4));
            Mpz r = roundedAbs(v);
            bool fits = mpz_cmp(r, Mpz("9223372036854775807")) <= 0;
            ASSERT_EQ(getCurr_Dec(out, x), fits) << str2(x);
            EXPECT_EQ(std::to_string(out), fits ? (mpq_sgn(v) < 0 && r.sign() != 0 ? "-" : "") + r.str() : "7");
        }
        uint64 bits = g.engine()();
        double x;
        std::memcpy(&x, &bits, sizeof x);
        if (!std::isfinite(x)) continue;
        DecData d, other = randomDec(g, 20, 330);
        d.mantissa = stale();
        getDec_d(d, x);
        Mpq want = fourteenDigits(x);
        EXPECT_TRUE(isDec(d, want)) << x;
        EXPECT_EQ(compareDecToDouble(other, x), sgn(mpq_cmp(valueOf(other), want)));
        EXPECT_EQ(compareDecToDouble(d, x), 0);
        mpfr_set_q(exact.get(), valueOf(other), MPFR_RNDN);
        double right = mpfr_get_d(exact.get(), MPFR_RNDN), got = getDouble_Dec(other);
        int64 digits = int64(toMpz(other.mantissa).str().size());
        if (std::fabs(right) >= DBL_MIN && std::fabs(right) <= DBL_MAX && digits <= 300 && other.exponent >= -307 &&
            other.exponent <= 308)
            EXPECT_LE(std::fabs(got - right), 6 * (std::nextafter(std::fabs(right), INFINITY) - std::fabs(right)));
        else
            EXPECT_EQ(got, right) << str2(other);
    }
}

// Fixed text (negative and extreme scales among them), doubles and currency at their
// edges (42: refused, the output kept); doubles in whatever the locale.
TEST_F(Dec, ConversionExamples) {
    struct { int places; char const *text, *want; } const cases[] = {
        {5, "123.456789", "123.45679"}, {5, "-2.000005", "-2.00001"}, {5, "1E20", "100000000000000000000.00000"},
        {5, "-0.000004", "-0.00000"}, {5, "-0.0000004", "0.00000"}, {0, "2.5", "3."}, {0, "-0.4", "-0."},
        {2, "-0.125", "-0.13"}, {-2, "1234.5", "1200."}, {-2, "-49", "-0."}, {-2, "49", "0."}, {-1, "-55", "-60."},
        {INT_MIN, "-1e300", "0."},
    };
    for (auto const& c : cases) {
        scale = c.places;
        EXPECT_EQ(str(dec(c.text)), c.want) << c.text << " at " << c.places;
    }
    scale = 5;
    for (auto [x, want] : {std::pair<double, char const*>{4.9406564584124654e-324, "49406564584125e-337"},
                           {NAN, "0e0"}, {INFINITY, "0e0"}, {-INFINITY, "0e0"}, {-0.0, "0e0"}}) {
        DecData d;
        getDec_d(d, x);
        EXPECT_EQ(str2(d), want) << x;
    }
    EXPECT_EQ(getDouble_Dec(dec("1000000000000000000000000000000e-330")), 1e-300);  // once 0
    EXPECT_EQ(getDouble_Dec(dec("1e-400")), 0.0);
    EXPECT_EQ(getDouble_Dec(dec("-2e400")), -INFINITY);
    const std::pair<char const*, long long> edges[] = {
        {"-1.23455", -12346}, {"1.2345499", 12345}, {"-0.00004", 0}, {"922337203685477.58074", LLONG_MAX},
        {"-922337203685477.5808", LLONG_MIN}, {"922337203685477.58075", 42}, {"-922337203685477.58075", 42},
        {"1e2000000000", 42}, {"1e-2000000000", 0}};
    for (auto [t, want] : edges) {
        long long v = 42;
        EXPECT_EQ(getCurr_Dec(v, dec(t)), want != 42) << t;
        EXPECT_EQ(v, want) << t;
    }
    std::string scratch;
    if (!commaLocale(scratch)) GTEST_SKIP() << "no locale with a decimal comma";
    DecData d;
    getDec_d(d, -1.5);
    std::string t = str2(d);
    leaveCommaLocale(scratch);
    EXPECT_EQ(t, "-15e-1");
}

// Far exponents and refusals: an exponent out of range or an exact result over
// kMaxDecDigits digits gives false and leaves the target.
TEST_F(Dec, LimitsAndRefusals) {
    std::string const big = "1e" + std::to_string(kMaxDecDigits + 5), fits = "1e" + std::to_string(kMaxDecDigits - 10);
    struct { std::string a; char op; char const* b; bool ok; } const cases[] = {{"1e-2000000000", '+', "1", false}, {"1", '-', "1e-2000000000", false},
                       {"3e2000000000", '*', "3e2000000000", false}, {"3e2000000000", '/', "1e-2000000000", false},
                       {"1", '/', "0", false}, {big, '+', "1", false}, {fits, '+', "1", true}};
    for (auto const& c : cases) {
        DecData a = dec(c.a.c_str()), b = dec(c.b), r = dec("7");
        bool ok = c.op == '+'   ? addDec(r, a, b)
                  : c.op == '-' ? subDec(r, a, b)
                  : c.op == '*' ? mulDec(r, a, b)
                                : divDec(r, a, b);
        EXPECT_EQ(ok, c.ok) << c.a << c.op << c.b;
        EXPECT_TRUE(ok || str2(r) == "7e0") << c.a << c.op << c.b;
        EXPECT_TRUE(isDec(r));
    }
    EXPECT_EQ(compareDecToDec(dec("1e-2000000000"), dec("1")), -1);
    EXPECT_EQ(compareDecToDec(dec("3e2000000000"), dec("2e2000000000")), 1);
    EXPECT_EQ(compareDecToDec(dec("-1e-2000000000"), dec("-1e-2000000001")), -1);
    DecData d, r = dec("7");  // 10 at the top exponent is outside normal form: refused
    d.mantissa = toMb(10);
    d.exponent = INT_MAX;
    EXPECT_FALSE(mulDec(r, d, dec("1")));
    EXPECT_EQ(str2(r), "7e0");
    EXPECT_EQ(str(dec("3e2000000000")), "(refused)");
    EXPECT_EQ(str(dec("1E100000")), "1" + std::string(100000, '0') + ".00000");
}

// Gaps and trailing-zero counts far past a word of digits: strips bounded by the twos
// or by the fives, and fixed text scaled down by the gap (3.1415949...9 and 3.141595).
TEST_F(Dec, LargeGapsAndStrips) {
    auto make = [](char const* m, int twos, int fives, int32 e, int add = 0) {
        Mpz z(m), f;
        mpz_ui_pow_ui(f, 5, unsigned(fives));
        mpz_mul(z, z, f);
        mpz_mul_2exp(z, z, unsigned(twos));
        mpz_add(z, z, Mpz(add));
        DecData d;
        fromMpz(d.mantissa, z);
        d.exponent = e;
        return d;
    };
    for (int g : {10, 39, 40, 100, 1000, 10000, 100000}) {
        DecData ops[] = {make("-123456789", 0, 0, g), make("7", 0, 0, 0), make("3", g, g, -g),
                         make("7", g + 3, g, -g), make("-9", g, g + 2, 1 - g)};
        for (auto [i, j] : {std::pair{0, 1}, {2, 1}, {3, 4}, {1, 3}, {2, 3}, {4, 1}})
            ASSERT_NO_FATAL_FAILURE(checkExact(ops[i], ops[j], g == 100000)) << g << " " << i << j;
        std::string zeros(std::size_t(g), '0');
        EXPECT_EQ(str(make(("3141595" + zeros).c_str(), 0, 0, -6 - g, -1)), "3.14159") << g;
        EXPECT_EQ(str(make(("-3141595" + zeros).c_str(), 0, 0, -6 - g)), "-3.14160") << g;
    }
}

TEST_F(Dec, TextReaderTable) {
    struct { char const *text, *want; } const cases[] = {  // want: nullptr when refused
        {"007", "7e0"}, {"-12", "-12e0"}, {"+12", "12e0"}, {"  12", "12e0"}, {"12  ", "12e0"}, {"1.", "1e0"},
        {"-.5", "-5e-1"}, {"+.25", "25e-2"}, {"1.50", "15e-1"}, {"1E+05", "1e5"}, {"1.25e-2", "125e-4"},
        {".5e1", "5e0"}, {"1.e3", "1e3"}, {"0.0", "0e0"}, {"-0", "0e0"}, {"0e7", "0e0"}, {"12 34", "12e0"},
        {"12-3", "12e0"}, {"1.5.3", "15e-1"}, {"1..5", "1e0"}, {"1e5.5", "1e5"}, {"1e5e6", "1e5"}, {"", "0e0"},
        {"1500", "15e2"}, {"1e-2147483648", "1e-2147483648"}, {"120e2147483646", "12e2147483647"},
        {"1e000000000000005", "1e5"}, {".", nullptr}, {"-", nullptr}, {"e", nullptr}, {" ", nullptr}, {"e5", nullptr},
        {"+e5", nullptr}, {"--5", nullptr}, {"+-5", nullptr}, {"- 5", nullptr}, {"+.", nullptr}, {"..5", nullptr},
        {".5.3", nullptr}, {"-.5.1", nullptr}, {"1,5", nullptr}, {"1_000", nullptr}, {"12a", nullptr},
        {"0x1F", nullptr}, {"1e5x", nullptr}, {"1e+-5", nullptr}, {"1ee5", nullptr}, {"1e.5", nullptr},
        {"1e 5", nullptr}, {"1\t2", nullptr}, {"1\xc3\xa9", nullptr}, {"1e2147483648", nullptr},
        {"1.5e-2147483648", nullptr}, {"1e0000000000000005", nullptr}, {"1000e2147483647", nullptr}, {"1e+", nullptr},
        {"1e-", nullptr},
    };
    for (auto const& c : cases) {
        DecData d = dec("99");
        bool ok = getDec_Str(d, c.text);
        EXPECT_EQ(ok, c.want != nullptr) << "[" << c.text << "]";
        EXPECT_EQ(ok ? str2(d) : "", ok ? c.want : "") << "[" << c.text << "]";
        EXPECT_TRUE(isDec(d)) << "[" << c.text << "]";
    }
    DecData d;
    EXPECT_FALSE(getDec_Str(d, nullptr));
    EXPECT_FALSE(getDec_Str(d, "100e"));  // the digits read before the bad exponent stay
    EXPECT_EQ(toMpz(d.mantissa), Mpz(100));
    EXPECT_EQ(d.exponent, 0);
    EXPECT_FALSE(getDec_Str(d, std::string(std::size_t(kMaxDecDigits) + 1, '7').c_str()));
    EXPECT_TRUE(getDec_Str(d, ("1" + std::string(std::size_t(kMaxDecDigits) + 1, '0')).c_str()));
}

// d is the exact value rounded half up to n significant digits, or, where the exact
// value lies within the fp working error of a rounding boundary, its neighbour. A
// negative slackBits allows no neighbour.
::testing::AssertionResult roundedTo(DecData const& d, mpq_srcptr exact, int n, int slackBits) {
    if (mpq_sgn(exact) == 0) return isDec(d, exact);
    Mpq v, scaled, lo = pow10q(n - 1), hi = pow10q(n);
    mpq_abs(v, exact);
    int64 k = n - int64(mpz_sizeinbase(mpq_numref(v), 10)) + int64(mpz_sizeinbase(mpq_denref(v), 10));
    for (;;) {
        scaled = v;
        mpq_mul(scaled, scaled, pow10q(k));
        if (mpq_cmp(scaled, lo) < 0) ++k;
        else if (mpq_cmp(scaled, hi) >= 0) --k;
        else break;
    }
    Mpz r = roundedAbs(scaled);
    Mpq want, rq, dist = scaled, margin = hi, diff;
    mpq_set_z(want, r);
    mpq_set_z(rq, r);
    mpq_mul(want, want, pow10q(-k));
    if (mpq_sgn(exact) < 0) mpq_neg(want, want);
    if (isDec(d, want)) return ::testing::AssertionSuccess();
    // Distance from the boundary r - 1/2, in units of the last digit, against the margin.
    int bits = std::min(32 * blockPrec, 32 * (static_cast<int>(n * 3.321928094887362 / 32) + 2)) - slackBits;
    mpq_add(dist, dist, Mpq("1/2"));
    mpq_sub(dist, dist, rq);  // in [0, 1): 0 is the boundary from above
    if (mpq_cmp(dist, Mpq("1/2")) > 0) mpq_sub(dist, Mpq("1"), dist);
    mpq_div_2exp(margin, margin, static_cast<mp_bitcnt_t>(bits));
    diff = valueOf(d);
    mpq_sub(diff, diff, want);
    mpq_abs(diff, diff);
    if (slackBits >= 0 && mpq_cmp(dist, margin) <= 0 && mpq_equal(diff, pow10q(-k)) != 0) return isDec(d);
    return ::testing::AssertionFailure() << str2(d) << " is not " << text(exact) << " to " << n << " digits";
}

// At N = 1..100 digits: division (exact: no neighbour allowed), fp to decimal, the four
// powers with small integer exponents (an exact value to round), and decimal to fp
// within 2^(8 - 32 blockPrec) relative.
TEST_F(Dec, RoundedResultsToNDigits) {
    Generator g(8106);
    auto power = [](mpq_srcptr base, int k) {
        Mpq w("1");
        for (int j = 0; j < std::abs(k); ++j) mpq_mul(w, w, base);
        if (k < 0) mpq_inv(w, w);
        return w;
    };
    for (int n = 1; n <= 100; ++n) {
        Digits digits(n);
        for (int i = 0; i < 25; ++i) {
            DecData a = randomDec(g, 60, 50), b = randomDec(g, 60, 50), r, x, big = randomDec(g, 80, 400);
            if (toMpz(b.mantissa).sign() == 0) b = dec("-7");
            Mpq q = valueOf(a);
            mpq_div(q, q, valueOf(b));
            r.mantissa = stale();
            ASSERT_TRUE(divDec(r, a, b));
            EXPECT_TRUE(roundedTo(r, q, n, -1)) << n;
            x = a;
            divDec(x, x, b);
            EXPECT_EQ(str2(x), str2(r));
            fp f = fpOf(toMpz(randomDec(g, 40, 0).mantissa), g.intIn(-3000, 3000));
            RRtoDec(r, f);
            EXPECT_TRUE(roundedTo(r, valueOf(f), n, 8)) << n;
            ASSERT_TRUE(DecToRR(f, big));
            Mpq err = valueOf(f), v = valueOf(big);
            mpq_sub(err, err, v);
            mpq_abs(err, err);
            mpq_abs(v, v);
            mpq_div_2exp(v, v, static_cast<mp_bitcnt_t>(32 * blockPrec - 8));
            EXPECT_LE(mpq_cmp(err, v), 0) << str2(big) << " at " << blockPrec;
            if (i >= 4) continue;
            DecData p = randomDec(g, 12, 6), e;
            if (toMpz(p.mantissa).sign() == 0) p = dec("1.25");
            int k = g.intIn(-12, 12);
            getDec_d(e, k);
            Mpq want = power(valueOf(p), k);
            ASSERT_TRUE(pow(r, p, k));
            EXPECT_TRUE(roundedTo(r, want, n, 16)) << str2(p) << "^" << k;
            EXPECT_EQ(str2(pow(p, k)), str2(r)) << str2(p) << "^" << k;
            ASSERT_TRUE(pow(r, p, e));
            EXPECT_TRUE(roundedTo(r, want, n, 24)) << str2(p) << "^" << k;
            ASSERT_TRUE(pow(r, p, double(k)));
            EXPECT_TRUE(roundedTo(r, want, n, 24)) << str2(p) << "^" << k;
            double pd = getDouble_Dec(p);
            if (pd == std::trunc(pd) && std::fabs(pd) < 1e6 && pd != 0) {
                DecData whole;
                getDec_d(whole, pd);
                ASSERT_TRUE(pow(r, pd, e));
                EXPECT_TRUE(roundedTo(r, power(valueOf(whole), k), n, 24)) << pd << "^" << k;
            }
        }
    }
    Digits five(5);
    DecData r, x = dec("1.5"), y = pow(x, x);
    EXPECT_TRUE(pow(r, dec("4"), dec("0.5")));
    EXPECT_EQ(str2(r), "2e0");
    EXPECT_TRUE(pow(x, x, x));
    EXPECT_EQ(str2(x), str2(y));
    // Refused powers store zero; out-of-range decimals give a zero fp and false.
    // A negative base reads the exponent's integrality and parity on the decimal, past
    // what its fp image holds.
    std::string const tiny = std::string(40, '0') + "1";
    for (int j = 0; j < 5; ++j) {
        r = dec("5");
        EXPECT_FALSE(j == 0   ? pow(r, dec("-8"), 0.5)
                     : j == 1 ? pow(r, -8.0, dec("0.5"))
                     : j == 2 ? pow(r, dec("1e700000000"), 2)
                     : j == 3 ? pow(r, dec("-18"), dec(("3." + tiny).c_str()))
                              : pow(r, -18.0, dec(("0." + std::string(40, '9')).c_str())));
        EXPECT_EQ(str2(r), "0e0") << j;
    }
    EXPECT_TRUE(pow(r, dec("-18"), dec("3.000")));
    EXPECT_EQ(str2(r), "-5832e0");
    EXPECT_TRUE(pow(r, -1.0, dec(("1" + tiny).c_str())));
    EXPECT_EQ(str2(r), "-1e0");
    fp z(3.0);
    EXPECT_FALSE(DecToRR(z, dec("1e700000000")));
    EXPECT_TRUE(!z);
    EXPECT_FALSE(DecToRR(z, dec("-1e-700000000")));
    globalBitPrecision = 8;  // two digits: a half rounds away from zero, nines carry
    ASSERT_TRUE(divDec(r, dec("1"), dec("-8")));
    EXPECT_EQ(str2(r), "-13e-2");
    ASSERT_TRUE(divDec(r, dec("99.96"), dec("1")));
    EXPECT_EQ(str2(r), "1e2");
    globalBitPrecision = 0;
    ASSERT_TRUE(divDec(r, dec("2"), dec("3")));
    EXPECT_EQ(str2(r), "0e0");
    RRtoDec(r, fp(1.5));
    EXPECT_EQ(str2(r), "0e0");
}

}  // namespace
