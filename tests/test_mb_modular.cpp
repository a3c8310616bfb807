// Modular powers, inverses and primality of mb against GMP: powerMod with its guards and
// its power-of-two factor in the exponent, invMod in the balanced range, Miller_Rabin and
// isItPrime on known primes, Carmichael numbers, strong pseudoprimes and random values.
// The random bases come from the library's generator, seeded before every test.
#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "fp.h"
#include "gmp_oracle.h"
#include "mb.h"
#include "mbConv.h"
#include "mbMath.h"
#include "mbMod.h"
#include "newRandom.h"

namespace {

using namespace oracle;

// ---- powerMod ----

// The result powerMod must give, or false when it must leave its target untouched:
// the guards in their order, then x^e as a truncating remainder by m, that is
// sign(x^e) (|x|^e mod m).
bool expectedPowerMod(Mpz& z, Mpz const& x, Mpz const& y, int n, Mpz const& m) {
    if (y.sign() < 0) return false;
    z = Mpz(0);
    if (m.sign() <= 0) return true;
    if (x.sign() == 0 && y.sign() == 0) return true;
    if (mpz_cmp_ui(m, 1) == 0) return true;
    z = Mpz(1);
    if (y.sign() == 0) return true;
    if (mpz_cmp_ui(x, 1) == 0) return true;
    z = Mpz(0);
    if (x.sign() == 0) return true;
    Mpz e;
    unsigned long k = countMagnitude(n);
    if (n >= 0) {
        mpz_mul_2exp(e, y, k);
    } else {
        mpz_fdiv_q_2exp(e, y, k);
    }
    mpz_powm(z, absOf(x), e, m);
    if (x.sign() < 0 && mpz_odd_p(e)) mpz_neg(z, z);
    return true;
}

TEST(MbPowerMod, WorkedExamples) {
    struct Case {
        char const* x;
        char const* y;
        int n;
        char const* m;
        char const* result;  // nullptr: target untouched
    };
    std::vector<Case> const cases = {
        {"2", "10", 0, "1000", "24"},
        {"-2", "3", 0, "5", "-3"},
        {"-2", "2", 0, "5", "4"},
        {"-2", "4", 0, "5", "1"},
        {"3", "1", 2, "7", "4"},    // exponent 1 * 2^2
        {"-3", "1", 2, "7", "4"},   // an even exponent: nonnegative
        {"3", "5", -1, "7", "2"},   // exponent 5 / 2 = 2
        {"3", "1", -1, "7", "1"},   // exponent 0
        {"3", "7", -3, "7", "1"},
        {"3", "8", -3, "7", "3"},
        {"3", "0x1F", -5, "7", "1"},  // 31 / 32 = 0
        {"3", "0x20", -5, "7", "3"},
        {"-3", "0x10000000000000000000000000", -100, "7", "-3"},
        {"-3", "0x10000000000000000000000000", -99, "7", "2"},
        {"3", "0x7FFFFFFFFFFFFFFF", INT_MIN, "7", "1"},  // a shift by 2^31 bits
        {"3", "1", 31, "7", "2"},   // 3^(2^31) = 3^2 (mod 7): 2^31 = 2 (mod 6)
        {"0", "0", 0, "7", "0"},    // not 1
        {"5", "0", 0, "7", "1"},
        {"5", "0", 5, "7", "1"},
        {"5", "0", -5, "7", "1"},
        {"5", "3", 0, "1", "0"},
        {"1", "0", 0, "1", "0"},    // m = 1 comes before y = 0 and x = 1
        {"1", "9", 0, "1", "0"},
        {"1", "9", 3, "7", "1"},
        {"0", "9", 0, "7", "0"},
        {"0", "1", -1, "7", "0"},   // x = 0 decides before the exponent is shifted
        {"0", "0", 0, "-7", "0"},
        {"5", "3", 0, "0", "0"},
        {"5", "3", 0, "-7", "0"},
        {"7", "3", 0, "7", "0"},
        {"-7", "3", 0, "7", "0"},
        {"-1", "3", 0, "7", "-1"},
        {"-1", "3", 1, "7", "1"},
        {"-9", "1", 0, "7", "-2"},
        {"5", "-1", 0, "7", nullptr},
        {"0", "-1", 0, "0", nullptr},  // y < 0 is the first guard
        {"1", "-1", 0, "1", nullptr},
        {"5", "-0x100000000", -40, "-3", nullptr},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << " ^ (" << c.y << ", " << c.n << ") mod " << c.m);
        Mpz want;
        bool written = expectedPowerMod(want, Mpz(c.x), Mpz(c.y), c.n, Mpz(c.m));
        if (c.result != nullptr) {
            ASSERT_TRUE(written);
            ASSERT_EQ(want, Mpz(c.result)) << "the oracle disagrees with the example";
        }
        mb z = stale();
        mb before = rawCopy(z);
        powerMod(z, toMb(c.x), toMb(c.y), c.n, toMb(c.m));
        if (written) {
            EXPECT_TRUE(isNormalValue(z, want));
        } else {
            EXPECT_TRUE(sameRecord(z, before));
        }
        // The value form gives 0 where the target would stay untouched.
        EXPECT_TRUE(isNormalValue(powerMod(toMb(c.x), toMb(c.y), c.n, toMb(c.m)), written ? want : Mpz(0)));
    }
}

