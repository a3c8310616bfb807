// What differs between the builds and must still hold in each: the C runtime's formatting
// of doubles (correctly rounded, also on Windows), the platform's power of ten behind the
// Double conversion, the Windows-only hexadecimal reader, and the plug-in file's exports.
// Needs no GMP or MPFR, so the Windows build runs it too.
#include <gtest/gtest.h>

#include <math.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "decMath.h"
#include "elf_symbols.h"
#include "fp.h"
#include "fpConv.h"
#include "fpMath.h"
#include "mbConv.h"

namespace {

std::string format(char const* pattern, double x) {
    char buf[64];
    std::snprintf(buf, sizeof buf, pattern, x);
    return buf;
}

// Exact binary values whose decimal expansion ends in 5 just past the printed digits: a
// runtime that rounds half up rather than by the exact value gets the last digit wrong.
TEST(PlatformFormat, SeventeenDigitsAreCorrectlyRounded) {
    EXPECT_EQ(format("%.17e", std::ldexp(1.0, -26)), "1.49011611938476562e-08");  // ...625: tie, even
    EXPECT_EQ(format("%.17e", 0.1), "1.00000000000000006e-01");
    EXPECT_EQ(format("%.17e", 5e-324), "4.94065645841246544e-324");
    EXPECT_EQ(format("%.17e", 1.7976931348623157e308), "1.79769313486231571e+308");
    EXPECT_EQ(format("%.17e", -2.5), "-2.50000000000000000e+00");
}

TEST(PlatformFormat, ThirteenDigitsAreCorrectlyRounded) {
    EXPECT_EQ(format("%.13e", std::ldexp(1.0, -21)), "4.7683715820312e-07");  // ...3125: tie, even
    EXPECT_EQ(format("%.13e", std::ldexp(1.0, -20)), "9.5367431640625e-07");  // exact
    EXPECT_EQ(format("%.13e", 10000000000000.5), "1.0000000000000e+13");       // tie, even
    EXPECT_EQ(format("%.13e", 10000000000001.5), "1.0000000000002e+13");       // tie, even
    EXPECT_EQ(format("%.13e", 1.0 / 3.0), "3.3333333333333e-01");
}

TEST(PlatformFormat, SixtyFourBitIntegers) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%lld", static_cast<long long>(INT64_MIN));
    EXPECT_STREQ(buf, "-9223372036854775808");
}

// The library's own readers of doubles go through those texts.
TEST(PlatformFormat, DoublesEnterTheLibraryCorrectlyRounded) {
    DecData d;
    getDec_d(d, std::ldexp(1.0, -21));
    char* s = getString2(d);
    EXPECT_STREQ(s, "47683715820312e-20");
    std::free(s);
    getDec_d(d, 10000000000001.5);
    s = getString2(d);
    EXPECT_STREQ(s, "10000000000002e0");
    std::free(s);

    fp x, want("1.49011611938476562e-8");
    ASSERT_TRUE(init(x, std::ldexp(1.0, -26)));
    EXPECT_EQ(compare(x, want), 0);
    fp bigger("1.49011611938476563e-8");
    EXPECT_LT(compare(x, bigger), 0);
}

#if defined(_WIN32) && defined(__MINGW32__) && !VANTREL_POW10_BY_EXP10
extern "C" double (*__imp_pow)(double, double);  // the C runtime's, not the toolchain's
#define VANTREL_RUNTIME_POW 1
#endif

double platformPower(int e) {
#if VANTREL_POW10_BY_EXP10 && defined(__APPLE__)
    return __exp10(static_cast<double>(e));
#elif VANTREL_POW10_BY_EXP10
    return exp10(static_cast<double>(e));
#elif VANTREL_RUNTIME_POW
    return __imp_pow(10.0, static_cast<double>(e));
#else
    return std::pow(10.0, static_cast<double>(e));
#endif
}

DecData one(int e) {
    DecData d;
    EXPECT_TRUE(getDec_Str(d, ("1e" + std::to_string(e)).c_str()));
    return d;
}

TEST(PlatformPowerOfTen, IsTheBuildsChoice) {
#if defined(_WIN32)
    EXPECT_EQ(VANTREL_POW10_BY_EXP10, 0);  // the Windows plug-in takes pow
#elif UINTPTR_MAX == 0xFFFFFFFFu
    EXPECT_EQ(VANTREL_POW10_BY_EXP10, 1);  // the 32-bit build takes the macOS plug-in's exp10
#endif
    for (int e = -307; e <= 308; ++e) {
        ASSERT_EQ(powerOfTen(e), platformPower(e)) << e;
        ASSERT_EQ(getDouble_Dec(one(e)), platformPower(e)) << e;
    }
}

