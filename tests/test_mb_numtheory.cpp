// Roots, powers and number theory of mb against GMP: floor square and n-th roots, the
// perfect-square test, integer powers, gcd and its extended form, factorials and
// binomial coefficients. Random operands with fixed seeds, worked examples, the domain
// rules, aliased targets and the normal form of every result.
#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "fp.h"
#include "gmp_oracle.h"
#include "mb.h"
#include "mbConv.h"
#include "mbMath.h"

namespace {

using namespace oracle;

// A nonnegative operand of up to maxWords words.
mb nonnegative(Generator& g, int32 maxWords) { return g.operandOfSize(g.size(maxWords), false); }

// ---- sqrt ----

TEST(MbSqrt, WorkedExamples) {
    struct Case {
        char const* x;
        char const* root;
    };
    std::vector<Case> const cases = {
        {"0", "0"},   {"1", "1"},   {"2", "1"},   {"3", "1"},   {"4", "2"},
        {"15", "3"},  {"24", "4"},  {"25", "5"},  {"8", "2"},   {"9", "3"},
        {"0x10000000000000000000000000", "0x4000000000000"},  // 2^100 -> 2^50
        {"0xFFFFFFFF", "0xFFFF"},
        {"0xFFFFFFFE00000001", "0xFFFFFFFF"},  // (2^32 - 1)^2
        {"0xFFFFFFFE00000000", "0xFFFFFFFE"},  // one below that square
        {"0xFFFFFFFFFFFFFFFF", "0xFFFFFFFF"},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.x);
        mb z = stale();
        sqrt(z, toMb(c.x));
        EXPECT_TRUE(isNormalValue(z, Mpz(c.root)));
        EXPECT_TRUE(isNormalValue(sqrt(toMb(c.x)), Mpz(c.root)));
    }
}

TEST(MbSqrt, NegativeLeavesTarget) {
    for (char const* x : {"-4", "-1", "-0x123456789ABCDEF0123456789"}) {
        SCOPED_TRACE(x);
        mb z = stale();
        mb before = rawCopy(z);
        sqrt(z, toMb(x));
        EXPECT_TRUE(sameRecord(z, before));
        // The value form starts from zero.
        EXPECT_TRUE(isNormalValue(sqrt(toMb(x)), Mpz(0)));
        // A negative value in place stays as it was.
        mb y = toMb(x);
        sqrt(y, y);
        EXPECT_TRUE(hasValue(y, Mpz(x)));
    }
}

TEST(MbSqrt, RandomMatchGmp) {
    Generator g(0x5A7E0001u);
    int32 const savedPrec = blockPrec;
    mb z;
    for (int i = 0; i < 1500; ++i) {
        mb x = g.sometimesSlack(nonnegative(g, 60));
        Mpz xv = toMpz(x), want;
        mpz_sqrt(want, xv);
        sqrt(z, x);
        ASSERT_TRUE(isNormalValue(z, want)) << "case " << i << ": " << xv.str(16);
        ASSERT_TRUE(hasValue(x, xv));
        ASSERT_TRUE(isNormalValue(sqrt(x), want)) << "value form, case " << i;

        mb a = rawCopy(x);
        sqrt(a, a);
        ASSERT_TRUE(isNormalValue(a, want)) << "in place, case " << i;

        mb v = g.variant(x);
        sqrt(z, v);
        ASSERT_TRUE(isNormalValue(z, want)) << "outside normal form, case " << i << ": " << describe(v);
    }
    EXPECT_EQ(blockPrec, savedPrec);
}

// Around perfect squares: r^2 - 1 (where the iteration alternates between r - 1 and r),
// r^2, r^2 + 1 and (r + 1)^2 - 1, for roots of up to 30 words.
TEST(MbSqrt, AroundSquares) {
    Generator g(0x5A7E0002u);
    mb z;
    for (int i = 0; i < 800; ++i) {
        Mpz r = toMpz(nonnegative(g, 30)), sq;
        mpz_mul(sq, r, r);
        for (int d = -1; d <= 2; ++d) {
            Mpz x;
            if (d < 2) {
                mpz_add_ui(x, sq, 0);
                if (d < 0) mpz_sub_ui(x, x, 1);
                if (d > 0) mpz_add_ui(x, x, 1);
            } else {
                mpz_add(x, sq, r);
                mpz_add(x, x, r);  // (r + 1)^2 - 1
            }
            if (mpz_sgn(x) < 0) continue;
            Mpz want;
            mpz_sqrt(want, x);
            sqrt(z, toMb(x));
            ASSERT_TRUE(isNormalValue(z, want)) << "case " << i << ", offset " << d << ": " << x.str(16);
        }
    }
}