TEST(MbPowerMod, RandomMatchGmp) {
    Generator g(0x90D00001u);
    int32 const savedPrec = blockPrec;
    mb z;
    for (int i = 0; i < 1500; ++i) {
        mb x = g.sometimesSlack(g.operand(20));
        mb y = g.sometimesSlack(g.oneIn(10) ? g.operand(4) : g.operandOfSize(g.size(4), false));
        mb m = g.sometimesSlack(g.oneIn(10) ? g.operand(16) : g.operandOfSize(g.intIn(1, 16), false));
        int n = g.oneIn(3) ? g.intIn(-140, 12) : 0;
        Mpz xv = toMpz(x), yv = toMpz(y), mv = toMpz(m), want;
        bool written = expectedPowerMod(want, xv, yv, n, mv);
        SCOPED_TRACE(testing::Message() << "case " << i << ": " << xv.str(16) << " ^ (" << yv.str(16) << ", " << n
                                        << ") mod " << mv.str(16));
        z = stale();
        mb before = rawCopy(z);
        powerMod(z, x, y, n, m);
        if (written) {
            ASSERT_TRUE(isNormalValue(z, want));
        } else {
            ASSERT_TRUE(sameRecord(z, before));
        }
        ASSERT_TRUE(hasValue(x, xv));
        ASSERT_TRUE(hasValue(y, yv));
        ASSERT_TRUE(hasValue(m, mv));
        mb& r = powerMod(x, y, n, m);
        ASSERT_TRUE(isNormalValue(r, written ? want : Mpz(0))) << "value form";

        // Each operand in turn as the target.
        mb a = rawCopy(x);
        powerMod(a, a, y, n, m);
        ASSERT_TRUE(hasValue(a, written ? want : xv)) << "x in place";
        a = rawCopy(y);
        powerMod(a, x, a, n, m);
        ASSERT_TRUE(hasValue(a, written ? want : yv)) << "y in place";
        a = rawCopy(m);
        powerMod(a, x, y, n, a);
        ASSERT_TRUE(hasValue(a, written ? want : mv)) << "m in place";

        mb vx = g.variant(x), vy = g.variant(y), vm = g.variant(m);
        powerMod(z, vx, vy, n, vm);
        if (written) {
            ASSERT_TRUE(isNormalValue(z, want)) << "outside normal form";
        }
    }
    EXPECT_EQ(blockPrec, savedPrec);
}

// Exponents long enough that the walk over the exponent's words matters, on moduli of
// the sizes a primality test uses.
TEST(MbPowerMod, LongExponents) {
    Generator g(0x90D00002u);
    mb z;
    for (int i = 0; i < 60; ++i) {
        int32 words = g.intIn(2, 32);
        mb m = g.operandOfSize(words, false);
        mb x = g.operandOfSize(g.intIn(1, words + 2), g.coin());
        mb y = g.operandOfSize(words, false);
        int n = g.oneIn(3) ? g.intIn(-70, 70) : 0;
        Mpz want;
        ASSERT_TRUE(expectedPowerMod(want, toMpz(x), toMpz(y), n, toMpz(m)));
        powerMod(z, x, y, n, m);
        ASSERT_TRUE(isNormalValue(z, want)) << "case " << i;
    }
}

