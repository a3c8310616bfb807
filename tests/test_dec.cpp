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

int sign(mpq_srcptr q) { return mpq_sgn(q); }
mpz_srcptr num(mpq_srcptr q) { return mpq_numref(q); }
mpz_srcptr den(mpq_srcptr q) { return mpq_denref(q); }
int sgn(int c) { return (c > 0) - (c < 0); }
std::string text(mpq_srcptr q) {
    Mpq c;
    mpq_set(c, q);
    return c.str();
}
// |v| rounded half up to an integer, and whether v is negative.
Mpz roundedAbs(mpq_srcptr v, bool* negative = nullptr) {
    Mpq a;
    mpq_abs(a, v);
    mpq_add(a, a, Mpq("1/2"));
    Mpz r;
    mpz_fdiv_q(r, num(a), den(a));
    if (negative) *negative = sign(v) < 0;
    return r;
}

Mpq valueOf(DecData const& d) {
    Mpq q = pow10q(d.exponent), m;
    mpq_set_z(m, toMpz(d.mantissa));
    mpq_mul(q, q, m);
    return q;
}
::testing::AssertionResult normalDec(DecData const& d) {
    ::testing::AssertionResult r = isNormal(d.mantissa);
    if (!r) return r;
    Mpz m = toMpz(d.mantissa);
    if (m.sign() == 0 ? d.exponent != 0 : mpz_divisible_ui_p(m, 10) != 0)
        return ::testing::AssertionFailure() << "not normal: " << m << "e" << d.exponent;
    return ::testing::AssertionSuccess();
}
::testing::AssertionResult isDec(DecData const& d, mpq_srcptr want) {
    ::testing::AssertionResult r = normalDec(d);
    if (!r) return r;
    if (mpq_equal(valueOf(d), want) == 0)
        return ::testing::AssertionFailure() << toMpz(d.mantissa) << "e" << d.exponent << " is not " << text(want);
    return ::testing::AssertionSuccess();
}
std::string str2(DecData const& d) {
    char* s = getString2(d);
    std::string t(s);
    std::free(s);
    return t;
}
std::string str(DecData const& d) {
    int32 before = scale;
    char* s = getString(d);
    std::string t = s != nullptr ? s : "(refused)";
    std::free(s);
    EXPECT_EQ(scale, before) << "getString moved the scale";
    return t;
}
DecData dec(char const* text) {
    DecData d;
    EXPECT_TRUE(getDec_Str(d, text)) << text;
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

TEST_F(Dec, ExactArithmeticAndAliasingAgainstRationals) {
    Generator g(8101);
    for (int i = 0; i < 1500; ++i) {
        DecData a = randomDec(g), b = g.oneIn(8) ? a : randomDec(g), r, x;
        Mpq qa = valueOf(a), qb = valueOf(b), sum, diff, prod, twice;
        mpq_add(sum, qa, qb);
        mpq_sub(diff, qa, qb);
        mpq_mul(prod, qa, qb);
        mpq_add(twice, qa, qa);
        r.mantissa = stale();
        ASSERT_TRUE(addDec(r, a, b));
        EXPECT_TRUE(isDec(r, sum));
        ASSERT_TRUE(subDec(r, a, b));
        EXPECT_TRUE(isDec(r, diff));
        ASSERT_TRUE(mulDec(r, a, b));
        EXPECT_TRUE(isDec(r, prod));
        EXPECT_EQ(compareDecToDec(a, b), sgn(mpq_cmp(qa, qb)));
        // Every aliasing form equals the distinct target.
        x = a;
        addDec(x, x, x);
        EXPECT_TRUE(isDec(x, twice));
        x = a;
        subDec(x, x, x);
        EXPECT_TRUE(isDec(x, Mpq("0")));
        x = a;
        addDec(x, x, b);
        EXPECT_TRUE(isDec(x, sum));
        x = b;
        subDec(x, a, x);
        EXPECT_TRUE(isDec(x, diff));
        x = a;
        mulDec(x, b, x);
        EXPECT_TRUE(isDec(x, prod));
    }
}

// a op b by their texts against the exact text; "refused": false and the target kept.
TEST_F(Dec, OperationAndLimitTable) {
    struct Case {
        std::string a;
        char op;
        char const* b;
        std::string want;
    } const cases[] = {
        {"1.5", '+', "20", "215e-1"}, {"0", '+', "0", "0e0"}, {"2.5", '-', "2.5", "0e0"}, {"0", '*', "7.3", "0e0"},
        {"10", '*', "10", "1e2"}, {"0.2", '*', "0.5", "1e-1"}, {"2.5", '*', "4", "1e1"}, {"0", '-', "2.5", "-25e-1"},
        {"-0.5", 'c', "0.25", "-1"}, {"0.25", 'c', "-0.5", "1"}, {"1.5", 'c', "1.50", "0"}, {"1", '/', "4", "25e-2"},
        {"1", '/', "3", "33333333333333333333333333333333e-32"}, {"10", '/', "4", "25e-1"}, {"6", '/', "3", "2e0"},
        {"-2", '/', "3", "-66666666666666666666666666666667e-32"}, {"0", '/', "7", "0e0"},
        {"1e100", '/', "1e-100", "1e200"}, {"1e-2000000000", 'c', "1", "-1"}, {"3e2000000000", 'c', "2e2000000000", "1"},
        {"-1e-2000000000", 'c', "-1e-2000000001", "-1"},
        // Exponents out of range, or exact results over kMaxDecDigits digits.
        {"1e-2000000000", '+', "1", "refused"}, {"1", '-', "1e-2000000000", "refused"},
        {"3e2000000000", '*', "3e2000000000", "refused"}, {"3e2000000000", '/', "1e-2000000000", "refused"},
        {"1", '/', "0", "refused"},
        {"1e" + std::to_string(kMaxDecDigits + 5), '+', "1", "refused"}, {"1e" + std::to_string(kMaxDecDigits - 10), '+', "1", "ok"},
        {"1e1000", '+', "1", "1" + std::string(999, '0') + "1e0"},
    };
    for (Case const& c : cases) {
        DecData a = dec(c.a.c_str()), b = dec(c.b), r = dec("7");
        bool ok = true;
        std::string got;
        switch (c.op) {
            case '+': ok = addDec(r, a, b); break;
            case '-': ok = subDec(r, a, b); break;
            case '*': ok = mulDec(r, a, b); break;
            case '/': ok = divDec(r, a, b); break;
            default: got = std::to_string(compareDecToDec(a, b));
        }
        std::string what = c.a + " " + c.op + " " + c.b;
        EXPECT_EQ(ok, c.want != "refused") << what;
        if (c.want == "ok") continue;
        EXPECT_EQ(got.empty() ? str2(r) : got, ok ? c.want : "7e0") << what;
        if (ok && got.empty()) {
            EXPECT_TRUE(normalDec(r)) << what;
        }
    }
    DecData d, r = dec("7");  // outside normal form: 150e-2; 10 at the top exponent
    d.mantissa = toMb(150);
    d.exponent = -2;
    EXPECT_EQ(compareDecToDec(d, dec("1.5")), 0);
    d.mantissa = toMb(10);
    d.exponent = INT_MAX;
    EXPECT_FALSE(mulDec(r, d, dec("1")));
    EXPECT_EQ(str2(r), "7e0");
    ASSERT_TRUE(addDec(r, dec("1e1000"), dec("1")));
    ASSERT_TRUE(subDec(r, r, dec("1e1000")));
    EXPECT_EQ(str2(r), "1e0");
    EXPECT_EQ(str(dec("3e2000000000")), "(refused)");
    EXPECT_EQ(str(dec("1E100000")), "1" + std::string(100000, '0') + ".00000");
}

// Gaps and trailing-zero counts far past a word of digits against the rationals:
// strips bounded by the twos or by the fives, the aliasing forms, and fixed text
// scaled down by the gap (3.1415949...9 and 3.141595 at five places).
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
        int const pairs[][2] = {{0, 1}, {2, 1}, {3, 4}, {1, 3}, {2, 3}, {4, 1}};
        for (auto [i, j] : pairs) {
            DecData const &a = ops[i], &b = ops[j];
            Mpq qa = valueOf(a), qb = valueOf(b), sum, diff, prod;
            mpq_add(sum, qa, qb);
            mpq_sub(diff, qa, qb);
            mpq_mul(prod, qa, qb);
            DecData r, x = a, y = b;
            ASSERT_TRUE(addDec(r, a, b)) << g << " " << i << j;
            EXPECT_TRUE(isDec(r, sum)) << g << " " << i << j;
            ASSERT_TRUE(subDec(x, x, b));
            EXPECT_TRUE(isDec(x, diff)) << g << " " << i << j;
            // Products of two 10^5-digit mantissas pass kMaxDecDigits: refused, y kept.
            bool ok = mulDec(y, a, y);
            EXPECT_TRUE(ok || g == 100000) << i << j;
            if (ok) EXPECT_TRUE(isDec(y, prod)) << g << " " << i << j;
            else EXPECT_TRUE(mpq_equal(valueOf(y), qb)) << i << j;
            ASSERT_TRUE(subDec(y, y, y));
            EXPECT_TRUE(isDec(y, Mpq("0")));
            EXPECT_EQ(compareDecToDec(a, b), sgn(mpq_cmp(qa, qb))) << g << " " << i << j;
        }
        std::string ten = "1" + std::string(std::size_t(g), '0');
        EXPECT_EQ(str(make(("3141595" + ten.substr(1)).c_str(), 0, 0, -6 - g, -1)), "3.14159") << g;
        EXPECT_EQ(str(make(("-3141595" + ten.substr(1)).c_str(), 0, 0, -6 - g)), "-3.14160") << g;
    }
}

