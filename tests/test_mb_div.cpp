// Shifts, division and residues of mb against GMP: random operands, operands built to
// stress the quotient-word estimate, aliased targets, zero divisors, and worked examples.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <functional>
#include <string>
#include <vector>

#include "fpMath.h"
#include "gmp_oracle.h"
#include "mb.h"
#include "mbConv.h"
#include "mbMath.h"
#include "mbMod.h"

namespace {

using namespace oracle;

Mpz shiftedLeft(Mpz const& x, int n) {
    Mpz z;
    mpz_mul_2exp(z, x, countMagnitude(n));
    return z;
}

// Truncating: sign(x) * floor(|x| / 2^|n|).
Mpz shiftedRight(Mpz const& x, int n) {
    Mpz z;
    mpz_tdiv_q_2exp(z, x, countMagnitude(n));
    return z;
}

// A shift count: small ones of both signs, whole words, and counts past the operand.
int shiftCount(Generator& g) {
    switch (g.range(0, 4)) {
        case 0: return g.intIn(-40, 40);
        case 1: return 32 * g.intIn(-4, 4);
        case 2: return 32 * g.intIn(-4, 4) + g.intIn(-1, 1);
        default: return g.intIn(-2400, 2400);
    }
}

// ---- shifts ----

TEST(MbShift, RandomMatchGmp) {
    Generator g(0x5817F000u);
    mb z;
    for (int i = 0; i < 4000; ++i) {
        mb x = g.sometimesSlack(g.operand());
        int n = shiftCount(g);
        Mpz xv = toMpz(x);
        Mpz left = shiftedLeft(xv, n), right = shiftedRight(xv, n);

        mbShiftLeft(z, x, n);
        ASSERT_TRUE(isNormalValue(z, left)) << "case " << i << ": " << xv.str(16) << " << " << n;
        mbShiftRight(z, x, n);
        ASSERT_TRUE(isNormalValue(z, right)) << "case " << i << ": " << xv.str(16) << " >> " << n;
        ASSERT_TRUE(hasValue(x, xv));

        mb a = rawCopy(x);
        mbShiftLeft(a, a, n);
        ASSERT_TRUE(isNormalValue(a, left)) << "in place, case " << i;
        a = rawCopy(x);
        mbShiftRight(a, a, n);
        ASSERT_TRUE(isNormalValue(a, right)) << "in place, case " << i;

        // Outside normal form the value counts; a count of 0 copies the record as it is.
        mb v = g.variant(x);
        mbShiftLeft(z, v, n);
        ASSERT_TRUE(hasValue(z, left)) << "case " << i << ": " << describe(v) << " << " << n;
        if (n != 0) {
            ASSERT_TRUE(isNormal(z));
        }
        mbShiftRight(z, v, n);
        ASSERT_TRUE(hasValue(z, right)) << "case " << i << ": " << describe(v) << " >> " << n;
        if (n != 0) {
            ASSERT_TRUE(isNormal(z));
        }
    }
}

struct ShiftCase {
    char const* x;
    int n;
    bool left;
    char const* result;
    int32 words;  // expected word count of the result
};

TEST(MbShift, EdgeCases) {
    std::vector<ShiftCase> const cases = {
        {"5", -3, true, "40", 1},
        {"5", 3, true, "40", 1},
        {"-5", -3, true, "-40", 1},
        {"0x123456789", 0, true, "0x123456789", 2},
        {"0x123456789", 0, false, "0x123456789", 2},
        {"0", 77, true, "0", 0},
        {"0", -77, false, "0", 0},
        {"0", INT_MIN, true, "0", 0},
        {"0", INT_MIN, false, "0", 0},
        {"0xFFFFFFFF", 32, true, "0xFFFFFFFF00000000", 2},
        {"0xFFFFFFFF", 64, true, "0xFFFFFFFF0000000000000000", 3},
        {"1", 33, true, "0x200000000", 2},
        {"0x7FFFFFFF", 33, true, "0xFFFFFFFE00000000", 2},
        {"0x80000000", 33, true, "0x10000000000000000", 3},
        {"-1", 1, false, "0", 0},
        {"-5", 1, false, "-2", 1},
        {"-5", -1, false, "-2", 1},
        {"0x123456789ABCDEF", 64, false, "0", 0},
        {"0x123456789ABCDEF", 63, false, "0", 0},
        {"0x123456789ABCDEF", 56, false, "1", 1},
        {"-0x123456789ABCDEF", 32, false, "-0x1234567", 1},
        {"0xFFFFFFFFFFFFFFFF", INT_MAX, false, "0", 0},
        // The most negative count shifts by 2^31 bits.
        {"0xFFFFFFFFFFFFFFFF", INT_MIN, false, "0", 0},
        {"-0xFFFFFFFFFFFFFFFF", INT_MIN, false, "0", 0},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << (c.left ? " << " : " >> ") << c.n);
        mb x = toMb(c.x), z = toMb(-12345);
        if (c.left) {
            mbShiftLeft(z, x, c.n);
        } else {
            mbShiftRight(z, x, c.n);
        }
        EXPECT_TRUE(isNormalValue(z, Mpz(c.result)));
        EXPECT_EQ(absLength(z), c.words);
    }
}

