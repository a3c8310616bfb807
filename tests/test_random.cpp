// The lagged-Fibonacci generator against an independent model of it, randN, and the
// random mb integers: exact values against the model (GMP for the integers), ranges,
// normal form, refusals, and the distribution of the bounded walk.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <ctime>
#include <deque>
#include <vector>

#include "gmp_oracle.h"
#include "mb.h"
#include "mbRand.h"
#include "newRandom.h"

namespace {

using oracle::Mpz;

// The generator rebuilt from its description: the shift register kept as 32 separate
// bits, the entries as whole 64-bit numbers, and the lags read off a history of values
// (value t = value t-55 + value t-24).
class Model {
public:
    explicit Model(std::uint32_t seed) {
        int reg[32];
        for (int i = 0; i < 32; ++i) reg[i] = static_cast<int>((seed >> i) & 1u);
        for (int i = 0; i < 220; ++i) {
            for (int s = 0; s < 16; ++s) {
                int f = reg[30] ^ reg[27];
                for (int b = 31; b > 0; --b) reg[b] = reg[b - 1];
                reg[0] = f;
            }
            unsigned h = 0;
            for (int b = 31; b >= 16; --b) h = h * 2 + static_cast<unsigned>(reg[b]);
            halves.push_back(h);
        }
        std::uint64_t entry[55];
        for (int e = 0; e < 55; ++e) {
            std::uint64_t hi = halves[4 * e] + 65536ull * halves[4 * e + 1];
            std::uint64_t lo = halves[4 * e + 2] + 65536ull * halves[4 * e + 3];
            entry[e] = hi * 4294967296ull + lo;
        }
        // The first draw updates entry 54 with entry 23, the next entry 53 with entry 22, ...
        for (int i = 0; i < 55; ++i) history.push_back(entry[54 - i]);
    }

    std::uint64_t nextRaw() {
        std::uint64_t v = history[0] + history[31];
        history.pop_front();
        history.push_back(v);
        return v;
    }

    double next() { return std::ldexp(static_cast<double>(nextRaw()), -64); }

    int nextN(int n) { return static_cast<int>(n * next() + 1.0); }

    int nextBit() { return nextN(2) - 1; }

    std::vector<unsigned> halves;  // the 220 16-bit seeding values

private:
    std::deque<std::uint64_t> history;
};

// The bit-length form rebuilt on GMP.
Mpz modelOfBits(Model& g, int bits) {
    Mpz z = oracle::pow2(static_cast<unsigned long>(bits - 1));
    for (int b = bits - 2; b >= 0; --b)
        if (g.nextBit() != 0) mpz_setbit(z, static_cast<mp_bitcnt_t>(b));
    return z;
}

// The bounded form rebuilt on GMP: walk the set bits of n from the top, one draw each;
// a draw of 1 clears that bit and draws every bit below it; keeping every bit starts over.
// A power of two draws no decision.
Mpz modelBelow(Model& g, mpz_srcptr n) {
    std::vector<unsigned long> set;
    for (long b = static_cast<long>(mpz_sizeinbase(n, 2)) - 1; b >= 0; --b)
        if (mpz_tstbit(n, static_cast<mp_bitcnt_t>(b))) set.push_back(static_cast<unsigned long>(b));
    auto clearAndDraw = [&](unsigned long p) {
        Mpz z;
        mpz_set(z, n);
        mpz_clrbit(z, p);
        for (unsigned long b = p; b-- > 0;) {
            if (g.nextBit() != 0)
                mpz_setbit(z, b);
            else
                mpz_clrbit(z, b);
        }
        return z;
    };
    if (set.size() == 1) return clearAndDraw(set[0]);
    for (;;)
        for (unsigned long p : set)
            if (g.nextN(2) == 1) return clearAndDraw(p);
}

// The generator and the model agree on the next few draws.
::testing::AssertionResult inStep(Model& g, int draws = 3) {
    for (int i = 0; i < draws; ++i) {
        double want = g.next();
        double got = randNum();
        if (got != want) return ::testing::AssertionFailure() << "draw " << i << ": " << got << " vs " << want;
    }
    return ::testing::AssertionSuccess();
}

const std::uint32_t kSeeds[] = {1u, 2u, 0x80000000u, 0x80000001u, 0x7FFFFFFFu, 0xFFFFFFFFu,
                                12345u, 0x12345678u, 0xDEADBEEFu, 3888000000u};

// A broken-down time with the fields clockSeed reads.
std::tm brokenDown(int sec, int min, int hour, int mday, int mon, int year) {
    std::tm t{};
    t.tm_sec = sec;
    t.tm_min = min;
    t.tm_hour = hour;
    t.tm_mday = mday;
    t.tm_mon = mon;
    t.tm_year = year;
    return t;
}

}  // namespace