// Fixed-point text: the examples, then random values against exact rounding.
TEST_F(Dec, FixedTextRoundsHalfAwayFromZero) {
    struct Case {
        int places;
        char const *text, *want;
    } const cases[] = {
        {5, "1.5", "1.50000"}, {5, "0.05", "0.05000"}, {5, "123.456789", "123.45679"}, {5, "2.000005", "2.00001"},
        {5, "-2.000005", "-2.00001"}, {5, "2.0000049", "2.00000"}, {5, "1E20", "100000000000000000000.00000"},
        {5, "0", "0.00000"}, {5, "-0.000004", "-0.00000"}, {5, "-0.0000049", "-0.00000"}, {5, "-0.0000004", "0.00000"},
        {0, "2.5", "3."}, {0, "-0.4", "-0."}, {0, "0", "0."}, {1, "0.04", "0.0"}, {1, "-0.05", "-0.1"},
        {2, "0.125", "0.13"}, {2, "-0.125", "-0.13"}, {-2, "1234.5", "1200."}, {-2, "-49", "-0."}, {-2, "49", "0."},
        {-1, "-55", "-60."}, {-1, "0.04", "0."}, {INT_MIN, "-1e300", "0."},
    };
    for (Case const& c : cases) {
        scale = c.places;
        EXPECT_EQ(str(dec(c.text)), c.want) << c.text << " at " << c.places;
    }
    Generator g(8102);
    for (int i = 0; i < 3000; ++i) {
        DecData d = randomDec(g, 30, 20);
        int places = g.intIn(0, 12);
        Mpq v = valueOf(d), v1 = valueOf(d);
        mpq_mul(v, v, pow10q(places));
        mpq_mul(v1, v1, pow10q(places + 1));
        // Digits rounded at `places`; the sign stays while |v| cut to places + 1 is not zero.
        bool negative = false;
        Mpz cut;
        std::string digits = roundedAbs(v, &negative).str();
        mpz_tdiv_q(cut, num(v1), den(v1));
        std::string want = negative && cut.sign() != 0 ? "-" : "";
        if (digits.size() <= std::size_t(places)) digits.insert(0, std::size_t(places) + 1 - digits.size(), '0');
        want += digits.substr(0, digits.size() - std::size_t(places)) + "." + digits.substr(digits.size() - std::size_t(places));
        scale = places;
        EXPECT_EQ(str(d), want) << str2(d) << " at " << places;
    }
    scale = 5;
}