TEST(MbShift, NegativeCountEqualsPositive) {
    Generator g(0x5817F001u);
    for (int i = 0; i < 500; ++i) {
        mb x = g.operand();
        int n = g.intIn(1, 300);
        mb a, b;
        mbShiftLeft(a, x, n);
        mbShiftLeft(b, x, -n);
        ASSERT_TRUE(sameRecord(a, b));
        mbShiftRight(a, x, n);
        mbShiftRight(b, x, -n);
        ASSERT_TRUE(sameRecord(a, b));
    }
}

TEST(MbShift, AlignLeft) {
    struct Case {
        char const* x;
        int shift;
        char const* result;
    };
    std::vector<Case> const cases = {
        {"0", 0, "0"},
        {"1", 31, "0x80000000"},
        {"0x80000000", 0, "0x80000000"},
        {"0xFFFFFFFF", 0, "0xFFFFFFFF"},
        {"-3", 30, "-0xC0000000"},
        {"0x100000000", 31, "0x8000000000000000"},
        {"-0x1FFFFFFFFFFFFFFFF", 31, "-0xFFFFFFFFFFFFFFFF80000000"},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.x);
        mb x = toMb(c.x);
        EXPECT_EQ(alignLeft(x), c.shift);
        EXPECT_TRUE(isNormalValue(x, Mpz(c.result)));
    }
}

TEST(MbShift, AlignLeftRandom) {
    Generator g(0xA1160000u);
    for (int i = 0; i < 2000; ++i) {
        mb x = g.operand();
        Mpz xv = toMpz(x);
        int want = 0;
        if (x.length != 0) want = 32 * absLength(x) - static_cast<int>(mpz_sizeinbase(xv, 2));
        ASSERT_EQ(alignLeft(x), want) << "case " << i << ": " << xv.str(16);
        ASSERT_TRUE(isNormalValue(x, shiftedLeft(xv, want)));
        if (x.length != 0) {
            ASSERT_NE(x.blocks[absLength(x) - 1] & 0x80000000u, 0u);
        }

        // Outside normal form the zero top words count as part of the width to fill.
        mb v = g.nonNormal(g.nonzero());
        Mpz vv = toMpz(v);
        int wantV = 32 * absLength(v) - static_cast<int>(mpz_sizeinbase(vv, 2));
        ASSERT_EQ(alignLeft(v), wantV) << "case " << i;
        ASSERT_TRUE(isNormalValue(v, shiftedLeft(vv, wantV)));
    }
}

// ---- one-word division ----

uint32 divisorWord(Generator& g) {
    uint32 w = 0;
    while (w == 0) w = g.coin() ? g.patternWord() : (g.coin() ? g.randomWord() : static_cast<uint32>(g.range(1, 20)));
    return w;
}

