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

// Exact binary values whose expansion ends in 5 just past the printed digits: a runtime
// that rounds half up rather than by the exact value gets the last digit wrong. The
// library reads doubles through these texts (dec: what getDec_d makes of x).
TEST(PlatformFormat, DoublesAreCorrectlyRounded) {
    struct { char const* pattern; double x; char const *want, *dec; } const cases[] = {
        {"%.17e", std::ldexp(1.0, -26), "1.49011611938476562e-08", nullptr},  // ...625: tie, even
        {"%.17e", 0.1, "1.00000000000000006e-01", nullptr},
        {"%.17e", 5e-324, "4.94065645841246544e-324", nullptr},
        {"%.17e", 1.7976931348623157e308, "1.79769313486231571e+308", nullptr},
        {"%.13e", std::ldexp(1.0, -21), "4.7683715820312e-07", "47683715820312e-20"},  // ...3125: tie, even
        {"%.13e", std::ldexp(1.0, -20), "9.5367431640625e-07", "95367431640625e-20"},  // exact
        {"%.13e", 10000000000000.5, "1.0000000000000e+13", "1e13"},
        {"%.13e", 10000000000001.5, "1.0000000000002e+13", "10000000000002e0"},
    };
    char buf[64];
    for (auto const& c : cases) {
        std::snprintf(buf, sizeof buf, c.pattern, c.x);
        EXPECT_STREQ(buf, c.want) << c.pattern << " " << c.x;
        if (c.dec == nullptr) continue;
        DecData d;
        getDec_d(d, c.x);
        char* s = getString2(d);
        EXPECT_STREQ(s, c.dec) << c.x;
        std::free(s);
    }
    std::snprintf(buf, sizeof buf, "%lld", static_cast<long long>(INT64_MIN));
    EXPECT_STREQ(buf, "-9223372036854775808");
    fp x, want("1.49011611938476562e-8"), bigger("1.49011611938476563e-8");
    ASSERT_TRUE(init(x, std::ldexp(1.0, -26)));
    EXPECT_EQ(compare(x, want), 0);
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

double viaDec(char const* text) {
    DecData d;
    EXPECT_TRUE(getDec_Str(d, text)) << text;
    return getDouble_Dec(d);
}

// powerOfTen and getDouble_Dec follow the build's choice, also where two libraries
// disagree (exp10 and pow; the C runtime's pow and the toolchain's).
TEST(PlatformPowerOfTen, IsTheBuildsChoice) {
#if defined(_WIN32)
    EXPECT_EQ(VANTREL_POW10_BY_EXP10, 0);  // the Windows plug-in takes pow
#elif UINTPTR_MAX == 0xFFFFFFFFu
    EXPECT_EQ(VANTREL_POW10_BY_EXP10, 1);  // the 32-bit build takes the macOS plug-in's exp10
#endif
    int differing = 0;
    for (int e = -307; e <= 308; ++e) {
        ASSERT_EQ(powerOfTen(e), platformPower(e)) << e;
        ASSERT_EQ(viaDec(("1e" + std::to_string(e)).c_str()), platformPower(e)) << e;
        differing += std::pow(10.0, static_cast<double>(e)) != platformPower(e);
    }
#if (VANTREL_POW10_BY_EXP10 && !defined(__APPLE__)) || VANTREL_RUNTIME_POW
    EXPECT_GT(differing, 0) << "no exponent tells the two apart here";
#else
    EXPECT_EQ(differing, 0);
#endif
    // Mantissa and power are converted apart: a product outside the normal range takes
    // the exact text instead, the same on every platform.
    EXPECT_EQ(viaDec("123456789012345678901234567890e-330"), 1.2345678901234568e-301);
    EXPECT_EQ(viaDec("1e-320"), 1e-320);
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

TEST(HexStrtoDecStr, ValuesAndTheInverse) {
    std::pair<char const*, char const*> const cases[] = {
        {"ff", "255"}, {"FF", "255"}, {"10", "16"}, {"0", "0"}, {"00F", "015"}, {"", ""}, {"1g", ""}, {"-1", ""},
        {"FFFFFFFF", "4294967295"}, {"100000000000000000000000000000000", "340282366920938463463374607431768211456"}};
    for (auto [hex, want] : cases) EXPECT_EQ(hexToDec(hex), want) << hex;
    char text[] = "aB";  // the input is consumed
    char* out = HexStrtoDecStr(text);
    EXPECT_STREQ(out, "171");
    std::free(out);
    EXPECT_EQ(text[0], 0);
    EXPECT_EQ(text[1], 0);
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

// The PE reader refuses what is not a whole PE image rather than reading past it: an
// empty file, a PE header offset past the end, an optional header of an unknown kind.
TEST(PeExports, RefusesWhatIsNotAnImage) {
    std::vector<char> f(64, '\0');
    f[0] = 'M', f[1] = 'Z', f[0x3C] = 0x40;
    std::vector<char> g = f;
    g.resize(0x40 + 24 + 2, '\0');
    std::memcpy(&g[0x40], "PE\0\0", 4);
    g[0x40 + 24] = 0x0B, g[0x40 + 25] = 0x03;
    for (auto const& file : {std::vector<char>{}, f, g}) {
        bool ok = true;
        EXPECT_TRUE(oracle::peExports(file, ok).empty());
        EXPECT_FALSE(ok) << file.size();
    }
}

}  // namespace