TEST_F(Dec, TextReaderTable) {
    struct Case {
        char const* text;
        char const* want;  // exact text, or nullptr when refused
    } const cases[] = {
        {"0", "0e0"}, {"7", "7e0"}, {"007", "7e0"}, {"-12", "-12e0"}, {"+12", "12e0"}, {"  12", "12e0"}, {"12  ", "12e0"},
        {"1.25", "125e-2"}, {"1.", "1e0"}, {".5", "5e-1"}, {"-.5", "-5e-1"}, {"+.25", "25e-2"}, {"0.05", "5e-2"},
        {"1.50", "15e-1"}, {"1e5", "1e5"}, {"1E+05", "1e5"}, {"1.25e-2", "125e-4"}, {".5e1", "5e0"}, {"1.e3", "1e3"},
        {"0.0", "0e0"}, {"00", "0e0"}, {"-0", "0e0"}, {"0e7", "0e0"}, {"12 34", "12e0"}, {"12-3", "12e0"},
        {"1.5.3", "15e-1"}, {"1..5", "1e0"}, {"1e5.5", "1e5"}, {"1e5e6", "1e5"}, {"", "0e0"}, {"1500", "15e2"},
        {"-0.000", "0e0"}, {"1e-2147483648", "1e-2147483648"}, {"120e2147483646", "12e2147483647"},
        {"1e000000000000005", "1e5"}, {".", nullptr}, {"-", nullptr}, {"e", nullptr}, {" ", nullptr}, {"   ", nullptr},
        {"e5", nullptr}, {"+e5", nullptr}, {"--5", nullptr}, {"+-5", nullptr}, {"- 5", nullptr}, {"+.", nullptr},
        {"..5", nullptr}, {".5.3", nullptr}, {"-.5.1", nullptr}, {"1,5", nullptr}, {"1_000", nullptr}, {"12a", nullptr},
        {"0x1F", nullptr}, {"1e5x", nullptr}, {"1e+-5", nullptr}, {"1ee5", nullptr}, {"1e.5", nullptr}, {"1e 5", nullptr},
        {"1\t2", nullptr}, {"1\xc3\xa9", nullptr}, {"1e2147483648", nullptr}, {"1.5e-2147483648", nullptr},
        {"1e0000000000000005", nullptr}, {"1000e2147483647", nullptr}, {"1e+", nullptr}, {"1e-", nullptr},
    };
    for (Case const& c : cases) {
        DecData d = dec("99");
        bool ok = getDec_Str(d, c.text);
        EXPECT_EQ(ok, c.want != nullptr) << "[" << c.text << "]";
        if (ok) {
            EXPECT_EQ(str2(d), c.want) << "[" << c.text << "]";
            EXPECT_TRUE(normalDec(d));
        }
    }
    DecData d;
    EXPECT_FALSE(getDec_Str(d, nullptr));
    EXPECT_FALSE(getDec_Str(d, "100e"));  // the digits read before the bad exponent stay
    EXPECT_EQ(toMpz(d.mantissa), Mpz(100));
    EXPECT_EQ(d.exponent, 0);
    EXPECT_FALSE(getDec_Str(d, std::string(std::size_t(kMaxDecDigits) + 1, '7').c_str()));
    EXPECT_TRUE(getDec_Str(d, ("1" + std::string(std::size_t(kMaxDecDigits) + 1, '0')).c_str()));
    Generator g(8103);
    for (int i = 0; i < 1000; ++i) {
        DecData x = randomDec(g), back;
        ASSERT_TRUE(getDec_Str(back, str2(x).c_str()));
        EXPECT_TRUE(isDec(back, valueOf(x)));
    }
}