TEST(MbShortDiv, RandomMatchGmp) {
    Generator g(0x5D1F0000u);
    mb q, q2;
    for (int i = 0; i < 4000; ++i) {
        mb x = g.sometimesSlack(g.operand());
        uint32 w = divisorWord(g);
        bool yNeg = g.coin();
        mb y = makeRecord({w}, yNeg);
        Mpz xv = toMpz(x), yv = toMpz(y), wantQ, wantR;
        mpz_tdiv_qr(wantQ, wantR, xv, yv);
        uint32 wantRem = static_cast<uint32>(mpz_get_ui(wantR) & 0xFFFFFFFFul);

        int rem = mbShortDiv(q, x, y);
        ASSERT_EQ(static_cast<uint32>(rem), wantRem) << "case " << i << ": " << xv.str(16) << " / " << yv.str(16);
        ASSERT_TRUE(isNormalValue(q, wantQ)) << "case " << i;

        Mpz wantQ2;  // the word form: the quotient has the sign of x
        mpz_tdiv_q_ui(wantQ2, xv, w);
        rem = mbShortDiv(q2, x, w);
        ASSERT_EQ(static_cast<uint32>(rem), wantRem) << "case " << i;
        ASSERT_TRUE(isNormalValue(q2, wantQ2)) << "case " << i;

        mb a = rawCopy(x);  // quotient over the dividend
        ASSERT_EQ(static_cast<uint32>(mbShortDiv(a, a, y)), wantRem);
        ASSERT_TRUE(sameRecord(a, q));
        a = rawCopy(y);  // quotient over the divisor
        ASSERT_EQ(static_cast<uint32>(mbShortDiv(a, x, a)), wantRem);
        ASSERT_TRUE(sameRecord(a, q));
        a = rawCopy(x);
        ASSERT_EQ(static_cast<uint32>(mbShortDiv(a, a, w)), wantRem);
        ASSERT_TRUE(sameRecord(a, q2));
        ASSERT_TRUE(hasValue(x, xv));
        ASSERT_TRUE(hasValue(y, yv));
    }
}

TEST(MbShortDiv, EdgeCases) {
    mb q = toMb(55);
    mb x = toMb(-7), two = toMb(2);
    EXPECT_EQ(mbShortDiv(q, x, two), 1);
    EXPECT_TRUE(isNormalValue(q, Mpz(-3)));
    EXPECT_EQ(mbShortDiv(q, x, 2u), 1);
    EXPECT_TRUE(isNormalValue(q, Mpz(-3)));
    mb minusTwo = toMb(-2);
    EXPECT_EQ(mbShortDiv(q, x, minusTwo), 1);
    EXPECT_TRUE(isNormalValue(q, Mpz(3)));

    // The remainder word keeps its unsigned meaning above 2^31.
    mb big = toMb("0xFFFFFFFE");
    EXPECT_EQ(static_cast<uint32>(mbShortDiv(q, big, 0xFFFFFFFFu)), 0xFFFFFFFEu);
    EXPECT_TRUE(isNormalValue(q, Mpz(0)));

    // Zero dividend: q = 0, remainder 0.
    mb zero;
    q = toMb(9);
    EXPECT_EQ(mbShortDiv(q, zero, two), 0);
    EXPECT_TRUE(isNormalValue(q, Mpz(0)));
    q = toMb(9);
    EXPECT_EQ(mbShortDiv(q, zero, 3u), 0);
    EXPECT_TRUE(isNormalValue(q, Mpz(0)));
}

TEST(MbShortDiv, RefusedDivisorsLeaveQuotientUntouched) {
    mb x = toMb("0x123456789ABCDEF");
    // Built in place: a copy would not keep the array of the zero.
    mb const divisors[] = {mb(), toMb("0x100000000"), toMb("-0xFFFFFFFFFFFFFFFF"),
                           makeRecord({}, false, 2)};  // the last: zero that keeps an array
    for (mb const& y : divisors) {
        SCOPED_TRACE(describe(y));
        mb q = toMb("-0xABCDEF0123");
        uint32* before = q.blocks;
        mb keep = rawCopy(q);
        EXPECT_EQ(mbShortDiv(q, x, y), 0);
        EXPECT_EQ(q.blocks, before);
        EXPECT_TRUE(sameRecord(q, keep));
    }
    mb q = toMb("-0xABCDEF0123");
    uint32* before = q.blocks;
    EXPECT_EQ(mbShortDiv(q, x, 0u), 0);
    EXPECT_EQ(q.blocks, before);
    EXPECT_TRUE(isNormalValue(q, Mpz("-0xABCDEF0123")));
}

