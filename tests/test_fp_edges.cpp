// The edges of fp: the functions at the ends of the exponent range (each call under a
// deadline), fpToStr and the double conversion there against MPFR, records with zero top
// words, and the largest precision the setter allows.
#include <gtest/gtest.h>

#include <future>
#include <random>

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
void inTime(F f) {
    auto done = std::async(std::launch::async, f);
    if (done.wait_for(std::chrono::seconds(20)) == std::future_status::timeout)
        std::fprintf(stderr, "FAILED: a call still runs after 20 s\n"), std::_Exit(1);
}

// f(m 2^e), or atan2(m 2^e, xm 2^xe) without f, tends to k pi/2 there, or (k = 9) to its argument.
struct Edge { fp (*f)(fp const&); char const* m; int32 e; int k; char const* xm = nullptr; int32 xe = 0; };
constexpr int32 kLo = INT32_MIN, kHi = INT32_MAX, kBig = (1 << 30) + 10;

TEST(FpEdges, FunctionsEndAtTheRangeEndsWithTheValuesTheyTendTo) {
    Edge const cases[] = {{sin, "3", kLo, 9}, {sin, "-3", kLo + 150, 9}, {tan, "3", kLo, 9}, {atan, "3", kLo + 300, 9},
                          {asin, "-5", kLo, 9}, {tanh, "3", kLo, 9}, {acos, "3", kLo, 1}, {acos, "-3", kLo + 100, 1},
                          {atan, "3", kHi - 1, 1}, {atan, "-7", kHi - 700, -1}, {nullptr, "3", -kBig - 1, 0, "1", kBig},
                          {nullptr, "-3", -kBig, 0, "1", kBig}, {nullptr, "3", -kBig, 2, "-1", kBig},
                          {nullptr, "-3", -kBig, -2, "-1", kBig}, {nullptr, "1", kBig, 1, "3", -kBig},
                          {nullptr, "-1", kBig, -1, "3", -kBig}, {nullptr, "1", kBig, 1, "-3", -kBig}};
    for (int bp : {2, 5, 12})
        for (auto const& c : cases) {
            PrecScope p(bp);
            fp x = fpOf(c.m, c.e), z;
            inTime([&] { z = c.f ? c.f(x) : atan2(x, fpOf(c.xm, c.xe)); });
            fp lim = c.k == 9 ? x : Pi() * double(c.k) / 2.0;  // pi as the call left it cached
            EXPECT_EQ(compare(z, lim), 0) << show(x) << " at " << bp << ": " << show(z);
        }
}

// Random values of blockPrec words whose top bit lies near either end; their digits from
// log10 in MPFR, whose exponents (32-bit in the m32 build) need not reach that far.
TEST(FpEdges, TextAndDoubleNearTheRangeEndsFollowMpfr) {
    std::mt19937_64 rng(17);
    EXPECT_EQ(owned(fpToStr(fpOf("1", kHi), 16)), "8.808065258419817e646456992");
    Mpfr L(192), t(192);
    for (int bp : {2, 5, 12})
        for (int64 top : {int64(kHi), int64(kHi) - 150, int64(kLo) + 32 * bp - 1, int64(kLo) + 32 * bp + 200}) {
            PrecScope p(bp);
            Mpz m;
            for (int i = 0; i < 2 * bp; ++i) mpz_mul_2exp(m, m, 16), mpz_add_ui(m, m, rng() & 0xFFFF);
            mpz_setbit(m, 32 * bp - 1);
            fp x = fpOf(m, static_cast<int32>(top - 32 * bp + 1));
            bool negative = (rng() & 1) != 0;
            if (negative) x.mantissa.length = -x.mantissa.length;
            mpfr_set_z(L.get(), m, MPFR_RNDN);  // log10 |x| = log10 m + exponent log10 2
            mpfr_log10(L.get(), L.get(), MPFR_RNDN);
            mpfr_set_ui(t.get(), 2, MPFR_RNDN);
            mpfr_log10(t.get(), t.get(), MPFR_RNDN);
            mpfr_mul_si(t.get(), t.get(), x.exponent, MPFR_RNDN);
            mpfr_add(L.get(), L.get(), t.get(), MPFR_RNDN);
            mpfr_floor(t.get(), L.get());
            long E = mpfr_get_si(t.get(), MPFR_RNDN);
            mpfr_sub_si(L.get(), L.get(), E, MPFR_RNDN);
            mpfr_exp10(L.get(), L.get(), MPFR_RNDN);
            mpfr_exp_t ex = 0;
            std::string d = owned(mpfr_get_str(nullptr, &ex, 10, 16, L.get(), MPFR_RNDN));
            d.erase(d.find_last_not_of('0') + 1);
            std::string want = (negative ? "-" : "") + d.substr(0, 1) + "." + d.substr(1) + "e" + std::to_string(E + ex - 1);
            EXPECT_EQ(owned(fpToStr(x, 16)), want) << bp;
            double v = 1.0;
            bool ok = equate(v, x);  // beyond the double range: +-inf and false; below it: +-0
            EXPECT_TRUE(ok == (top < 0) && v == (top < 0 ? 0.0 : (negative ? -HUGE_VAL : HUGE_VAL))) << show(x);
        }
}

// Each record with zero top words against its normal form, through the readers of its top bit.
TEST(FpEdges, RecordsWithZeroTopWordsCountAsTheirValue) {
    DecData d;
    d.mantissa = makeRecord({25, 0, 0}, true);
    d.exponent = -1;
    inTime([&] { EXPECT_EQ(getDouble_Dec(d), -2.5); });
    for (auto const& w : std::vector<std::vector<uint32>>{{25, 0, 0}, {0, 7, 0}, {0, 0}, {1, 0, 0, 0}, {3, 1, 0}}) {
        fp x, n, a, b;
        x.mantissa = makeRecord(w, w[0] == 1);
        fpNormalize(n = x);
        double dx = 0, dn = 0;
        inTime([&] { a = log(abs(x)), b = atan2(x, power2(-40)), equate(dx, x.mantissa), equate(dn, n.mantissa); });
        EXPECT_TRUE(compare(a, log(abs(n))) == 0 && compare(b, atan2(n, power2(-40))) == 0) << show(x);
        EXPECT_TRUE(dx == dn && Lg2(x) == Lg2(n)) << show(x);
    }
}

// 536,870,911 digits (2^26 words): exact results, refusals elsewhere, no count that overflows.
TEST(FpEdges, LargestPrecisionGivesExactPowersAndRefusesTheRest) {
    decSetStartValues();
    PrecScope p(1 << 26);
    fp z = fpOf("5", 0), three = fpOf("3", 0);
    sqrt(z, three);  // refused: z unchanged
    EXPECT_TRUE(compare(z, fpOf("5", 0)) == 0 && pow(z, three, 2) && compare(z, fpOf("9", 0)) == 0);
    EXPECT_FALSE(pow(z, three, -2));
    globalBitPrecision = 4 * 536870911;
    DecData a, b, r;
    getDec_Str(a, "1.5");
    getDec_Str(b, "3");
    EXPECT_TRUE(pow(r, a, b) && owned(getString2(r)) == "3375e-3" && pow(r, b, 2.0) && owned(getString2(r)) == "9e0");
    EXPECT_FALSE(pow(r, b, -2) || pow(r, b, 1000000) || divDec(r, a, b) || DecToRR(z, a) || pow(r, 2.0, b));
    globalBitPrecision = 4 * int32(kMaxFpDigits);
    EXPECT_TRUE(fpWorkFits());
}

}  // namespace
