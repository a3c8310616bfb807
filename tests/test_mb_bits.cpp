// Bit reading and two's-complement logic of mb against GMP integers: negative operands
// become 2^(32k) - |x| on the wider operand's word count k, results are the nonnegative
// pattern. Also the one-word helpers and the edge cases of each operation.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <vector>

#include "gmp_oracle.h"
#include "mb.h"
#include "mbConv.h"
#include "mbMath.h"

namespace {

using namespace oracle;

// ---- references ----

mb apply(Logic op, mb const& x, mb const& y) {
    switch (op) {
        case Logic::And: return mbAnd(x, y);
        case Logic::Or: return mbOr(x, y);
        default: return mbXor(x, y);
    }
}

mb apply(Logic op, mb const& x, int n) {
    switch (op) {
        case Logic::And: return mbAnd(x, n);
        case Logic::Or: return mbOr(x, n);
        default: return mbXor(x, n);
    }
}

char const* name(Logic op) { return op == Logic::And ? "and" : op == Logic::Or ? "or" : "xor"; }

int referenceNumBits(mb const& x) {
    Mpz a = absOf(toMpz(x));
    return a.sign() == 0 ? 1 : static_cast<int>(mpz_sizeinbase(a, 2));
}

// Positions from..to where the magnitudes' bits agree, saturated at INT_MAX.
int referenceCompareBits(mb const& x, mb const& y, int from, int to) {
    if (from < 0 || from > to) return 0;
    Mpz d;
    mpz_xor(d, absOf(toMpz(x)), absOf(toMpz(y)));
    mpz_fdiv_q_2exp(d, d, static_cast<unsigned long>(from));
    std::int64_t span = std::int64_t(to) - from + 1;
    mpz_fdiv_r_2exp(d, d, static_cast<unsigned long>(span));
    std::int64_t agree = span - static_cast<std::int64_t>(mpz_popcount(d));
    return agree > INT_MAX ? INT_MAX : static_cast<int>(agree);
}

int naiveOnes(uint32 v) {
    int n = 0;
    for (int i = 0; i < 32; ++i) n += static_cast<int>((v >> i) & 1u);
    return n;
}

int bitIndex(Generator& g, mb const& x) {
    int bits = referenceNumBits(x);
    switch (g.range(0, 3)) {
        case 0: return g.intIn(-3, 3);
        case 1: return bits + g.intIn(-2, 2);
        default: return g.intIn(-2, bits + 70);
    }
}

// ---- logic ----

TEST(MbLogic, RandomMatchGmp) {
    Generator g(0x10610000u);
    for (int i = 0; i < 3000; ++i) {
        mb x = g.operand(), y = g.coin() ? g.operand() : g.operand(3);
        mb xKeep = rawCopy(x), yKeep = rawCopy(y);
        for (Logic op : {Logic::And, Logic::Or, Logic::Xor}) {
            Mpz want = logic(op, x, y);
            mb z = apply(op, x, y);
            ASSERT_TRUE(isNormalValue(z, want)) << name(op) << ", case " << i << ": " << toMpz(x).str(16) << ", "
                                                << toMpz(y).str(16);
            mb zr = apply(op, y, x);  // symmetric
            ASSERT_TRUE(isNormalValue(zr, want)) << name(op) << " swapped, case " << i;
            int n = intOperand(g);
            Mpz wantInt = logic(op, x, n);
            mb zi = apply(op, x, n);
            ASSERT_TRUE(isNormalValue(zi, wantInt)) << name(op) << " int, case " << i << ": " << toMpz(x).str(16)
                                                    << ", " << n;
        }
        ASSERT_TRUE(sameRecord(x, xKeep));
        ASSERT_TRUE(sameRecord(y, yKeep));
    }
}

TEST(MbLogic, TwosComplementRandom) {
    Generator g(0x2C000000u);
    for (int i = 0; i < 3000; ++i) {
        mb x = g.operand();
        int w = g.intIn(-3, 75);
        Mpz a = absOf(toMpz(x)), want, want1;
        if (a.sign() != 0) {
            long k = std::max<long>(w, absLength(x));
            want = pow2(static_cast<unsigned long>(32 * k));
            mpz_sub(want, want, a);
            want1 = pow2(static_cast<unsigned long>(32 * absLength(x)));
            mpz_sub(want1, want1, a);
        }
        mb z = twosComplement(x, w);
        ASSERT_TRUE(isNormalValue(z, want)) << "case " << i << ": " << toMpz(x).str(16) << " on " << w;
        mb z1 = twosComplement(x);
        ASSERT_TRUE(isNormalValue(z1, want1)) << "case " << i;
    }
}

TEST(MbLogic, SetClearFlipRandom) {
    Generator g(0x5E7B1700u);
    for (int i = 0; i < 3000; ++i) {
        mb x = g.operand(40);
        mb keep = rawCopy(x);
        int bit = bitIndex(g, x);
        Mpz xv = toMpz(x);
        Mpz wantSet = xv, wantFlip = xv, wantClear = xv;
        if (bit >= 0) {
            Mpz p = pow2(static_cast<unsigned long>(bit));
            long pWords = bit / 32 + 1;
            wantSet = logic(Logic::Or, xv, absLength(x), p, pWords);
            wantFlip = logic(Logic::Xor, xv, absLength(x), p, pWords);
            if (xv.sign() != 0 && bit < referenceNumBits(x)) {
                Mpz pat = pattern(xv, absLength(x));
                if (mpz_tstbit(pat, static_cast<unsigned long>(bit))) {
                    mpz_clrbit(pat, static_cast<unsigned long>(bit));
                    wantClear = pat;
                }
            }
        }
        mb s = mbSetBit(x, bit), f = mbFlipBit(x, bit), c = mbClearBit(x, bit);
        ASSERT_TRUE(isNormalValue(s, wantSet)) << "set, case " << i << ": " << xv.str(16) << " bit " << bit;
        ASSERT_TRUE(isNormalValue(f, wantFlip)) << "flip, case " << i << ": " << xv.str(16) << " bit " << bit;
        ASSERT_TRUE(isNormalValue(c, wantClear)) << "clear, case " << i << ": " << xv.str(16) << " bit " << bit;
        ASSERT_TRUE(sameRecord(x, keep));
    }
}

struct LogicCase {
    Logic op;
    char const* x;
    char const* y;
    char const* result;
};

TEST(MbLogic, EdgeCases) {
    std::vector<LogicCase> const cases = {
        {Logic::And, "-1", "-1", "0xFFFFFFFF"},
        {Logic::Or, "-2", "1", "0xFFFFFFFF"},
        {Logic::And, "-1", "255", "255"},
        {Logic::Or, "0", "-1", "0xFFFFFFFF"},
        {Logic::Or, "-1", "0", "0xFFFFFFFF"},
        {Logic::Xor, "5", "5", "0"},
        {Logic::Xor, "-5", "-5", "0"},
        {Logic::And, "-1", "0x10000000000", "0x10000000000"},
        {Logic::And, "0", "-1", "0"},
        {Logic::Xor, "0", "0", "0"},
        {Logic::Or, "0", "0", "0"},
        {Logic::Xor, "-1", "0x100000000", "0xFFFFFFFEFFFFFFFF"},
        {Logic::Or, "-0x100000000", "1", "0xFFFFFFFF00000001"},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(testing::Message() << name(c.op) << "(" << c.x << ", " << c.y << ")");
        mb z = apply(c.op, toMb(c.x), toMb(c.y));
        EXPECT_TRUE(isNormalValue(z, Mpz(c.result)));
        EXPECT_GE(z.length, 0);
    }
}

struct LogicIntCase {
    Logic op;
    char const* x;
    int n;
    char const* result;
};

TEST(MbLogic, IntFormEdgeCases) {
    std::vector<LogicIntCase> const cases = {
        {Logic::And, "-3", 6, "4"},
        {Logic::And, "-1", 255, "255"},
        {Logic::Xor, "0x100000000", 5, "0x100000005"},
        {Logic::And, "0x10000000003", 1, "1"},
        {Logic::Or, "0", -1, "0xFFFFFFFF"},
        {Logic::Or, "0", 7, "7"},
        {Logic::Xor, "0", 7, "7"},
        {Logic::And, "0", 7, "0"},
        {Logic::And, "7", 0, "0"},
        {Logic::Or, "-5", 0, "0xFFFFFFFB"},
        {Logic::Xor, "-5", 0, "0xFFFFFFFB"},
        {Logic::Xor, "7", 7, "0"},
        {Logic::And, "0x100000000", -1, "0x100000000"},
        {Logic::Or, "0x100000000", -1, "0xFFFFFFFFFFFFFFFF"},
        {Logic::And, "5", INT_MIN, "0"},
        {Logic::Or, "5", INT_MIN, "0x80000005"},
        {Logic::And, "-1", INT_MIN, "0x80000000"},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(testing::Message() << name(c.op) << "(" << c.x << ", int " << c.n << ")");
        mb z = apply(c.op, toMb(c.x), c.n);
        EXPECT_TRUE(isNormalValue(z, Mpz(c.result)));
    }
}

TEST(MbLogic, TwosComplementEdgeCases) {
    EXPECT_TRUE(isNormalValue(twosComplement(toMb(5), 2), Mpz("0xFFFFFFFFFFFFFFFB")));
    EXPECT_TRUE(isNormalValue(twosComplement(toMb(-5)), Mpz("0xFFFFFFFB")));
    EXPECT_TRUE(isNormalValue(twosComplement(toMb(0), 3), Mpz(0)));
    EXPECT_TRUE(isNormalValue(twosComplement(toMb(0)), Mpz(0)));
    EXPECT_TRUE(isNormalValue(twosComplement(toMb(1), -4), Mpz("0xFFFFFFFF")));
    // A value with low zero words: the pattern keeps them zero.
    EXPECT_TRUE(isNormalValue(twosComplement(toMb("0x100000000")), Mpz("0xFFFFFFFF00000000")));
    EXPECT_TRUE(isNormalValue(twosComplement(toMb("0x80000000")), Mpz("0x80000000")));
}

TEST(MbLogic, SetClearFlipEdgeCases) {
    mb twelve = toMb(12);
    EXPECT_TRUE(isNormalValue(mbSetBit(toMb(0), 5), Mpz(32)));
    EXPECT_TRUE(isNormalValue(mbSetBit(toMb(0), 64), Mpz("0x10000000000000000")));
    EXPECT_TRUE(isNormalValue(mbFlipBit(toMb(0), 0), Mpz(1)));
    EXPECT_TRUE(isNormalValue(mbSetBit(twelve, -1), Mpz(12)));
    EXPECT_TRUE(isNormalValue(mbSetBit(toMb(-12), -1), Mpz(-12)));
    EXPECT_TRUE(isNormalValue(mbFlipBit(toMb(-12), -1), Mpz(-12)));
    EXPECT_TRUE(isNormalValue(mbClearBit(twelve, 3), Mpz(4)));
    EXPECT_TRUE(isNormalValue(mbClearBit(twelve, 0), Mpz(12)));
    EXPECT_TRUE(isNormalValue(mbClearBit(twelve, 4), Mpz(12)));
    EXPECT_TRUE(isNormalValue(mbClearBit(twelve, -1), Mpz(12)));
    EXPECT_TRUE(isNormalValue(mbClearBit(toMb(0), 0), Mpz(0)));
    EXPECT_TRUE(isNormalValue(mbFlipBit(twelve, 2), Mpz(8)));
    EXPECT_TRUE(isNormalValue(mbFlipBit(twelve, 0), Mpz(13)));
    // Negative operands act on the pattern: -1 is 0xFFFFFFFF on its one word.
    EXPECT_TRUE(isNormalValue(mbClearBit(toMb(-1), 0), Mpz("0xFFFFFFFE")));
    EXPECT_TRUE(isNormalValue(mbSetBit(toMb(-1), 40), Mpz("0xFFFFFFFFFFFFFFFF")));
    EXPECT_TRUE(isNormalValue(mbFlipBit(toMb(-1), 0), Mpz("0xFFFFFFFE")));
    // Bit 0 of the pattern of -2 is already 0: x itself comes back, still negative.
    EXPECT_TRUE(isNormalValue(mbClearBit(toMb(-2), 0), Mpz(-2)));
}

// ---- reading bits ----

TEST(MbBits, ReadingMatchesGmp) {
    Generator g(0x0EAD0000u);
    for (int i = 0; i < 3000; ++i) {
        mb x = g.sometimesSlack(g.operand());
        Mpz a = absOf(toMpz(x));
        bool zero = a.sign() == 0;
        int bits = referenceNumBits(x);
        ASSERT_EQ(NumBits(x), bits) << "case " << i << ": " << a.str(16);
        ASSERT_EQ(Lg2(x), zero ? -1 : bits - 1) << "case " << i;
        ASSERT_EQ(mbCountOnes(x), static_cast<int>(mpz_popcount(a))) << "case " << i;
        ASSERT_EQ(isItEven(x), mpz_even_p(a) != 0) << "case " << i;
        for (int j = 0; j < 8; ++j) {
            int bit = bitIndex(g, x);
            int want = bit >= 0 && mpz_tstbit(a, static_cast<unsigned long>(bit)) ? 1 : 0;
            ASSERT_EQ(mbGetBit(x, bit), want) << "case " << i << ": " << a.str(16) << " bit " << bit;
        }
        ASSERT_EQ(mbGetBit(x, bits), 0);
    }
}

TEST(MbBits, CompareBitsMatchesGmp) {
    Generator g(0xC0B17000u);
    for (int i = 0; i < 3000; ++i) {
        mb x = g.operand(20);
        mb y = g.coin() ? g.operand(20) : rawCopy(x);
        if (g.oneIn(4)) y = mbFlipBit(x, g.intIn(0, 700));
        int hi = std::max(NumBits(x), NumBits(y)) + 40;
        int from = g.oneIn(10) ? g.intIn(-5, -1) : g.intIn(0, hi);
        int to;
        switch (g.range(0, 3)) {
            case 0: to = INT_MAX; break;
            case 1: to = from - g.intIn(1, 3); break;
            default: to = g.intIn(std::max(from, 0), hi + 100); break;
        }
        int want = referenceCompareBits(x, y, from, to);
        ASSERT_EQ(mbCompareBits(x, y, from, to), want)
            << "case " << i << ": " << toMpz(x).str(16) << ", " << toMpz(y).str(16) << ", " << from << ".." << to;
        ASSERT_EQ(mbCompareBits(y, x, from, to), want) << "case " << i;
    }
}

TEST(MbBits, EdgeCases) {
    EXPECT_EQ(NumBits(toMb(0)), 1);
    EXPECT_EQ(NumBits(toMb(1)), 1);
    EXPECT_EQ(NumBits(toMb("0x100000000")), 33);
    EXPECT_EQ(NumBits(toMb(-8)), 4);
    EXPECT_EQ(mbGetBit(toMb(-5), 0), 1);
    EXPECT_EQ(mbGetBit(toMb(-5), 1), 0);
    EXPECT_EQ(mbGetBit(toMb(-5), 2), 1);
    EXPECT_EQ(mbGetBit(toMb(-5), -1), 0);
    EXPECT_EQ(mbGetBit(toMb(0), 0), 0);
    EXPECT_EQ(mbGetBit(toMb(-5), NumBits(toMb(-5))), 0);
    EXPECT_EQ(mbGetBit(toMb(1), INT_MAX), 0);
    EXPECT_EQ(Lg2(toMb(1)), 0);
    EXPECT_EQ(Lg2(toMb("0x100000000")), 32);
    EXPECT_EQ(Lg2(toMb(-9)), 3);
    EXPECT_EQ(Lg2(toMb(0)), -1);  // zero has no top word
    EXPECT_TRUE(isItEven(toMb(-6)));
    EXPECT_TRUE(isItEven(toMb(0)));
    EXPECT_FALSE(isItEven(toMb(-7)));
    EXPECT_TRUE(isItEven(toMb("0x100000000")));
    EXPECT_EQ(mbCountOnes(toMb(0)), 0);
    EXPECT_EQ(mbCountOnes(toMb("-0xFFFFFFFFFFFFFFFF")), 64);
}

TEST(MbBits, CompareBitsEdgeCases) {
    mb x = toMb("-0x123456789ABCDEF"), zero = toMb(0), one = toMb(1), three = toMb(3);
    EXPECT_EQ(mbCompareBits(x, x, 0, 100), 101);
    EXPECT_EQ(mbCompareBits(zero, zero, 0, 100), 101);
    EXPECT_EQ(mbCompareBits(x, x, 5, 4), 0);
    EXPECT_EQ(mbCompareBits(x, x, -1, 10), 0);
    EXPECT_EQ(mbCompareBits(x, x, 7, 7), 1);
    EXPECT_EQ(mbCompareBits(one, zero, 0, 0), 0);
    EXPECT_EQ(mbCompareBits(one, zero, 0, 10), 10);
    // Positions past both bit lengths agree; the count saturates at INT_MAX.
    EXPECT_EQ(mbCompareBits(one, three, 1000, 1010), 11);
    EXPECT_EQ(mbCompareBits(zero, zero, 0, INT_MAX), INT_MAX);
    EXPECT_EQ(mbCompareBits(x, x, 0, INT_MAX), INT_MAX);
    EXPECT_EQ(mbCompareBits(x, x, 1, INT_MAX), INT_MAX);
    EXPECT_EQ(mbCompareBits(one, zero, 0, INT_MAX), INT_MAX);
    EXPECT_EQ(mbCompareBits(three, zero, 0, INT_MAX), INT_MAX - 1);
    EXPECT_EQ(mbCompareBits(three, zero, INT_MAX, INT_MAX), 1);
}

// ---- one-word helpers ----

TEST(WordBits, RandomMatchNaive) {
    Generator g(0x3007D000u);
    for (int i = 0; i < 5000; ++i) {
        uint32 a = g.coin() ? g.randomWord() : g.patternWord();
        uint32 b = g.coin() ? g.randomWord() : a ^ (1u << g.intIn(0, 31));
        int n = g.intIn(-5, 40);
        int k = std::min(std::max(n, 0), 31);
        int agree = 0;
        for (int j = 0; j <= k; ++j) agree += ((a >> j) & 1u) == ((b >> j) & 1u) ? 1 : 0;
        ASSERT_EQ(countOnes(a), naiveOnes(a)) << a;
        ASSERT_EQ(compareBitsUINT32(a, b, n), agree) << a << ", " << b << ", " << n;

        int bit = g.intIn(-4, 36);
        bool inside = bit >= 0 && bit < 32;
        uint32 mask = inside ? (1u << bit) : 0u;
        ASSERT_EQ(getBit(a, bit), inside && (a & mask) ? 1 : 0) << a << " bit " << bit;
        ASSERT_EQ(setBit(a, bit), a | mask) << a << " bit " << bit;
        ASSERT_EQ(clearBit(a, bit), a & ~mask) << a << " bit " << bit;
    }
}

TEST(WordBits, EdgeCases) {
    EXPECT_EQ(countOnes(0u), 0);
    EXPECT_EQ(countOnes(0xFFFFFFFFu), 32);
    EXPECT_EQ(countOnes(0x80000001u), 2);
    EXPECT_EQ(compareBitsUINT32(0x12345678u, 0x12345678u, 40), 32);
    EXPECT_EQ(compareBitsUINT32(0x12345678u, 0x12345678u, 31), 32);
    EXPECT_EQ(compareBitsUINT32(0x12345678u, 0x12345678u, 0), 1);
    EXPECT_EQ(compareBitsUINT32(0u, 0xFFFFFFFEu, -3), 1);  // bit 0 only: both 0
    EXPECT_EQ(compareBitsUINT32(1u, 0u, -3), 0);
    EXPECT_EQ(compareBitsUINT32(0u, 0xFFFFFFFFu, 40), 0);
    EXPECT_EQ(getBit(0x80000000u, 31), 1);
    EXPECT_EQ(getBit(0xFFFFFFFFu, 32), 0);
    EXPECT_EQ(getBit(0xFFFFFFFFu, -1), 0);
    EXPECT_EQ(setBit(0u, 31), 0x80000000u);
    EXPECT_EQ(setBit(5u, 32), 5u);
    EXPECT_EQ(setBit(5u, -1), 5u);
    EXPECT_EQ(clearBit(0xFFFFFFFFu, 31), 0x7FFFFFFFu);
    EXPECT_EQ(clearBit(5u, 40), 5u);
    EXPECT_EQ(clearBit(5u, INT_MIN), 5u);
}

}  // namespace
