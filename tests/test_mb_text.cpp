// Decimal text of mb both ways, checked against GMP's reader and writer on random
// integers of up to 3000 digits; the reader's accepted and refused texts; the
// conversions to and from every machine integer type at their boundaries; double.
#include <gtest/gtest.h>

#include <cctype>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "fp.h"
#include "gmp_oracle.h"
#include "mb.h"
#include "mb2Str.h"
#include "mbConv.h"
#include "mbMath.h"

namespace {

using namespace oracle;

// The text of mb2Str as a std::string, freeing the library's buffer.
std::string str(mb const& x) {
    char* p = mb2Str(x);
    std::string s(p);
    std::free(p);
    return s;
}

Mpz mpzOf(std::string const& decimal) {
    Mpz z;
    EXPECT_EQ(mpz_set_str(z, decimal.c_str(), 10), 0) << decimal;
    return z;
}

// A random decimal digit string of n digits, its first digit nonzero.
std::string randomDigits(Generator& g, std::size_t n) {
    std::string s(n, '0');
    for (auto& c : s) c = static_cast<char>('0' + g.intIn(0, 9));
    if (n > 0 && s[0] == '0') s[0] = static_cast<char>('1' + g.intIn(0, 8));
    return s;
}

// Digits with a shape the base conversion finds hard: all nines, a one and zeros,
// repeated patterns, or random.
std::string shapedDigits(Generator& g, std::size_t n) {
    switch (g.intIn(0, 4)) {
        case 0: return std::string(n, '9');
        case 1: return "1" + std::string(n - 1, '0');
        case 2: return std::string(n - 1, '9') + "8";
        case 3: {
            std::string s;
            while (s.size() < n) s += "4294967296";
            s.resize(n);
            return s;
        }
        default: return randomDigits(g, n);
    }
}

std::size_t digitCount(Generator& g) {
    switch (g.intIn(0, 3)) {
        case 0: return std::size_t(g.intIn(1, 20));
        case 1: return std::size_t(g.intIn(1, 100));
        case 2: return std::size_t(g.intIn(1, 600));
        default: return g.oneIn(4) ? std::size_t(g.intIn(1, 3000)) : std::size_t(g.intIn(1, 300));
    }
}

// ---- the reader ----

struct ReadCase {
    char const* text;
    bool ok;
    char const* value;  // decimal, for GMP
};

void PrintTo(ReadCase const& c, std::ostream* os) { *os << '"' << c.text << '"'; }

class ReaderTable : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ReaderTable, ValueAndResult) {
    ReadCase const& c = GetParam();
    mb x;
    bool ok = mbConvFromStr(x, c.text);
    EXPECT_EQ(ok, c.ok) << '"' << c.text << '"';
    EXPECT_TRUE(isNormalValue(x, mpzOf(c.value))) << '"' << c.text << '"';
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ReaderTable,
    ::testing::Values(
        // Accepted.
        ReadCase{"", true, "0"}, ReadCase{"0", true, "0"}, ReadCase{"-0", true, "0"}, ReadCase{"+0", true, "0"},
        ReadCase{"000", true, "0"}, ReadCase{"+", true, "0"}, ReadCase{"-", true, "0"},
        ReadCase{"  -1 234 ", true, "-1234"}, ReadCase{"007", true, "7"}, ReadCase{"-007", true, "-7"},
        ReadCase{"12.99", true, "12"}, ReadCase{"-12.7", true, "-12"}, ReadCase{"12.x", true, "12"},
        ReadCase{"12.", true, "12"}, ReadCase{".5", true, "0"}, ReadCase{"-.5", true, "0"},
        ReadCase{"x.5", true, "0"}, ReadCase{".", true, "0"}, ReadCase{"1e3", true, "1000"},
        ReadCase{"1E3", true, "1000"}, ReadCase{"1.5e1", true, "15"}, ReadCase{"25e-1", true, "2"},
        ReadCase{"-25e-1", true, "-2"}, ReadCase{"1e-5", true, "0"}, ReadCase{"-9.99e2", true, "-999"},
ReadCase{"4294967296", true, "4294967296"},
        ReadCase{"4294967295", true, "4294967295"}, ReadCase{"-18446744073709551616", true, "-18446744073709551616"},
        ReadCase{"+123", true, "123"}, ReadCase{"1 000 000", true, "1000000"}, ReadCase{"5", true, "5"},
        ReadCase{"12e00000000000000000000005", true, "1200000"}, ReadCase{"-7e+00000000000000000000002", true, "-700"},
        ReadCase{"25e-00000000000000000000001", true, "2"}, ReadCase{"0e-0000000000002147483648", true, "0"},
        // Refused.
        ReadCase{"   ", false, "0"}, ReadCase{"12a", false, "0"}, ReadCase{"--5", false, "0"},
        ReadCase{"+-5", false, "0"}, ReadCase{"5-", false, "0"}, ReadCase{"1,000", false, "0"},
        ReadCase{"0x1F", false, "0"}, ReadCase{"\t5", false, "0"}, ReadCase{"5\n", false, "0"},
        ReadCase{"a1.5", false, "0"}, ReadCase{"1e", false, "0"}, ReadCase{"e5", false, "0"},
        ReadCase{"1 e3", false, "0"}, ReadCase{"1e3.5", false, "0"}, ReadCase{"1e99999999999", false, "0"},
        ReadCase{"x", false, "0"}, ReadCase{"- 5x", false, "0"},
        ReadCase{"5e000000000000000000099999999999", false, "0"}, ReadCase{"1e0000000000002147483648", false, "0"},
        ReadCase{"0e-0000000000002147483649", false, "0"}, ReadCase{"1e10000000000000000000000000", false, "0"}));