TEST_F(Dec, DoublesInAndOut) {
    const std::pair<double, char const*> cases[] = {
        {0.1, "1e-1"}, {9007199254740992.0, "9007199254741e3"}, {1.0 / 3, "33333333333333e-14"}, {1e300, "1e300"},
        {4.9406564584124654e-324, "49406564584125e-337"}, {NAN, "0e0"}, {INFINITY, "0e0"}, {-INFINITY, "0e0"},
        {-0.0, "0e0"}, {-2.5, "-25e-1"}};
    for (auto [x, want] : cases) {
        DecData d;
        getDec_d(d, x);
        EXPECT_EQ(str2(d), want) << x;
    }
    EXPECT_EQ(compareDecToDouble(dec("0.1"), 0.1), 0);
    EXPECT_EQ(compareDecToDouble(dec("0.33333333333333"), 1.0 / 3), 0);
    EXPECT_EQ(compareDecToDouble(dec("0.333333333333333"), 1.0 / 3), 1);
    EXPECT_EQ(getDouble_Dec(dec("1000000000000000000000000000000e-330")), 1e-300);  // once 0
    EXPECT_EQ(getDouble_Dec(dec("1e-400")), 0.0);
    EXPECT_EQ(getDouble_Dec(dec("-2e400")), -INFINITY);
    Generator g(8104);
    MpfrRange range;
    Mpfr exact(4000);
    for (int i = 0; i < 6000; ++i) {
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
        // Out: the correctly rounded double wherever a factor or the product is not a
        // normal double; elsewhere the mantissa passes a 16-digit text, within six units.
        mpfr_set_q(exact.get(), valueOf(other), MPFR_RNDN);
        double right = mpfr_get_d(exact.get(), MPFR_RNDN), got = getDouble_Dec(other);
        int64 digits = int64(toMpz(other.mantissa).str().size());
        if (std::fabs(right) >= DBL_MIN && std::fabs(right) <= DBL_MAX && digits <= 300 && other.exponent >= -307 &&
            other.exponent <= 308) {
            EXPECT_LE(std::fabs(got - right), 6 * (std::nextafter(std::fabs(right), INFINITY) - std::fabs(right)));
        } else {
            EXPECT_EQ(got, right) << str2(other);
        }
    }
    std::string scratch;
    if (!commaLocale(scratch)) GTEST_SKIP() << "no locale with a decimal comma";
    DecData d;
    getDec_d(d, -1.5);
    std::string text = str2(d);
    leaveCommaLocale(scratch);
    EXPECT_EQ(text, "-15e-1");
}