TEST(Random, ModelSeedingValues) {
    Model m(1);
    std::vector<unsigned> first(m.halves.begin(), m.halves.begin() + 6);
    EXPECT_EQ(first, (std::vector<unsigned>{0x0001, 0x0000, 0x0012, 0x0000, 0x0104, 0x0000}));
}

TEST(Random, FirstDrawsAfterSeedOne) {
    InitArray(1);
    const std::uint64_t entries[] = {0x236833D133E35B94ull, 0x4A295484A27CEC68ull, 0xA2905B1C242345D9ull};
    double first = 0;
    for (int i = 0; i < 3; ++i) {
        double r = randNum();
        if (i == 0) first = r;
        EXPECT_EQ(r, std::ldexp(static_cast<double>(entries[i]), -64)) << "draw " << i;
    }
    EXPECT_NEAR(first, 0.1383087526, 1e-10);
    Model m(1);
    for (std::uint64_t e : entries) EXPECT_EQ(m.nextRaw(), e);
}

TEST(Random, SequenceMatchesModel) {
    for (std::uint32_t seed : kSeeds) {
        InitArray(seed);
        Model m(seed);
        for (int i = 0; i < 6000; ++i) {
            double want = m.next();
            double got = randNum();
            ASSERT_EQ(got, want) << "seed " << seed << ", draw " << i;
            ASSERT_GE(got, 0.0);
            ASSERT_LE(got, 1.0);
        }
    }
}

TEST(Random, SameSeedSameSequence) {
    for (std::uint32_t seed : {7u, 0xCAFEF00Du}) {
        InitArray(seed);
        std::vector<double> a;
        for (int i = 0; i < 500; ++i) a.push_back(randNum());
        // Reseeding mid-sequence restarts it.
        InitArray(seed);
        for (int i = 0; i < 500; ++i) ASSERT_EQ(randNum(), a[static_cast<std::size_t>(i)]) << "draw " << i;
        InitArray(seed + 1);
        int same = 0;
        for (int i = 0; i < 500; ++i) same += randNum() == a[static_cast<std::size_t>(i)] ? 1 : 0;
        EXPECT_LT(same, 5);
    }
}

TEST(Random, SeedThatClearsTheRegister) {
    InitArray(0x80000000u);
    for (int i = 0; i < 200; ++i) ASSERT_EQ(randNum(), 0.0);
    for (int n : {1, 2, 7, 1000, INT_MAX, 0, -5}) EXPECT_EQ(randN(n), 1) << n;
    mb z;
    ASSERT_TRUE(mbRandom(z, 70));
    EXPECT_TRUE(oracle::isNormalValue(z, oracle::pow2(69)));
}

TEST(Random, ClockSeed) {
    std::tm t = brokenDown(5, 4, 3, 2, 1, 125);
    EXPECT_EQ(clockSeed(&t, 0), 5u + 240u + 10800u + 172800u + 2592000u + 3888000000u);

    // Beyond 2^32 the sum wraps.
    t = brokenDown(59, 59, 23, 31, 11, 140);
    std::int64_t full = 59 + 60 * 59 + 3600 * 23 + 86400LL * 31 + 2592000LL * 11 + 31104000LL * 140;
    ASSERT_GT(full, 0xFFFFFFFFLL);
    EXPECT_EQ(clockSeed(&t, 0), static_cast<unsigned>(full & 0xFFFFFFFFLL));

    // Fields outside their usual ranges (a year before 1900) wrap as well.
    t.tm_year = -3;
    full = 59 + 60 * 59 + 3600 * 23 + 86400LL * 31 + 2592000LL * 11 - 31104000LL * 3;
    EXPECT_EQ(clockSeed(&t, 0), static_cast<unsigned>(full & 0xFFFFFFFFLL));

    // A sum of exactly 2^32 would clear the register: bit 0 is set instead.
    t = brokenDown(16, 28, 6, 30, 0, 138);
    EXPECT_EQ(clockSeed(&t, 0), 1u);
    // So would 2^31: the register drops bit 31 on its first step.
    t = brokenDown(8, 14, 3, 15, 0, 69);
    EXPECT_EQ(clockSeed(&t, 0), 0x80000001u);

    // Without a broken-down time the low 32 bits of the time value stand in.
    EXPECT_EQ(clockSeed(nullptr, static_cast<std::time_t>(0x23456789)), 0x23456789u);
    if (sizeof(std::time_t) >= 8) {
        EXPECT_EQ(clockSeed(nullptr, static_cast<std::time_t>(0x123456789LL)), 0x23456789u);
    }
    EXPECT_EQ(clockSeed(nullptr, static_cast<std::time_t>(-1)), 0xFFFFFFFFu);
    EXPECT_EQ(clockSeed(nullptr, static_cast<std::time_t>(0)), 1u);
    EXPECT_EQ(clockSeed(nullptr, static_cast<std::time_t>(0x80000000LL)), 0x80000001u);
}

