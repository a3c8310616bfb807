// The product and division kernels at every pairing of small word counts, odd and even,
// against GMP: with 64-bit limbs an odd count leaves a half-filled top limb, and the
// short division changes method with the length; the decimal reader and writer across
// their chunks of 9 and 19 digits. Run under both kernel widths (VANTREL_WORD32 forces
// the 32-bit one).
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "gmp_oracle.h"
#include "mb2Str.h"
#include "mbConv.h"
#include "mbMath.h"

namespace {

using namespace oracle;

TEST(MbKernels, WidthFollowsTheBuild) {
#if defined(__SIZEOF_INT128__) && !defined(VANTREL_WORD32)
    EXPECT_EQ(mbKernelBits(), 64);
#else
    EXPECT_EQ(mbKernelBits(), 32);
#endif
}

mb operand(Generator& g, int32 n) { return makeRecord(g.words(n, g.style()), g.coin()); }

// Form 0: distinct targets; 1: z = x; 2: z = y; 3: z = x = y (the square).
TEST(MbKernels, ProductAtEveryLengthPair) {
    Generator g(0x6B3E1001u);
    for (int32 xn = 1; xn <= 13; ++xn)
        for (int32 yn = 1; yn <= 13; ++yn)
            for (int k = 0; k < 6; ++k) {
                mb x = operand(g, xn), y = operand(g, yn);
                for (int form = 0; form < 4; ++form) {
                    mb z, xs = rawCopy(x), ys = form == 3 ? rawCopy(x) : rawCopy(y);
                    Mpz want;
                    mpz_mul(want, toMpz(xs), toMpz(ys));
                    mb& t = form == 1 || form == 3 ? xs : form == 2 ? ys : z;
                    mul(t, xs, form == 3 ? xs : ys);
                    ASSERT_TRUE(isNormalValue(t, want)) << xn << " x " << yn << ", form " << form;
                }
            }
}

// divRem with each target aliasing each operand (form 1: q = x, 2: r = x, 3: q = y,
// 4: r = y), and div in place.
void checkDivision(mb const& x, mb const& y) {
    Mpz wantQ, wantR;
    mpz_tdiv_qr(wantQ, wantR, toMpz(x), toMpz(y));
    std::string what = toMpz(x).str(16) + " / " + toMpz(y).str(16);
    for (int form = 0; form < 5; ++form) {
        mb q, r, xs = rawCopy(x), ys = rawCopy(y);
        mb& qt = form == 1 ? xs : form == 3 ? ys : q;
        mb& rt = form == 2 ? xs : form == 4 ? ys : r;
        ASSERT_TRUE(divRem(qt, rt, xs, ys)) << what;
        ASSERT_TRUE(isNormalValue(qt, wantQ)) << what << ", form " << form;
        ASSERT_TRUE(isNormalValue(rt, wantR)) << what << ", form " << form;
    }
    mb q = rawCopy(x);
    ASSERT_TRUE(div(q, q, y));
    ASSERT_TRUE(isNormalValue(q, wantQ)) << "div, q = x: " << what;
}

// Short division by fixed and random words, in place too: it changes method with the length.
void checkShortDivision(mb const& x, uint32 d) {
    Mpz wantQ;
    unsigned long wantR = mpz_tdiv_q_ui(wantQ, toMpz(x), d);
    mb q, a = rawCopy(x);
    ASSERT_EQ(static_cast<unsigned int>(mbShortDiv(q, x, d)), wantR) << toMpz(x).str(16) << " / " << d;
    ASSERT_TRUE(isNormalValue(q, wantQ)) << toMpz(x).str(16) << " / " << d;
    ASSERT_EQ(static_cast<unsigned int>(mbShortDiv(a, a, d)), wantR) << "q = x";
    ASSERT_TRUE(isNormalValue(a, wantQ)) << "q = x";
}

TEST(MbKernels, DivisionAtEveryLengthPair) {
    Generator g(0x6B3E1002u);
    for (int32 xn = 1; xn <= 20; ++xn)
        for (int32 yn = 1; yn <= xn + 1 && yn <= 15; ++yn)
            for (int k = 0; k < 12; ++k) {
                mb x = operand(g, xn);
                ASSERT_NO_FATAL_FAILURE(checkDivision(x, operand(g, yn)));
                for (uint32 d : {1u, 2u, 3u, 10u, 1000000000u, 0x80000000u, 0xFFFFFFFFu, 0x10001u})
                    if (yn == 1) {
                        ASSERT_NO_FATAL_FAILURE(checkShortDivision(x, k < 6 ? d : (g.randomWord() | 1u)));
                    }
            }
    // Divisors whose top limb is just past a power of two, or all ones, over dividends of
    // repeated limbs: the quotient-limb estimate starts too large and must be corrected.
    for (int32 yn = 2; yn <= 9; ++yn)
        for (uint32 top : {0x80000000u, 0x80000001u, 0xFFFFFFFFu, 1u, 0x7FFFFFFFu})
            for (int k = 0; k < 40; ++k) {
                std::vector<uint32> yw = g.words(yn, Generator::Style::Patterns);
                yw.back() = top;
                if (g.coin()) yw[yn - 2] = g.coin() ? 0u : 0xFFFFFFFFu;
                auto style = g.coin() ? Generator::Style::Repeated : Generator::Style::Mixed;
                ASSERT_NO_FATAL_FAILURE(checkDivision(makeRecord(g.words(yn + g.intIn(0, 6), style)), makeRecord(yw)));
            }
}

std::string written(mb const& x) {
    char* s = mb2Str(x);
    std::string t(s);
    std::free(s);
    return t;
}

// Digit strings of 1..80 digits (random, all nines, a one and zeros, either sign) read
// and written back; the writer also on records with zero top words.
TEST(MbKernels, DecimalTextAtEveryLength) {
    Generator g(0x6B3E1005u);
    for (int d = 1; d <= 80; ++d) {
        std::string r(static_cast<std::size_t>(d), '0');
        for (auto& c : r) c = static_cast<char>('0' + g.intIn(0, 9));
        if (r[0] == '0') r[0] = static_cast<char>('1' + g.intIn(0, 8));
        std::string one = "1" + std::string(static_cast<std::size_t>(d - 1), '0');
        for (std::string const& u : {r, std::string(static_cast<std::size_t>(d), '9'), one})
            for (std::string const& t : {u, "-" + u}) {
                mb x;
                ASSERT_TRUE(mbConvFromStr(x, t.c_str())) << t;
                ASSERT_TRUE(isNormalValue(x, Mpz(t.c_str()))) << t;
                EXPECT_EQ(written(x), t);
                EXPECT_EQ(written(g.nonNormal(x)), t);
            }
    }
}

}  // namespace
