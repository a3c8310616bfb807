// The operators of mb, the int and double operand forms of the integer arithmetic, and
// the stream operators. Tables pin the forwarding (const and non-const forms, scalar
// conversion, refused divisions); GMP checks every operator on random operands.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <string>
#include <type_traits>
#include <vector>

#include "fp.h"
#include "fp_oracle.h"
#include "mb.h"
#include "mbConv.h"
#include "mbMath.h"
#include "mbMod.h"

namespace {

using namespace oracle;

// Sends std::cerr into a string for one scope.
class CerrCapture {
public:
    CerrCapture() : saved_(std::cerr.rdbuf(buf_.rdbuf())) {}
    ~CerrCapture() { std::cerr.rdbuf(saved_); }
    CerrCapture(CerrCapture const&) = delete;
    CerrCapture& operator=(CerrCapture const&) = delete;
    std::string text() const { return buf_.str(); }

private:
    std::ostringstream buf_;
    std::streambuf* saved_;
};

// 2^70 is exact as a double, but its text "1.18059162071741130e+21" is what gets read.
double const kTwo70 = std::ldexp(1.0, 70);
char const* const kTwo70Text = "1180591620717411300000";
char const* const kA = "0x123456789ABCDEF0FEDCBA9876543210";
char const* const kB = "-0xFFFFFFFF00000001";
// The same numbers in decimal, for the expected values worked out beside them.
char const* const kAdec = "24197857203266734881846307747534221840";
char const* const kMinusA = "-24197857203266734881846307747534221840";

// ---- references ----

Mpz tdivQ(Mpz const& x, Mpz const& y) {
    Mpz q;
    mpz_tdiv_q(q, x, y);
    return q;
}

// The integer that a double becomes: its "%.17e" text read as an exact rational and
// cut toward zero.
Mpz truncatedText(double d) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.17e", d);
    std::string s(buf), digits;
    std::size_t e = s.find('e');
    for (std::size_t i = 0; i < e; ++i)
        if (s[i] != '.') digits += s[i];
    long exp10 = std::strtol(s.c_str() + e + 1, nullptr, 10) - 17;
    Mpz num, den(1), ten(10), p;
    mpz_set_str(num, digits.c_str(), 10);
    mpz_pow_ui(p, ten, static_cast<unsigned long>(exp10 < 0 ? -exp10 : exp10));
    if (exp10 >= 0)
        mpz_mul(num, num, p);
    else
        den = p;
    Mpq q;
    mpq_set_num(q, num);
    mpq_set_den(q, den);
    mpq_canonicalize(q);
    mpq_srcptr qp = q;
    Mpz z;
    mpz_tdiv_q(z, mpq_numref(qp), mpq_denref(qp));
    return z;
}

// ---- operators on fixed operands ----

using MbFn = mb (*)(mb&, mb&);
using MbConstFn = mb (*)(mb const&, mb const&);

// One expression as a function called through non-const objects, and through const
// references; BOTH gives both forms, ONLY the first where the operator has no const form.
#define MUT_FORM(T, e)                \
    [](mb& x, mb& y) -> T {           \
        (void)x;                      \
        (void)y;                      \
        return e;                     \
    }
#define CONST_FORM(T, e)                      \
    [](mb const& x, mb const& y) -> T {       \
        (void)x;                              \
        (void)y;                              \
        return e;                             \
    }
#define BOTH(e) MUT_FORM(mb, e), CONST_FORM(mb, e)
#define ONLY(e) MUT_FORM(mb, e), nullptr

struct MbCase {
    char const* expr;
    MbFn mut;
    MbConstFn cst;  // null where the operator has no const form
    char const* x;
    char const* y;
    char const* want;
    char const* xAfter;  // null: x keeps its value
};