// ---- long division ----

// Checks div and divRem of x by y against GMP's truncating division.
::testing::AssertionResult dividesLikeGmp(mb const& x, mb const& y) {
    Mpz xv = toMpz(x), yv = toMpz(y), wantQ, wantR;
    mpz_tdiv_qr(wantQ, wantR, xv, yv);
    mb q = toMb(77), r = toMb(-77), q2 = toMb(5);
    if (!divRem(q, r, x, y)) return ::testing::AssertionFailure() << "divRem refused " << xv.str(16) << " / " << yv.str(16);
    if (!div(q2, x, y)) return ::testing::AssertionFailure() << "div refused";
    for (auto* check : {&q, &q2}) {
        ::testing::AssertionResult ok = isNormalValue(*check, wantQ);
        if (!ok) return ok << " (quotient of " << xv.str(16) << " / " << yv.str(16) << ")";
    }
    ::testing::AssertionResult ok = isNormalValue(r, wantR);
    if (!ok) return ok << " (remainder of " << xv.str(16) << " / " << yv.str(16) << ")";
    if (!hasValue(x, xv) || !hasValue(y, yv)) return ::testing::AssertionFailure() << "an operand changed";
    return ::testing::AssertionSuccess();
}

TEST(MbDiv, RandomMatchGmp) {
    Generator g(0xD1F00000u);
    for (int i = 0; i < 4000; ++i) {
        mb x = g.sometimesSlack(g.operand(70));
        mb y = g.sometimesSlack(g.nonzero(40));
        ASSERT_TRUE(dividesLikeGmp(x, y)) << "case " << i;
    }
}

// x = q*y + r with a chosen remainder: the largest, the smallest and random ones.
TEST(MbDiv, ConstructedQuotientsAndRemainders) {
    Generator g(0xD1F00001u);
    for (int i = 0; i < 2500; ++i) {
        mb y = g.nonzero(30), q = g.operand(40);
        Mpz yv = toMpz(y), qv = toMpz(q), ya, r, xv;
        mpz_abs(ya, yv);
        switch (g.range(0, 3)) {
            case 0: mpz_sub_ui(r, ya, 1); break;
            case 1: mpz_set_ui(r, 0); break;
            case 2: mpz_set_ui(r, 1); break;
            default: mpz_mod(r, toMpz(g.operand(30)), ya);
        }
        mpz_mul(xv, qv, yv);
        if (xv.sign() < 0) mpz_neg(r, r);
        mpz_add(xv, xv, r);
        mb x = toMb(xv);
        ASSERT_TRUE(dividesLikeGmp(x, y)) << "case " << i;
    }
}

// Word patterns that push the quotient-word estimate to its corrections and its cap.
std::vector<uint32> divisorTemplate(int kind, int m) {
    std::vector<uint32> w(static_cast<std::size_t>(m), 0u);
    uint32& top = w.back();
    switch (kind) {
        case 0: top = 0x80000000u; break;                                   // 0x80000000 00000000 ...
        case 1: std::fill(w.begin(), w.end(), 0xFFFFFFFFu); top = 0x80000000u; break;  // 0x80000000 FFFFFFFF ...
        case 2: std::fill(w.begin(), w.end(), 0xFFFFFFFFu); break;          // all ones
        case 3: top = 0x80000000u; w[0] = 1; break;                         // 0x80000000 0 ... 1
        case 4: std::fill(w.begin(), w.end(), 0xFFFFFFFFu); top = 0x7FFFFFFFu; break;
        case 5: top = 1; break;                                             // a shift of 31
        case 6: std::fill(w.begin(), w.end(), 0xFFFFFFFFu); top = 1; break;
        case 7: top = 0xFFFFFFFFu; break;
        case 8: top = 0x80000000u; w[w.size() - 2] = 1; break;
        default: std::fill(w.begin(), w.end(), 0xFFFFFFFFu); w[0] = 0xFFFFFFFEu; break;
    }
    return w;
}