TEST(MbSqrt, SmallValuesExhaustive) {
    mb z;
    for (long v = 0; v < 20000; ++v) {
        Mpz want(v);
        mpz_sqrt(want, want);
        sqrt(z, toMb(v));
        ASSERT_TRUE(isNormalValue(z, want)) << v;
    }
}

// ---- isItSquare ----

TEST(MbIsItSquare, WorkedExamples) {
    struct Case {
        char const* x;
        bool square;
        char const* root;
    };
    std::vector<Case> const cases = {
        {"49", true, "7"},   {"64", true, "8"},   {"17", false, "0"},  // 17 passes the low-bit filter
        {"50", false, "0"},  {"48", false, "0"},  {"0", true, "0"},    {"-4", false, "0"},
        {"1", true, "1"},    {"2", false, "0"},   {"-1", false, "0"},  {"0x10000000000000000", true, "0x100000000"},
        {"0xFFFFFFFE00000001", true, "0xFFFFFFFF"},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.x);
        mb r = stale();
        EXPECT_EQ(isItSquare(r, toMb(c.x)), c.square);
        EXPECT_TRUE(isNormalValue(r, Mpz(c.root)));
    }
}

TEST(MbIsItSquare, SmallValuesExhaustive) {
    mb r;
    for (long v = -50; v < 70000; ++v) {
        bool want = v >= 0 && mpz_perfect_square_p(Mpz(v)) != 0;
        Mpz root(0);
        if (want) mpz_sqrt(root, Mpz(v));
        r = stale();
        ASSERT_EQ(isItSquare(r, toMb(v)), want) << v;
        ASSERT_TRUE(isNormalValue(r, root)) << v;
    }
}

TEST(MbIsItSquare, RandomMatchGmp) {
    Generator g(0x5A7E0003u);
    mb r;
    for (int i = 0; i < 1500; ++i) {
        // Squares (with factors of 4 mixed in), their neighbours, and plain operands.
        Mpz x;
        int kind = g.intIn(0, 3);
        if (kind == 3) {
            x = toMpz(g.operand(60));
        } else {
            Mpz root = toMpz(nonnegative(g, 30));
            mpz_mul(x, root, root);
            mpz_mul_2exp(x, x, 2 * static_cast<unsigned long>(g.intIn(0, 40)));
            if (kind == 1) mpz_add_ui(x, x, 1);
            if (kind == 2 && mpz_sgn(x) > 0) mpz_sub_ui(x, x, 1);
        }
        bool want = mpz_sgn(x) >= 0 && mpz_perfect_square_p(x) != 0;
        Mpz root(0);
        if (want) mpz_sqrt(root, x);

        mb xm = g.sometimesSlack(toMb(x));
        r = stale();
        ASSERT_EQ(isItSquare(r, xm), want) << "case " << i << ": " << x.str(16);
        ASSERT_TRUE(isNormalValue(r, root)) << "case " << i;
        ASSERT_TRUE(hasValue(xm, x));

        mb a = rawCopy(xm);
        ASSERT_EQ(isItSquare(a, a), want) << "in place, case " << i;
        ASSERT_TRUE(isNormalValue(a, root)) << "in place, case " << i;
    }
}

// ---- sqr ----

TEST(MbSqr, RandomMatchGmp) {
    Generator g(0x5A7E0004u);
    mb z;
    for (int i = 0; i < 800; ++i) {
        mb x = g.sometimesSlack(g.operand(40));
        Mpz xv = toMpz(x), want;
        mpz_mul(want, xv, xv);
        sqr(z, x);
        ASSERT_TRUE(isNormalValue(z, want)) << "case " << i;
        ASSERT_TRUE(isNormalValue(sqr(x), want)) << "value form, case " << i;
        mb a = rawCopy(x);
        sqr(a, a);
        ASSERT_TRUE(isNormalValue(a, want)) << "in place, case " << i;
    }
}

