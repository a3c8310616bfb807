// Comparison, addition, subtraction and multiplication of mb against GMP on random
// operands, results that alias operands, operands outside normal form, and edge cases.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "gmp_oracle.h"
#include "mb.h"
#include "mbConv.h"
#include "mbMath.h"

namespace {

using namespace oracle;

int sign(int v) { return (v > 0) - (v < 0); }

struct BinaryOp {
    char const* name;
    void (*lib)(mb&, mb const&, mb const&);
    void (*ref)(mpz_ptr, mpz_srcptr, mpz_srcptr);
    bool copiesZeroOperand;  // one operand of length 0 gives an unchanged copy of the other
};

// Names the operation in test output instead of its bytes.
void PrintTo(BinaryOp const& op, std::ostream* os) { *os << op.name; }

void refAdd(mpz_ptr z, mpz_srcptr x, mpz_srcptr y) { mpz_add(z, x, y); }
void refSub(mpz_ptr z, mpz_srcptr x, mpz_srcptr y) { mpz_sub(z, x, y); }
void refMul(mpz_ptr z, mpz_srcptr x, mpz_srcptr y) { mpz_mul(z, x, y); }

std::vector<BinaryOp> const kOps = {
    {"add", add, refAdd, true},
    {"sub", sub, refSub, true},
    {"mul", mul, refMul, false},
};

class MbRing : public ::testing::TestWithParam<BinaryOp> {};

Mpz expected(BinaryOp const& op, mb const& x, mb const& y) {
    Mpz z;
    op.ref(z, toMpz(x), toMpz(y));
    return z;
}

TEST_P(MbRing, RandomOperandsMatchGmp) {
    BinaryOp const& op = GetParam();
    Generator g(0xA217000u + static_cast<unsigned>(op.name[0]));
    mb z;  // reused, so every call also meets a target holding an older value
    for (int i = 0; i < 4000; ++i) {
        mb x = g.sometimesSlack(g.operand());
        // Equal operands one time in eight: zero differences, squares.
        mb y = g.oneIn(8) ? rawCopy(x) : g.sometimesSlack(g.operand());
        Mpz xv = toMpz(x), yv = toMpz(y);
        Mpz want = expected(op, x, y);
        op.lib(z, x, y);
        ASSERT_TRUE(isNormalValue(z, want)) << op.name << " case " << i << ": " << xv.str(16) << ", " << yv.str(16);
        ASSERT_TRUE(hasValue(x, xv));
        ASSERT_TRUE(hasValue(y, yv));
    }
}

TEST_P(MbRing, AliasedResultsEqualDistinctTargets) {
    BinaryOp const& op = GetParam();
    Generator g(0xA11A5000u + static_cast<unsigned>(op.name[0]));
    for (int i = 0; i < 1500; ++i) {
        mb x = g.operand(), y = g.operand();
        Mpz want = expected(op, x, y);
        mb z;
        op.lib(z, x, y);
        ASSERT_TRUE(isNormalValue(z, want)) << op.name << " case " << i;

        mb a = rawCopy(x);  // op(x, x, y)
        op.lib(a, a, y);
        ASSERT_TRUE(isNormalValue(a, want)) << op.name << "(x, x, y) case " << i;
        ASSERT_TRUE(sameRecord(a, z));

        mb b = rawCopy(y);  // op(y, x, y)
        op.lib(b, x, b);
        ASSERT_TRUE(isNormalValue(b, want)) << op.name << "(y, x, y) case " << i;
        ASSERT_TRUE(sameRecord(b, z));

        mb zz;  // op(x, x, x) against op(z, x, x)
        op.lib(zz, x, x);
        ASSERT_TRUE(isNormalValue(zz, expected(op, x, x))) << op.name << " case " << i;
        mb c = rawCopy(x);
        op.lib(c, c, c);
        ASSERT_TRUE(isNormalValue(c, expected(op, x, x))) << op.name << "(x, x, x) case " << i;
        ASSERT_TRUE(sameRecord(c, zz));

        mb d = rawCopy(x);  // op(z, x, x) with z a third record, x given twice
        mb e;
        op.lib(e, d, d);
        ASSERT_TRUE(sameRecord(e, zz));
    }
}

TEST_P(MbRing, OperandsOutsideNormalFormCountByValue) {
    BinaryOp const& op = GetParam();
    Generator g(0x0DD5000u + static_cast<unsigned>(op.name[0]));
    mb z;
    for (int i = 0; i < 2500; ++i) {
        mb x = g.operand(30), y = g.operand(30);
        Mpz want = expected(op, x, y);
        mb xv = g.variant(x), yv = g.variant(y);
        mb xKeep = rawCopy(xv), yKeep = rawCopy(yv);
        op.lib(z, xv, yv);
        ASSERT_TRUE(hasValue(z, want)) << op.name << " case " << i << ": " << describe(xv) << ", " << describe(yv);
        bool copy = op.copiesZeroOperand && (xv.length == 0 || yv.length == 0);
        if (!copy) {
            ASSERT_TRUE(isNormal(z)) << op.name << " case " << i << ": " << describe(xv) << ", " << describe(yv);
        }
        ASSERT_TRUE(sameRecord(xv, xKeep));
        ASSERT_TRUE(sameRecord(yv, yKeep));
    }
}

INSTANTIATE_TEST_SUITE_P(Ops, MbRing, ::testing::ValuesIn(kOps),
                         [](::testing::TestParamInfo<BinaryOp> const& p) { return std::string(p.param.name); });

// Long carry and borrow chains: every word takes part.
TEST(MbArith, CarryAndBorrowChains) {
    mb one = toMb(1), z, w;
    for (unsigned long k = 1; k <= 70; ++k) {
        Mpz p = pow2(32 * k), ones;
        mpz_sub_ui(ones, p, 1);
        mb allOnes = toMb(ones), power = toMb(p);

        add(z, allOnes, one);
        ASSERT_TRUE(isNormalValue(z, p)) << k;
        ASSERT_EQ(absLength(z), static_cast<int32>(k + 1));

        sub(z, power, one);
        ASSERT_TRUE(isNormalValue(z, ones)) << k;
        ASSERT_EQ(absLength(z), static_cast<int32>(k));

        Mpz negP, want;
        mpz_neg(negP, p);
        mb negPower = toMb(negP);
        add(z, negPower, one);  // -(2^32k) + 1 = -(2^32k - 1)
        mpz_neg(want, ones);
        ASSERT_TRUE(isNormalValue(z, want)) << k;

        mul(w, allOnes, allOnes);
        mpz_mul(want, ones, ones);
        ASSERT_TRUE(isNormalValue(w, want)) << k;
    }
}

TEST(MbArith, MulByScalarAbsMatchesGmp) {
    Generator g(0x5CA1A400u);
    mb z;
    for (int i = 0; i < 4000; ++i) {
        mb x = g.sometimesSlack(g.operand());
        uint32 a = g.oneIn(6) ? 0u : (g.coin() ? g.patternWord() : g.randomWord());
        Mpz xv = toMpz(x), want;
        mpz_mul_ui(want, xv, a);
        mulByScalarAbs(z, x, a);
        ASSERT_TRUE(isNormalValue(z, want)) << "case " << i << ": " << xv.str(16) << " * " << a;
        ASSERT_TRUE(hasValue(x, xv));

        mb c = rawCopy(x);  // in place
        mulByScalarAbs(c, c, a);
        ASSERT_TRUE(isNormalValue(c, want)) << "in place, case " << i;

        mb v = g.nonNormal(x);
        mulByScalarAbs(c, v, a);
        ASSERT_TRUE(hasValue(c, want)) << "outside normal form, case " << i;
        ASSERT_TRUE(isNormal(c));
    }
}

// y related to x so that equal magnitudes, opposite signs and near neighbours all occur.
mb related(Generator& g, mb const& x) {
    Mpz v = toMpz(x), r;
    switch (g.range(0, 5)) {
        case 0: return rawCopy(x);
        case 1: mpz_neg(r, v); return toMb(r);
        case 2: mpz_add_ui(r, v, 1); return toMb(r);
        case 3: mpz_sub_ui(r, v, 1); return toMb(r);
        default: return g.operand();
    }
}

TEST(MbArith, CompareMatchesGmp) {
    Generator g(0xC0A9A4E0u);
    for (int i = 0; i < 6000; ++i) {
        mb x = g.operand();
        mb y = related(g, x);
        Mpz xv = toMpz(x), yv = toMpz(y);
        int want = sign(mpz_cmp(xv, yv));
        int wantAbs = sign(mpz_cmpabs(xv, yv));
        ASSERT_EQ(compare(x, y), want) << "case " << i << ": " << xv.str(16) << " vs " << yv.str(16);
        ASSERT_EQ(compare(y, x), -want) << "case " << i;
        ASSERT_EQ(mbCompareAbs(x, y), wantAbs) << "case " << i << ": " << xv.str(16) << " vs " << yv.str(16);
        ASSERT_EQ(mbCompareAbs(y, x), -wantAbs) << "case " << i;
        ASSERT_EQ(compare(x, x), 0);
        ASSERT_EQ(mbCompareAbs(x, x), 0);

        // The same values outside normal form compare alike.
        mb xo = g.variant(x), yo = g.variant(y);
        ASSERT_EQ(compare(xo, yo), want) << "case " << i << ": " << describe(xo) << " vs " << describe(yo);
        ASSERT_EQ(mbCompareAbs(xo, yo), wantAbs) << "case " << i << ": " << describe(xo) << " vs " << describe(yo);
        ASSERT_TRUE(hasValue(x, xv));
        ASSERT_TRUE(hasValue(y, yv));
    }
}

struct CompareCase {
    char const* x;
    char const* y;
    int compare;
    int compareAbs;
};

TEST(MbArith, CompareEdgeCases) {
    std::vector<CompareCase> const cases = {
        {"5", "-5", 1, 0},
        {"-5", "5", -1, 0},
        {"-5", "-5", 0, 0},
        {"-3", "-5", 1, -1},
        {"0", "-1", 1, -1},
        {"0", "0", 0, 0},
        {"-7", "7", -1, 0},
        {"0", "7", -1, -1},
        {"0x100000000", "0xFFFFFFFF", 1, 1},
        {"-0x100000000", "0xFFFFFFFF", -1, 1},
        {"-0x100000000", "-0xFFFFFFFF", -1, 1},
        {"0x1FFFFFFFF", "0x200000000", -1, -1},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << " vs " << c.y);
        mb x = toMb(c.x), y = toMb(c.y);
        EXPECT_EQ(compare(x, y), c.compare);
        EXPECT_EQ(mbCompareAbs(x, y), c.compareAbs);
    }
}

