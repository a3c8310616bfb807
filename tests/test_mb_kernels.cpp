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

using oracle::Generator;
using oracle::isNormalValue;
using oracle::makeRecord;
using oracle::Mpz;
using oracle::rawCopy;
using oracle::toMpz;

TEST(MbKernels, WidthFollowsTheBuild) {
#if defined(__SIZEOF_INT128__) && !defined(VANTREL_WORD32)
    EXPECT_EQ(mbKernelBits(), 64);
#else
    EXPECT_EQ(mbKernelBits(), 32);
#endif
}

TEST(MbKernels, ProductAtEveryLengthPair) {
    Generator g(0x6B3E1001u);
    for (int32 xn = 1; xn <= 13; ++xn) {
        for (int32 yn = 1; yn <= 13; ++yn) {
            for (int k = 0; k < 6; ++k) {
                mb x = makeRecord(g.words(xn, g.style()), g.coin());
                mb y = makeRecord(g.words(yn, g.style()), g.coin());
                Mpz want;
                mpz_mul(want, toMpz(x), toMpz(y));
                mb z;
                mul(z, x, y);
                ASSERT_TRUE(isNormalValue(z, want)) << xn << " x " << yn;
                mb a = rawCopy(x);
                mul(a, a, y);
                ASSERT_TRUE(isNormalValue(a, want)) << "z = x, " << xn << " x " << yn;
                mb b = rawCopy(y);
                mul(b, x, b);
                ASSERT_TRUE(isNormalValue(b, want)) << "z = y, " << xn << " x " << yn;
                Mpz square;
                mpz_mul(square, toMpz(x), toMpz(x));
                mb c = rawCopy(x);
                mul(c, c, c);
                ASSERT_TRUE(isNormalValue(c, square)) << "z = x = y, " << xn;
            }
        }
    }
}

TEST(MbKernels, DivisionAtEveryLengthPair) {
    Generator g(0x6B3E1002u);
    for (int32 xn = 1; xn <= 14; ++xn) {
        for (int32 yn = 1; yn <= xn + 1; ++yn) {
            for (int k = 0; k < 12; ++k) {
                mb x = makeRecord(g.words(xn, g.style()), g.coin());
                mb y = makeRecord(g.words(yn, g.style()), g.coin());
                Mpz xv = toMpz(x), yv = toMpz(y), wantQ, wantR;
                mpz_tdiv_qr(wantQ, wantR, xv, yv);
                mb q, r;
                ASSERT_TRUE(divRem(q, r, x, y));
                ASSERT_TRUE(isNormalValue(q, wantQ)) << xv.str(16) << " / " << yv.str(16);
                ASSERT_TRUE(isNormalValue(r, wantR)) << xv.str(16) << " / " << yv.str(16);
                // Each target aliasing each operand.
                mb q1 = rawCopy(x), r1;
                ASSERT_TRUE(divRem(q1, r1, q1, y));
                ASSERT_TRUE(isNormalValue(q1, wantQ)) << "q = x";
                ASSERT_TRUE(isNormalValue(r1, wantR)) << "q = x";
                mb q2, r2 = rawCopy(x);
                ASSERT_TRUE(divRem(q2, r2, r2, y));
                ASSERT_TRUE(isNormalValue(q2, wantQ)) << "r = x";
                ASSERT_TRUE(isNormalValue(r2, wantR)) << "r = x";
                mb q3 = rawCopy(y), r3;
                ASSERT_TRUE(divRem(q3, r3, x, q3));
                ASSERT_TRUE(isNormalValue(q3, wantQ)) << "q = y";
                ASSERT_TRUE(isNormalValue(r3, wantR)) << "q = y";
                mb q4, r4 = rawCopy(y);
                ASSERT_TRUE(divRem(q4, r4, x, r4));
                ASSERT_TRUE(isNormalValue(q4, wantQ)) << "r = y";
                ASSERT_TRUE(isNormalValue(r4, wantR)) << "r = y";
                mb q5 = rawCopy(x);
                ASSERT_TRUE(div(q5, q5, y));
                ASSERT_TRUE(isNormalValue(q5, wantQ)) << "div, q = x";
            }
        }
    }
}