TEST(MbPowerMod, ValueFormReturnsItsStatic) {
    mb x = toMb(3), y = toMb(5), m = toMb(7), bad = toMb(-1);
    mb& first = powerMod(x, y, 0, m);
    EXPECT_TRUE(isNormalValue(first, Mpz(5)));  // 243 = 34 * 7 + 5
    mb& second = powerMod(x, bad, 0, m);
    EXPECT_EQ(&first, &second);
    // Not the previous result: a refused call gives 0.
    EXPECT_TRUE(isNormalValue(second, Mpz(0)));
    EXPECT_TRUE(isNormalValue(powerMod(x, y, 0, m), Mpz(5)));
    EXPECT_TRUE(isNormalValue(powerMod(x, y, 0, toMb(0)), Mpz(0)));
}

// The value form's result fed back as an operand of the value form, as in nested calls.
TEST(MbPowerMod, ValueFormTakesItsOwnResult) {
    mb a = toMb(3), e = toMb(5), f = toMb(4), m = toMb(1000003);
    Mpz inner, want;
    mpz_powm(inner, Mpz(3), Mpz(5), Mpz(1000003));
    mpz_powm(want, inner, Mpz(4), Mpz(1000003));
    EXPECT_TRUE(isNormalValue(powerMod(powerMod(a, e, 0, m), f, 0, m), want));
    EXPECT_TRUE(isNormalValue(powerMod(a, powerMod(a, e, 0, m), 0, m), [&] {
        Mpz w;
        mpz_powm(w, Mpz(3), inner, Mpz(1000003));
        return w;
    }()));
    mb m2 = toMb(243);
    EXPECT_TRUE(isNormalValue(powerMod(toMb(2), toMb(10), 0, powerMod(m2, toMb(1), 0, toMb(1000))), Mpz(52)));
}

// ---- Miller_Rabin and isItPrime ----

class MbPrime : public ::testing::Test {
protected:
    void SetUp() override { InitArray(0x2468ACE1u); }
};

TEST_F(MbPrime, WorkedExamples) {
    for (int k : {0, 1, 2, 5, 20}) {
        SCOPED_TRACE(k);
        EXPECT_TRUE(isItPrime(toMb(2), k));
        EXPECT_TRUE(isItPrime(toMb(3), k));
        EXPECT_FALSE(isItPrime(toMb(1), k));
        EXPECT_FALSE(isItPrime(toMb(0), k));
        EXPECT_FALSE(isItPrime(toMb(-7), k));
        EXPECT_FALSE(isItPrime(toMb(-2), k));
        EXPECT_FALSE(isItPrime(toMb("-0x1FFFFFFFFFFFFFFF"), k));
    }
    // No trial runs for k < 1: every n >= 2 passes.
    for (int k : {0, -1, INT_MIN}) {
        EXPECT_TRUE(isItPrime(toMb(9), k));
        EXPECT_TRUE(isItPrime(toMb(4), k));
        EXPECT_TRUE(isItPrime(toMb(561), k));
        EXPECT_FALSE(isItPrime(toMb(1), k));
    }
    EXPECT_FALSE(isItPrime(toMb(9), 20));
    EXPECT_FALSE(isItPrime(toMb(4), 20));
}

// Below 2 a single trial reports "composite" (nothing there is prime), and returns.
TEST_F(MbPrime, MillerRabinBelowTwo) {
    for (char const* n : {"1", "0", "-1", "-2", "-5", "-0x100000000000000000000"}) {
        SCOPED_TRACE(n);
        EXPECT_TRUE(Miller_Rabin(toMb(n)));
    }
}