std::vector<uint32> dividendTemplate(int kind, int n) {
    std::vector<uint32> w(static_cast<std::size_t>(n), 0u);
    switch (kind) {
        case 0: std::fill(w.begin(), w.end(), 0xFFFFFFFFu); break;
        case 1: w.back() = 0x80000000u; break;
        case 2: std::fill(w.begin(), w.end(), 0xFFFFFFFFu); w[0] = 0; break;
        case 3:
            for (std::size_t i = 0; i < w.size(); ++i) w[i] = i % 2 ? 0xFFFFFFFFu : 0u;
            break;
        case 4: std::fill(w.begin(), w.end(), 0xFFFFFFFFu); w.back() = 0x7FFFFFFFu; break;
        case 5: std::fill(w.begin(), w.end(), 0x80000000u); break;
        default: std::fill(w.begin(), w.end(), 0xFFFFFFFFu); w.back() = 0x80000000u; break;
    }
    if (w.back() == 0) w.back() = 1;
    return w;
}

TEST(MbDiv, QuotientEstimateStress) {
    int checked = 0;
    for (int m : {2, 3, 4, 5, 8}) {
        for (int dk = 0; dk < 10; ++dk) {
            Mpz yv = toMpz(makeRecord(divisorTemplate(dk, m)));
            // Dividends from patterns of several widths ...
            for (int n : {m, m + 1, m + 2, 2 * m, 2 * m + 3}) {
                for (int xk = 0; xk < 7; ++xk) {
                    mb x = makeRecord(dividendTemplate(xk, n));
                    for (int s = 0; s < 4; ++s) {
                        Mpz xs = toMpz(x), ys = yv;
                        if (s & 1) mpz_neg(xs, xs);
                        if (s & 2) mpz_neg(ys, ys);
                        ASSERT_TRUE(dividesLikeGmp(toMb(xs), toMb(ys))) << "divisor kind " << dk << ", dividend kind " << xk;
                        ++checked;
                    }
                }
            }
            // ... and neighbours of multiples of the divisor: k*y - 1, k*y, k*y + y - 1.
            for (char const* k : {"1", "2", "0xFFFFFFFF", "0x100000000", "0x100000001", "0xFFFFFFFFFFFFFFFF",
                                  "0x10000000000000000", "0xFFFFFFFF00000000FFFFFFFF"}) {
                Mpz base, kv(k), t;
                mpz_mul(base, yv, kv);
                mpz_sub_ui(t, base, 1);
                ASSERT_TRUE(dividesLikeGmp(toMb(t), toMb(yv))) << "k*y - 1, k = " << k << ", kind " << dk;
                ASSERT_TRUE(dividesLikeGmp(toMb(base), toMb(yv))) << "k*y, k = " << k << ", kind " << dk;
                mpz_add(t, base, yv);
                mpz_sub_ui(t, t, 1);
                ASSERT_TRUE(dividesLikeGmp(toMb(t), toMb(yv))) << "k*y + y - 1, k = " << k << ", kind " << dk;
                checked += 3;
            }
        }
    }
    EXPECT_GT(checked, 5000);
}

TEST(MbDiv, WorkedExamples) {
    struct Case {
        char const* x;
        char const* y;
        char const* q;
        char const* r;
    };
    std::vector<Case> const cases = {
        // Words from the top: FFFFFFFF FFFFFFFF 0 FFFFFFFF 5 by FFFFFFFF FFFFFFFF 1.
        {"0xFFFFFFFFFFFFFFFF00000000FFFFFFFF00000005", "0xFFFFFFFFFFFFFFFF00000001", "0xFFFFFFFFFFFFFFFF", nullptr},
        {"0xFFFFFFFFFFFFFFFFFFFFFFFF", "0xFFFFFFFFFFFFFFFF", "0x100000000", "0xFFFFFFFF"},
        {"0x10000000000000000", "0x100000001", "0xFFFFFFFF", "1"},
        {"-7", "2", "-3", "-1"},
        {"7", "-2", "-3", "1"},
        {"7", "-7", "-1", "0"},
        {"6", "7", "0", "6"},
        {"-6", "7", "0", "-6"},
        {"0", "-0x123456789", "0", "0"},
        {"-0x123456789", "-0x123456789", "1", "0"},
        {"0x123456789", "-0x123456789", "-1", "0"},
        {"0x123456788", "0x123456789", "0", "0x123456788"},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << " / " << c.y);
        mb x = toMb(c.x), y = toMb(c.y), q, r, q2;
        ASSERT_TRUE(div(q2, x, y));
        ASSERT_TRUE(divRem(q, r, x, y));
        EXPECT_TRUE(isNormalValue(q, Mpz(c.q)));
        EXPECT_TRUE(isNormalValue(q2, Mpz(c.q)));
        Mpz wantR;
        if (c.r != nullptr) {
            mpz_set(wantR, Mpz(c.r));
        } else {
            mpz_tdiv_r(wantR, toMpz(x), toMpz(y));
        }
        EXPECT_TRUE(isNormalValue(r, wantR));
    }
}