// ---- power ----

TEST(MbPower, Rules) {
    struct Case {
        char const* x;
        int n;
        bool ok;
        char const* result;
    };
    std::vector<Case> const cases = {
        {"5", 0, true, "1"},          {"-5", 0, true, "1"},         {"0", 0, false, "1"},
        {"0", -1, false, "0"},        {"0", INT_MIN, false, "0"},   {"2", -1, true, "0"},
        {"-2", -3, true, "0"},        {"1", -5, true, "1"},         {"1", 0, true, "1"},
        {"1", INT_MIN, true, "1"},    {"1", INT_MAX, true, "1"},    {"-1", -1, true, "0"},
        {"-1", 0, true, "1"},         {"-1", 1, true, "-1"},        {"-1", INT_MAX, true, "-1"},
        {"-1", INT_MAX - 1, true, "1"}, {"0", 1, true, "0"},        {"0", INT_MAX, true, "0"},
        {"-2", 3, true, "-8"},        {"2", 31, true, "0x80000000"}, {"2", 32, true, "0x100000000"},
        {"-2", 64, true, "0x10000000000000000"}, {"3", 1, true, "3"}, {"7", 2, true, "49"},
        {"0xFFFFFFFF", 2, true, "0xFFFFFFFE00000001"},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << " ^ " << c.n);
        mb z = stale();
        EXPECT_EQ(power(z, toMb(c.x), c.n), c.ok);
        EXPECT_TRUE(isNormalValue(z, Mpz(c.result)));
        // The value form drops the truth value and keeps the result.
        EXPECT_TRUE(isNormalValue(power(toMb(c.x), c.n), Mpz(c.result)));
    }
}

// The exponent as an mb must fit an int: otherwise false and the target as it was.
TEST(MbPower, MbExponent) {
    struct Case {
        char const* x;
        char const* y;
        bool ok;
        char const* result;  // nullptr: the target is untouched
    };
    std::vector<Case> const cases = {
        {"2", "10", true, "1024"},         {"-3", "3", true, "-27"},
        {"5", "0", true, "1"},             {"0", "0", false, "1"},
        {"2", "-1", true, "0"},
        {"2", "2147483648", false, nullptr}, {"2", "-2147483648", false, nullptr},
        {"2", "0x10000000000000000", false, nullptr},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << " ^ " << c.y);
        mb z = stale(), before = stale();
        EXPECT_EQ(power(z, toMb(c.x), toMb(c.y)), c.ok);
        if (c.result == nullptr)
            EXPECT_TRUE(sameRecord(z, before));
        else
            EXPECT_TRUE(isNormalValue(z, Mpz(c.result)));
        mb v = power(toMb(c.x), toMb(c.y));
        EXPECT_TRUE(isNormalValue(v, Mpz(c.result == nullptr ? "0" : c.result)));
    }
}

TEST(MbPower, RandomMatchGmp) {
    Generator g(0x5A7E0005u);
    mb z;
    for (int i = 0; i < 1500; ++i) {
        mb x = g.sometimesSlack(g.operand(8));
        int n = g.oneIn(4) ? g.intIn(0, 4) : g.intIn(0, 70);
        Mpz xv = toMpz(x), want;
        mpz_pow_ui(want, xv, static_cast<unsigned long>(n));
        bool ok = n > 0 || xv.sign() != 0 || mpz_cmp_ui(xv, 1) == 0;
        z = stale();
        ASSERT_EQ(power(z, x, n), ok) << "case " << i << ": " << xv.str(16) << " ^ " << n;
        ASSERT_TRUE(isNormalValue(z, want)) << "case " << i << ": " << xv.str(16) << " ^ " << n;
        ASSERT_TRUE(isNormalValue(power(x, n), want)) << "value form, case " << i;

        mb a = rawCopy(x);
        ASSERT_EQ(power(a, a, n), ok);
        ASSERT_TRUE(isNormalValue(a, want)) << "in place, case " << i;

        mb v = g.variant(x);
        power(z, v, n);
        ASSERT_TRUE(hasValue(z, want)) << "outside normal form, case " << i << ": " << describe(v);
    }
}