TEST_F(Dec, CurrencyBothWays) {
    const std::pair<long long, char const*> ins[] = {
        {12345, "12345e-4"}, {10000, "1e0"}, {-250000, "-25e0"}, {1, "1e-4"}, {125, "125e-4"}, {0, "0e0"},
        {LLONG_MIN, "-9223372036854775808e-4"}, {LLONG_MAX, "9223372036854775807e-4"}};
    for (auto [c, want] : ins) {
        DecData d;
        getDec_Curr(d, c);
        EXPECT_EQ(str2(d), want);
    }
    // Out; 42: refused, the output left as it was.
    const std::pair<char const*, long long> outs[] = {
        {"1.23456", 12346}, {"-1.23455", -12346}, {"1.2345499", 12345}, {"0.00004", 0}, {"-0.00004", 0},
        {"922337203685477.5807", LLONG_MAX}, {"-922337203685477.5808", LLONG_MIN}, {"922337203685477.58074", LLONG_MAX},
        {"922337203685477.58075", 42}, {"-922337203685477.58075", 42}, {"1E15", 42}, {"1e20", 42},
        {"1e2000000000", 42}, {"1e-2000000000", 0}};
    for (auto [t, want] : outs) {
        long long v = 42;
        EXPECT_EQ(getCurr_Dec(v, dec(t)), want != 42) << t;
        EXPECT_EQ(v, want) << t;
    }
    Generator g(8105);
    for (int i = 0; i < 3000; ++i) {
        long long c = static_cast<long long>(g.engine()() >> g.intIn(0, 63)) * (g.coin() ? -1 : 1), back = 0;
        DecData d;
        getDec_Curr(d, c);
        Mpq want(std::to_string(c).c_str());
        mpq_mul(want, want, pow10q(-4));
        EXPECT_TRUE(isDec(d, want));
        EXPECT_TRUE(getCurr_Dec(back, d));
        EXPECT_EQ(back, c);
        // Random decimals: |v| * 10^4 rounded half up fits or is refused.
        DecData x = randomDec(g, 22, 12);
        Mpq v = valueOf(x);
        mpq_mul(v, v, pow10q(4));
        bool negative = false;
        Mpz r = roundedAbs(v, &negative);
        bool fits = mpz_cmp(r, Mpz("9223372036854775807")) <= 0;
        long long out = 7;
        ASSERT_EQ(getCurr_Dec(out, x), fits) << str2(x);
        if (fits) {
            EXPECT_EQ(std::to_string(out), (negative && r.sign() != 0 ? "-" : "") + r.str());
        }
    }
}