// Every aliasing of quotient and remainder with the operands gives the results of
// distinct targets. Each form gets fresh copies of x and y and reports q and r.
struct AliasForm {
    char const* name;
    bool hasRemainder;
    std::function<void(mb const& x, mb const& y, mb& q, mb& r)> run;
};

std::vector<AliasForm> const kAliasForms = {
    {"div(q, q, y)", false, [](mb const& x, mb const& y, mb& q, mb&) { q = rawCopy(x); ASSERT_TRUE(div(q, q, y)); }},
    {"div(q, x, q)", false, [](mb const& x, mb const& y, mb& q, mb&) { q = rawCopy(y); ASSERT_TRUE(div(q, x, q)); }},
    {"divRem(q, r, q, y)", true,
     [](mb const& x, mb const& y, mb& q, mb& r) { q = rawCopy(x); ASSERT_TRUE(divRem(q, r, q, y)); }},
    {"divRem(q, r, r, y)", true,
     [](mb const& x, mb const& y, mb& q, mb& r) { r = rawCopy(x); ASSERT_TRUE(divRem(q, r, r, y)); }},
    {"divRem(q, r, x, q)", true,
     [](mb const& x, mb const& y, mb& q, mb& r) { q = rawCopy(y); ASSERT_TRUE(divRem(q, r, x, q)); }},
    {"divRem(q, r, x, r)", true,
     [](mb const& x, mb const& y, mb& q, mb& r) { r = rawCopy(y); ASSERT_TRUE(divRem(q, r, x, r)); }},
    {"divRem(q, r, q, r)", true,
     [](mb const& x, mb const& y, mb& q, mb& r) {
         q = rawCopy(x);
         r = rawCopy(y);
         ASSERT_TRUE(divRem(q, r, q, r));
     }},
    {"divRem(q, r, r, q)", true,
     [](mb const& x, mb const& y, mb& q, mb& r) {
         r = rawCopy(x);
         q = rawCopy(y);
         ASSERT_TRUE(divRem(q, r, r, q));
     }},
};

TEST(MbDiv, AliasedTargetsMatchDistinctTargets) {
    Generator g(0xA11AD100u);
    for (int i = 0; i < 1500; ++i) {
        mb x = g.operand(50), y = g.nonzero(30);
        if (g.oneIn(10)) y = rawCopy(x.length != 0 ? x : y);  // equal magnitudes
        Mpz xv = toMpz(x), yv = toMpz(y), wantQ, wantR;
        mpz_tdiv_qr(wantQ, wantR, xv, yv);
        mb q0, r0;
        ASSERT_TRUE(divRem(q0, r0, x, y));
        ASSERT_TRUE(isNormalValue(q0, wantQ));
        ASSERT_TRUE(isNormalValue(r0, wantR));
        for (auto const& form : kAliasForms) {
            mb q, r;
            form.run(x, y, q, r);
            ASSERT_TRUE(isNormalValue(q, wantQ)) << form.name << ", case " << i << ": " << xv.str(16) << " / " << yv.str(16);
            ASSERT_TRUE(sameRecord(q, q0)) << form.name;
            if (form.hasRemainder) {
                ASSERT_TRUE(isNormalValue(r, wantR)) << form.name << ", case " << i << ": " << xv.str(16) << " / "
                                                     << yv.str(16);
            }
        }
        // One record as dividend and divisor.
        if (x.length != 0) {
            mb a = rawCopy(x);
            ASSERT_TRUE(div(a, a, a));
            ASSERT_TRUE(isNormalValue(a, Mpz(1)));
            mb q, r;
            ASSERT_TRUE(divRem(q, r, x, x));
            ASSERT_TRUE(isNormalValue(q, Mpz(1)));
            ASSERT_TRUE(isNormalValue(r, Mpz(0)));
        }
    }
}

