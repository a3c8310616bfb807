// The operators of fp and the mb and double operand forms of its arithmetic. Tables on
// exact values pin what each operator computes and which object receives it; random
// operands check that every operator gives bit for bit what its function gives, and
// exact rationals check the comparisons.
#include <gtest/gtest.h>

#include <gmp.h>

#include <cmath>
#include <sstream>
#include <string>
#include <type_traits>
#include <vector>

#include "fp.h"
#include "fpConv.h"
#include "fpMath.h"
#include "fp_oracle.h"
#include "mbConv.h"
#include "mbMath.h"

namespace {

using namespace oracle;

// x holds the value `want` (any representation) with a mantissa in normal form.
::testing::AssertionResult hasValue(fp const& x, Mpq const& want) {
    ::testing::AssertionResult normal = isNormal(x.mantissa);
    if (!normal) return ::testing::AssertionFailure() << normal.message() << " in " << show(x);
    Mpq got = valueOf(x);
    if (mpq_equal(got, want) != 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "got " << got.str() << " = " << show(x) << ", expected " << want.str();
}

::testing::AssertionResult hasValue(fp const& x, char const* want) { return hasValue(x, Mpq(want)); }

// ---- operators on fixed operands ----

using FpFn = fp (*)(fp&, fp&, mb&);
using FpConstFn = fp (*)(fp const&, fp const&, mb const&);

// One expression as a function called through non-const objects, and through const
// references; BOTH gives both forms, ONLY the first where the operator has no const form.
#define MUT_FORM(T, e)                            \
    [](fp& x, fp& y, mb& m) -> T {                \
        (void)x;                                  \
        (void)y;                                  \
        (void)m;                                  \
        return e;                                 \
    }
#define CONST_FORM(T, e)                                  \
    [](fp const& x, fp const& y, mb const& m) -> T {      \
        (void)x;                                          \
        (void)y;                                          \
        (void)m;                                          \
        return e;                                         \
    }
#define BOTH(e) MUT_FORM(fp, e), CONST_FORM(fp, e)
#define ONLY(e) MUT_FORM(fp, e), nullptr

// Operands by default: x = 3 * 2^-1 = 1.5, y = 1 * 2^-2 = 0.25, m = 3.
struct FpCase {
    char const* expr;
    FpFn mut;
    FpConstFn cst;
    char const* want;    // exact rational
    char const* xAfter;  // null: x keeps its value
    char const* xm = "3";
    int32 xe = -1;
    char const* ym = "1";
    int32 ye = -2;
    char const* m = "3";
};

std::vector<FpCase> const kFpCases = {
    {"x + y", BOTH(x + y), "7/4", nullptr},
    {"x - y", BOTH(x - y), "5/4", nullptr},
    {"x * y", BOTH(x * y), "3/8", nullptr},
    {"x / y", BOTH(x / y), "6", nullptr},
    {"x + m", BOTH(x + m), "9/2", nullptr},
    {"x - m", BOTH(x - m), "-3/2", nullptr},
    {"x * m", BOTH(x * m), "9/2", nullptr},
    {"x / m", BOTH(x / m), "1/2", nullptr},
    {"x + 2.5", BOTH(x + 2.5), "4", nullptr},
    {"x - 2.5", BOTH(x - 2.5), "-1", nullptr},
    {"x * 2.5", BOTH(x * 2.5), "15/4", nullptr},
    {"x / 0.75", BOTH(x / 0.75), "2", nullptr},
    {"x + -0.5", BOTH(x + -0.5), "1", nullptr},
    {"x - y, x = 0", BOTH(x - y), "-1/4", nullptr, "0", 0},
    {"x * y, x = 0", BOTH(x * y), "0", nullptr, "0", 0},
    {"x + m, m = -7", BOTH(x + m), "-11/2", nullptr, "3", -1, "1", -2, "-7"},
    {"x += y", ONLY(x += y), "7/4", "7/4"},
    {"x -= y", ONLY(x -= y), "5/4", "5/4"},
    {"x *= y", ONLY(x *= y), "3/8", "3/8"},
    {"x /= y", ONLY(x /= y), "6", "6"},
    {"x += m", ONLY(x += m), "9/2", "9/2"},
    {"x -= m", ONLY(x -= m), "-3/2", "-3/2"},
    {"x *= m", ONLY(x *= m), "9/2", "9/2"},
    {"x /= m", ONLY(x /= m), "1/2", "1/2"},
    {"x += 2.5", ONLY(x += 2.5), "4", "4"},
    {"x -= 2.5", ONLY(x -= 2.5), "-1", "-1"},
    {"x *= 2.5", ONLY(x *= 2.5), "15/4", "15/4"},
    {"x /= 0.75", ONLY(x /= 0.75), "2", "2"},
    {"x += x", ONLY(x += x), "3", "3"},
    {"x -= x", ONLY(x -= x), "0", "0"},
    {"x *= x", ONLY(x *= x), "9/4", "9/4"},
    {"x /= x", ONLY(x /= x), "1", "1"},
    // a zero divisor: / yields zero, /= leaves x as it was
    {"x / y, y = 0", BOTH(x / y), "0", nullptr, "3", -1, "0", 0},
    {"x / y, y = 0 * 2^9", BOTH(x / y), "0", nullptr, "3", -1, "0", 9},
    {"x / m, m = 0", BOTH(x / m), "0", nullptr, "3", -1, "1", -2, "0"},
    {"x / 0.0", BOTH(x / 0.0), "0", nullptr},
    {"x /= y, y = 0", ONLY(x /= y), "3/2", nullptr, "3", -1, "0", 0},
    {"x /= m, m = 0", ONLY(x /= m), "3/2", nullptr, "3", -1, "1", -2, "0"},
    {"x /= 0.0", ONLY(x /= 0.0), "3/2", nullptr},
    // exponent shifts in place
    {"x << 3", ONLY(x << 3), "12", "12"},
    {"x >> 3", ONLY(x >> 3), "3/16", "3/16"},
    {"x << -2", ONLY(x << -2), "3/8", "3/8"},
    {"x << 3, x = 0", ONLY(x << 3), "0", "0", "0", 0},
    {"x >> 3, x = 0", ONLY(x >> 3), "0", "0", "0", 0},
    // steps by the double 1.0
    {"++x", ONLY(++x), "5/2", "5/2"},
    {"--x", ONLY(--x), "1/2", "1/2"},
    {"x++", ONLY((x++, x)), "5/2", "5/2"},
    {"x--", ONLY((x--, x)), "1/2", "1/2"},
    {"++x, x = 0", ONLY(++x), "1", "1", "0", 0},
    {"--x, x = -7/2", ONLY(--x), "-9/2", "-9/2", "-7", -1},
    {"-x", BOTH(-x), "-3/2", nullptr},
    {"-x, x < 0", BOTH(-x), "3/2", nullptr, "-3", -1},
    {"-x, x = 0 * 2^5", BOTH(-x), "0", nullptr, "0", 5},
    // an mb or double on the left: a op y, not y op a
    {"m - y", BOTH(m - y), "7/2", nullptr, "0", 0, "3", -1, "5"},
    {"5.0 - y", BOTH(5.0 - y), "7/2", nullptr, "0", 0, "3", -1},
    {"m + y", BOTH(m + y), "13/2", nullptr, "0", 0, "3", -1, "5"},
    {"5.0 + y", BOTH(5.0 + y), "13/2", nullptr, "0", 0, "3", -1},
    {"m * y", BOTH(m * y), "15/2", nullptr, "0", 0, "3", -1, "5"},
    {"-2.5 * y", BOTH(-2.5 * y), "-15/4", nullptr, "0", 0, "3", -1},
    {"m / y", BOTH(m / y), "12", nullptr},
    {"3.0 / y", BOTH(3.0 / y), "12", nullptr},
    {"0.0 - y", BOTH(0.0 - y), "-1/4", nullptr},
    {"m - y, m = 0", BOTH(m - y), "-1/4", nullptr, "3", -1, "1", -2, "0"},
    {"m / y, y = 0", BOTH(m / y), "0", nullptr, "3", -1, "0", 0},
    {"1.0 / y, y = 0", BOTH(1.0 / y), "0", nullptr, "3", -1, "0", 0},
    {"m / y, m = 0", BOTH(m / y), "0", nullptr, "3", -1, "1", -2, "0"},
};

#undef BOTH
#undef ONLY

TEST(FpOperators, TableOfExpressions) {
    for (int32 bp : {1, 3, 5}) {
        PrecScope prec(bp);
        for (auto const& c : kFpCases) {
            SCOPED_TRACE(testing::Message() << c.expr << " with x = " << c.xm << " * 2^" << c.xe << ", y = " << c.ym
                                            << " * 2^" << c.ye << ", m = " << c.m << ", blockPrec " << bp);
            fp x0 = fpOf(c.xm, c.xe), y0 = fpOf(c.ym, c.ye);
            Mpq want(c.want), xWant = c.xAfter != nullptr ? Mpq(c.xAfter) : valueOf(x0), yWant = valueOf(y0);
            {
                fp x = x0, y = y0;
                mb m = toMb(c.m);
                fp z = c.mut(x, y, m);
                EXPECT_EQ(blockPrec, bp);
                EXPECT_TRUE(hasValue(z, want)) << "non-const form";
                EXPECT_TRUE(hasValue(x, xWant)) << "x after the non-const form";
                EXPECT_TRUE(hasValue(y, yWant)) << "y after the non-const form";
                EXPECT_TRUE(isNormalValue(m, Mpz(c.m)));
            }
            if (c.cst != nullptr) {
                fp const x = x0, y = y0;
                mb const m = toMb(c.m);
                fp z = c.cst(x, y, m);
                EXPECT_EQ(blockPrec, bp);
                EXPECT_TRUE(hasValue(z, want)) << "const form";
                EXPECT_TRUE(sameFp(x, x0)) << "x after the const form";
                EXPECT_TRUE(sameFp(y, y0)) << "y after the const form";
            }
        }
    }
}

using BoolFn = bool (*)(fp&, fp&, mb&);
using BoolConstFn = bool (*)(fp const&, fp const&, mb const&);

#define BOTH(e) MUT_FORM(bool, e), CONST_FORM(bool, e)

struct BoolCase {
    char const* expr;
    BoolFn mut;
    BoolConstFn cst;
    bool want;
    char const* xm;
    int32 xe;
    char const* ym = "0";
    int32 ye = 0;
    char const* m = "0";
};

std::vector<BoolCase> const kBoolCases = {
    // 1 held as mantissa 1, exponent 0 and as mantissa 2, exponent -1
    {"x == y", BOTH(x == y), true, "1", 0, "2", -1},
    {"x != y", BOTH(x != y), false, "1", 0, "2", -1},
    {"x > y", BOTH(x > y), false, "1", 0, "2", -1},
    {"x >= y", BOTH(x >= y), true, "1", 0, "2", -1},
    {"x <= y", BOTH(x <= y), true, "1", 0, "2", -1},
    {"x < y", BOTH(x < y), false, "1", 0, "2", -1},
    {"x == y", BOTH(x == y), true, "2", -1, "1", 0},
    {"x == y", BOTH(x == y), true, "3", -1, "0x300000000", -33},
    {"x == y", BOTH(x == y), true, "0", 4, "0", -9},
    {"x > y", BOTH(x > y), true, "3", -1, "1", 0},
    {"x >= y", BOTH(x >= y), true, "3", -1, "1", 0},
    {"x == y", BOTH(x == y), false, "3", -1, "1", 0},
    {"x != y", BOTH(x != y), true, "3", -1, "1", 0},
    {"x <= y", BOTH(x <= y), false, "3", -1, "1", 0},
    {"x < y", BOTH(x < y), false, "3", -1, "1", 0},
    {"x < y", BOTH(x < y), true, "-3", -1, "-1", 0},
    {"x < y", BOTH(x < y), true, "-1", 100, "1", -100},
    // with an mb: the integer at exponent 0
    {"x == m", BOTH(x == m), true, "6", -1, "0", 0, "3"},
    {"x != m", BOTH(x != m), false, "6", -1, "0", 0, "3"},
    {"x >= m", BOTH(x >= m), true, "6", -1, "0", 0, "3"},
    {"x <= m", BOTH(x <= m), true, "6", -1, "0", 0, "3"},
    {"x > m", BOTH(x > m), false, "6", -1, "0", 0, "3"},
    {"x < m", BOTH(x < m), false, "6", -1, "0", 0, "3"},
    {"x > m", BOTH(x > m), true, "3", -1, "0", 0, "1"},
    {"x < m", BOTH(x < m), true, "3", -1, "0", 0, "2"},
    {"x > m", BOTH(x > m), true, "0", 3, "0", 0, "-1"},
    {"x == m", BOTH(x == m), true, "0", 3, "0", 0, "0"},
    {"x == m", BOTH(x == m), true, "1", 64, "0", 0, "0x10000000000000000"},
    // with a double; 1 held with one, two and three mantissa words
    {"x > 1.0", BOTH(x > 1.0), false, "1", 0},
    {"x >= 1.0", BOTH(x >= 1.0), true, "1", 0},
    {"x > 1.0", BOTH(x > 1.0), false, "0x100000000", -32},
    {"x >= 1.0", BOTH(x >= 1.0), true, "0x100000000", -32},
    {"x == 1.0", BOTH(x == 1.0), true, "0x100000000", -32},
    {"x != 1.0", BOTH(x != 1.0), false, "0x100000000", -32},
    {"x <= 1.0", BOTH(x <= 1.0), true, "0x100000000", -32},
    {"x < 1.0", BOTH(x < 1.0), false, "0x100000000", -32},
    {"x > 1.0", BOTH(x > 1.0), false, "0x10000000000000000", -64},
    {"x >= 1.0", BOTH(x >= 1.0), true, "0x10000000000000000", -64},
    {"x > 1.0", BOTH(x > 1.0), true, "3", -1},
    {"x < 2.0", BOTH(x < 2.0), true, "3", -1},
    {"x == 1.5", BOTH(x == 1.5), true, "3", -1},
    {"x < -1.0", BOTH(x < -1.0), true, "-3", -1},
    {"x > -2.0", BOTH(x > -2.0), true, "-3", -1},
    {"x == 0.0", BOTH(x == 0.0), true, "0", 9},
    {"x >= 0.0", BOTH(x >= 0.0), true, "0", -9},
    {"x < 0.0", BOTH(x < 0.0), true, "-1", -1000},
    {"x > 0.0", BOTH(x > 0.0), true, "1", -1000},
    {"!x", BOTH(!x), true, "0", 0},
    {"!x", BOTH(!x), true, "0", 7},
    {"!x", BOTH(!x), false, "3", -1},
    {"!x", BOTH(!x), false, "-1", -1000},
};

#undef BOTH
#undef MUT_FORM
#undef CONST_FORM

TEST(FpOperators, TableOfComparisons) {
    for (int32 bp : {1, 3, 5}) {
        PrecScope prec(bp);
        for (auto const& c : kBoolCases) {
            SCOPED_TRACE(testing::Message() << c.expr << " with x = " << c.xm << " * 2^" << c.xe << ", y = " << c.ym
                                            << " * 2^" << c.ye << ", m = " << c.m << ", blockPrec " << bp);
            fp x0 = fpOf(c.xm, c.xe), y0 = fpOf(c.ym, c.ye);
            {
                fp x = x0, y = y0;
                mb m = toMb(c.m);
                EXPECT_EQ(c.mut(x, y, m), c.want) << "non-const form";
                EXPECT_EQ(blockPrec, bp);
                EXPECT_TRUE(sameFp(x, x0));
                EXPECT_TRUE(sameFp(y, y0));
            }
            {
                fp const x = x0, y = y0;
                mb const m = toMb(c.m);
                EXPECT_EQ(c.cst(x, y, m), c.want) << "const form";
                EXPECT_EQ(blockPrec, bp);
            }
        }
    }
}

TEST(FpOperators, WhatEachFormReturns) {
    PrecScope prec(3);
    fp x = fpOf("3", -1), y = fpOf("1", -2);
    mb m = toMb(3);
    EXPECT_EQ(&(x += y), &x);
    EXPECT_EQ(&(x -= y), &x);
    EXPECT_EQ(&(x *= y), &x);
    EXPECT_EQ(&(x /= y), &x);
    EXPECT_EQ(&(x += m), &x);
    EXPECT_EQ(&(x -= m), &x);
    EXPECT_EQ(&(x *= m), &x);
    EXPECT_EQ(&(x /= m), &x);
    EXPECT_EQ(&(x += 2.5), &x);
    EXPECT_EQ(&(x -= 2.5), &x);
    EXPECT_EQ(&(x *= 2.5), &x);
    EXPECT_EQ(&(x /= 2.5), &x);
    EXPECT_EQ(&(x /= 0.0), &x);
    EXPECT_EQ(&(x << 3), &x);
    EXPECT_EQ(&(x >> 3), &x);
    EXPECT_EQ(&(++x), &x);
    EXPECT_EQ(&(--x), &x);
    // 1.5 through the steps above ends where it started.
    EXPECT_TRUE(hasValue(x, "3/2"));
    EXPECT_EQ(blockPrec, 3);
    static_assert(std::is_void<decltype(x++)>::value, "postfix increment gives no value");
    static_assert(std::is_void<decltype(x--)>::value, "postfix decrement gives no value");
    static_assert(std::is_same<decltype(x + y), fp>::value, "binary operators give a new value");
    static_assert(std::is_same<decltype(x << 1), fp&>::value, "shifts work in place");
}

TEST(FpOperators, ShiftsChangeOnlyTheExponent) {
    fp x = fpOf("3", -1);
    uint32* words = x.mantissa.blocks;
    x << 3;
    EXPECT_EQ(x.exponent, 2);
    EXPECT_EQ(x.mantissa.blocks, words);
    EXPECT_TRUE(hasValue(x, "12"));
    x >> 5;
    EXPECT_EQ(x.exponent, -3);
    EXPECT_TRUE(hasValue(x, "3/8"));

    fp z;
    z << 3;
    EXPECT_EQ(z.exponent, 3);
    EXPECT_TRUE(!z);
    EXPECT_TRUE(hasValue(z, "0"));
    z >> 10;
    EXPECT_EQ(z.exponent, -7);
    EXPECT_TRUE(!z);
    EXPECT_TRUE(z == 0.0);
}

TEST(FpOperators, PostfixStepsMakeTheSameChange) {
    PrecScope prec(2);
    fp a = fpOf("3", -1), b = fpOf("3", -1);
    ++a;
    b++;
    EXPECT_TRUE(sameFp(a, b));
    EXPECT_TRUE(hasValue(b, "5/2"));
    --a;
    b--;
    EXPECT_TRUE(sameFp(a, b));
    EXPECT_TRUE(hasValue(b, "3/2"));
    EXPECT_EQ(blockPrec, 2);
}

TEST(FpOperators, NegationCopiesTheWords) {
    fp x = fpOf("0x123456789ABCDEF0123", -40);
    fp n = -x;
    EXPECT_NE(n.mantissa.blocks, x.mantissa.blocks);
    EXPECT_EQ(n.exponent, -40);
    x = fpOf("1", 0);
    EXPECT_TRUE(hasValue(n, "-5373003642731685151011/1099511627776"));
}

TEST(FpOperators, DoubleOperandsGoThroughTheirText) {
    PrecScope prec(5);
    // 2^70 enters as 1180591620717411300000, the value of its 18-digit text.
    double const two70 = std::ldexp(1.0, 70);
    fp zero;
    EXPECT_TRUE(hasValue(zero + two70, "1180591620717411300000"));
    EXPECT_TRUE(hasValue(two70 - zero, "1180591620717411300000"));
    fp p = fpOf("1", 70);
    EXPECT_TRUE(p > two70);
    EXPECT_TRUE(p != two70);
    EXPECT_TRUE(hasValue(p - two70, "3424"));
    fp q = fpOf("1180591620717411300000", 0);
    EXPECT_TRUE(q == two70);
    mb const m = toMb("1180591620717411300000");
    EXPECT_TRUE(q == m);
    // 0.1 is not 1/10 in binary, nor after its text is read into blockPrec words, but the
    // operand form and the operator agree on it.
    fp one = fpOf("1", 0);
    fp viaForm;
    add(viaForm, one, 0.1);
    EXPECT_TRUE(sameFp(one + 0.1, viaForm));
    EXPECT_EQ(blockPrec, 5);
}

// Infinities and NaNs convert to zero: an operand that adds nothing, a divisor refused.
TEST(FpOperators, NonFiniteDoublesCountAsZero) {
    PrecScope prec(3);
    double const inf = HUGE_VAL, nan = std::nan("");
    fp const x = fpOf("3", -1);
    for (double d : {inf, -inf, nan}) {
        SCOPED_TRACE(testing::Message() << "d = " << d);
        EXPECT_TRUE(hasValue(x + d, "3/2"));
        EXPECT_TRUE(hasValue(x * d, "0"));
        EXPECT_TRUE(hasValue(x / d, "0"));
        EXPECT_TRUE(hasValue(d - x, "-3/2"));
        EXPECT_TRUE(hasValue(d / x, "0"));
        fp t = x;
        t /= d;
        EXPECT_TRUE(sameFp(t, x));
        EXPECT_TRUE(x > d);
        EXPECT_TRUE(fp() == d);
        EXPECT_EQ(blockPrec, 3);
    }
}

// ---- random operands: operators against their functions ----

fp randomFp(Generator& g, int32 maxWords) {
    fp x;
    x.mantissa = g.operand(maxWords);
    x.exponent = g.intIn(-200, 200);
    if (g.oneIn(4)) x.mantissa = g.withSlack(x.mantissa);
    return x;
}

double randomDouble(Generator& g) {
    double sign = g.coin() ? -1.0 : 1.0;
    switch (g.range(0, 4)) {
        case 0: return 0.0;
        case 1: return sign * g.intIn(0, 4000) / 8.0;
        case 2: return sign * g.intIn(1, 1000) / 10.0;
        default: return sign * std::ldexp(static_cast<double>(g.engine()() >> 11), g.intIn(-250, 150));
    }
}

fp fromMbOperand(mb const& m) {
    fp t;
    equate(t, m);
    return t;
}

fp fromDoubleOperand(double d) {
    fp t;
    equate(t, d);
    return t;
}

// Copies are made by construction: the assignment gives a zero the exponent 0.
template <typename Y>
void checkArithmetic(fp const& x, Y const& y, int32 bp, char const* kind) {
    SCOPED_TRACE(kind);
    fp xm = x;
    fp const& xc = x;
    fp want;
    add(want, x, y);
    EXPECT_TRUE(sameFp(xm + y, want)) << "+";
    EXPECT_TRUE(sameFp(xc + y, want)) << "+ const";
    fp t1 = x;
    t1 += y;
    EXPECT_TRUE(sameFp(t1, want)) << "+=";
    EXPECT_TRUE(isNormal(want.mantissa));

    fp w2;
    sub(w2, x, y);
    EXPECT_TRUE(sameFp(xm - y, w2)) << "-";
    EXPECT_TRUE(sameFp(xc - y, w2)) << "- const";
    fp t2 = x;
    t2 -= y;
    EXPECT_TRUE(sameFp(t2, w2)) << "-=";

    fp w3;
    mul(w3, x, y);
    EXPECT_TRUE(sameFp(xm * y, w3)) << "*";
    EXPECT_TRUE(sameFp(xc * y, w3)) << "* const";
    fp t3 = x;
    t3 *= y;
    EXPECT_TRUE(sameFp(t3, w3)) << "*=";

    fp w4;
    bool ok = div(w4, x, y);
    EXPECT_TRUE(sameFp(xm / y, w4)) << "/";
    EXPECT_TRUE(sameFp(xc / y, w4)) << "/ const";
    fp t4 = x;
    t4 /= y;
    EXPECT_TRUE(sameFp(t4, ok ? w4 : x)) << "/=";
    EXPECT_TRUE(sameFp(xm, x)) << "the non-const forms leave x";
    EXPECT_EQ(blockPrec, bp);
}

template <typename Y>
void checkComparisons(fp const& x, Y const& y, int c, char const* kind) {
    SCOPED_TRACE(testing::Message() << kind << ", compare gives " << c);
    fp xm = x;
    fp const& xc = x;
    EXPECT_EQ(xm > y, c == 1);
    EXPECT_EQ(xc > y, c == 1);
    EXPECT_EQ(xm >= y, c != -1);
    EXPECT_EQ(xc >= y, c != -1);
    EXPECT_EQ(xm == y, c == 0);
    EXPECT_EQ(xc == y, c == 0);
    EXPECT_EQ(xm != y, c != 0);
    EXPECT_EQ(xc != y, c != 0);
    EXPECT_EQ(xm <= y, c != 1);
    EXPECT_EQ(xc <= y, c != 1);
    EXPECT_EQ(xm < y, c == -1);
    EXPECT_EQ(xc < y, c == -1);
}

template <typename A>
void checkLeftOperand(A const& a, fp const& y, int32 bp, char const* kind) {
    SCOPED_TRACE(kind);
    fp want;
    add(want, a, y);
    EXPECT_TRUE(sameFp(a + y, want)) << "a + y";
    sub(want, a, y);
    EXPECT_TRUE(sameFp(a - y, want)) << "a - y";
    mul(want, a, y);
    EXPECT_TRUE(sameFp(a * y, want)) << "a * y";
    fp q;
    div(q, a, y);
    EXPECT_TRUE(sameFp(a / y, q)) << "a / y";
    EXPECT_EQ(blockPrec, bp);
}

TEST(FpOperatorsRandom, OperatorsMatchTheirFunctions) {
    Generator g(0xF0E8A700u);
    for (int i = 0; i < 1500; ++i) {
        int32 bp = g.intIn(1, 6);
        PrecScope prec(bp);
        fp x = randomFp(g, 8), y = g.oneIn(6) ? x : randomFp(g, 8);
        mb m = g.operand(4);
        double d = randomDouble(g);
        SCOPED_TRACE(testing::Message() << "case " << i << ", blockPrec " << bp << ": x = " << show(x)
                                        << ", y = " << show(y) << ", m = " << describe(m) << ", d = " << d);
        checkArithmetic(x, y, bp, "fp operand");
        checkArithmetic(x, m, bp, "mb operand");
        checkArithmetic(x, d, bp, "double operand");
        checkComparisons(x, y, compare(x, y), "fp operand");
        checkComparisons(x, m, compare(x, fromMbOperand(m)), "mb operand");
        checkComparisons(x, d, compare(x, fromDoubleOperand(d)), "double operand");
        checkLeftOperand(m, y, bp, "mb on the left");
        checkLeftOperand(d, y, bp, "double on the left");

        // The scalar forms give what the fp form gives on the converted scalar.
        fp viaForm, viaFp;
        add(viaForm, x, m);
        add(viaFp, x, fromMbOperand(m));
        EXPECT_TRUE(sameFp(viaForm, viaFp)) << "add with mb";
        sub(viaForm, m, x);
        sub(viaFp, fromMbOperand(m), x);
        EXPECT_TRUE(sameFp(viaForm, viaFp)) << "sub with mb on the left";
        mul(viaForm, x, d);
        mul(viaFp, x, fp(d));
        EXPECT_TRUE(sameFp(viaForm, viaFp)) << "mul with double";
        bool okForm = div(viaForm, d, x), okFp = div(viaFp, fp(d), x);
        EXPECT_EQ(okForm, okFp);
        if (okForm) {
            EXPECT_TRUE(sameFp(viaForm, viaFp)) << "div with double on the left";
        }

        fp u = -x;
        fp const& xc = x;
        fp uc = -xc;
        Mpq neg = valueOf(x);
        mpq_neg(neg, neg);
        EXPECT_TRUE(hasValue(u, neg));
        EXPECT_TRUE(hasValue(uc, neg));
        EXPECT_EQ(!x, x.mantissa.length == 0);
        EXPECT_EQ(!xc, x.mantissa.length == 0);

        int n = g.intIn(-300, 300);
        fp s = x;
        s << n;
        EXPECT_TRUE(sameRecord(s.mantissa, x.mantissa));
        EXPECT_EQ(s.exponent, x.exponent + n);
        s >> n;
        EXPECT_TRUE(sameFp(s, x));
        ASSERT_EQ(blockPrec, bp);
        if (HasFailure()) break;
    }
}

// Comparisons on values that the operands hold exactly, against exact rationals.
TEST(FpOperatorsRandom, ComparisonsMatchExactRationals) {
    Generator g(0xF0E8A800u);
    for (int i = 0; i < 2000; ++i) {
        int32 bp = g.intIn(1, 5);
        PrecScope prec(bp);
        // Small dyadic values: k * 2^-3 as a double, the same or a neighbour as an fp.
        int k = g.intIn(-64, 64);
        double d = k / 8.0;
        int kx = g.coin() ? k : k + g.intIn(-2, 2);
        int shift = g.intIn(0, 40);  // the same value with a longer mantissa
        Mpz mant(kx);
        mpz_mul_2exp(mant, mant, static_cast<mp_bitcnt_t>(shift));
        fp x = fpOf(mant, -3 - shift);
        mb m = toMb(g.intIn(-8, 8));
        fp y = g.coin() ? fpOf(Mpz(k), -3) : randomFp(g, bp);  // within blockPrec: compared exactly
        Mpq xv = valueOf(x), dv, mv = valueOf(m), yv = valueOf(y);
        mpq_set_si(dv, k, 8);
        mpq_canonicalize(dv);
        SCOPED_TRACE(testing::Message() << "case " << i << ", blockPrec " << bp << ": x = " << show(x)
                                        << ", d = " << d << ", m = " << mv.str() << ", y = " << show(y));
        auto sgn = [](int v) { return (v > 0) - (v < 0); };
        checkComparisons(x, d, sgn(mpq_cmp(xv, dv)), "double");
        checkComparisons(x, m, sgn(mpq_cmp(xv, mv)), "mb");
        checkComparisons(x, y, sgn(mpq_cmp(xv, yv)), "fp");
        ASSERT_EQ(blockPrec, bp);
        if (HasFailure()) break;
    }
}

// Sums, differences and products of short operands fit blockPrec words: exact.
TEST(FpOperatorsRandom, ShortOperandsGiveExactResults) {
    Generator g(0xF0E8A900u);
    for (int i = 0; i < 2000; ++i) {
        int32 bp = g.intIn(3, 6);
        PrecScope prec(bp);
        fp x, y;
        x.mantissa = g.operand(1);
        x.exponent = g.intIn(-20, 20);
        y.mantissa = g.operand(1);
        y.exponent = g.intIn(-20, 20);
        mb m = g.operand(1);
        double d = g.intIn(-4000, 4000) / 16.0;
        Mpq xv = valueOf(x), yv = valueOf(y), mv = valueOf(m), dv, want;
        mpq_set_si(dv, static_cast<long>(d * 16), 16);
        mpq_canonicalize(dv);
        SCOPED_TRACE(testing::Message() << "case " << i << ", blockPrec " << bp << ": x = " << show(x)
                                        << ", y = " << show(y) << ", m = " << mv.str() << ", d = " << d);
        mpq_add(want, xv, yv);
        ASSERT_TRUE(hasValue(x + y, want));
        mpq_sub(want, xv, yv);
        ASSERT_TRUE(hasValue(x - y, want));
        mpq_mul(want, xv, yv);
        ASSERT_TRUE(hasValue(x * y, want));
        mpq_add(want, xv, mv);
        ASSERT_TRUE(hasValue(x + m, want));
        mpq_sub(want, mv, xv);
        ASSERT_TRUE(hasValue(m - x, want));
        mpq_mul(want, xv, mv);
        ASSERT_TRUE(hasValue(x * m, want));
        mpq_sub(want, xv, dv);
        ASSERT_TRUE(hasValue(x - d, want));
        mpq_sub(want, dv, xv);
        ASSERT_TRUE(hasValue(d - x, want));
        mpq_mul(want, dv, xv);
        ASSERT_TRUE(hasValue(d * x, want));
        // A quotient by a power of two is exact too.
        fp p = fpOf("1", g.intIn(-10, 10));
        mpq_div(want, xv, valueOf(p));
        ASSERT_TRUE(hasValue(x / p, want));
        ASSERT_EQ(blockPrec, bp);
    }
}

}  // namespace