// d is the exact value rounded half up to n significant digits, or, where the exact
// value lies within the fp working error of a rounding boundary, its neighbour. A
// negative slackBits allows no neighbour.
::testing::AssertionResult roundedTo(DecData const& d, mpq_srcptr exact, int n, int slackBits) {
    if (sign(exact) == 0) return isDec(d, exact);
    Mpq v, scaled, lo = pow10q(n - 1), hi = pow10q(n);
    mpq_abs(v, exact);
    int64 k = n - int64(mpz_sizeinbase(num(v), 10)) + int64(mpz_sizeinbase(den(v), 10));
    for (;;) {
        scaled = v;
        mpq_mul(scaled, scaled, pow10q(k));
        if (mpq_cmp(scaled, lo) < 0) {
            ++k;
        } else if (mpq_cmp(scaled, hi) >= 0) {
            --k;
        } else {
            break;
        }
    }
    Mpz r = roundedAbs(scaled);
    Mpq want, rq, dist = scaled, margin = hi, diff;
    mpq_set_z(want, r);
    mpq_set_z(rq, r);
    mpq_mul(want, want, pow10q(-k));
    if (sign(exact) < 0) mpq_neg(want, want);
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
    if (slackBits >= 0 && mpq_cmp(dist, margin) <= 0 && mpq_equal(diff, pow10q(-k)) != 0) return normalDec(d);
    return ::testing::AssertionFailure() << str2(d) << " is not " << text(exact) << " to " << n << " digits";
}

// Division (exact: no neighbour allowed), fp values to decimal and the four powers at
// N = 1..100 digits; x ^ k for small integers k has an exact value to round.
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
            DecData a = randomDec(g, 60, 50), b = randomDec(g, 60, 50), r, x;
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
            if (i >= 4) continue;
            DecData p = randomDec(g, 12, 6), e;
            if (toMpz(p.mantissa).sign() == 0) p = dec("1.25");
            int k = g.intIn(-12, 12);
            getDec_d(e, k);
            Mpq want = power(valueOf(p), k);
            ASSERT_TRUE(pow(r, p, k));
            EXPECT_TRUE(roundedTo(r, want, n, 16)) << str2(p) << "^" << k;
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
    DecData r = dec("5"), x = dec("1.5");
    ASSERT_TRUE(divDec(r, dec("2"), dec("3")));
    EXPECT_EQ(str2(r), "66667e-5");
    EXPECT_TRUE(pow(r, dec("2"), dec("10")));
    EXPECT_EQ(str2(r), "1024e0");
    EXPECT_TRUE(pow(r, dec("4"), dec("0.5")));
    EXPECT_EQ(str2(r), "2e0");
    EXPECT_TRUE(pow(r, dec("7"), 0));
    EXPECT_EQ(str2(r), "1e0");
    EXPECT_EQ(str2(pow(dec("3"), -2)), str2(pow(dec("3"), dec("-2"))));
    DecData y = pow(x, x);
    EXPECT_TRUE(pow(x, x, x));
    EXPECT_EQ(str2(x), str2(y));
    // Refused powers store zero.
    for (int j = 0; j < 3; ++j) {
        r = dec("5");
        EXPECT_FALSE(j == 0 ? pow(r, dec("-8"), 0.5) : j == 1 ? pow(r, -8.0, dec("0.5")) : pow(r, dec("1e700000000"), 2));
        EXPECT_EQ(str2(r), "0e0") << j;
    }
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

TEST_F(Dec, BridgeToFp) {
    Generator g(8107);
    for (int bp = 1; bp <= 8; ++bp) {
        PrecScope p(bp);
        for (int i = 0; i < 100; ++i) {
            DecData d = randomDec(g, 80, 400);
            fp x;
            ASSERT_TRUE(DecToRR(x, d));
            Mpq err = valueOf(x), v = valueOf(d);
            mpq_sub(err, err, v);
            mpq_abs(err, err);
            mpq_abs(v, v);
            mpq_div_2exp(v, v, static_cast<mp_bitcnt_t>(32 * bp - 8));
            EXPECT_LE(mpq_cmp(err, v), 0) << str2(d) << " at " << bp;
        }
    }
    fp x(3.0);
    EXPECT_FALSE(DecToRR(x, dec("1e700000000")));
    EXPECT_TRUE(!x);
    EXPECT_FALSE(DecToRR(x, dec("-1e-700000000")));
    DecData r;
    RRtoDec(r, fp());
    EXPECT_EQ(str2(r), "0e0");
}

}  // namespace