TEST(MbDiv, ZeroDivisorLeavesTargetsUntouched) {
    mb const zeros[] = {
        mb(),
        makeRecord({}, false, 2),  // length 0 with an array
        makeRecord({0, 0}, false), // zero words outside normal form
        makeRecord({0}, true, 1),
    };
    for (char const* xt : {"0", "5", "-0x123456789ABCDEF0123"}) {
        mb x = toMb(xt);
        for (mb const& y : zeros) {
            SCOPED_TRACE(testing::Message() << xt << " / " << describe(y));
            mb q = toMb("-0xFEDCBA987654321"), r = toMb(42);
            uint32* qBefore = q.blocks;
            uint32* rBefore = r.blocks;
            mb qKeep = rawCopy(q), rKeep = rawCopy(r);
            EXPECT_FALSE(div(q, x, y));
            EXPECT_TRUE(sameRecord(q, qKeep));
            EXPECT_EQ(q.blocks, qBefore);
            EXPECT_FALSE(divRem(q, r, x, y));
            EXPECT_TRUE(sameRecord(q, qKeep));
            EXPECT_TRUE(sameRecord(r, rKeep));
            EXPECT_EQ(q.blocks, qBefore);
            EXPECT_EQ(r.blocks, rBefore);
            mb a = rawCopy(x);  // an aliased dividend stays as it was too
            EXPECT_FALSE(div(a, a, y));
            EXPECT_TRUE(sameRecord(a, x));
        }
    }
}

TEST(MbDiv, OperandsOutsideNormalFormCountByValue) {
    Generator g(0x0DDD1F00u);
    for (int i = 0; i < 2500; ++i) {
        mb x = g.operand(40), y = g.nonzero(25);
        Mpz xv = toMpz(x), yv = toMpz(y), wantQ, wantR;
        mpz_tdiv_qr(wantQ, wantR, xv, yv);
        mb xo = g.variant(x), yo = g.variant(y);
        mb xKeep = rawCopy(xo), yKeep = rawCopy(yo);
        mb q, r, q2;
        ASSERT_TRUE(divRem(q, r, xo, yo));
        ASSERT_TRUE(div(q2, xo, yo));
        ASSERT_TRUE(isNormalValue(q, wantQ)) << "case " << i << ": " << describe(xo) << " / " << describe(yo);
        ASSERT_TRUE(isNormalValue(q2, wantQ)) << "case " << i;
        ASSERT_TRUE(isNormalValue(r, wantR)) << "case " << i << ": " << describe(xo) << " / " << describe(yo);
        ASSERT_TRUE(sameRecord(xo, xKeep));
        ASSERT_TRUE(sameRecord(yo, yKeep));
    }
}

// ---- balanced residue ----

TEST(MyModulus, RandomMatchGmp) {
    Generator g(0x30D0000u);
    mb z;
    for (int i = 0; i < 4000; ++i) {
        mb x = g.operand(60);
        mb m = g.oneIn(3) ? toMb(static_cast<long>(g.range(1, 9)) * (g.coin() ? 1 : -1)) : g.nonzero(30);
        Mpz xv = toMpz(x), mv = toMpz(m);
        Mpz want = balanced(xv, mv);
        myModulus(z, x, m);
        ASSERT_TRUE(isNormalValue(z, want)) << "case " << i << ": " << xv.str(16) << " mod " << mv.str(16);
        ASSERT_TRUE(hasValue(x, xv));
        ASSERT_TRUE(hasValue(m, mv));

        // Multiples of the modulus give 0 for either sign.
        Mpz k;
        mpz_mul(k, xv, mv);
        myModulus(z, toMb(k), m);
        ASSERT_TRUE(isNormalValue(z, Mpz(0))) << "multiple, case " << i;

        mb a = rawCopy(x);
        myModulus(a, a, m);
        ASSERT_TRUE(isNormalValue(a, want)) << "myModulus(x, x, m), case " << i;
        a = rawCopy(m);
        myModulus(a, x, a);
        ASSERT_TRUE(isNormalValue(a, want)) << "myModulus(m, x, m), case " << i;
    }
}