TEST(MbReader, ExponentOfThousandsOfCharactersIsReadInFull) {
    mb x;
    std::string zeros(5000, '0');
    ASSERT_TRUE(mbConvFromStr(x, ("12e" + zeros + "2").c_str()));
    EXPECT_TRUE(isNormalValue(x, Mpz(1200L)));
    EXPECT_FALSE(mbConvFromStr(x, ("12e" + zeros + "99999999999").c_str()));
    EXPECT_TRUE(isNormalValue(x, Mpz(0L)));
}

TEST(MbReader, NullTextIsRefused) {
    mb x;
    EXPECT_FALSE(mbConvFromStr(x, nullptr));
    EXPECT_TRUE(isNormalValue(x, Mpz(0L)));
}

TEST(MbReader, RandomIntegersAgainstGmp) {
    Generator g(0x7e57'0104);
    for (int iter = 0; iter < 400; ++iter) {
        std::string digits = shapedDigits(g, digitCount(g));
        bool negative = g.coin();
        std::string expected = (negative ? "-" : "") + digits;
        // Decorations the reader must see through: a sign, leading zeros, spaces
        // anywhere, and a fraction that is cut off.
        std::string text;
        if (negative)
            text = "-";
        else if (g.oneIn(3))
            text = "+";
        if (g.oneIn(3)) text += std::string(std::size_t(g.intIn(1, 12)), '0');
        text += digits;
        if (g.oneIn(3)) text += "." + randomDigits(g, std::size_t(g.intIn(0, 30)));
        if (g.oneIn(3)) {
            std::string spaced;
            for (char c : text) {
                if (g.oneIn(5)) spaced += ' ';
                spaced += c;
            }
            text = spaced + (g.coin() ? "  " : "");
        }
        mb x;
        ASSERT_TRUE(mbConvFromStr(x, text.c_str())) << text;
        ASSERT_TRUE(isNormalValue(x, mpzOf(expected))) << text;
    }
}

TEST(MbReader, LiveTargetIsReplacedWithoutLeak) {
    mb x = toMb("123456789012345678901234567890", 3);
    ASSERT_TRUE(mbConvFromStr(x, "-42"));
    EXPECT_TRUE(isNormalValue(x, Mpz(-42L)));
    ASSERT_FALSE(mbConvFromStr(x, "bad"));
    EXPECT_TRUE(isNormalValue(x, Mpz(0L)));
}

TEST(MbReader, ExponentFormIsReadAtBlockPrecAndCutTowardZero) {
    // Through the floating-point reader: the value is rounded to blockPrec words
    // first, then cut toward zero.
    int32 saved = blockPrec;
    struct Restore {
        int32 v;
        ~Restore() { blockPrec = v; }
    } restore{saved};
    blockPrec = 2;
    mb x;
    std::string digits = "123456789012345678901234567890";  // 97 bits: more than two words
    ASSERT_TRUE(mbConvFromStr(x, (digits + "e0").c_str()));
    EXPECT_EQ(blockPrec, 2);
    Mpz exact = mpzOf(digits);
    // Rounded to 64 significant bits, half away from zero.
    Mpz expected;
    std::size_t bits = mpz_sizeinbase(exact, 2);
    mpz_tdiv_q_2exp(expected, exact, bits - 64);
    if (mpz_tstbit(exact, bits - 65)) mpz_add_ui(expected, expected, 1);
    mpz_mul_2exp(expected, expected, bits - 64);
    EXPECT_TRUE(isNormalValue(x, expected));
    blockPrec = saved;

    ASSERT_TRUE(mbConvFromStr(x, "-3.99e0"));
    EXPECT_TRUE(isNormalValue(x, Mpz(-3L)));
    ASSERT_TRUE(mbConvFromStr(x, "1e30"));
    EXPECT_TRUE(isNormalValue(x, mpzOf("1000000000000000000000000000000")));
    EXPECT_EQ(blockPrec, saved);
}

TEST(MbReader, InitAndEquateFromText) {
    mb x;
    EXPECT_TRUE(init(x, ""));
    EXPECT_TRUE(isNormalValue(x, Mpz(0L)));
    EXPECT_TRUE(init(x, "0"));
    EXPECT_TRUE(isNormalValue(x, Mpz(0L)));
    EXPECT_TRUE(init(x, "-98765432109876543210"));
    EXPECT_TRUE(isNormalValue(x, mpzOf("-98765432109876543210")));
    // equate releases the old array first.
    EXPECT_TRUE(equate(x, "77"));
    EXPECT_TRUE(isNormalValue(x, Mpz(77L)));
    EXPECT_FALSE(equate(x, "7 7x"));
    EXPECT_TRUE(isNormalValue(x, Mpz(0L)));
    EXPECT_TRUE(equate(x, "0"));
    EXPECT_TRUE(isNormalValue(x, Mpz(0L)));
}

TEST(MbReader, Constructor) {
    EXPECT_TRUE(isNormalValue(mb(""), Mpz(0L)));
    EXPECT_TRUE(isNormalValue(mb("0"), Mpz(0L)));
    EXPECT_TRUE(isNormalValue(mb("-4294967296"), mpzOf("-4294967296")));
    EXPECT_TRUE(isNormalValue(mb("not a number"), Mpz(0L)));
    EXPECT_TRUE(isNormalValue(mb(static_cast<char const*>(nullptr)), Mpz(0L)));
    EXPECT_TRUE(isNormalValue(mb("2.5e3"), Mpz(2500L)));
}

// ---- DecStrtoHexStr ----

TEST(DecStrtoHexStr, AgainstGmpForEveryLengthAndShape) {
    Generator g(0xdec'16);
    for (std::size_t n = 1; n <= 320; ++n) {
        for (int shape = 0; shape < 4; ++shape) {
            std::string digits = shapedDigits(g, n);
            std::vector<char> buf(digits.begin(), digits.end());
            buf.push_back('\0');
            ASSERT_TRUE(DecStrtoHexStr(buf.data())) << digits;
            std::string hex = mpzOf(digits).str(16);
            for (auto& c : hex) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            ASSERT_EQ(std::string(buf.data()), hex) << digits;
        }
    }
}

TEST(DecStrtoHexStr, LeadingZerosAndSingleDigits) {
    struct Case {
        char const* in;
        char const* out;
    } cases[] = {{"0", "0"}, {"7", "7"}, {"9", "9"}, {"10", "A"}, {"15", "F"}, {"16", "10"},
                 {"255", "FF"}, {"256", "100"}, {"05", "5"}, {"0000000005", "00005"},
                 {"4294967295", "FFFFFFFF"}, {"4294967296", "100000000"}};
    for (auto const& c : cases) {
        std::vector<char> buf(c.in, c.in + std::strlen(c.in) + 1);
        ASSERT_TRUE(DecStrtoHexStr(buf.data())) << c.in;
        EXPECT_STREQ(buf.data(), c.out) << c.in;
    }
}

TEST(DecStrtoHexStr, RefusesNonDigits) {
    for (char const* bad : {"", "a", "1a", "a1", "12 3", "-5", "123.4", "99999x"}) {
        std::vector<char> buf(bad, bad + std::strlen(bad) + 1);
        EXPECT_FALSE(DecStrtoHexStr(buf.data())) << '"' << bad << '"';
    }
}

// ---- the writer ----

TEST(MbWriter, Examples) {
    EXPECT_EQ(str(mb()), "0");
    EXPECT_EQ(str(toMb(-1)), "-1");
    EXPECT_EQ(str(toMb("1000000000")), "1000000000");
    EXPECT_EQ(str(toMb("999999999")), "999999999");
    EXPECT_EQ(str(toMb("1000000000000000007")), "1000000000000000007");
    EXPECT_EQ(str(toMb("1000000000000000000")), "1000000000000000000");
    EXPECT_EQ(str(toMb("-1000000000000000000000000042")), "-1000000000000000000000000042");
    EXPECT_EQ(str(toMb("4294967296")), "4294967296");
    // A zero that still holds an array is zero.
    EXPECT_EQ(str(makeRecord({}, false, 3)), "0");
}

TEST(MbWriter, RandomOperandsAgainstGmpAndRoundTrip) {
    Generator g(0x2b'57a);
    for (int iter = 0; iter < 500; ++iter) {
        mb x = g.operand(iter % 10 == 0 ? 320 : 40);
        Mpz want = toMpz(x);
        mb before = rawCopy(x);
        std::string s = str(x);
        ASSERT_EQ(s, want.str(10));
        ASSERT_TRUE(sameRecord(x, before)) << "the operand changed";
        mb back;
        ASSERT_TRUE(mbConvFromStr(back, s.c_str()));
        ASSERT_TRUE(isNormalValue(back, want)) << s;
    }
}

TEST(MbWriter, NonNormalOperandPrintsItsValue) {
    Generator g(77);
    for (int iter = 0; iter < 50; ++iter) {
        mb x = g.operand(12);
        mb odd = g.nonNormal(x);
        EXPECT_EQ(str(odd), toMpz(x).str(10));
    }
}

TEST(MbWriter, StackGrowsPastItsFirstHundredGroups) {
    // 1 followed by 9*150 zeros and a 7: 152 groups of nine digits, all inner ones padded.
    std::string digits = "1" + std::string(9 * 150, '0') + "7";
    mb x = toMb(digits.c_str());
    EXPECT_EQ(str(x), digits);
    std::string neg = "-" + std::string(2000, '9');
    EXPECT_EQ(str(toMb(neg.c_str())), neg);
}

TEST(MbWriter, EquateToText) {
    char* p = nullptr;
    mb x = toMb("-123456789123456789");
    equate(p, x);
    ASSERT_NE(p, nullptr);
    EXPECT_STREQ(p, "-123456789123456789");
    std::free(p);
}

TEST(Lstack, PushPopAndGrowth) {
    lstack s;
    EXPECT_TRUE(s.isEmpty());
    EXPECT_EQ(s.capacity, 0);
    for (int i = 0; i < 100; ++i) s.push(i * 3);
    EXPECT_EQ(s.capacity, 100);
    s.push(-1);
    EXPECT_EQ(s.capacity, 200);
    EXPECT_EQ(s.top, 100);
    EXPECT_EQ(s.pop(), -1);
    for (int i = 99; i >= 0; --i) ASSERT_EQ(s.pop(), i * 3);
    EXPECT_TRUE(s.isEmpty());
    std::free(s.items);  // the library's own stack lives for the process; this one does not
}

// ---- machine integers from mb ----

template <typename T>
void expectToMachine(char const* value, bool fits) {
    mb x = toMb(value);
    T v = static_cast<T>(1);
    bool ok = equate(v, x);
    EXPECT_EQ(ok, fits) << value;
    if (fits) {
        Mpz got;
        if (std::numeric_limits<T>::is_signed)
            mpz_set_str(got, std::to_string(static_cast<long long>(v)).c_str(), 10);
        else
            mpz_set_str(got, std::to_string(static_cast<unsigned long long>(v)).c_str(), 10);
        EXPECT_EQ(got, Mpz(value)) << value;
    } else {
        EXPECT_EQ(v, static_cast<T>(0)) << value;
    }
}

TEST(ToMachine, UnsignedChar) {
    for (auto v : {"0", "1", "254", "255"}) expectToMachine<unsigned char>(v, true);
    for (auto v : {"256", "-1", "-255", "4294967296", "-4294967296"}) expectToMachine<unsigned char>(v, false);
}

TEST(ToMachine, Char) {
    for (auto v : {"0", "1", "-1", "127", "-128", "-127"}) expectToMachine<char>(v, true);
    for (auto v : {"128", "-129", "255", "4294967296"}) expectToMachine<char>(v, false);
}

TEST(ToMachine, UnsignedShort) {
    for (auto v : {"0", "65535", "65534", "1"}) expectToMachine<unsigned short>(v, true);
    for (auto v : {"65536", "-1", "-65535", "18446744073709551616"}) expectToMachine<unsigned short>(v, false);
}

TEST(ToMachine, Short) {
    for (auto v : {"0", "32767", "-32768", "-1"}) expectToMachine<short>(v, true);
    for (auto v : {"32768", "-32769", "65535"}) expectToMachine<short>(v, false);
}

TEST(ToMachine, UnsignedInt) {
    for (auto v : {"0", "4294967295", "2147483648", "1"}) expectToMachine<unsigned int>(v, true);
    for (auto v : {"4294967296", "-1", "-4294967295"}) expectToMachine<unsigned int>(v, false);
}

TEST(ToMachine, IntRefusesMostNegative) {
    for (auto v : {"0", "2147483647", "-2147483647", "-1", "1"}) expectToMachine<int>(v, true);
    for (auto v : {"-2147483648", "2147483648", "4294967295", "-4294967296"}) expectToMachine<int>(v, false);
}

TEST(ToMachine, UnsignedLongLong) {
    for (auto v : {"0", "18446744073709551615", "4294967296", "4294967295"})
        expectToMachine<unsigned long long>(v, true);
    for (auto v : {"18446744073709551616", "-1", "-18446744073709551615", "340282366920938463463374607431768211456"})
        expectToMachine<unsigned long long>(v, false);
}

TEST(ToMachine, LongLong) {
    for (auto v : {"0", "9223372036854775807", "-9223372036854775808", "-9223372036854775807", "-4294967296"})
        expectToMachine<long long>(v, true);
    for (auto v : {"9223372036854775808", "-9223372036854775809", "18446744073709551615", "-18446744073709551616"})
        expectToMachine<long long>(v, false);
}

TEST(ToMachine, RandomWordsAgainstGmp) {
    Generator g(5150);
    for (int iter = 0; iter < 2000; ++iter) {
        mb x = g.operand(3);
        Mpz z = toMpz(x);
        long long ll = 7;
        bool fits = mpz_sizeinbase(z, 2) <= 63 || mpz_cmp(z, Mpz("-9223372036854775808")) == 0;
        ASSERT_EQ(equate(ll, x), fits) << z;
        ASSERT_EQ(Mpz(std::to_string(ll).c_str()), fits ? z : Mpz(0L));
        unsigned long long ull = 7;
        bool ufits = mpz_sgn(z) >= 0 && mpz_sizeinbase(z, 2) <= 64;
        ASSERT_EQ(equate(ull, x), ufits) << z;
        ASSERT_EQ(Mpz(std::to_string(ull).c_str()), ufits ? z : Mpz(0L));
    }
}

// ---- mb from machine integers ----

template <typename T>
void expectFromMachine(T v) {
    mb x = toMb("123456789012345678901234567890", 2);  // a live record with an array
    equate(x, v);
    Mpz want(std::numeric_limits<T>::is_signed ? std::to_string(static_cast<long long>(v)).c_str()
                                               : std::to_string(static_cast<unsigned long long>(v)).c_str());
    EXPECT_TRUE(hasValue(x, want)) << +v;
    if (v == 0) {
        // Zero by length alone: the array is kept.
        EXPECT_EQ(x.length, 0);
        EXPECT_NE(x.blocks, nullptr);
    } else {
        EXPECT_TRUE(isNormal(x));
        EXPECT_EQ(x.allocated, std::numeric_limits<T>::digits > 32 ? 2 : 1);
    }
}

TEST(FromMachine, EveryTypeAtItsBoundaries) {
    for (int v : {0, 1, 255}) expectFromMachine(static_cast<unsigned char>(v));
    for (int v : {0, 1, -1, 127, -128}) expectFromMachine(static_cast<char>(v));
    for (int v : {0, 1, 65535}) expectFromMachine(static_cast<unsigned short>(v));
    for (int v : {0, 1, -1, 32767, -32768}) expectFromMachine(static_cast<short>(v));
    for (unsigned int v : {0u, 1u, 0x80000000u, 0xFFFFFFFFu}) expectFromMachine(v);
    for (int v : {0, 1, -1, INT_MAX, INT_MIN}) expectFromMachine(v);
    for (unsigned long long v : {0ull, 1ull, 0xFFFFFFFFull, 0x100000000ull, ~0ull}) expectFromMachine(v);
    for (long long v : {0ll, 1ll, -1ll, LLONG_MAX, LLONG_MIN, -4294967296ll, 4294967295ll}) expectFromMachine(v);
}

TEST(FromMachine, IntMostNegativeIsOneWord) {
    mb x;
    equate(x, INT_MIN);
    EXPECT_EQ(x.length, -1);
    EXPECT_EQ(x.blocks[0], 0x80000000u);
    EXPECT_EQ(x.allocated, 1);
}

TEST(FromMachine, SixtyFourBitValuesWithAZeroHighHalfTakeOneWord) {
    mb x;
    equate(x, 5ull);
    EXPECT_EQ(x.length, 1);
    equate(x, -5ll);
    EXPECT_EQ(x.length, -1);
    EXPECT_TRUE(init(x, LLONG_MIN));
    EXPECT_TRUE(isNormalValue(x, Mpz("-9223372036854775808")));
}

TEST(FromMachine, RoundTripsThroughEveryType) {
    Generator g(99);
    for (int iter = 0; iter < 2000; ++iter) {
        long long v = static_cast<long long>(g.engine()());
        if (g.coin()) v >>= g.intIn(0, 62);
        mb x;
        equate(x, v);
        long long back = 0;
        ASSERT_TRUE(equate(back, x));
        ASSERT_EQ(back, v);
        int i = static_cast<int>(v % INT_MAX);
        equate(x, i);
        int ib = 0;
        ASSERT_TRUE(equate(ib, x));
        ASSERT_EQ(ib, i);
    }
}

TEST(MbAssign, LongLong) {
    mb x = toMb("99999999999999999999999");
    x = LLONG_MIN;
    EXPECT_TRUE(isNormalValue(x, Mpz("-9223372036854775808")));
    x = 0ll;
    EXPECT_TRUE(isNormalValue(x, Mpz(0L)));
    x = 4294967296ll;
    EXPECT_TRUE(isNormalValue(x, Mpz("4294967296")));
}

// ---- double ----

TEST(MbDouble, CutTowardZero) {
    struct Case {
        double d;
        char const* value;
    } cases[] = {{2.9, "2"}, {-2.9, "-2"}, {0.0, "0"}, {-0.0, "0"}, {0.1, "0"}, {-0.999, "0"},
                 {1.0, "1"}, {4294967296.0, "4294967296"}, {1e20, "100000000000000000000"},
                 {-1e20, "-100000000000000000000"}, {9007199254740993.0, "9007199254740992"},
                 // Read through "%.17e": 2^70 prints as 1.18059162071741130e+21.
                 {1180591620717411303424.0, "1180591620717411300000"}};
    for (auto const& c : cases) {
        mb x = toMb(12345);
        equate(x, c.d);
        EXPECT_TRUE(isNormalValue(x, Mpz(c.value))) << c.d;
        EXPECT_TRUE(isNormalValue(mb(c.d), Mpz(c.value))) << c.d;
        mb y = toMb(-7);
        y = c.d;
        EXPECT_TRUE(isNormalValue(y, Mpz(c.value))) << c.d;
    }
}

TEST(MbDouble, NonFiniteGiveZero) {
    for (double d : {std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
                     std::numeric_limits<double>::quiet_NaN()}) {
        mb x = toMb(5);
        equate(x, d);
        EXPECT_TRUE(isNormalValue(x, Mpz(0L)));
        EXPECT_TRUE(isNormalValue(mb(d), Mpz(0L)));
    }
}

TEST(MbDouble, BlockPrecIsUnchanged) {
    int32 saved = blockPrec;
    struct Restore {
        int32 v;
        ~Restore() { blockPrec = v; }
    } restore{saved};
    for (int32 bp : {1, 2, 5, 9}) {
        blockPrec = bp;
        mb x(123.75);
        EXPECT_TRUE(isNormalValue(x, Mpz(123L)));
        EXPECT_EQ(blockPrec, bp);
    }
    blockPrec = saved;
}

#ifdef _WIN32
// ---- hexadecimal digit text to decimal (Windows deliverable only) ----

std::string hexToDec(char const* in) {
    std::vector<char> buf(in, in + std::strlen(in) + 1);
    char* p = HexStrtoDecStr(buf.data());
    std::string s(p);
    std::free(p);
    return s;
}

TEST(HexStrtoDecStr, Examples) {
    EXPECT_EQ(hexToDec("ff"), "255");
    EXPECT_EQ(hexToDec("FF"), "255");
    EXPECT_EQ(hexToDec("10"), "16");
    EXPECT_EQ(hexToDec("1g"), "");
    EXPECT_EQ(hexToDec(""), "");
    EXPECT_EQ(hexToDec("0"), "0");
    EXPECT_EQ(hexToDec("00F"), "015");
    EXPECT_EQ(hexToDec("FFFFFFFFFFFFFFFF"), "18446744073709551615");
}

TEST(HexStrtoDecStr, AgainstGmp) {
    Generator g(0x4e8);
    for (int iter = 0; iter < 300; ++iter) {
        std::size_t n = std::size_t(g.intIn(1, 400));
        std::string hex(n, '0');
        for (auto& c : hex) c = "0123456789abcdefABCDEF"[g.intIn(0, 21)];
        if (hex[0] == '0') hex[0] = 'A';
        Mpz z;
        ASSERT_EQ(mpz_set_str(z, hex.c_str(), 16), 0);
        ASSERT_EQ(hexToDec(hex.c_str()), z.str(10)) << hex;
    }
}
#endif

}  // namespace