std::vector<MbCase> const kMbCases = {
    {"-x", BOTH(-x), "5", "0", "-5", nullptr},
    {"-x", BOTH(-x), "0", "0", "0", nullptr},
    {"-x", BOTH(-x), kA, "0", kMinusA, nullptr},
    {"x + y", BOTH(x + y), kA, kB, "24197857203266734863399563678119637519", nullptr},
    {"x - y", BOTH(x - y), kA, kB, "24197857203266734900293051816948806161", nullptr},
    {"x * y", BOTH(x * y), kA, kB, "-446371678856901621304965091474252922825418781745799770640", nullptr},
    {"x + y", BOTH(x + y), "0", "-9", "-9", nullptr},
    {"x - y", BOTH(x - y), "0", "9", "-9", nullptr},
    {"x * y", BOTH(x * y), kA, "0", "0", nullptr},
    {"x / y", BOTH(x / y), kA, kB, "-1311768467769210217", nullptr},
    {"x / y", BOTH(x / y), "7", "2", "3", nullptr},
    {"x / y", BOTH(x / y), "-7", "2", "-3", nullptr},
    {"x / y", BOTH(x / y), "7", "-2", "-3", nullptr},
    {"x / y", BOTH(x / y), "7", "0", "0", nullptr},
    {"x / y", BOTH(x / y), "0", "5", "0", nullptr},
    {"x % y", BOTH(x % y), "7", "4", "-1", nullptr},
    {"x % y", BOTH(x % y), "6", "4", "2", nullptr},
    {"x % y", BOTH(x % y), "-7", "4", "1", nullptr},
    {"x % y", BOTH(x % y), "7", "-4", "-1", nullptr},
    {"x % y", BOTH(x % y), "5", "2", "1", nullptr},
    {"x % y", BOTH(x % y), "-5", "2", "1", nullptr},
    {"x % y", BOTH(x % y), "-4", "2", "0", nullptr},
    {"x % y", BOTH(x % y), "7", "1", "0", nullptr},
    {"x % y", BOTH(x % y), "7", "0", "0", nullptr},
    {"x % y", BOTH(x % y), "0", "5", "0", nullptr},
    {"x % y", BOTH(x % y), kA, kB, "-7378697697401570138", nullptr},
    {"x += y", ONLY(x += y), kA, kB, "24197857203266734863399563678119637519",
     "24197857203266734863399563678119637519"},
    {"x -= y", ONLY(x -= y), "3", "10", "-7", "-7"},
    {"x *= y", ONLY(x *= y), "-6", "7", "-42", "-42"},
    {"x /= y", ONLY(x /= y), "-43", "7", "-6", "-6"},
    {"x /= y", ONLY(x /= y), "43", "0", "43", nullptr},
    {"x += x", ONLY(x += x), "5", "0", "10", "10"},
    {"x -= x", ONLY(x -= x), kA, "0", "0", "0"},
    {"x *= x", ONLY(x *= x), "-5", "0", "25", "25"},
    {"x /= x", ONLY(x /= x), kB, "0", "1", "1"},
    {"x % x", BOTH(x % x), kA, "0", "0", nullptr},
    // double operands: cut toward zero through their text
    {"x + 2.9", BOTH(x + 2.9), "10", "0", "12", nullptr},
    {"x + -2.9", BOTH(x + -2.9), "10", "0", "8", nullptr},
    {"x - 2.9", BOTH(x - 2.9), "10", "0", "8", nullptr},
    {"x - -2.9", BOTH(x - -2.9), "10", "0", "12", nullptr},
    {"x * 2.9", BOTH(x * 2.9), "10", "0", "20", nullptr},
    {"x * -0.5", BOTH(x * -0.5), "10", "0", "0", nullptr},
    {"x + 0.0", BOTH(x + 0.0), kA, "0", kAdec, nullptr},
    {"x / 2.9", BOTH(x / 2.9), "10", "0", "5", nullptr},
    {"x / -3.5", BOTH(x / -3.5), "10", "0", "-3", nullptr},
    {"x / 0.5", BOTH(x / 0.5), "10", "0", "0", nullptr},
    {"x / 0.0", BOTH(x / 0.0), "10", "0", "0", nullptr},
    {"x % 4.7", BOTH(x % 4.7), "7", "0", "-1", nullptr},
    {"x % 2.0", BOTH(x % 2.0), "-5", "0", "1", nullptr},
    {"x % 0.5", BOTH(x % 0.5), "7", "0", "0", nullptr},
    {"x % -3.0", BOTH(x % -3.0), "7", "0", "0", nullptr},
    {"x % 0.0", BOTH(x % 0.0), "7", "0", "0", nullptr},
    {"x % 3.0", BOTH(x % 3.0), "0", "0", "0", nullptr},
    {"x + 1e20", BOTH(x + 1e20), kA, "0", "24197857203266734981846307747534221840", nullptr},
    {"x + 2^70", BOTH(x + kTwo70), "0", "0", kTwo70Text, nullptr},
    {"x - 2^70", BOTH(x - kTwo70), kA, "0", "24197857203266733701254687030122921840", nullptr},
    {"x / 2^70", BOTH(x / kTwo70), kA, "0", "20496382304121723", nullptr},
    {"x % 2^70", BOTH(x % kTwo70), kA, "0", "-206603533625546978160", nullptr},
    {"x * 2^70", BOTH(x * kTwo70), kA, "0", "28567787453493160019679393573020684008883578684722792000000", nullptr},
    {"x += 2.9", ONLY(x += 2.9), "10", "0", "12", "12"},
    {"x -= 2.9", ONLY(x -= 2.9), "10", "0", "8", "8"},
    {"x *= 2.9", ONLY(x *= 2.9), "10", "0", "20", "20"},
    {"x /= 2.9", ONLY(x /= 2.9), "10", "0", "5", "5"},
    {"x /= 0.5", ONLY(x /= 0.5), "10", "0", "10", nullptr},
    {"x += -0.7", ONLY(x += -0.7), "10", "0", "10", nullptr},
    // shifts: a new value, the magnitude shifted and the sign kept
    {"x << 3", ONLY(x << 3), "5", "0", "40", nullptr},
    {"x << 3", ONLY(x << 3), "-5", "0", "-40", nullptr},
    {"x >> 3", ONLY(x >> 3), "41", "0", "5", nullptr},
    {"x >> 3", ONLY(x >> 3), "-41", "0", "-5", nullptr},
    {"x << 40", ONLY(x << 40), kA, "0", "26605825362255014574651472863746792305563889827840", nullptr},
    {"x >> 37", ONLY(x >> 37), kMinusA, "0", "-176062583365031859152414164", nullptr},
    {"x >> 200", ONLY(x >> 200), kA, "0", "0", nullptr},
    {"x << 5", ONLY(x << 5), "0", "0", "0", nullptr},
    {"x << 0", ONLY(x << 0), kB, "0", kB, nullptr},
    // two's-complement logic with mb and int operands
    {"x & y", BOTH(x & y), "12", "10", "8", nullptr},
    {"x | y", BOTH(x | y), "12", "3", "15", nullptr},
    {"x ^ y", BOTH(x ^ y), "12", "10", "6", nullptr},
    {"x & y", BOTH(x & y), "-1", "255", "255", nullptr},
    {"x | y", BOTH(x | y), "-2", "1", "0xFFFFFFFF", nullptr},
    {"x ^ y", BOTH(x ^ y), "-1", "0x100000000", "0xFFFFFFFEFFFFFFFF", nullptr},
    {"x & 6", BOTH(x & 6), "-3", "0", "4", nullptr},
    {"x | 7", BOTH(x | 7), "0", "0", "7", nullptr},
    {"x ^ 5", BOTH(x ^ 5), "0x100000000", "0", "0x100000005", nullptr},
    {"x | -1", BOTH(x | -1), "0x100000000", "0", "0xFFFFFFFFFFFFFFFF", nullptr},
    {"x & -1", BOTH(x & -1), "0x100000000", "0", "0x100000000", nullptr},
    {"x & INT_MIN", BOTH(x & INT_MIN), "-1", "0", "0x80000000", nullptr},
    {"x &= y", ONLY(x &= y), "12", "10", "8", "8"},
    {"x |= y", ONLY(x |= y), "12", "3", "15", "15"},
    {"x ^= y", ONLY(x ^= y), "-1", "0x100000000", "0xFFFFFFFEFFFFFFFF", "0xFFFFFFFEFFFFFFFF"},
    {"x ^= x", ONLY(x ^= x), kA, "0", "0", "0"},
    {"x &= 6", ONLY(x &= 6), "-3", "0", "4", "4"},
    {"x |= 7", ONLY(x |= 7), "8", "0", "15", "15"},
    {"x ^= 5", ONLY(x ^= 5), "0x100000000", "0", "0x100000005", "0x100000005"},
    // steps through the double forms
    {"++x", ONLY(++x), "5", "0", "6", "6"},
    {"--x", ONLY(--x), "5", "0", "4", "4"},
    {"x++", ONLY(x++), "5", "0", "5", "6"},
    {"x--", ONLY(x--), "5", "0", "5", "4"},
    {"++x", ONLY(++x), "-1", "0", "0", "0"},
    {"x++", ONLY(x++), "0xFFFFFFFF", "0", "0xFFFFFFFF", "0x100000000"},
    {"--x", ONLY(--x), "0x100000000", "0", "0xFFFFFFFF", "0xFFFFFFFF"},
    {"x--", ONLY(x--), "0", "0", "0", "-1"},
    // a double on the left: d op y, not y op d
    {"5.0 - y", BOTH(5.0 - y), "0", "3", "2", nullptr},
    {"5.9 - y", BOTH(5.9 - y), "0", "3", "2", nullptr},
    {"-5.5 - y", BOTH(-5.5 - y), "0", "3", "-8", nullptr},
    {"5.0 + y", BOTH(5.0 + y), "0", "-3", "2", nullptr},
    {"2.9 * y", BOTH(2.9 * y), "0", "7", "14", nullptr},
    {"7.9 / y", BOTH(7.9 / y), "0", "2", "3", nullptr},
    {"-7.0 / y", BOTH(-7.0 / y), "0", "2", "-3", nullptr},
    {"5.0 / y", BOTH(5.0 / y), "0", "0", "0", nullptr},
    {"0.5 / y", BOTH(0.5 / y), "0", "1", "0", nullptr},
    {"2^70 - y", BOTH(kTwo70 - y), "0", "0", kTwo70Text, nullptr},
    {"1e20 / y", BOTH(1e20 / y), "0", "-7", "-14285714285714285714", nullptr},
};