TEST_F(MbPrime, MillerRabinOnSmallPrimesAlwaysPasses) {
    for (int i = 0; i < 200; ++i) {
        ASSERT_FALSE(Miller_Rabin(toMb(2)));
        ASSERT_FALSE(Miller_Rabin(toMb(3)));
        ASSERT_FALSE(Miller_Rabin(toMb(5)));
        ASSERT_FALSE(Miller_Rabin(toMb("0x1FFFFFFFFFFFFFFF")));  // 2^61 - 1
    }
}

// isItPrime decides n <= 1 without drawing from the generator.
TEST_F(MbPrime, NoDrawBelowTwo) {
    InitArray(77);
    double first = randNum();
    InitArray(77);
    for (char const* n : {"1", "0", "-7", "-0x10000000000000000"}) EXPECT_FALSE(isItPrime(toMb(n), 20));
    EXPECT_EQ(randNum(), first);
}

TEST_F(MbPrime, SmallValuesMatchGmp) {
    for (long v = -30; v <= 3000; ++v) {
        bool want = v >= 2 && mpz_probab_prime_p(Mpz(v), 30) != 0;
        ASSERT_EQ(isItPrime(toMb(v), 20), want) << v;
    }
}

TEST_F(MbPrime, KnownPrimes) {
    for (char const* p : {
             "2305843009213693951",                      // 2^61 - 1
             "618970019642690137449562111",              // 2^89 - 1
             "170141183460469231731687303715884105727",  // 2^127 - 1
             "0xFFFFFFFB",                               // largest one-word prime
             "0xFFFFFFFFFFFFFFC5",                       // largest two-word prime
         }) {
        SCOPED_TRACE(p);
        Mpz pv(p);
        ASSERT_NE(mpz_probab_prime_p(pv, 30), 0) << "the list holds a composite";
        EXPECT_TRUE(isItPrime(toMb(pv), 20));
        EXPECT_TRUE(isItPrime(Generator(1).withSlack(toMb(pv)), 5));
    }
    // 2^521 - 1 and 2^607 - 1: Mersenne primes of many words.
    for (unsigned long e : {521ul, 607ul}) {
        Mpz p = pow2(e);
        mpz_sub_ui(p, p, 1);
        EXPECT_TRUE(isItPrime(toMb(p), 10)) << "2^" << e << " - 1";
    }
}

TEST_F(MbPrime, KnownComposites) {
    for (char const* n : {
             // Carmichael numbers: every base prime to n is a Fermat liar.
             "561", "1105", "1729", "2465", "2821", "6601", "8911", "9746347772161",
             // A strong pseudoprime to every prime base up to 23.
             "3825123056546413051",
             // 2^67 - 1 = 193707721 * 761838257287, and squares of primes.
             "147573952589676412927", "49", "1042441", "0xFFFFFFF600000019",
             // Even numbers and powers of two.
             "4", "6", "0x10000000000000000", "0x1FFFFFFFFFFFFFFFE",
         }) {
        SCOPED_TRACE(n);
        ASSERT_EQ(mpz_probab_prime_p(Mpz(n), 30), 0) << "the list holds a prime";
        EXPECT_FALSE(isItPrime(toMb(n), 20));
    }
}

// Products of two primes of 64 and 128 bits from GMP's next-prime search.
TEST_F(MbPrime, SemiprimesAndTheirFactors) {
    Generator g(0x90D00003u);
    for (int i = 0; i < 40; ++i) {
        int32 words = i % 2 == 0 ? 2 : 4;
        Mpz p = toMpz(g.operandOfSize(words, false)), q = toMpz(g.operandOfSize(words, false)), n;
        mpz_nextprime(p, p);
        mpz_nextprime(q, q);
        mpz_mul(n, p, q);
        EXPECT_TRUE(isItPrime(toMb(p), 20)) << p;
        EXPECT_TRUE(isItPrime(toMb(q), 20)) << q;
        EXPECT_FALSE(isItPrime(toMb(n), 20)) << p << " * " << q;
        Mpz pp;
        mpz_mul(pp, p, p);
        EXPECT_FALSE(isItPrime(toMb(pp), 20)) << p << "^2";
    }
}

