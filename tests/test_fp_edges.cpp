// The edges of fp: the functions at the ends of the exponent range (each call under a
// deadline), fpToStr and the double conversion there against MPFR, records with zero top
// words, and the largest precision the setter allows.
#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <future>
#include <random>
#include <thread>

#include "decMath.h"
#include "fpConv.h"
#include "fpFuncs.h"
#include "fpMath.h"
#include "fp_oracle.h"
#include "mbConv.h"

namespace {

using namespace oracle;

// f() on a thread of its own: a call still running after 20 s ends the suite as failed.
template <class F>
void inTime(F f, std::string const& what) {
    std::packaged_task<void()> task(f);
    auto done = task.get_future();
    std::thread t(std::move(task));
    if (done.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
        std::fprintf(stderr, "FAILED: %s still running after 20 s\n", what.c_str());
        std::_Exit(1);
    }
    t.join();
}

// k pi/2, or (k = 9) the argument itself: the value each function tends to there.
fp limit(int k, fp const& x) {
    fp p;
    ComputePi(p);
    return k == 9 ? x : p * static_cast<double>(k) / 2.0;
}

struct Edge { char const* name; fp (*f)(fp const&); char const* m; int32 e; int k; };
struct Edge2 { char const* y; int32 ey; char const* x; int32 ex; int k; };
constexpr int32 kLo = INT32_MIN, kHi = INT32_MAX, kBig = (1 << 30) + 10;

TEST(FpEdges, FunctionsEndAtTheRangeEndsWithTheValuesTheyTendTo) {
    Edge const unary[] = {{"sin", sin, "3", kLo, 9}, {"sin", sin, "-3", kLo + 150, 9}, {"tan", tan, "3", kLo, 9},
                          {"atan", atan, "3", kLo + 300, 9}, {"asin", asin, "-5", kLo, 9}, {"tanh", tanh, "3", kLo, 9},
                          {"acos", acos, "3", kLo, 1}, {"acos", acos, "-3", kLo + 100, 1}, {"atan", atan, "3", kHi - 1, 1},
                          {"atan", atan, "-7", kHi - 700, -1}};
    Edge2 const binary[] = {{"3", -kBig - 1, "1", kBig, 0}, {"-3", -kBig - 1, "1", kBig, 0}, {"3", -kBig, "-1", kBig, 2},
                            {"-3", -kBig, "-1", kBig, -2}, {"1", kBig, "3", -kBig, 1}, {"-1", kBig, "3", -kBig, -1},
                            {"1", kBig, "-3", -kBig, 1}};
    for (int bp : {2, 5, 12}) {
        PrecScope p(bp);
        for (auto const& c : unary) {
            fp x = fpOf(c.m, c.e), z;
            inTime([&] { z = c.f(x); }, c.name);
            EXPECT_EQ(compare(z, limit(c.k, x)), 0) << c.name << "(" << show(x) << ") at " << bp << ": " << show(z);
        }
        for (auto const& c : binary) {
            fp y = fpOf(c.y, c.ey), x = fpOf(c.x, c.ex), z;
            inTime([&] { z = atan2(y, x); }, "atan2");
            EXPECT_EQ(compare(z, limit(c.k, x)), 0) << show(y) << ", " << show(x) << " at " << bp << ": " << show(z);
        }
    }
}

TEST(FpEdges, TextAndDoubleNearTheRangeEndsFollowMpfr) {
    MpfrRange range;
    std::mt19937_64 rng(17);
    EXPECT_EQ(owned(fpToStr(fpOf("1", kHi), 16)), "8.808065258419817e646456992");
    for (int bp : {2, 5, 12}) {
        PrecScope p(bp);
        Mpfr r(32 * bp);
        for (int64 e : {int64(kHi), int64(kHi) - 1, int64(kHi) - 150, int64(kHi) - 200, int64(kLo) + 32 * bp - 1,
                        int64(kLo) + 32 * bp + 150}) {
            Mpz m;  // bp random words with the top bit set, the value's top bit at e
            for (int i = 0; i < 2 * bp; ++i) mpz_mul_2exp(m, m, 16), mpz_add_ui(m, m, rng() & 0xFFFF);
            mpz_setbit(m, 32 * bp - 1);
            if (rng() & 1) mpz_neg(m, m);
            fp x = fpOf(m, static_cast<int32>(e - 32 * bp + 1));
            mpfr_set_z_2exp(r.get(), m, x.exponent, MPFR_RNDN);
            mpfr_exp_t ex = 0;
            std::string d = owned(mpfr_get_str(nullptr, &ex, 10, 16, r.get(), MPFR_RNDN)), s = d[0] == '-' ? "-" : "";
            d.erase(0, s.size());
            d.erase(d.find_last_not_of('0') + 1);
            EXPECT_EQ(owned(fpToStr(x, 16)), s + d.substr(0, 1) + "." + d.substr(1) + "e" + std::to_string(ex - 1)) << bp;
            double v = 1.0;
            bool ok = equate(v, x);
            EXPECT_EQ(v, mpfr_get_d(r.get(), MPFR_RNDN)) << show(x);
            EXPECT_EQ(ok, !std::isinf(v)) << show(x);
        }
    }
}

// Each record with zero top words against its normal form, through every reader of its top bit.
TEST(FpEdges, RecordsWithZeroTopWordsCountAsTheirValue) {
    DecData d;
    d.mantissa = makeRecord({25, 0, 0}, true);
    d.exponent = -1;
    inTime([&] { EXPECT_EQ(getDouble_Dec(d), -2.5); }, "getDouble_Dec");
    for (auto const& w : std::vector<std::vector<uint32>>{{25, 0, 0}, {0, 7, 0}, {0, 0}, {1, 0, 0, 0}, {3, 1, 0}}) {
        fp x, n, a, b;
        x.mantissa = makeRecord(w, w[0] == 1);
        n = x;
        fpNormalize(n);
        double dx = 0, dn = 0;
        inTime([&] { a = log(abs(x)), b = atan2(x, power2(-40)), equate(dx, x.mantissa), equate(dn, n.mantissa); }, "log");
        EXPECT_EQ(compare(a, log(abs(n))), 0) << show(x);
        EXPECT_EQ(compare(b, atan2(n, power2(-40))), 0) << show(x);
        EXPECT_EQ(dx, dn);
        EXPECT_EQ(Lg2(x), Lg2(n));
    }
}

// At 536,870,911 digits (2^26 words): exact powers, refusals elsewhere, and no count that overflows.
TEST(FpEdges, LargestPrecisionGivesExactPowersAndRefusesTheRest) {
    decSetStartValues();
    PrecScope p(1 << 26);
    fp z = fpOf("5", 0), three = fpOf("3", 0);
    sqrt(z, three);
    EXPECT_EQ(compare(z, fpOf("5", 0)), 0);
    EXPECT_TRUE(pow(z, three, 2) && compare(z, fpOf("9", 0)) == 0);
    EXPECT_FALSE(pow(z, three, -2));
    globalBitPrecision = 4 * int32(kMaxFpDigits);
    EXPECT_TRUE(fpWorkFits());
    globalBitPrecision = 4 * 536870911;
    DecData a, b, r;
    getDec_Str(a, "1.5");
    getDec_Str(b, "3");
    EXPECT_TRUE(pow(r, a, b) && owned(getString2(r)) == "3375e-3");
    EXPECT_TRUE(pow(r, b, 2.0) && owned(getString2(r)) == "9e0");
    EXPECT_FALSE(pow(r, b, -2) || pow(r, b, 1000000) || divDec(r, a, b) || DecToRR(z, a) || pow(r, 2.0, b));
    globalBitPrecision = 128;
}

}  // namespace