#undef BOTH
#undef ONLY

TEST(MbOperators, TableOfExpressions) {
    PrecScope prec(5);
    for (auto const& c : kMbCases) {
        SCOPED_TRACE(testing::Message() << c.expr << " with x = " << c.x << ", y = " << c.y);
        Mpz want(c.want), xWant(c.xAfter != nullptr ? c.xAfter : c.x), yWant(c.y);
        {
            mb x = toMb(c.x), y = toMb(c.y);
            mb z = c.mut(x, y);
            EXPECT_TRUE(isNormalValue(z, want)) << "non-const form";
            EXPECT_TRUE(isNormalValue(x, xWant)) << "x after the non-const form";
            EXPECT_TRUE(isNormalValue(y, yWant)) << "y after the non-const form";
        }
        if (c.cst != nullptr) {
            mb const x = toMb(c.x), y = toMb(c.y);
            mb z = c.cst(x, y);
            EXPECT_TRUE(isNormalValue(z, want)) << "const form";
            EXPECT_TRUE(isNormalValue(x, Mpz(c.x))) << "x after the const form";
            EXPECT_TRUE(isNormalValue(y, yWant)) << "y after the const form";
        }
        EXPECT_EQ(blockPrec, 5);
    }
}

using BoolFn = bool (*)(mb&, mb&);
using BoolConstFn = bool (*)(mb const&, mb const&);

#define BOTH(e) MUT_FORM(bool, e), CONST_FORM(bool, e)
#define ONLY(e) MUT_FORM(bool, e), nullptr

struct BoolCase {
    char const* expr;
    BoolFn mut;
    BoolConstFn cst;
    char const* x;
    char const* y;
    bool want;
};

std::vector<BoolCase> const kBoolCases = {
    {"x > y", BOTH(x > y), "3", "3", false},
    {"x >= y", BOTH(x >= y), "3", "3", true},
    {"x == y", BOTH(x == y), "3", "3", true},
    {"x != y", BOTH(x != y), "3", "3", false},
    {"x <= y", BOTH(x <= y), "3", "3", true},
    {"x < y", BOTH(x < y), "3", "3", false},
    {"x > y", BOTH(x > y), "-5", "3", false},
    {"x >= y", BOTH(x >= y), "-5", "3", false},
    {"x == y", BOTH(x == y), "-5", "3", false},
    {"x != y", BOTH(x != y), "-5", "3", true},
    {"x <= y", BOTH(x <= y), "-5", "3", true},
    {"x < y", BOTH(x < y), "-5", "3", true},
    {"x > y", BOTH(x > y), kA, kB, true},
    {"x < y", BOTH(x < y), kB, "0", true},
    {"x == y", BOTH(x == y), "0", "0", true},
    {"x == y", BOTH(x == y), "0x100000003", "3", false},
    {"x > 3", ONLY(x > 3), "3", "0", false},
    {"x >= 3", ONLY(x >= 3), "3", "0", true},
    {"x == 3", ONLY(x == 3), "3", "0", true},
    {"x != 3", ONLY(x != 3), "3", "0", false},
    {"x > 3", ONLY(x > 3), "4", "0", true},
    {"x >= 3", ONLY(x >= 3), "2", "0", false},
    {"x == 3", ONLY(x == 3), "0x100000003", "0", false},
    {"x > 3", ONLY(x > 3), "0x100000003", "0", true},
    {"x == 0", ONLY(x == 0), "0", "0", true},
    {"x == 0", ONLY(x == 0), "1", "0", false},
    {"x == 0", ONLY(x == 0), "-1", "0", false},
    {"x != 0", ONLY(x != 0), "0", "0", false},
    {"x > -2", ONLY(x > -2), "-1", "0", true},
    {"x >= -2", ONLY(x >= -2), "-3", "0", false},
    {"x == INT_MIN", ONLY(x == INT_MIN), "-2147483648", "0", true},
    {"x == INT_MAX", ONLY(x == INT_MAX), "2147483647", "0", true},
    {"!x", BOTH(!x), "0", "0", true},
    {"!x", BOTH(!x), "5", "0", false},
    {"!x", BOTH(!x), "-5", "0", false},
    {"!x", BOTH(!x), kA, "0", false},
};

#undef BOTH
#undef ONLY
#undef MUT_FORM
#undef CONST_FORM

TEST(MbOperators, TableOfComparisons) {
    for (auto const& c : kBoolCases) {
        SCOPED_TRACE(testing::Message() << c.expr << " with x = " << c.x << ", y = " << c.y);
        {
            mb x = toMb(c.x), y = toMb(c.y);
            EXPECT_EQ(c.mut(x, y), c.want) << "non-const form";
            EXPECT_TRUE(isNormalValue(x, Mpz(c.x)));
        }
        if (c.cst != nullptr) {
            mb const x = toMb(c.x), y = toMb(c.y);
            EXPECT_EQ(c.cst(x, y), c.want) << "const form";
        }
    }
}