TEST(MyModulus, EdgeCases) {
    struct Case {
        long x;
        long m;
        long result;
    };
    std::vector<Case> const cases = {
        {7, 4, -1},  {6, 4, 2},   {-6, 4, 2},  {-8, 4, 0},  {5, 3, -1}, {5, -3, -1}, {7, -4, -1}, {-6, -4, 2},
        {5, 2, 1},   {-5, 2, 1},  {-4, 2, 0},  {4, 2, 0},   {3, -2, 1}, {0, 7, 0},   {5, 1, 0},   {-5, 1, 0},
        {-5, -1, 0}, {2, 4, 2},   {-2, 4, 2},  {1, 3, 1},   {-1, 3, -1}, {2, 3, -1}, {-2, 3, 1},  {3, 6, 3},
        {-3, 6, 3},  {4, 6, -2},  {-4, 6, 2},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << " mod " << c.m);
        mb x = toMb(c.x), m = toMb(c.m), z = toMb(999);
        myModulus(z, x, m);
        EXPECT_TRUE(isNormalValue(z, Mpz(c.result)));
        EXPECT_TRUE(isNormalValue(z, balanced(Mpz(c.x), Mpz(c.m))));
    }
}

TEST(MyModulus, ZeroModulusLeavesTargetUntouched) {
    // The last two hold only zero words: outside normal form, still the value zero.
    mb const moduli[] = {mb(), makeRecord({}, false, 2), makeRecord({0, 0}), makeRecord({0}, true)};
    for (mb const& m : moduli) {
        mb x = toMb(12345), z = toMb("-0x123456789");
        uint32* before = z.blocks;
        myModulus(z, x, m);
        EXPECT_EQ(z.blocks, before);
        EXPECT_TRUE(isNormalValue(z, Mpz("-0x123456789")));
    }
}

// ---- bit lengths of machine words ----

TEST(NumBitsWord, EdgeCases) {
    EXPECT_EQ(NumBits(0u), 0);
    EXPECT_EQ(NumBits(1u), 1);
    EXPECT_EQ(NumBits(0x80000000u), 32);
    EXPECT_EQ(NumBits(0xFFFFFFFFu), 32);
    EXPECT_EQ(NumBits(0x7FFFFFFFu), 31);
    EXPECT_EQ(NumBits(0), 0);
    EXPECT_EQ(NumBits(1), 1);
    EXPECT_EQ(NumBits(-1), 1);
    EXPECT_EQ(NumBits(-5), 3);
    EXPECT_EQ(NumBits(INT_MAX), 31);
    EXPECT_EQ(NumBits(-INT_MAX), 31);
    EXPECT_EQ(NumBits(INT_MIN), 0);  // no int magnitude
}

TEST(NumBitsWord, EveryBitLength) {
    Generator g(0x0B175000u);
    for (int b = 0; b < 32; ++b) {
        for (int i = 0; i < 50; ++i) {
            uint32 top = 1u << b;
            uint32 v = top | (g.randomWord() & (top - 1u));
            ASSERT_EQ(NumBits(static_cast<unsigned int>(v)), b + 1) << v;
            if (b < 31) {
                int s = static_cast<int>(v);
                ASSERT_EQ(NumBits(s), b + 1) << s;
                ASSERT_EQ(NumBits(-s), b + 1) << -s;
            }
        }
    }
    for (int i = 0; i < 2000; ++i) {
        uint32 v = g.randomWord() >> g.intIn(0, 31);
        ASSERT_EQ(NumBits(static_cast<unsigned int>(v)), bitLength(v));
    }
}

}  // namespace
