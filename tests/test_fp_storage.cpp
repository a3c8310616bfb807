// Storage of fp: construction, the integer setters, copies, release, abs and the two
// precision settings. Copies are checked for exact words, their own arrays and the
// normal form they promise (or the lack of it: copies never normalise).
#include <gtest/gtest.h>

#include <gmp.h>

#include <climits>
#include <cstdint>
#include <limits>
#include <vector>

#include "fp.h"
#include "fpConv.h"
#include "fpMath.h"
#include "fp_oracle.h"
#include "mbMath.h"

namespace {

using namespace oracle;

::testing::AssertionResult holds(fp const& x, std::vector<uint32> const& w, bool negative, int32 e) {
    ::testing::AssertionResult normal = isNormal(x.mantissa);
    if (!normal) return normal;
    bool neg = x.mantissa.length < 0;
    if (wordsOf(x.mantissa) != w || (neg != negative && !w.empty()) || x.exponent != e)
        return ::testing::AssertionFailure() << "got " << show(x);
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult isZeroWithoutArray(fp const& x) {
    if (x.mantissa.length != 0 || x.mantissa.blocks != nullptr || x.mantissa.allocated != 0)
        return ::testing::AssertionFailure() << "not a bare zero: " << describe(x.mantissa);
    return ::testing::AssertionSuccess();
}

TEST(FpStorage, StartUpSettings) {
    // Each test runs in a process of its own under CTest, so these are the load-time values.
    EXPECT_EQ(getBlockPrec(), 5);
    EXPECT_EQ(getDecPrec(), 16);
}

TEST(FpStorage, DefaultIsZero) {
    fp x;
    EXPECT_TRUE(isZeroWithoutArray(x));
    EXPECT_EQ(x.exponent, 0);
}

TEST(FpStorage, InitFreshValues) {
    fp x;
    x.exponent = 9;
    EXPECT_TRUE(init(x));
    EXPECT_TRUE(isZeroWithoutArray(x));
    EXPECT_EQ(x.exponent, 0);

    struct IntCase {
        int n;
        std::vector<uint32> w;
    };
    std::vector<IntCase> const ints = {
        {0, {}}, {1, {1}}, {-1, {1}}, {7, {7}}, {INT_MAX, {0x7FFFFFFFu}}, {INT_MIN, {0x80000000u}}};
    for (int32 bp : {1, 5}) {
        PrecScope prec(bp);
        for (IntCase const& c : ints) {
            fp y;
            EXPECT_TRUE(init(y, c.n));
            EXPECT_TRUE(holds(y, c.w, c.n < 0, 0)) << c.n;
        }
    }
}

TEST(FpStorage, InitFromLongLongNormalises) {
    struct Case {
        long long n;
        int32 bp;
        std::vector<uint32> w;
        int32 e;
    };
    long long const p40 = (1LL << 40) + 3;
    std::vector<Case> const cases = {
        {0, 5, {}, 0},
        {-1, 5, {1}, 0},
        {p40, 5, {3, 0x100}, 0},  // two words fit: left as they are
        {p40, 1, {0x80000000u}, 9},  // left-aligned; the dropped word is below one half
        {LLONG_MAX, 5, {0xFFFFFFFFu, 0x7FFFFFFFu}, 0},
        {LLONG_MAX, 1, {1}, 63},  // all kept bits ones and the dropped part rounds up
        {LLONG_MIN, 5, {0, 0x80000000u}, 0},
        {LLONG_MIN, 1, {0x80000000u}, 32},
        {-((1LL << 33) + 1), 1, {0x80000000u}, 2},
        {1LL << 32, 1, {0x80000000u}, 1},  // two words: left-aligned, the low zero word dropped
    };
    for (Case const& c : cases) {
        PrecScope prec(c.bp);
        fp x;
        EXPECT_TRUE(init(x, c.n));
        EXPECT_TRUE(holds(x, c.w, c.n < 0, c.e)) << c.n << " at blockPrec " << c.bp;
        EXPECT_EQ(blockPrec, c.bp);
    }
}

TEST(FpStorage, SettersFromMachineIntegers) {
    struct Case {
        int32 n;
        std::vector<uint32> w;
    };
    std::vector<Case> const cases = {{0, {}}, {5, {5}}, {-1, {1}}, {INT32_MIN, {0x80000000u}}, {INT32_MAX, {0x7FFFFFFFu}}};
    for (Case const& c : cases) {
        fp a, b;
        long32tofp(a, c.n);
        long64tofp(b, c.n);
        EXPECT_TRUE(holds(a, c.w, c.n < 0, 0)) << c.n;
        EXPECT_TRUE(holds(b, c.w, c.n < 0, 0)) << c.n;
    }
    fp m1;
    long64tofp(m1, -1);
    EXPECT_EQ(m1.mantissa.length, -1);
    EXPECT_EQ(m1.mantissa.blocks[0], 1u);
    EXPECT_EQ(m1.exponent, 0);
}

TEST(FpStorage, EquateCopiesExactlyWithoutNormalising) {
    PrecScope prec(5);
    std::vector<uint32> const w = {0, 1, 2, 3, 4, 5, 6, 0x70000000u};  // longer than blockPrec, low zero
    fp x, z;
    setRecord(x, w, true, -77, 3);
    setRecord(z, {9, 9}, false, 4);
    equate(z, x);
    EXPECT_TRUE(holds(z, w, true, -77));
    EXPECT_EQ(z.mantissa.allocated, 8);
    EXPECT_NE(z.mantissa.blocks, x.mantissa.blocks);
    EXPECT_TRUE(holds(x, w, true, -77));
    EXPECT_EQ(x.mantissa.allocated, 11);
    // The copy is independent of its source.
    x.mantissa.blocks[1] = 42;
    EXPECT_EQ(z.mantissa.blocks[1], 1u);
    // A zero source: zero without an array, and its exponent.
    fp zero;
    zero.exponent = 7;
    equate(z, zero);
    EXPECT_TRUE(isZeroWithoutArray(z));
    EXPECT_EQ(z.exponent, 7);
    // Onto itself: unchanged.
    setRecord(z, {1, 2}, true, 3);
    equate(z, z);
    EXPECT_TRUE(holds(z, {1, 2}, true, 3));
}

TEST(FpStorage, EquateWithCareReusesALargeEnoughArray) {
    fp big, small, z;
    setRecord(big, {1, 2, 3, 4, 5, 6}, false, 1);
    setRecord(small, {7, 8}, true, -2);
    equateWithCare(z, big);
    EXPECT_TRUE(holds(z, {1, 2, 3, 4, 5, 6}, false, 1));
    uint32 const* array = z.mantissa.blocks;
    equateWithCare(z, small);
    EXPECT_TRUE(holds(z, {7, 8}, true, -2));
    EXPECT_EQ(z.mantissa.blocks, array);
    EXPECT_GE(z.mantissa.allocated, 6);
    equateWithCare(z, big);
    EXPECT_TRUE(holds(z, {1, 2, 3, 4, 5, 6}, false, 1));
    EXPECT_NE(z.mantissa.blocks, big.mantissa.blocks);
    fp zero;
    zero.exponent = -5;
    equateWithCare(z, zero);
    EXPECT_EQ(z.mantissa.length, 0);
    EXPECT_EQ(z.exponent, -5);
}

TEST(FpStorage, MyFreeLeavesAReusableZero) {
    fp x;
    setRecord(x, {1, 2, 3}, true, 11, 2);
    myFree(x);
    EXPECT_TRUE(isZeroWithoutArray(x));
    EXPECT_EQ(x.exponent, 0);
    myFree(x);
    EXPECT_TRUE(isZeroWithoutArray(x));
    long32tofp(x, -9);
    EXPECT_TRUE(holds(x, {9}, true, 0));
}

TEST(FpStorage, AbsIsAPositiveCopy) {
    PrecScope prec(2);
    fp x;
    setRecord(x, {0, 5, 6, 7}, true, -3, 1);
    fp a = abs(x);
    EXPECT_TRUE(holds(a, {0, 5, 6, 7}, false, -3));
    EXPECT_NE(a.mantissa.blocks, x.mantissa.blocks);
    EXPECT_TRUE(holds(x, {0, 5, 6, 7}, true, -3));
    fp p = abs(a);
    EXPECT_TRUE(holds(p, {0, 5, 6, 7}, false, -3));
    fp zero;
    fp az = abs(zero);
    EXPECT_TRUE(isZeroWithoutArray(az));
}

TEST(FpStorage, AssignmentFromFp) {
    fp x, z;
    setRecord(x, {4, 0, 9}, true, 12, 2);
    setRecord(z, {1}, false, 0, 4);
    z = x;
    EXPECT_TRUE(holds(z, {4, 0, 9}, true, 12));
    EXPECT_EQ(z.mantissa.allocated, 3);
    EXPECT_NE(z.mantissa.blocks, x.mantissa.blocks);
    fp& self = z;
    z = self;
    EXPECT_TRUE(holds(z, {4, 0, 9}, true, 12));
    // A zero carrying an exponent assigns as zero with exponent 0.
    fp zero;
    zero.exponent = 7;
    z = zero;
    EXPECT_TRUE(isZeroWithoutArray(z));
    EXPECT_EQ(z.exponent, 0);
    // The copying constructor owns its words.
    fp c(x);
    EXPECT_TRUE(holds(c, {4, 0, 9}, true, 12));
    EXPECT_NE(c.mantissa.blocks, x.mantissa.blocks);
}

TEST(FpStorage, AssignmentFromMbIsNotNormalised) {
    PrecScope prec(2);
    std::vector<uint32> const w = {1, 2, 3, 4, 5};
    mb m = makeRecord(w, true, 1);
    fp z;
    setRecord(z, {8}, false, 40);
    z = m;
    EXPECT_TRUE(holds(z, w, true, 0));
    EXPECT_NE(z.mantissa.blocks, m.blocks);
    mb zero;
    z = zero;
    EXPECT_TRUE(isZeroWithoutArray(z));
    EXPECT_EQ(z.exponent, 0);
    setRecord(z, {8}, false, 40);
    equate(z, m);
    EXPECT_TRUE(holds(z, w, true, 0));
    EXPECT_NE(z.mantissa.blocks, m.blocks);
    EXPECT_EQ(blockPrec, 2);
}

TEST(FpSettings, BlockPrecIsStoredUnchanged) {
    PrecScope prec(blockPrec);
    for (int n : {1, 5, 0, -3, 1000, INT_MIN, INT_MAX}) {
        setBlockPrec(n);
        EXPECT_EQ(blockPrec, n);
        EXPECT_EQ(getBlockPrec(), n);
    }
}

TEST(FpSettings, DecPrecTakesTheMagnitude) {
    int32 const saved = decPrec;
    struct Case {
        int n, want;
    };
    for (Case c : {Case{0, 16}, Case{-20, 20}, Case{7, 7}, Case{1, 1}, Case{INT_MAX, INT_MAX}, Case{-INT_MAX, INT_MAX},
                   Case{INT_MIN, INT_MAX}}) {
        setDecPrec(c.n);
        EXPECT_EQ(getDecPrec(), c.want) << c.n;
        EXPECT_EQ(decPrec, c.want) << c.n;
    }
    decPrec = saved;
}

}  // namespace