TEST(MbOperators, CompoundAndPrefixFormsReturnTheObject) {
    mb x = toMb(12), y = toMb(5);
    EXPECT_EQ(&(x += y), &x);
    EXPECT_EQ(&(x -= y), &x);
    EXPECT_EQ(&(x *= y), &x);
    EXPECT_EQ(&(x /= y), &x);
    EXPECT_EQ(&(x /= mb()), &x);
    EXPECT_EQ(&(x += 2.5), &x);
    EXPECT_EQ(&(x -= 2.5), &x);
    EXPECT_EQ(&(x *= 2.5), &x);
    EXPECT_EQ(&(x /= 2.5), &x);
    EXPECT_EQ(&(x &= y), &x);
    EXPECT_EQ(&(x |= y), &x);
    EXPECT_EQ(&(x ^= y), &x);
    EXPECT_EQ(&(x &= 7), &x);
    EXPECT_EQ(&(x |= 7), &x);
    EXPECT_EQ(&(x ^= 7), &x);
    EXPECT_EQ(&(++x), &x);
    EXPECT_EQ(&(--x), &x);
    // 12 through the ring steps, then 12 & 5 = 4, 4 | 5 = 5, 5 ^ 5 = 0, & 7, | 7, ^ 7, +1, -1.
    EXPECT_TRUE(isNormalValue(x, Mpz(0)));
    static_assert(std::is_same<decltype(x++), mb>::value, "postfix returns a value");
    static_assert(std::is_same<decltype(x << 1), mb>::value, "shift returns a new value");
}

TEST(MbOperators, PostfixReturnsAnIndependentCopy) {
    mb x = toMb(5);
    mb old = x++;
    EXPECT_TRUE(isNormalValue(old, Mpz(5)));
    EXPECT_TRUE(isNormalValue(x, Mpz(6)));
    EXPECT_NE(old.blocks, x.blocks);
    x += toMb("0x1000000000000000000000000");  // grows x's array
    x = 0;                                      // and releases it
    x--;
    EXPECT_TRUE(isNormalValue(old, Mpz(5)));
    EXPECT_TRUE(isNormalValue(x, Mpz(-1)));

    mb y = toMb(kA);
    mb before = y--;
    EXPECT_NE(before.blocks, y.blocks);
    y = toMb(kB);
    EXPECT_TRUE(isNormalValue(before, Mpz(kA)));
}

TEST(MbOperators, NegationCopiesTheWords) {
    mb x = toMb(kA);
    mb n = -x;
    EXPECT_NE(n.blocks, x.blocks);
    x = 0;
    EXPECT_TRUE(isNormalValue(n, Mpz(kMinusA)));
    mb z;
    mb nz = -z;
    EXPECT_TRUE(isNormalValue(nz, Mpz(0)));
}

// Infinities and NaNs convert to zero: an operand that adds nothing, a divisor refused.
TEST(MbOperators, NonFiniteDoublesCountAsZero) {
    double const inf = HUGE_VAL, nan = std::nan("");
    mb const x = toMb(kA);
    for (double d : {inf, -inf, nan}) {
        SCOPED_TRACE(testing::Message() << "d = " << d);
        EXPECT_TRUE(isNormalValue(x + d, Mpz(kA)));
        EXPECT_TRUE(isNormalValue(x - d, Mpz(kA)));
        EXPECT_TRUE(isNormalValue(x * d, Mpz(0)));
        EXPECT_TRUE(isNormalValue(x / d, Mpz(0)));
        EXPECT_TRUE(isNormalValue(x % d, Mpz(0)));
        EXPECT_TRUE(isNormalValue(d - x, Mpz(kMinusA)));
        EXPECT_TRUE(isNormalValue(d / x, Mpz(0)));
        mb t = x;
        t /= d;
        EXPECT_TRUE(isNormalValue(t, Mpz(kA)));
        mb z = toMb(99);
        EXPECT_FALSE(div(z, x, d));
        EXPECT_TRUE(isNormalValue(z, Mpz(99)));
    }
}

// ---- operand forms of the arithmetic ----

using FormFn = mb (*)(mb const&);

struct FormCase {
    char const* call;
    FormFn fn;
    char const* x;
    char const* want;
};

#define FORM(e)                     \
    [](mb const& x) -> mb {         \
        mb z = toMb(99);            \
        (void)x;                    \
        e;                          \
        return z;                   \
    }

std::vector<FormCase> const kFormCases = {
    {"add(z, x, 2)", FORM(add(z, x, 2)), "10", "12"},
    {"add(z, 2, x)", FORM(add(z, 2, x)), "10", "12"},
    {"add(z, x, INT_MIN)", FORM(add(z, x, INT_MIN)), "0", "-2147483648"},
    {"add(z, x, 2.9)", FORM(add(z, x, 2.9)), "10", "12"},
    {"add(z, x, -2.9)", FORM(add(z, x, -2.9)), "10", "8"},
    {"add(z, -2.9, x)", FORM(add(z, -2.9, x)), "10", "8"},
    {"add(z, x, 0.0)", FORM(add(z, x, 0.0)), kA, kAdec},
    {"add(z, 0.0, x)", FORM(add(z, 0.0, x)), kB, kB},
    {"add(z, x, 1e20)", FORM(add(z, x, 1e20)), "0", "100000000000000000000"},
    {"add(z, x, 2^70)", FORM(add(z, x, kTwo70)), "0", kTwo70Text},
    {"add(z, x, -2^70)", FORM(add(z, x, -kTwo70)), "0", "-1180591620717411300000"},
    {"sub(z, 10, 3)", FORM(sub(z, 10, toMb(3))), "0", "7"},
    {"sub(z, x, 3)", FORM(sub(z, x, 3)), "10", "7"},
    {"sub(z, 3, x)", FORM(sub(z, 3, x)), "10", "-7"},
    {"sub(z, x, 2.9)", FORM(sub(z, x, 2.9)), "10", "8"},
    {"sub(z, 2.9, x)", FORM(sub(z, 2.9, x)), "10", "-8"},
    {"mul(z, x, -3)", FORM(mul(z, x, -3)), "10", "-30"},
    {"mul(z, -3, x)", FORM(mul(z, -3, x)), "10", "-30"},
    {"mul(z, x, 0)", FORM(mul(z, x, 0)), kA, "0"},
    {"mul(z, x, INT_MAX)", FORM(mul(z, x, INT_MAX)), kA, "51964502636456468137849423055159145974270250480"},
    {"mul(z, x, 2.9)", FORM(mul(z, x, 2.9)), "10", "20"},
    {"mul(z, 2.9, x)", FORM(mul(z, 2.9, x)), "10", "20"},
    {"mul(z, 0.99, x)", FORM(mul(z, 0.99, x)), "10", "0"},
    {"myModulus(z, x, 0.5)", FORM(myModulus(z, x, 0.5)), "7", "99"},
    {"myModulus(z, x, -3.0)", FORM(myModulus(z, x, -3.0)), "7", "0"},
    {"myModulus(z, x, 0.0)", FORM(myModulus(z, x, 0.0)), "7", "0"},
    {"myModulus(z, x, 3.0)", FORM(myModulus(z, x, 3.0)), "0", "0"},
    {"myModulus(z, x, 4.7)", FORM(myModulus(z, x, 4.7)), "7", "-1"},
    {"myModulus(z, x, 4.0)", FORM(myModulus(z, x, 4.0)), "-7", "1"},
    {"myModulus(z, x, 2.0)", FORM(myModulus(z, x, 2.0)), "5", "1"},
    {"myModulus(z, x, 1.5)", FORM(myModulus(z, x, 1.5)), "5", "0"},
    {"myModulus(z, x, 2^70)", FORM(myModulus(z, x, kTwo70)), kA, "-206603533625546978160"},
};