TEST(MbPower, LargeExponents) {
    for (unsigned long n : {1000ul, 4095ul, 4096ul, 10007ul}) {
        for (long x : {3L, -3L, 0x12345L}) {
            Mpz want;
            mpz_pow_ui(want, Mpz(x), n);
            mb z;
            EXPECT_TRUE(power(z, toMb(x), static_cast<int>(n)));
            EXPECT_TRUE(isNormalValue(z, want)) << x << " ^ " << n;
        }
    }
}

// ---- gcd ----

TEST(MbGcd, WorkedExamples) {
    struct Case {
        char const* x;
        char const* y;
        char const* g;
    };
    std::vector<Case> const cases = {
        {"-12", "18", "6"}, {"0", "-5", "5"}, {"0", "0", "0"},   {"-5", "0", "5"}, {"12", "-18", "6"},
        {"-12", "-18", "6"}, {"1", "0", "1"}, {"17", "13", "1"}, {"0x100000000", "0x10000", "0x10000"},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << ", " << c.y);
        mb z = stale();
        gcd(z, toMb(c.x), toMb(c.y));
        EXPECT_TRUE(isNormalValue(z, Mpz(c.g)));
        EXPECT_TRUE(isNormalValue(gcd(toMb(c.x), toMb(c.y)), Mpz(c.g)));
    }
}

// Operands with a common factor of random size, so that the gcd is often large.
void relatedPair(Generator& g, Mpz& x, Mpz& y) {
    Mpz common = toMpz(g.operand(20));
    x = toMpz(g.operand(20));
    y = toMpz(g.operand(20));
    if (!g.oneIn(4)) {
        mpz_mul(x, x, common);
        mpz_mul(y, y, common);
    }
}

TEST(MbGcd, RandomMatchGmp) {
    Generator g(0x5A7E0006u);
    mb z;
    for (int i = 0; i < 1500; ++i) {
        Mpz xv, yv, want;
        relatedPair(g, xv, yv);
        mpz_gcd(want, xv, yv);
        mb x = g.sometimesSlack(toMb(xv)), y = g.sometimesSlack(toMb(yv));
        gcd(z, x, y);
        ASSERT_TRUE(isNormalValue(z, want)) << "case " << i << ": " << xv.str(16) << ", " << yv.str(16);
        ASSERT_TRUE(isNormalValue(gcd(x, y), want)) << "value form, case " << i;
        ASSERT_TRUE(hasValue(x, xv));
        ASSERT_TRUE(hasValue(y, yv));

        mb a = rawCopy(x);
        gcd(a, a, y);
        ASSERT_TRUE(isNormalValue(a, want)) << "first operand in place, case " << i;
        a = rawCopy(y);
        gcd(a, x, a);
        ASSERT_TRUE(isNormalValue(a, want)) << "second operand in place, case " << i;
        a = rawCopy(x);
        gcd(a, a, a);
        ASSERT_TRUE(isNormalValue(a, absOf(xv))) << "both operands in place, case " << i;

        // Outside normal form the value counts; gcd(x, 0) may hand back x's record as it is.
        mb vx = g.variant(x), vy = g.variant(y);
        gcd(z, vx, vy);
        ASSERT_TRUE(hasValue(z, want)) << "outside normal form, case " << i;
    }
}

// ---- extendedGCD ----

// The extended Euclidean algorithm with truncating quotients, in GMP: the exact
// cofactors and sign of G that the library's loop must give.
void referenceExtendedGcd(Mpz& X, Mpz& Y, Mpz& G, Mpz const& a, Mpz const& b) {
    Mpz A(a), B(b), x(0), lastX(1), y(1), lastY(0), q, r, t;
    while (B.sign() != 0) {
        mpz_tdiv_qr(q, r, A, B);
        A = B;
        B = r;
        mpz_mul(t, q, x);
        mpz_sub(t, lastX, t);
        lastX = x;
        x = t;
        mpz_mul(t, q, y);
        mpz_sub(t, lastY, t);
        lastY = y;
        y = t;
    }
    X = lastX;
    Y = lastY;
    G = A;
}