// Divisors whose top limb is just past a power of two, or all ones, with dividends of
// all-ones limbs: the quotient-limb estimate starts too large and must be corrected.
TEST(MbKernels, DivisionEstimateCorrections) {
    Generator g(0x6B3E1003u);
    uint32 const tops[] = {0x80000000u, 0x80000001u, 0xFFFFFFFFu, 1u, 0x7FFFFFFFu};
    for (int32 yn = 2; yn <= 9; ++yn) {
        for (uint32 top : tops) {
            for (int k = 0; k < 40; ++k) {
                std::vector<uint32> yw = g.words(yn, Generator::Style::Patterns);
                yw.back() = top;
                if (g.coin()) yw[yn - 2] = g.coin() ? 0u : 0xFFFFFFFFu;
                int32 xn = yn + g.intIn(0, 6);
                std::vector<uint32> xw = g.words(xn, g.coin() ? Generator::Style::Repeated : Generator::Style::Mixed);
                mb x = makeRecord(xw), y = makeRecord(yw);
                Mpz xv = toMpz(x), yv = toMpz(y), wantQ, wantR;
                mpz_tdiv_qr(wantQ, wantR, xv, yv);
                mb q, r;
                ASSERT_TRUE(divRem(q, r, x, y));
                ASSERT_TRUE(isNormalValue(q, wantQ)) << xv.str(16) << " / " << yv.str(16);
                ASSERT_TRUE(isNormalValue(r, wantR)) << xv.str(16) << " / " << yv.str(16);
            }
        }
    }
}

TEST(MbKernels, ShortDivisionAtEveryLength) {
    Generator g(0x6B3E1004u);
    uint32 const divisors[] = {1u, 2u, 3u, 10u, 1000000000u, 0x80000000u, 0xFFFFFFFFu, 0x10001u};
    for (int32 n = 1; n <= 20; ++n) {
        for (int k = 0; k < 10; ++k) {
            for (uint32 d : divisors) {
                uint32 dv = k < 5 ? d : (g.randomWord() | 1u);
                mb x = makeRecord(g.words(n, g.style()), g.coin());
                Mpz xv = toMpz(x), wantQ;
                unsigned long wantR = mpz_tdiv_q_ui(wantQ, xv, dv);
                mb q;
                int rem = mbShortDiv(q, x, dv);
                ASSERT_EQ(static_cast<unsigned int>(rem), wantR) << xv.str(16) << " / " << dv;
                ASSERT_TRUE(isNormalValue(q, wantQ)) << xv.str(16) << " / " << dv;
                mb a = rawCopy(x);
                rem = mbShortDiv(a, a, dv);
                ASSERT_EQ(static_cast<unsigned int>(rem), wantR);
                ASSERT_TRUE(isNormalValue(a, wantQ)) << "q = x";
            }
        }
    }
}

}  // namespace

namespace {

// Digit strings of every length across several chunk boundaries (9 and 19 digits):
// random, all nines, and a one followed by zeros, either sign.
std::vector<std::string> digitTexts(Generator& g) {
    std::vector<std::string> out;
    for (int d = 1; d <= 80; ++d) {
        std::string r(static_cast<std::size_t>(d), '0');
        for (auto& c : r) c = static_cast<char>('0' + g.intIn(0, 9));
        if (r[0] == '0') r[0] = static_cast<char>('1' + g.intIn(0, 8));
        std::string one = "1" + std::string(static_cast<std::size_t>(d - 1), '0');
        for (std::string const& t : {r, std::string(static_cast<std::size_t>(d), '9'), one}) {
            out.push_back(t);
            out.push_back("-" + t);
        }
    }
    return out;
}

TEST(MbKernels, DecimalTextAtEveryLength) {
    Generator g(0x6B3E1005u);
    for (std::string const& t : digitTexts(g)) {
        Mpz want(t.c_str());
        mb x;
        ASSERT_TRUE(mbConvFromStr(x, t.c_str())) << t;
        ASSERT_TRUE(isNormalValue(x, want)) << t;
        char* back = mb2Str(x);
        EXPECT_EQ(std::string(back), t);
        std::free(back);
        // The writer counts a record with zero top words by its value.
        mb padded = g.nonNormal(x);
        back = mb2Str(padded);
        EXPECT_EQ(std::string(back), t);
        std::free(back);
    }
}

TEST(MbKernels, WriterAtEveryWordCount) {
    Generator g(0x6B3E1006u);
    for (int32 n = 1; n <= 40; ++n) {
        for (int k = 0; k < 8; ++k) {
            mb x = makeRecord(g.words(n, g.style()), g.coin());
            char* text = mb2Str(x);
            EXPECT_EQ(std::string(text), toMpz(x).str(10));
            std::free(text);
        }
    }
}

}  // namespace