#undef FORM

TEST(MbOperandForms, TableOfCalls) {
    PrecScope prec(5);
    for (auto const& c : kFormCases) {
        SCOPED_TRACE(testing::Message() << c.call << " with x = " << c.x);
        mb const x = toMb(c.x);
        EXPECT_TRUE(isNormalValue(c.fn(x), Mpz(c.want)));
        EXPECT_TRUE(isNormalValue(x, Mpz(c.x)));
    }
}

TEST(MbOperandForms, ResultMayBeTheOperand) {
    PrecScope prec(5);
    mb x = toMb(10);
    add(x, x, 2.9);
    EXPECT_TRUE(isNormalValue(x, Mpz(12)));
    sub(x, 100, x);
    EXPECT_TRUE(isNormalValue(x, Mpz(88)));
    mul(x, x, -2);
    EXPECT_TRUE(isNormalValue(x, Mpz(-176)));
    EXPECT_TRUE(div(x, x, 3.5));
    EXPECT_TRUE(isNormalValue(x, Mpz(-58)));
    EXPECT_TRUE(div(x, 1000, x));
    EXPECT_TRUE(isNormalValue(x, Mpz(-17)));
    myModulus(x, x, 5.0);
    EXPECT_TRUE(isNormalValue(x, Mpz(-2)));
}

struct DivCase {
    char const* call;
    bool (*fn)(mb& q, mb& r, mb const& x);
    char const* x;
    bool ok;
    char const* q;  // the sentinels 99 and 98 stand where q or r is left untouched
    char const* r;
};

#define DIV(e)                                     \
    [](mb& q, mb& r, mb const& x) -> bool {        \
        (void)r;                                   \
        return e;                                  \
    }

std::vector<DivCase> const kDivCases = {
    {"div(q, x, 3)", DIV(div(q, x, 3)), "-10", true, "-3", "98"},
    {"div(q, 10, x)", DIV(div(q, 10, x)), "-3", true, "-3", "98"},
    {"div(q, x, 2.9)", DIV(div(q, x, 2.9)), "10", true, "5", "98"},
    {"div(q, 7.9, x)", DIV(div(q, 7.9, x)), "2", true, "3", "98"},
    {"div(q, x, 2^70)", DIV(div(q, x, kTwo70)), kA, true, "20496382304121723", "98"},
    {"div(q, 1e20, x)", DIV(div(q, 1e20, x)), "7", true, "14285714285714285714", "98"},
    {"div(q, x, 0)", DIV(div(q, x, 0)), "10", false, "99", "98"},
    {"div(q, x, 0.5)", DIV(div(q, x, 0.5)), "10", false, "99", "98"},
    {"div(q, x, -0.5)", DIV(div(q, x, -0.5)), "10", false, "99", "98"},
    {"div(q, 0, x)", DIV(div(q, 0, x)), "0", false, "99", "98"},
    {"div(q, 0.5, x)", DIV(div(q, 0.5, x)), "3", true, "0", "98"},
    {"divRem(q, r, x, 3)", DIV(divRem(q, r, x, 3)), "-10", true, "-3", "-1"},
    {"divRem(q, r, 10, x)", DIV(divRem(q, r, 10, x)), "-3", true, "-3", "1"},
    {"divRem(q, r, x, -2.9)", DIV(divRem(q, r, x, -2.9)), "-11", true, "5", "-1"},
    {"divRem(q, r, 7.9, x)", DIV(divRem(q, r, 7.9, x)), "2", true, "3", "1"},
    {"divRem(q, r, x, 2^70)", DIV(divRem(q, r, x, kTwo70)), kA, true, "20496382304121723",
     "973988087091864321840"},
    {"divRem(q, r, x, INT_MIN)", DIV(divRem(q, r, x, INT_MIN)), "-4294967297", true, "2", "-1"},
    {"divRem(q, r, x, 0)", DIV(divRem(q, r, x, 0)), "10", false, nullptr, nullptr},
    {"divRem(q, r, x, 0.9)", DIV(divRem(q, r, x, 0.9)), "10", false, nullptr, nullptr},
};

#undef DIV

TEST(MbOperandForms, DivisionsAndTheirTruthValues) {
    PrecScope prec(5);
    for (auto const& c : kDivCases) {
        SCOPED_TRACE(testing::Message() << c.call << " with x = " << c.x);
        mb q = toMb(99), r = toMb(98);
        mb const x = toMb(c.x);
        EXPECT_EQ(c.fn(q, r, x), c.ok);
        if (c.q != nullptr) {
            EXPECT_TRUE(isNormalValue(q, Mpz(c.q)));
        }
        if (c.r != nullptr) {
            EXPECT_TRUE(isNormalValue(r, Mpz(c.r)));
        }
        EXPECT_TRUE(isNormalValue(x, Mpz(c.x)));
    }
}

// ---- random operands against GMP ----

// Doubles whose 18-digit text the reader keeps exactly at blockPrec 5 (below 2^180),
// with fractions, near-integers and values below 1 among them.
double doubleOperand(Generator& g) {
    double sign = g.coin() ? -1.0 : 1.0;
    switch (g.range(0, 5)) {
        case 0: return 0.0;
        case 1: return sign * g.intIn(0, 4000) / 8.0;
        case 2: return sign * (g.intIn(1, 1000000) - 1e-9);
        case 3: return sign * static_cast<double>(g.intIn(INT_MIN, INT_MAX));
        default: {
            double m = static_cast<double>(g.engine()() >> 11);  // 53 bits
            return sign * std::ldexp(m, g.intIn(-70, 127));
        }
    }
}