TEST_F(MbPrime, RandomMatchGmp) {
    Generator g(0x90D00004u);
    for (int i = 0; i < 600; ++i) {
        int32 words = g.intIn(1, 8);
        Mpz n = toMpz(g.operandOfSize(words, g.oneIn(10)));
        if (g.coin()) mpz_setbit(n, 0);            // odd: the interesting half
        if (g.oneIn(3) && n.sign() > 0) mpz_nextprime(n, n);  // a prime now and then
        // GMP tests |n|; nothing below 2 is prime here.
        bool want = n.sign() > 0 && mpz_probab_prime_p(n, 20) != 0;
        mb nm = g.sometimesSlack(toMb(n));
        ASSERT_EQ(isItPrime(nm, 20), want) << "case " << i << ": " << n;
        ASSERT_TRUE(hasValue(nm, n));
        mb v = g.variant(nm);
        ASSERT_EQ(isItPrime(v, 20), want) << "outside normal form, case " << i << ": " << n;
    }
}

// ---- invMod ----

// The inverse of x modulo |m| in the balanced range (-|m|/2, |m|/2], or false when there
// is none. Only x = 1 escapes the range: it gives 1 for any m.
bool expectedInverse(Mpz& z, Mpz const& x, Mpz const& m) {
    if (mpz_cmp_ui(x, 1) == 0) {
        z = Mpz(1);
        return true;
    }
    Mpz am = absOf(m);
    if (am.sign() == 0) {
        z = x;
        return false;
    }
    if (mpz_cmp_ui(am, 1) == 0) {
        z = Mpz(0);
        return true;
    }
    if (mpz_invert(z, x, am) == 0) return false;
    z = balanced(z, am);
    return true;
}

TEST(MbInvMod, WorkedExamples) {
    struct Case {
        char const* x;
        char const* m;
        bool ok;
        char const* z;  // nullptr: target untouched
    };
    std::vector<Case> const cases = {
        {"3", "7", true, "-2"},   {"-3", "7", true, "2"},  {"3", "-7", true, "-2"}, {"2", "4", false, nullptr},
        {"5", "0", false, "5"},   {"0", "1", true, "0"},   {"1", "0", true, "1"},   {"-5", "0", false, "-5"},
        {"0", "0", false, "0"},   {"0", "7", false, nullptr}, {"7", "7", false, nullptr},
        {"-7", "7", false, nullptr}, {"-14", "7", false, nullptr}, {"1", "1", true, "1"},
        {"1", "-1", true, "1"},   {"1", "2", true, "1"},   {"5", "1", true, "0"},   {"-5", "-1", true, "0"},
        {"3", "2", true, "1"},    {"-3", "2", true, "1"},  {"2", "5", true, "-2"},  {"3", "5", true, "2"},
        {"-1", "7", true, "-1"},  {"6", "7", true, "-1"},  {"8", "7", true, "1"},   {"-6", "7", true, "1"},
        {"5", "6", true, "-1"},   {"3", "4", true, "-1"},  {"0x10000000000000001", "0x100000000", true, "1"},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(testing::Message() << "invMod(" << c.x << ", " << c.m << ")");
        Mpz want;
        bool ok = expectedInverse(want, Mpz(c.x), Mpz(c.m));
        ASSERT_EQ(ok, c.ok) << "the oracle disagrees with the example";
        if (c.z != nullptr) {
            ASSERT_EQ(want, Mpz(c.z)) << "the oracle disagrees with the example";
        }
        mb z = stale();
        mb before = rawCopy(z);
        EXPECT_EQ(invMod(z, toMb(c.x), toMb(c.m)), c.ok);
        if (c.z != nullptr) {
            EXPECT_TRUE(isNormalValue(z, Mpz(c.z)));
        } else {
            EXPECT_TRUE(sameRecord(z, before));
        }
    }
}

