// fpToDecimal gives the integer that fpToStr2's text reads as, with the same exponent:
// across digit counts, precisions, signs, values with trailing zeros, and binary
// exponents near the ends of their range.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "fp.h"
#include "fpConv.h"
#include "fpMath.h"
#include "gmp_oracle.h"
#include "mbConv.h"

namespace {

using oracle::Generator;
using oracle::Mpz;
using oracle::toMpz;

void expectSameDigits(fp const& x, int nDigits) {
    int e10Text = 12345, e10 = 54321;
    char* text = fpToStr2(e10Text, x, nDigits);
    mb m;
    fpToDecimal(e10, m, x, nDigits);
    EXPECT_EQ(toMpz(m), Mpz(text)) << text << " at " << nDigits << " digits";
    EXPECT_EQ(e10, e10Text) << text;
    std::free(text);
}

class BlockPrecGuard {
public:
    BlockPrecGuard() : saved_(blockPrec) {}
    ~BlockPrecGuard() { blockPrec = saved_; }

private:
    int32 saved_;
};

TEST(FpToDecimal, MatchesTheTextForm) {
    BlockPrecGuard guard;
    Generator g(0xD161705u);
    for (int i = 0; i < 600; ++i) {
        blockPrec = g.intIn(1, 12);
        std::string t = (g.coin() ? "-" : "") + std::to_string(g.range(1, 999999999));
        if (g.coin()) t += std::string(static_cast<std::size_t>(g.intIn(0, 25)), '0');
        t += "." + std::to_string(g.range(0, 99999)) + "e" + std::to_string(g.intIn(-300, 300));
        fp x;
        ASSERT_TRUE(init(x, t.c_str())) << t;
        expectSameDigits(x, g.intIn(1, 120));
        expectSameDigits(x, 32);  // repeated digit counts and precisions, as a run of results has
    }
}

TEST(FpToDecimal, ZeroAndNoDigits) {
    fp x;
    init(x, "2.5");
    int e10 = 7;
    mb m;
    fpToDecimal(e10, m, x, 0);
    EXPECT_EQ(m.length, 0);
    EXPECT_EQ(e10, 0);
    fp zero;
    init(zero, "0");
    fpToDecimal(e10, m, zero, 10);
    EXPECT_EQ(m.length, 0);
}

TEST(FpToDecimal, ExponentsAtTheEnds) {
    BlockPrecGuard guard;
    blockPrec = 5;
    for (int i = 0; i < 12; ++i) {
        fp x;
        init(x, 3.0 + i);
        x.exponent = (i % 2 ? 1 : -1) * (2147483000 + i * 50);
        expectSameDigits(x, 20);
        expectSameDigits(x, 1 + i * 7);
    }
}

}  // namespace