mb mbOperand(Generator& g) {
    switch (g.range(0, 3)) {
        case 0: return g.operand(2);
        case 1: return g.operand(6);
        default: return g.operand(16);
    }
}

// x + s, x - s, x * s, x / s and x % s through a non-const and a const x.
template <typename S>
void checkBinary(mb& x, S const& s, Mpz const& sum, Mpz const& diff, Mpz const& prod, Mpz const& quot,
                 Mpz const& res) {
    mb const& cx = x;
    ASSERT_TRUE(isNormalValue(x + s, sum));
    ASSERT_TRUE(isNormalValue(cx + s, sum));
    ASSERT_TRUE(isNormalValue(x - s, diff));
    ASSERT_TRUE(isNormalValue(cx - s, diff));
    ASSERT_TRUE(isNormalValue(x * s, prod));
    ASSERT_TRUE(isNormalValue(cx * s, prod));
    ASSERT_TRUE(isNormalValue(x / s, quot));
    ASSERT_TRUE(isNormalValue(cx / s, quot));
    ASSERT_TRUE(isNormalValue(x % s, res));
    ASSERT_TRUE(isNormalValue(cx % s, res));
}

// t += s, t -= s, t *= s and t /= s, each on a fresh copy of x.
template <typename S>
void checkCompound(mb const& x, S const& s, Mpz const& sum, Mpz const& diff, Mpz const& prod, Mpz const& quot) {
    mb t = rawCopy(x);
    t += s;
    ASSERT_TRUE(isNormalValue(t, sum));
    t = rawCopy(x);
    t -= s;
    ASSERT_TRUE(isNormalValue(t, diff));
    t = rawCopy(x);
    t *= s;
    ASSERT_TRUE(isNormalValue(t, prod));
    t = rawCopy(x);
    t /= s;
    ASSERT_TRUE(isNormalValue(t, quot));
}

// The operand forms of add, sub and mul with the scalar s on either side, into a target
// that held another value.
template <typename S>
void checkScalarForms(mb const& x, S s, Mpz const& sum, Mpz const& diff, Mpz const& rdiff, Mpz const& prod) {
    mb z = toMb(7);
    add(z, x, s);
    ASSERT_TRUE(isNormalValue(z, sum));
    add(z, s, x);
    ASSERT_TRUE(isNormalValue(z, sum));
    sub(z, x, s);
    ASSERT_TRUE(isNormalValue(z, diff));
    sub(z, s, x);
    ASSERT_TRUE(isNormalValue(z, rdiff));
    mul(z, x, s);
    ASSERT_TRUE(isNormalValue(z, prod));
    mul(z, s, x);
    ASSERT_TRUE(isNormalValue(z, prod));
}

// div(q, a, b) into q = 99: the truncated quotient, or false with q untouched for b = 0.
template <typename A, typename B>
void checkDiv(mb& q, A const& a, B const& b, Mpz const& av, Mpz const& bv) {
    q = toMb(99);
    ASSERT_EQ(div(q, a, b), bv.sign() != 0);
    ASSERT_TRUE(isNormalValue(q, bv.sign() != 0 ? tdivQ(av, bv) : Mpz(99)));
}

// divRem(q, r, a, b): GMP's truncating quotient and remainder, or false for b = 0.
template <typename A, typename B>
void checkDivRem(mb& q, mb& r, A const& a, B const& b, Mpz const& av, Mpz const& bv) {
    if (bv.sign() == 0) {
        ASSERT_FALSE(divRem(q, r, a, b));
        return;
    }
    ASSERT_TRUE(divRem(q, r, a, b));
    Mpz wq, wr;
    mpz_tdiv_qr(wq, wr, av, bv);
    ASSERT_TRUE(isNormalValue(q, wq));
    ASSERT_TRUE(isNormalValue(r, wr));
}

// x & s, x | s and x ^ s through a non-const and a const x, then as compound
// assignments on fresh copies of x.
template <typename S>
void checkLogic(mb& x, S const& s, Mpz const& a, Mpz const& o, Mpz const& e) {
    mb const& cx = x;
    ASSERT_TRUE(isNormalValue(x & s, a));
    ASSERT_TRUE(isNormalValue(cx & s, a));
    ASSERT_TRUE(isNormalValue(x | s, o));
    ASSERT_TRUE(isNormalValue(cx | s, o));
    ASSERT_TRUE(isNormalValue(x ^ s, e));
    ASSERT_TRUE(isNormalValue(cx ^ s, e));
    mb t = rawCopy(x);
    t &= s;
    ASSERT_TRUE(isNormalValue(t, a));
    t = rawCopy(x);
    t |= s;
    ASSERT_TRUE(isNormalValue(t, o));
    t = rawCopy(x);
    t ^= s;
    ASSERT_TRUE(isNormalValue(t, e));
}