TEST(MbInvMod, RandomMatchGmp) {
    Generator g(0x90D00005u);
    int32 const savedPrec = blockPrec;
    mb z;
    int inverted = 0;
    for (int i = 0; i < 2000; ++i) {
        mb x = g.sometimesSlack(g.operand(20));
        mb m = g.sometimesSlack(g.oneIn(20) ? g.operand(1) : g.nonzero(20));
        Mpz xv = toMpz(x), mv = toMpz(m), want;
        bool ok = expectedInverse(want, xv, mv);
        inverted += ok ? 1 : 0;
        SCOPED_TRACE(testing::Message() << "case " << i << ": invMod(" << xv.str(16) << ", " << mv.str(16) << ")");
        z = stale();
        mb before = rawCopy(z);
        ASSERT_EQ(invMod(z, x, m), ok);
        if (ok || mv.sign() == 0) {
            ASSERT_TRUE(isNormalValue(z, want));
        } else {
            ASSERT_TRUE(sameRecord(z, before));
        }
        if (ok && mpz_cmpabs_ui(mv, 1) > 0) {
            // The defining property, apart from the table's arithmetic.
            Mpz prod;
            mpz_mul(prod, xv, toMpz(z));
            mpz_mod(prod, prod, absOf(mv));
            ASSERT_EQ(mpz_cmp_ui(prod, 1), 0);
        }
        ASSERT_TRUE(hasValue(x, xv));
        ASSERT_TRUE(hasValue(m, mv));

        mb a = rawCopy(x);
        ASSERT_EQ(invMod(a, a, m), ok);
        ASSERT_TRUE(hasValue(a, ok || mv.sign() == 0 ? want : xv)) << "x in place";
        a = rawCopy(m);
        ASSERT_EQ(invMod(a, x, a), ok);
        ASSERT_TRUE(hasValue(a, ok || mv.sign() == 0 ? want : mv)) << "m in place";

        mb vx = g.variant(x), vm = g.variant(m);
        ASSERT_EQ(invMod(z, vx, vm), ok) << "outside normal form";
        if (ok) {
            ASSERT_TRUE(hasValue(z, want)) << "outside normal form";
        }
    }
    EXPECT_GT(inverted, 500);  // the random pairs reach the interesting branch often
    EXPECT_EQ(blockPrec, savedPrec);
}

// Moduli with a known inverse: primes, and x prime to m by construction.
TEST(MbInvMod, PrimeModuli) {
    Generator g(0x90D00006u);
    mb z;
    for (int i = 0; i < 300; ++i) {
        Mpz p = toMpz(g.operandOfSize(g.intIn(1, 12), false));
        mpz_nextprime(p, p);
        Mpz x = toMpz(g.operand(16));
        Mpz r;
        mpz_tdiv_r(r, x, p);
        if (r.sign() == 0) mpz_add_ui(x, x, 1);
        Mpz want;
        ASSERT_TRUE(expectedInverse(want, x, p));
        mb m = toMb(p);
        if (g.coin()) m.length = -m.length;
        ASSERT_TRUE(invMod(z, toMb(x), m)) << "case " << i;
        ASSERT_TRUE(isNormalValue(z, want)) << "case " << i;
    }
}

// A negative x far larger than m: the value is the same as adding |m| until x is
// nonnegative would give, without that many additions.
TEST(MbInvMod, LargeNegativeOperand) {
    for (unsigned long bits : {200ul, 3000ul, 20000ul}) {
        for (long long mod : {3LL, 7LL, -7LL, 1000003LL, 4294967291LL}) {
            Mpz x = pow2(bits), m(mod), want;
            mpz_add_ui(x, x, 5);
            mpz_neg(x, x);
            bool ok = expectedInverse(want, x, m);
            mb z = stale();
            mb before = rawCopy(z);
            ASSERT_EQ(invMod(z, toMb(x), toMb(m)), ok) << bits << ", " << mod;
            if (ok) {
                EXPECT_TRUE(isNormalValue(z, want)) << bits << ", " << mod;
            } else {
                EXPECT_TRUE(sameRecord(z, before)) << bits << ", " << mod;
            }
            // A multiple of m: no inverse.
            Mpz k;
            mpz_mul(k, x, m);
            z = stale();
            before = rawCopy(z);
            EXPECT_FALSE(invMod(z, toMb(k), toMb(m))) << bits << ", " << mod;
            EXPECT_TRUE(sameRecord(z, before));
        }
    }
}

}  // namespace