TEST(MbExtendedGcd, WorkedExamples) {
    struct Case {
        char const* a;
        char const* b;
        char const* X;
        char const* Y;
        char const* G;
    };
    std::vector<Case> const cases = {
        {"7", "4", "-1", "2", "1"},
        {"12", "18", "-1", "1", "6"},
        {"5", "0", "1", "0", "5"},
        {"-5", "0", "1", "0", "-5"},
        {"0", "0", "1", "0", "0"},
        {"0", "7", "0", "1", "7"},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(testing::Message() << c.a << ", " << c.b);
        mb X = stale(), Y = stale(), G = stale();
        extendedGCD(X, Y, G, toMb(c.a), toMb(c.b));
        EXPECT_TRUE(isNormalValue(X, Mpz(c.X)));
        EXPECT_TRUE(isNormalValue(Y, Mpz(c.Y)));
        EXPECT_TRUE(isNormalValue(G, Mpz(c.G)));
    }
}

TEST(MbExtendedGcd, RandomIdentityAndGmp) {
    Generator g(0x5A7E0007u);
    mb X, Y, G;
    for (int i = 0; i < 1200; ++i) {
        Mpz av, bv;
        relatedPair(g, av, bv);
        mb a = g.sometimesSlack(toMb(av)), b = g.sometimesSlack(toMb(bv));
        extendedGCD(X, Y, G, a, b);
        ASSERT_TRUE(isNormal(X));
        ASSERT_TRUE(isNormal(Y));
        ASSERT_TRUE(isNormal(G));
        Mpz xv = toMpz(X), yv = toMpz(Y), gv = toMpz(G), lhs, t, want;
        mpz_mul(lhs, av, xv);
        mpz_mul(t, bv, yv);
        mpz_add(lhs, lhs, t);
        ASSERT_EQ(lhs, gv) << "a X + b Y != G, case " << i << ": " << av.str(16) << ", " << bv.str(16);
        mpz_gcd(want, av, bv);
        ASSERT_EQ(absOf(gv), want) << "case " << i;

        Mpz rx, ry, rg;
        referenceExtendedGcd(rx, ry, rg, av, bv);
        ASSERT_EQ(xv, rx) << "case " << i;
        ASSERT_EQ(yv, ry) << "case " << i;
        ASSERT_EQ(gv, rg) << "case " << i;
        ASSERT_TRUE(hasValue(a, av));
        ASSERT_TRUE(hasValue(b, bv));

        // Targets that are the operands themselves.
        mb A = rawCopy(a), B = rawCopy(b), H;
        extendedGCD(A, B, H, A, B);
        ASSERT_TRUE(isNormalValue(A, rx)) << "in place, case " << i;
        ASSERT_TRUE(isNormalValue(B, ry)) << "in place, case " << i;
        ASSERT_TRUE(isNormalValue(H, rg)) << "in place, case " << i;
        A = rawCopy(a);
        B = rawCopy(b);
        mb P, Q;
        extendedGCD(P, Q, A, A, B);
        ASSERT_TRUE(isNormalValue(A, rg)) << "G in place of a, case " << i;
        extendedGCD(P, Q, B, a, B);
        ASSERT_TRUE(isNormalValue(B, rg)) << "G in place of b, case " << i;

        mb va = g.variant(a), vb = g.variant(b);
        extendedGCD(X, Y, G, va, vb);
        ASSERT_TRUE(hasValue(X, rx)) << "outside normal form, case " << i;
        ASSERT_TRUE(hasValue(Y, ry)) << "outside normal form, case " << i;
        ASSERT_TRUE(hasValue(G, rg)) << "outside normal form, case " << i;
    }
}

// ---- nthRoot ----

// sign(x) floor(|x|^(1/n)); 0 for n <= 0 and for an even root of a negative number.
Mpz expectedRoot(Mpz const& x, int n) {
    Mpz z(0);
    if (n <= 0) return z;
    if (x.sign() < 0 && n % 2 == 0) return z;
    mpz_root(z, absOf(x), static_cast<unsigned long>(n));
    if (x.sign() < 0) mpz_neg(z, z);
    return z;
}