TEST(MbOperatorsRandom, RingDivisionAndResidueMatchGmp) {
    Generator g(0x0E8A7000u);
    for (int i = 0; i < 3000; ++i) {
        mb x = mbOperand(g);
        mb y = g.oneIn(8) ? rawCopy(x) : g.oneIn(8) ? -x : mbOperand(g);
        mb const& cx = x;
        Mpz xv = toMpz(x), yv = toMpz(y);
        SCOPED_TRACE(testing::Message() << "case " << i << ": x = " << xv.str(16) << ", y = " << yv.str(16));
        Mpz sum, diff, prod, neg;
        mpz_add(sum, xv, yv);
        mpz_sub(diff, xv, yv);
        mpz_mul(prod, xv, yv);
        mpz_neg(neg, xv);
        Mpz quot = yv.sign() == 0 ? Mpz(0) : tdivQ(xv, yv), res = balanced(xv, yv);

        ASSERT_NO_FATAL_FAILURE(checkBinary(x, y, sum, diff, prod, quot, res));
        ASSERT_TRUE(isNormalValue(-x, neg));
        ASSERT_TRUE(isNormalValue(-cx, neg));
        ASSERT_TRUE(isNormalValue(x, xv));
        ASSERT_TRUE(isNormalValue(y, yv));

        int c = mpz_cmp(xv, yv);
        c = (c > 0) - (c < 0);
        EXPECT_EQ(x > y, c == 1);
        EXPECT_EQ(cx > y, c == 1);
        EXPECT_EQ(x >= y, c != -1);
        EXPECT_EQ(cx >= y, c != -1);
        EXPECT_EQ(x == y, c == 0);
        EXPECT_EQ(cx == y, c == 0);
        EXPECT_EQ(x != y, c != 0);
        EXPECT_EQ(cx != y, c != 0);
        EXPECT_EQ(x <= y, c != 1);
        EXPECT_EQ(cx <= y, c != 1);
        EXPECT_EQ(x < y, c == -1);
        EXPECT_EQ(cx < y, c == -1);
        EXPECT_EQ(!x, xv.sign() == 0);
        EXPECT_EQ(!cx, xv.sign() == 0);

        ASSERT_NO_FATAL_FAILURE(checkCompound(x, y, sum, diff, prod, yv.sign() == 0 ? xv : quot));

        int n = g.intIn(0, 100);
        Mpz shl, shr;
        mpz_mul_2exp(shl, xv, static_cast<mp_bitcnt_t>(n));
        mpz_tdiv_q_2exp(shr, xv, static_cast<mp_bitcnt_t>(n));
        ASSERT_TRUE(isNormalValue(x << n, shl)) << "shift " << n;
        ASSERT_TRUE(isNormalValue(x >> n, shr)) << "shift " << n;

        Mpz one(1), up, down;
        mpz_add(up, xv, one);
        mpz_sub(down, xv, one);
        mb t = rawCopy(x);
        ASSERT_TRUE(isNormalValue(++t, up));
        ASSERT_TRUE(isNormalValue(t--, up));
        ASSERT_TRUE(isNormalValue(t, xv));
        ASSERT_TRUE(isNormalValue(--t, down));
        ASSERT_TRUE(isNormalValue(t++, down));
        ASSERT_TRUE(isNormalValue(t, xv));
    }
}

TEST(MbOperatorsRandom, LogicMatchesTwosComplementPatterns) {
    Generator g(0x0E8A7100u);
    for (int i = 0; i < 3000; ++i) {
        mb x = mbOperand(g), y = mbOperand(g);
        int n = intOperand(g);
        SCOPED_TRACE(testing::Message() << "case " << i << ": x = " << toMpz(x).str(16)
                                        << ", y = " << toMpz(y).str(16) << ", n = " << n);
        ASSERT_NO_FATAL_FAILURE(
            checkLogic(x, y, logic(Logic::And, x, y), logic(Logic::Or, x, y), logic(Logic::Xor, x, y)))
            << "mb operand";
        ASSERT_NO_FATAL_FAILURE(
            checkLogic(x, n, logic(Logic::And, x, n), logic(Logic::Or, x, n), logic(Logic::Xor, x, n)))
            << "int operand";
    }
}

TEST(MbOperatorsRandom, IntOperandsAreExact) {
    Generator g(0x0E8A7200u);
    for (int i = 0; i < 3000; ++i) {
        mb x = g.oneIn(4) ? g.operand(1) : mbOperand(g);
        int n = intOperand(g);
        if (g.oneIn(6)) x = toMb(n);
        mb const& cx = x;
        Mpz xv = toMpz(x), nv(n);
        SCOPED_TRACE(testing::Message() << "case " << i << ": x = " << xv.str(16) << ", n = " << n);
        Mpz sum, diff, rdiff, prod;
        mpz_add(sum, xv, nv);
        mpz_sub(diff, xv, nv);
        mpz_sub(rdiff, nv, xv);
        mpz_mul(prod, xv, nv);
        ASSERT_NO_FATAL_FAILURE(checkScalarForms(x, n, sum, diff, rdiff, prod));

        mb q, r = toMb(98);
        ASSERT_NO_FATAL_FAILURE(checkDiv(q, x, n, xv, nv)) << "div(q, x, n)";
        ASSERT_NO_FATAL_FAILURE(checkDiv(q, n, x, nv, xv)) << "div(q, n, x)";
        ASSERT_NO_FATAL_FAILURE(checkDivRem(q, r, x, n, xv, nv)) << "divRem(q, r, x, n)";
        ASSERT_NO_FATAL_FAILURE(checkDivRem(q, r, n, x, nv, xv)) << "divRem(q, r, n, x)";

        int c = mpz_cmp(xv, nv);
        c = (c > 0) - (c < 0);
        EXPECT_EQ(x > n, c == 1);
        EXPECT_EQ(x >= n, c != -1);
        EXPECT_EQ(x == n, c == 0);
        EXPECT_EQ(x != n, c != 0);
        ASSERT_TRUE(isNormalValue(cx, xv));
    }
}

TEST(MbOperatorsRandom, DoubleOperandsGoThroughTheirText) {
    PrecScope prec(5);
    Generator g(0x0E8A7300u);
    for (int i = 0; i < 3000; ++i) {
        mb x = mbOperand(g);
        double d = doubleOperand(g);
        Mpz xv = toMpz(x), dv = truncatedText(d);
        char text[64];
        std::snprintf(text, sizeof text, "%.17e", d);
        SCOPED_TRACE(testing::Message() << "case " << i << ": x = " << xv.str(16) << ", d = " << text);
        Mpz sum, diff, rdiff, prod;
        mpz_add(sum, xv, dv);
        mpz_sub(diff, xv, dv);
        mpz_sub(rdiff, dv, xv);
        mpz_mul(prod, xv, dv);
        bool dZero = dv.sign() == 0, xZero = xv.sign() == 0;
        Mpz quot = dZero ? Mpz(0) : tdivQ(xv, dv), rquot = xZero ? Mpz(0) : tdivQ(dv, xv);
        // The residue takes the integer part of a positive modulus; x = 0 or d <= 0 gives 0.
        Mpz res = (d <= 0 || xZero) ? Mpz(0) : balanced(xv, dv);

        ASSERT_NO_FATAL_FAILURE(checkBinary(x, d, sum, diff, prod, quot, res));
        ASSERT_TRUE(isNormalValue(d + x, sum));
        ASSERT_TRUE(isNormalValue(d - x, rdiff));
        ASSERT_TRUE(isNormalValue(d * x, prod));
        ASSERT_TRUE(isNormalValue(d / x, rquot));
        ASSERT_NO_FATAL_FAILURE(checkCompound(x, d, sum, diff, prod, dZero ? xv : quot));
        ASSERT_NO_FATAL_FAILURE(checkScalarForms(x, d, sum, diff, rdiff, prod));

        mb z;
        ASSERT_NO_FATAL_FAILURE(checkDiv(z, x, d, xv, dv)) << "div(z, x, d)";
        ASSERT_NO_FATAL_FAILURE(checkDiv(z, d, x, dv, xv)) << "div(z, d, x)";
        z = toMb(99);
        myModulus(z, x, d);
        ASSERT_TRUE(isNormalValue(z, (d > 0 && !xZero && dZero) ? Mpz(99) : res));

        mb q, r;
        ASSERT_NO_FATAL_FAILURE(checkDivRem(q, r, x, d, xv, dv)) << "divRem(q, r, x, d)";
        ASSERT_NO_FATAL_FAILURE(checkDivRem(q, r, d, x, dv, xv)) << "divRem(q, r, d, x)";
        ASSERT_TRUE(isNormalValue(x, xv));
        ASSERT_EQ(blockPrec, 5);
    }
}