struct ArithCase {
    char const* op;
    char const* x;
    char const* y;
    char const* result;
    std::vector<uint32> words;  // least significant first; empty: not checked
};

TEST(MbArith, EdgeCases) {
    std::vector<ArithCase> const cases = {
        {"add", "5", "-5", "0", {}},
        {"add", "-5", "5", "0", {}},
        {"sub", "5", "5", "0", {}},
        {"sub", "-0x100000000", "-0x100000000", "0", {}},
        {"add", "0xFFFFFFFF", "1", "0x100000000", {0, 1}},
        {"sub", "0x100000000", "1", "0xFFFFFFFF", {0xFFFFFFFFu}},
        {"sub", "1", "0x100000000", "-0xFFFFFFFF", {0xFFFFFFFFu}},
        {"add", "-0xFFFFFFFF", "-1", "-0x100000000", {0, 1}},
        {"mul", "0xFFFFFFFF", "0xFFFFFFFF", "0xFFFFFFFE00000001", {1, 0xFFFFFFFEu}},
        {"mul", "-3", "4", "-12", {12}},
        {"mul", "-3", "-4", "12", {12}},
        {"mul", "0x123456789", "0", "0", {}},
        {"mul", "0", "-0x123456789", "0", {}},
        {"add", "-0x123456789", "0", "-0x123456789", {}},
        {"add", "0", "-0x123456789", "-0x123456789", {}},
        {"sub", "0", "-0x123456789", "0x123456789", {}},
        {"sub", "0", "0x123456789", "-0x123456789", {}},
        {"sub", "0x123456789", "0", "0x123456789", {}},
        {"add", "0", "0", "0", {}},
        {"sub", "0", "0", "0", {}},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(testing::Message() << c.op << "(" << c.x << ", " << c.y << ")");
        mb x = toMb(c.x), y = toMb(c.y), z = toMb("0x77777777777777777");
        std::string op = c.op;
        if (op == "add") add(z, x, y);
        if (op == "sub") sub(z, x, y);
        if (op == "mul") mul(z, x, y);
        EXPECT_TRUE(isNormalValue(z, Mpz(c.result)));
        if (!c.words.empty()) {
            EXPECT_EQ(wordsOf(z), c.words);
        }
    }
}