TEST(Random, ClockSeededSequence) {
    // Seed 0 reads the clock; when the second does not change around the call the
    // sequence is the one of the seed computed from that second.
    bool compared = false;
    for (int attempt = 0; attempt < 5 && !compared; ++attempt) {
        std::time_t before = std::time(nullptr);
        InitArray(0);
        std::time_t after = std::time(nullptr);
        if (before != after) continue;
        std::tm* local = std::localtime(&before);
        Model m(clockSeed(local, before));
        EXPECT_TRUE(inStep(m, 200));
        compared = true;
    }
    EXPECT_TRUE(compared);
}

TEST(Random, RandNFormula) {
    struct Case {
        int n;
        double r;
        int want;
    };
    const double belowOne = std::nextafter(1.0, 0.0);
    const Case cases[] = {
        {5, 0.0, 1},        {5, 0.5, 3},          {5, belowOne, 5},      {5, 1.0, 6},
        {2, 0.5, 2},        {2, 0.4999, 1},       {2, 1.0, 3},
        // The sum is rounded before truncation, so the draw just below 1.0 can reach n + 1 too.
        {1, belowOne, 2},   {2, belowOne, 3},
        {0, 0.7, 1},        {-5, 1.0, -4},        {-5, 0.1, 0},          {-5, 0.5, -1},
        {INT_MIN, 1.0, INT_MIN + 1},              {INT_MIN, 0.0, 1},
        {INT_MAX, 0.0, 1},  {INT_MAX, 0.5, 1073741824},
        // Beyond int's range: clamped.
        {INT_MAX, 1.0, INT_MAX}, {INT_MAX, belowOne, INT_MAX},
    };
    for (Case const& c : cases) EXPECT_EQ(randNFrom(c.n, c.r), c.want) << c.n << " " << c.r;
}

TEST(Random, RandNRange) {
    const int ns[] = {1, 2, 3, 6, 7, 10, 100, 65536, 1000003, INT_MAX};
    for (int n : ns) {
        InitArray(0xA5A5A5u + static_cast<unsigned>(n));
        Model m(0xA5A5A5u + static_cast<unsigned>(n));
        int lowest = INT_MAX, highest = INT_MIN;
        for (int i = 0; i < 3000; ++i) {
            int v = randN(n);
            ASSERT_EQ(v, m.nextN(n)) << n;
            ASSERT_GE(v, 1) << n;
            ASSERT_LE(v, n) << n;
            lowest = std::min(lowest, v);
            highest = std::max(highest, v);
        }
        if (n <= 10) {
            EXPECT_EQ(lowest, 1) << n;
            EXPECT_EQ(highest, n) << n;
        }
    }
    // Zero and negative n follow the same formula: between n + 1 and 1.
    InitArray(99);
    for (int n : {0, -1, -5, INT_MIN}) {
        for (int i = 0; i < 500; ++i) {
            int v = randN(n);
            ASSERT_LE(v, 1) << n;
            ASSERT_GE(v, n == INT_MIN ? INT_MIN + 1 : n + 1) << n;
        }
    }
}