// Where two libraries disagree (exp10 and pow; the C runtime's pow and the toolchain's),
// getDouble_Dec follows the build's choice.
TEST(PlatformPowerOfTen, FollowsItWhereTheLibrariesDiffer) {
#if (VANTREL_POW10_BY_EXP10 && !defined(__APPLE__)) || VANTREL_RUNTIME_POW
    int differing = 0;
    for (int e = -307; e <= 308; ++e) {
        double viaPow = std::pow(10.0, static_cast<double>(e)), chosen = platformPower(e);
        if (viaPow == chosen) continue;
        ++differing;
        EXPECT_EQ(getDouble_Dec(one(e)), chosen) << e;
    }
    EXPECT_GT(differing, 0) << "no exponent tells the two apart here";
#else
    for (int e = -307; e <= 308; ++e) EXPECT_EQ(getDouble_Dec(one(e)), std::pow(10.0, static_cast<double>(e))) << e;
#endif
}

// Mantissa and power are converted apart: a product outside the normal range takes the
// exact text instead, the same on every platform.
TEST(PlatformPowerOfTen, OutsideTheRangeTheExactValue) {
    DecData d;
    ASSERT_TRUE(getDec_Str(d, "123456789012345678901234567890e-330"));
    EXPECT_EQ(getDouble_Dec(d), 1.2345678901234568e-301);
    ASSERT_TRUE(getDec_Str(d, "1e-320"));
    EXPECT_EQ(getDouble_Dec(d), 1e-320);
}

#ifdef _WIN32
std::string hexToDec(std::string hex) {
    std::vector<char> buf(hex.begin(), hex.end());
    buf.push_back('\0');
    char* out = HexStrtoDecStr(buf.data());
    std::string r = out;
    std::free(out);
    return r;
}

TEST(HexStrtoDecStr, Values) {
    EXPECT_EQ(hexToDec("ff"), "255");
    EXPECT_EQ(hexToDec("FF"), "255");
    EXPECT_EQ(hexToDec("10"), "16");
    EXPECT_EQ(hexToDec("0"), "0");
    EXPECT_EQ(hexToDec("00F"), "015");  // leading zeros carry over
    EXPECT_EQ(hexToDec(""), "");
    EXPECT_EQ(hexToDec("1g"), "");
    EXPECT_EQ(hexToDec("-1"), "");
    EXPECT_EQ(hexToDec("FFFFFFFF"), "4294967295");
    EXPECT_EQ(hexToDec("100000000000000000000000000000000"), "340282366920938463463374607431768211456");
}

TEST(HexStrtoDecStr, ConsumesItsInput) {
    char text[] = "aB";
    char* out = HexStrtoDecStr(text);
    EXPECT_STREQ(out, "171");
    std::free(out);
    EXPECT_EQ(text[0], 0);
    EXPECT_EQ(text[1], 0);
}

// The inverse of the reader's decimal-to-hexadecimal step, on random digit strings.
TEST(HexStrtoDecStr, UndoesDecStrtoHexStr) {
    std::mt19937_64 gen(0x1E5u);
    for (int i = 0; i < 300; ++i) {
        std::string dec(1, static_cast<char>('1' + gen() % 9));
        for (std::size_t n = gen() % 120; n > 0; --n) dec += static_cast<char>('0' + gen() % 10);
        std::vector<char> buf(dec.begin(), dec.end());
        buf.push_back('\0');
        ASSERT_TRUE(DecStrtoHexStr(buf.data()));
        EXPECT_EQ(hexToDec(buf.data()), dec);
    }
}
#endif

TEST(PluginFile, ExportsOnlyTheEntry) {
    bool ok = false;
    auto names = oracle::exportedSymbols(VANTREL_PLUGIN_PATH, ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(names, std::vector<std::string>{"REALPluginMain"});
}

// The PE reader refuses what is not a whole PE image rather than reading past it.
TEST(PeExports, RefusesWhatIsNotAnImage) {
    bool ok = true;
    EXPECT_TRUE(oracle::peExports({}, ok).empty());
    EXPECT_FALSE(ok);
    std::vector<char> f(64, '\0');
    f[0] = 'M', f[1] = 'Z', f[0x3C] = 0x40;  // PE header offset past the end
    ok = true;
    EXPECT_TRUE(oracle::peExports(f, ok).empty());
    EXPECT_FALSE(ok);
    f.resize(0x40 + 24 + 2, '\0');
    std::memcpy(&f[0x40], "PE\0\0", 4);
    f[0x40 + 24] = 0x0B, f[0x40 + 25] = 0x03;  // an optional header of an unknown kind
    ok = true;
    EXPECT_TRUE(oracle::peExports(f, ok).empty());
    EXPECT_FALSE(ok);
}

}  // namespace