TEST(MbNthRoot, WorkedExamples) {
    struct Case {
        char const* x;
        int n;
        char const* root;
    };
    std::vector<Case> const cases = {
        {"27", 3, "3"},   {"26", 3, "2"},   {"-27", 3, "-3"}, {"-26", 3, "-2"}, {"7", 3, "1"},
        {"-16", 4, "0"},  {"0", 3, "0"},    {"-1", 3, "-1"},  {"-1", 2, "0"},  {"1", 5, "1"},
        {"0x10000000000000000000000000", 2, "0x4000000000000"},
        {"12345", 0, "0"}, {"-12345", 0, "0"}, {"12345", -2, "0"}, {"12345", INT_MIN, "0"},
        {"12345", 1, "12345"}, {"-12345", 1, "-12345"}, {"-12345", 1000000, "0"},
        {"-12345", 1000001, "-1"}, {"12345", 1000000, "1"},
        {"12345", INT_MAX, "1"}, {"-12345", INT_MAX, "-1"}, {"-12345", INT_MAX - 1, "0"},
        {"1024", 10, "2"}, {"1023", 10, "1"}, {"1025", 10, "2"}, {"-1024", 5, "-4"},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << ", n = " << c.n);
        mb z = stale();
        nthRoot(z, toMb(c.x), c.n);
        EXPECT_TRUE(isNormalValue(z, Mpz(c.root)));
        EXPECT_TRUE(isNormalValue(nthRoot(toMb(c.x), c.n), Mpz(c.root)));
    }
}

TEST(MbNthRoot, RandomMatchGmp) {
    Generator g(0x5A7E0008u);
    mb z;
    for (int i = 0; i < 1200; ++i) {
        mb x = g.sometimesSlack(g.operand(60));
        int n = g.oneIn(5) ? g.intIn(-3, 3) : g.intIn(2, 70);
        Mpz xv = toMpz(x), want = expectedRoot(xv, n);
        z = stale();
        nthRoot(z, x, n);
        ASSERT_TRUE(isNormalValue(z, want)) << "case " << i << ": " << xv.str(16) << ", n = " << n;
        ASSERT_TRUE(isNormalValue(nthRoot(x, n), want)) << "value form, case " << i;
        ASSERT_TRUE(hasValue(x, xv));

        mb a = rawCopy(x);
        nthRoot(a, a, n);
        ASSERT_TRUE(isNormalValue(a, want)) << "in place, case " << i;

        // Outside normal form the value counts; n = 1 and |x| = 1 hand back x as it is.
        mb v = g.variant(x);
        nthRoot(z, v, n);
        ASSERT_TRUE(hasValue(z, want)) << "outside normal form, case " << i << ": " << describe(v);
    }
}

// r^n - 1, r^n and r^n + 1, where a root that is one off shows.
TEST(MbNthRoot, AroundPowers) {
    Generator g(0x5A7E0009u);
    mb z;
    for (int i = 0; i < 600; ++i) {
        int n = g.intIn(2, 40);
        Mpz r = toMpz(g.nonzero(4)), p;
        mpz_abs(r, r);
        mpz_pow_ui(p, r, static_cast<unsigned long>(n));
        bool negative = n % 2 == 1 && g.coin();
        for (int d = -1; d <= 1; ++d) {
            Mpz x(p);
            if (d < 0) mpz_sub_ui(x, x, 1);
            if (d > 0) mpz_add_ui(x, x, 1);
            if (negative) mpz_neg(x, x);
            nthRoot(z, toMb(x), n);
            ASSERT_TRUE(isNormalValue(z, expectedRoot(x, n))) << "case " << i << ", n = " << n << ", offset " << d;
        }
    }
}