TEST(Random, BitLengthAgainstModel) {
    const int lengths[] = {1, 2, 3, 31, 32, 33, 63, 64, 65, 96, 100, 127, 128, 129, 1000, 4096, 32 * 50 + 7};
    oracle::Generator gen(20240601);
    for (std::uint32_t seed : {1u, 0x12345678u, 0xFFFFFFFFu}) {
        InitArray(seed);
        Model m(seed);
        for (int round = 0; round < 3; ++round) {
            for (int bits : lengths) {
                // Whatever z held is replaced.
                mb z = gen.variant(gen.operand(6));
                ASSERT_TRUE(mbRandom(z, bits));
                Mpz want = modelOfBits(m, bits);
                ASSERT_TRUE(oracle::isNormalValue(z, want)) << "bits " << bits;
                EXPECT_EQ(z.length, bits / 32 + (bits % 32 != 0 ? 1 : 0));
                EXPECT_EQ(z.allocated, z.length);
                EXPECT_EQ(mpz_sizeinbase(oracle::toMpz(z), 2), static_cast<std::size_t>(bits));
                // Exactly bits - 1 draws were used.
                ASSERT_TRUE(inStep(m, 1)) << "bits " << bits;
            }
        }
    }
}

TEST(Random, BitLengthSmallCases) {
    InitArray(4242);
    mb z;
    ASSERT_TRUE(mbRandom(z, 1));
    EXPECT_TRUE(oracle::isNormalValue(z, Mpz(1)));
    for (int i = 0; i < 50; ++i) {
        ASSERT_TRUE(mbRandom(z, 32));
        ASSERT_EQ(z.length, 1);
        EXPECT_NE(z.blocks[0] & 0x80000000u, 0u);
        ASSERT_TRUE(mbRandom(z, 33));
        ASSERT_EQ(z.length, 2);
        EXPECT_EQ(z.blocks[1], 1u);
    }
    // Both values of two bits show up, and all four of three bits.
    std::vector<int> seen(8, 0);
    for (int i = 0; i < 200; ++i) {
        ASSERT_TRUE(mbRandom(z, 3));
        ASSERT_EQ(z.length, 1);
        ASSERT_GE(z.blocks[0], 4u);
        ASSERT_LT(z.blocks[0], 8u);
        ++seen[z.blocks[0]];
    }
    for (int v = 4; v < 8; ++v) EXPECT_GT(seen[static_cast<std::size_t>(v)], 0) << v;
}

TEST(Random, BitLengthRefused) {
    oracle::Generator gen(77);
    for (int bits : {0, -1, -32, INT_MIN}) {
        for (int i = 0; i < 4; ++i) {
            InitArray(5);
            Model m(5);
            mb z = i == 0 ? mb() : gen.variant(gen.nonzero(4));
            mb before = oracle::rawCopy(z);
            uint32* array = z.blocks;
            int32 allocated = z.allocated;
            EXPECT_FALSE(mbRandom(z, bits));
            EXPECT_TRUE(oracle::sameRecord(z, before));
            EXPECT_EQ(z.blocks, array);
            EXPECT_EQ(z.allocated, allocated);
            EXPECT_TRUE(inStep(m, 1)) << "no draw for a refusal";
        }
    }
}

TEST(Random, BelowBoundAgainstModel) {
    oracle::Generator gen(31337);
    InitArray(0x0BADCAFEu);
    Model m(0x0BADCAFEu);
    for (int i = 0; i < 2500; ++i) {
        Mpz n;
        if (i < 300) {
            mpz_set_ui(n, static_cast<unsigned long>(i + 1));  // every small bound
        } else if (i % 10 == 0) {
            n = oracle::pow2(static_cast<unsigned long>(gen.intIn(0, 200)));
        } else {
            mb b = gen.nonzero(6);
            oracle::toMpz(n, b);
            mpz_abs(n, n);
        }
        mb bound = oracle::toMb(n);
        mb boundUsed = gen.variant(bound);  // slack or zero top words must not matter
        mb boundBefore = oracle::rawCopy(boundUsed);
        mb z = gen.variant(gen.operand(3));
        ASSERT_TRUE(mbRandom(z, boundUsed)) << n;
        Mpz want = modelBelow(m, n);
        ASSERT_TRUE(oracle::isNormalValue(z, want)) << "bound " << n.str(16);
        Mpz got = oracle::toMpz(z);
        ASSERT_GE(mpz_sgn(static_cast<mpz_srcptr>(got)), 0);
        ASSERT_LT(mpz_cmp(got, n), 0);
        // The bound is left as it was.
        ASSERT_TRUE(oracle::sameRecord(boundUsed, boundBefore));
        ASSERT_TRUE(inStep(m, 1)) << "bound " << n.str(16);
    }
}