TEST(MbOperatorsRandom, DoubleReferenceSelfCheck) {
    // The reference itself on values whose integer part is plain to see.
    EXPECT_EQ(truncatedText(2.9), Mpz(2));
    EXPECT_EQ(truncatedText(-2.9), Mpz(-2));
    EXPECT_EQ(truncatedText(0.0), Mpz(0));
    EXPECT_EQ(truncatedText(1e20), Mpz("100000000000000000000"));
    EXPECT_EQ(truncatedText(kTwo70), Mpz(kTwo70Text));
    EXPECT_EQ(truncatedText(-1e-300), Mpz(0));
}

// ---- stream operators ----

TEST(MbStreams, InsertionWritesTheText) {
    std::ostringstream os;
    os << toMb(-123);
    EXPECT_EQ(os.str(), "-123");
    EXPECT_EQ(os.str().size(), 4u);

    mb const big = toMb(kA), zero;
    std::ostringstream os2;
    os2 << big << ' ' << zero << ' ' << toMb(kB);
    EXPECT_EQ(os2.str(), std::string(kAdec) + " 0 -18446744069414584321");
}

TEST(MbStreams, InsertionHonoursWidthFillAndAdjustment) {
    mb const x = toMb(-123);
    {
        std::ostringstream os;
        os.width(20);
        os << x << '|';
        EXPECT_EQ(os.str(), "                -123|");
        EXPECT_EQ(os.width(), 0);
    }
    {
        std::ostringstream os;
        os << std::left;
        os.width(8);
        os.fill('*');
        os << x << '|';
        EXPECT_EQ(os.str(), "-123****|");
    }
    {
        // As for any character string, internal pads in front.
        std::ostringstream os;
        os << std::internal;
        os.width(7);
        os.fill('0');
        os << x;
        EXPECT_EQ(os.str(), "000-123");
    }
    {
        std::ostringstream os;
        os.width(2);
        os << x;
        EXPECT_EQ(os.str(), "-123");
    }
}

struct ReadCase {
    char const* input;
    char const* want;
    char const* error;  // what std::cerr receives
};

TEST(MbStreams, ExtractionTable) {
    std::vector<ReadCase> const cases = {
        {"-042", "-42", ""},
        {"1e2", "100", ""},
        {"  987654321987654321987654321  ", "987654321987654321987654321", ""},
        {"0", "0", ""},
        {"12x", "0", "conversion error!\n"},
        {"abc", "0", "conversion error!\n"},
        {"-", "0", ""},  // a sign alone reads as zero
        {"12.99", "12", ""},
        {"", "0", ""},
        {"   \n\t ", "0", ""},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(testing::Message() << "input \"" << c.input << "\"");
        std::istringstream in(c.input);
        mb x = toMb(kA);  // an older value, which the extraction replaces
        CerrCapture err;
        in >> x;
        EXPECT_TRUE(isNormalValue(x, Mpz(c.want)));
        EXPECT_EQ(err.text(), c.error);
    }
}

TEST(MbStreams, RefusedTokenLeavesTheStreamState) {
    std::istringstream in("12x -7 1e2 ");
    mb x = toMb(5), y, z;
    CerrCapture err;
    in >> x;
    EXPECT_TRUE(isNormalValue(x, Mpz(0)));
    EXPECT_EQ(err.text(), "conversion error!\n");
    EXPECT_TRUE(in.good());
    EXPECT_EQ(in.rdstate(), std::ios_base::goodbit);
    in >> y >> z;  // the chain goes on from the same stream
    EXPECT_TRUE(isNormalValue(y, Mpz(-7)));
    EXPECT_TRUE(isNormalValue(z, Mpz(100)));
    EXPECT_EQ(err.text(), "conversion error!\n");
    EXPECT_TRUE(in.good());
}

TEST(MbStreams, EndOfInputLeavesZeroAndWritesNothing) {
    std::istringstream in("31");
    mb x, y = toMb(kB);
    CerrCapture err;
    in >> x >> y;
    EXPECT_TRUE(isNormalValue(x, Mpz(31)));
    EXPECT_TRUE(isNormalValue(y, Mpz(0)));
    EXPECT_EQ(err.text(), "");
}

TEST(MbStreams, LongTokenIsCutAt255) {
    std::string digits;
    for (int i = 0; i < 300; ++i) digits += static_cast<char>('1' + i % 9);
    std::istringstream in(digits + " 8");
    mb x, y, z;
    CerrCapture err;
    in >> x;
    EXPECT_TRUE(isNormalValue(x, Mpz(digits.substr(0, 255).c_str())));
    in >> y;
    EXPECT_TRUE(isNormalValue(y, Mpz(digits.substr(255).c_str())));
    in >> z;
    EXPECT_TRUE(isNormalValue(z, Mpz(8)));
    EXPECT_EQ(err.text(), "");
}

TEST(MbStreams, WidthSetBeforeDoesNotCutTheToken) {
    std::istringstream in("123456789 5");
    in.width(3);
    mb x;
    in >> x;
    EXPECT_TRUE(isNormalValue(x, Mpz(123456789)));
    EXPECT_EQ(in.width(), 0);
}

TEST(MbStreams, RoundTripOfRandomValues) {
    Generator g(0x0E8A7400u);
    std::ostringstream os;
    std::vector<Mpz> written;
    for (int i = 0; i < 200; ++i) {
        mb x = g.operand(20);  // at most 194 digits, under the token limit
        os << x << (i % 3 == 0 ? "\n" : " ");
        written.push_back(toMpz(x));
    }
    std::istringstream in(os.str());
    CerrCapture err;
    for (std::size_t i = 0; i < written.size(); ++i) {
        mb y = toMb(1);
        in >> y;
        ASSERT_TRUE(isNormalValue(y, written[i])) << "value " << i;
    }
    EXPECT_EQ(err.text(), "");
}

}  // namespace