// A root index far beyond the operand's bit length answers 1 at once.
TEST(MbNthRoot, HugeIndex) {
    Generator g(0x5A7E000Au);
    for (int i = 0; i < 200; ++i) {
        mb x = g.nonzero(30);
        int n = g.coin() ? 1000000 : INT_MAX - 2 * g.intIn(0, 1000);  // odd
        Mpz xv = toMpz(x);
        mb z;
        nthRoot(z, x, n);
        ASSERT_TRUE(isNormalValue(z, expectedRoot(xv, n))) << "case " << i;
    }
    // Just at the bound: 2^n has root 2, 2^n - 1 has root 1.
    for (unsigned long n : {100ul, 1000ul, 3001ul}) {
        Mpz p = pow2(n), below;
        mpz_sub_ui(below, p, 1);
        mb z;
        nthRoot(z, toMb(p), static_cast<int>(n));
        EXPECT_TRUE(isNormalValue(z, Mpz(2))) << n;
        nthRoot(z, toMb(below), static_cast<int>(n));
        EXPECT_TRUE(isNormalValue(z, Mpz(1))) << n;
        Mpz three;
        mpz_ui_pow_ui(three, 3, n);
        nthRoot(z, toMb(three), static_cast<int>(n));
        EXPECT_TRUE(isNormalValue(z, Mpz(3))) << n;
    }
}

// ---- factorial ----

TEST(MbFactorial, WorkedExamples) {
    struct Case {
        char const* n;
        char const* f;
    };
    std::vector<Case> const cases = {{"0", "1"}, {"1", "1"}, {"2", "2"}, {"5", "120"}, {"13", "6227020800"}};
    for (auto const& c : cases) {
        SCOPED_TRACE(c.n);
        mb z = stale();
        factorial(z, toMb(c.n));
        EXPECT_TRUE(isNormalValue(z, Mpz(c.f)));
        EXPECT_TRUE(isNormalValue(factorial(toMb(c.n)), Mpz(c.f)));
    }
    for (char const* n : {"-1", "-5", "-0x100000000"}) {
        SCOPED_TRACE(n);
        mb z = stale();
        mb before = rawCopy(z);
        factorial(z, toMb(n));
        EXPECT_TRUE(sameRecord(z, before));
        EXPECT_TRUE(isNormalValue(factorial(toMb(n)), Mpz(0)));
    }
}

TEST(MbFactorial, MatchGmp) {
    Generator g(0x5A7E000Bu);
    mb z;
    for (int n = 0; n <= 400; n += (n < 40 ? 1 : 7)) {
        Mpz want;
        mpz_fac_ui(want, static_cast<unsigned long>(n));
        mb nm = g.sometimesSlack(toMb(n));
        factorial(z, nm);
        ASSERT_TRUE(isNormalValue(z, want)) << n;
        ASSERT_TRUE(hasValue(nm, Mpz(n)));
        mb a = rawCopy(nm);
        factorial(a, a);
        ASSERT_TRUE(isNormalValue(a, want)) << "in place, " << n;
        mb v = g.variant(nm);
        factorial(z, v);
        ASSERT_TRUE(hasValue(z, want)) << "outside normal form, " << n;
    }
}

// ---- binomial ----

// The eight forms on the same operands: the four out-parameter forms must agree in
// truth value and result, the four value forms in result.
void checkAllForms(int n, int k, bool ok, Mpz const& want) {
    SCOPED_TRACE(testing::Message() << "binomial(" << n << ", " << k << ")");
    mb nm = toMb(n), km = toMb(k);
    mb z = stale();
    EXPECT_EQ(binomial(z, nm, km), ok);
    EXPECT_TRUE(isNormalValue(z, want));
    z = stale();
    EXPECT_EQ(binomial(z, nm, k), ok);
    EXPECT_TRUE(isNormalValue(z, want));
    z = stale();
    EXPECT_EQ(binomial(z, n, km), ok);
    EXPECT_TRUE(isNormalValue(z, want));
    z = stale();
    EXPECT_EQ(binomial(z, n, k), ok);
    EXPECT_TRUE(isNormalValue(z, want));
    EXPECT_TRUE(isNormalValue(binomial(nm, km), want));
    EXPECT_TRUE(isNormalValue(binomial(nm, k), want));
    EXPECT_TRUE(isNormalValue(binomial(n, km), want));
    EXPECT_TRUE(isNormalValue(binomial(n, k), want));
    EXPECT_TRUE(hasValue(nm, Mpz(n)));
    EXPECT_TRUE(hasValue(km, Mpz(k)));
}