TEST(Random, BelowSmallBounds) {
    InitArray(8);
    mb one = oracle::toMb(1L), two = oracle::toMb(2L);
    mb z = oracle::toMb(12345L);
    int seen[2] = {0, 0};
    for (int i = 0; i < 100; ++i) {
        ASSERT_TRUE(mbRandom(z, one));
        ASSERT_TRUE(oracle::isNormalValue(z, Mpz(0L)));
        ASSERT_TRUE(mbRandom(z, two));
        Mpz v = oracle::toMpz(z);
        ASSERT_TRUE(oracle::isNormal(z));
        ASSERT_TRUE(v == Mpz(0L) || v == Mpz(1L));
        ++seen[mpz_get_ui(v)];
    }
    EXPECT_GT(seen[0], 0);
    EXPECT_GT(seen[1], 0);
}

TEST(Random, BelowRefused) {
    oracle::Generator gen(909);
    std::vector<mb> bounds;
    bounds.push_back(mb());
    bounds.push_back(oracle::toMb(-1L));
    bounds.push_back(oracle::toMb("-0x1234567890abcdef1234"));
    bounds.push_back(oracle::makeRecord({0u, 0u}));          // zero with zero words
    bounds.push_back(oracle::makeRecord({0u}, true));        // negative zero words
    bounds.push_back(oracle::makeRecord({}, false, 2));      // zero keeping an array
    for (mb const& n : bounds) {
        InitArray(3);
        Model m(3);
        mb z = gen.variant(gen.nonzero(3));
        mb before = oracle::rawCopy(z);
        uint32* array = z.blocks;
        EXPECT_FALSE(mbRandom(z, n)) << oracle::describe(n);
        EXPECT_TRUE(oracle::sameRecord(z, before));
        EXPECT_EQ(z.blocks, array);
        EXPECT_TRUE(inStep(m, 1));
    }
}

TEST(Random, BelowAliasedBound) {
    oracle::Generator gen(555);
    for (int i = 0; i < 200; ++i) {
        mb n = gen.nonzero(4);
        n.length = n.length < 0 ? -n.length : n.length;
        const unsigned seed = 1000u + static_cast<unsigned>(i);
        InitArray(seed);
        mb separate;
        ASSERT_TRUE(mbRandom(separate, n));
        InitArray(seed);
        mb x = oracle::rawCopy(n);
        ASSERT_TRUE(mbRandom(x, x));
        ASSERT_TRUE(oracle::sameRecord(x, separate));
        ASSERT_TRUE(oracle::isNormal(x));
    }
}

namespace {

// Counts of each value below n over `draws` calls from a fixed seed.
std::vector<long> countBelow(unsigned long n, int draws, unsigned seed) {
    InitArray(seed);
    mb bound = oracle::toMb(static_cast<long>(n));
    mb z;
    std::vector<long> counts(n, 0);
    for (int i = 0; i < draws; ++i) {
        if (!mbRandom(z, bound)) {
            ADD_FAILURE() << "refused " << n;
            break;
        }
        Mpz v = oracle::toMpz(z);
        mpz_srcptr vp = v;
        if (mpz_sgn(vp) < 0 || mpz_cmp_ui(vp, n) >= 0) {
            ADD_FAILURE() << v << " outside [0, " << n << ")";
            break;
        }
        ++counts[mpz_get_ui(v)];
    }
    return counts;
}

// Each count lies within four standard deviations of draws * p.
void expectFrequencies(std::vector<long> const& counts, std::vector<double> const& p, int draws) {
    for (std::size_t v = 0; v < counts.size(); ++v) {
        double mean = draws * p[v];
        double sd = std::sqrt(draws * p[v] * (1 - p[v]));
        EXPECT_NEAR(static_cast<double>(counts[v]), mean, 4 * sd) << "value " << v << " of " << counts.size();
    }
}

}  // namespace

TEST(Random, BelowFiveFavoursFour) {
    const int draws = 60000;
    std::vector<long> counts = countBelow(5, draws, 0x5EED5u);
    expectFrequencies(counts, {1.0 / 6, 1.0 / 6, 1.0 / 6, 1.0 / 6, 1.0 / 3}, draws);
}

TEST(Random, BelowUniformBounds) {
    const int draws = 42000;
    for (unsigned long n : {3ul, 6ul, 7ul, 8ul}) {
        std::vector<long> counts = countBelow(n, draws, 0x5EED6u + static_cast<unsigned>(n));
        expectFrequencies(counts, std::vector<double>(n, 1.0 / static_cast<double>(n)), draws);
    }
}