TEST(MbArith, InPlaceOnOneOperand) {
    std::vector<char const*> const values = {"0", "1", "-1", "0xFFFFFFFF", "-0x80000000FFFFFFFF00000001",
                                             "0xFFFFFFFFFFFFFFFFFFFFFFFF"};
    for (char const* text : values) {
        SCOPED_TRACE(text);
        Mpz v(text), want;
        mb x = toMb(text);
        add(x, x, x);
        mpz_mul_ui(want, v, 2);
        EXPECT_TRUE(isNormalValue(x, want));

        x = toMb(text);
        sub(x, x, x);
        EXPECT_TRUE(isNormalValue(x, Mpz(0)));

        x = toMb(text);
        mul(x, x, x);
        mpz_mul(want, v, v);
        EXPECT_TRUE(isNormalValue(x, want));
    }
}

TEST(MbArith, ZeroOperandGivesACopyOfTheOther) {
    mb x = toMb("-0xABCDEF0123456789"), zero, z;
    add(z, x, zero);
    EXPECT_TRUE(sameRecord(z, x));
    EXPECT_NE(z.blocks, x.blocks);
    add(z, zero, x);
    EXPECT_TRUE(sameRecord(z, x));
    sub(z, x, zero);
    EXPECT_TRUE(sameRecord(z, x));
    sub(z, zero, x);
    EXPECT_TRUE(isNormalValue(z, Mpz("0xABCDEF0123456789")));
    // A zero that still holds an array counts as zero.
    mb zeroWithArray = makeRecord({}, false, 3);
    add(z, zeroWithArray, x);
    EXPECT_TRUE(sameRecord(z, x));
    mul(z, x, zeroWithArray);
    EXPECT_TRUE(isNormalValue(z, Mpz(0)));
    EXPECT_EQ(compare(zeroWithArray, zero), 0);
}

TEST(MbArith, MulByScalarAbsEdgeCases) {
    struct Case {
        char const* x;
        uint32 a;
        char const* result;
    };
    std::vector<Case> const cases = {
        {"-3", 4u, "-12"},
        {"3", 0u, "0"},
        {"0", 7u, "0"},
        {"-0xFFFFFFFF", 0xFFFFFFFFu, "-0xFFFFFFFE00000001"},
        {"0xFFFFFFFFFFFFFFFF", 1u, "0xFFFFFFFFFFFFFFFF"},
        {"0x80000000", 2u, "0x100000000"},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << " * " << c.a);
        mb x = toMb(c.x), z = toMb(99);
        mulByScalarAbs(z, x, c.a);
        EXPECT_TRUE(isNormalValue(z, Mpz(c.result)));
    }
}

}  // namespace