TEST(MbBinomial, WorkedExamples) {
    checkAllForms(5, 2, true, Mpz(10));
    checkAllForms(10, 8, true, Mpz(45));
    checkAllForms(5, 0, true, Mpz(1));
    checkAllForms(5, 5, true, Mpz(1));
    checkAllForms(0, 0, true, Mpz(1));
    checkAllForms(1, 1, true, Mpz(1));
    checkAllForms(7, 1, true, Mpz(7));
    checkAllForms(7, 6, true, Mpz(7));
    checkAllForms(5, 6, false, Mpz(0));
    checkAllForms(-1, 0, false, Mpz(0));
    checkAllForms(0, -1, false, Mpz(0));
    checkAllForms(5, -1, false, Mpz(0));
    checkAllForms(-5, -7, false, Mpz(0));
    checkAllForms(0, 1, false, Mpz(0));
    checkAllForms(INT_MIN, 0, false, Mpz(0));
    checkAllForms(3, INT_MIN, false, Mpz(0));
    checkAllForms(INT_MAX, INT_MAX, true, Mpz(1));
    checkAllForms(INT_MAX, INT_MAX - 1, true, Mpz("2147483647"));
    checkAllForms(INT_MAX, 0, true, Mpz(1));
    checkAllForms(3, INT_MAX, false, Mpz(0));
}

TEST(MbBinomial, RandomMatchGmp) {
    Generator g(0x5A7E000Cu);
    mb z;
    for (int i = 0; i < 600; ++i) {
        int n = g.oneIn(4) ? g.intIn(-3, 20) : g.intIn(0, 400);
        int k = g.intIn(-3, (n < 0 ? 3 : n) + 3);
        bool ok = n >= 0 && k >= 0 && k <= n;
        Mpz want(0);
        if (ok) mpz_bin_uiui(want, static_cast<unsigned long>(n), static_cast<unsigned long>(k));
        if (i % 20 == 0) {
            checkAllForms(n, k, ok, want);
            if (HasFailure()) return;
        }
        mb nm = g.sometimesSlack(toMb(n)), km = g.sometimesSlack(toMb(k));
        z = stale();
        ASSERT_EQ(binomial(z, nm, km), ok) << n << ", " << k;
        ASSERT_TRUE(isNormalValue(z, want)) << n << ", " << k;

        mb a = rawCopy(nm);
        ASSERT_EQ(binomial(a, a, km), ok);
        ASSERT_TRUE(isNormalValue(a, want)) << "n in place: " << n << ", " << k;
        a = rawCopy(km);
        ASSERT_EQ(binomial(a, nm, a), ok);
        ASSERT_TRUE(isNormalValue(a, want)) << "k in place: " << n << ", " << k;

        mb vn = g.variant(nm), vk = g.variant(km);
        ASSERT_EQ(binomial(z, vn, vk), ok);
        ASSERT_TRUE(hasValue(z, want)) << "outside normal form: " << n << ", " << k;
    }
}

// A multi-word n with a small k.
TEST(MbBinomial, LargeN) {
    Generator g(0x5A7E000Du);
    mb z;
    for (int i = 0; i < 200; ++i) {
        mb n = g.operandOfSize(g.intIn(2, 6), false);
        unsigned long k = static_cast<unsigned long>(g.intIn(0, 40));
        Mpz nv = toMpz(n), want;
        mpz_bin_ui(want, nv, k);
        ASSERT_TRUE(binomial(z, n, static_cast<int>(k)));
        ASSERT_TRUE(isNormalValue(z, want)) << nv.str(16) << ", " << k;
        // n - k as k gives the same value: the loop runs over the smaller of the two.
        if (k <= 3) {
            Mpz nk;
            mpz_sub_ui(nk, nv, k);
            ASSERT_TRUE(binomial(z, n, toMb(nk)));
            ASSERT_TRUE(isNormalValue(z, want)) << nv.str(16) << ", n - " << k;
        }
    }
}

}  // namespace
