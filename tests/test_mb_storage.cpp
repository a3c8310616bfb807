// The mb record's storage primitives: construction, copies, assignment, resizing,
// normalisation, release, and the setters from machine integers.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "gmp_oracle.h"
#include "mb.h"
#include "mbConv.h"
#include "mbMath.h"

namespace {

using namespace oracle;

// A heap array the test owns: handed to a record to check that a call does not release it.
struct OwnedArray {
    uint32* p;
    explicit OwnedArray(std::size_t n) : p(static_cast<uint32*>(std::malloc(n * sizeof(uint32)))) {
        for (std::size_t i = 0; i < n; ++i) p[i] = 0x11111111u * static_cast<uint32>(i + 1);
    }
    ~OwnedArray() { std::free(p); }
    OwnedArray(OwnedArray const&) = delete;
    OwnedArray& operator=(OwnedArray const&) = delete;
};

TEST(MbStorage, DefaultConstructedIsZeroWithoutArray) {
    mb x;
    EXPECT_EQ(x.allocated, 0);
    EXPECT_EQ(x.length, 0);
    EXPECT_EQ(x.blocks, nullptr);
}

TEST(MbStorage, CopyConstructionIsDeepAndExact) {
    mb src = makeRecord({1, 2, 3}, true, 4);  // allocated 7
    mb copy(src);
    EXPECT_EQ(copy.length, -3);
    EXPECT_EQ(copy.allocated, 3);
    EXPECT_NE(copy.blocks, src.blocks);
    EXPECT_EQ(wordsOf(copy), (std::vector<uint32>{1, 2, 3}));
    copy.blocks[0] = 99;
    EXPECT_EQ(src.blocks[0], 1u);
    EXPECT_EQ(src.allocated, 7);
}

TEST(MbStorage, CopyOfZeroThatKeepsAnArrayIsZeroWithoutArray) {
    mb src = makeRecord({}, false, 3);
    ASSERT_NE(src.blocks, nullptr);
    mb copy(src);
    EXPECT_TRUE(isNormal(copy));
    EXPECT_EQ(copy.length, 0);
}

// Deep, exact-size copies by operator=, equate and equateWithCare into various targets.
struct CopyCase {
    char const* name;
    std::vector<uint32> targetWords;
    int32 targetSlack;
    std::vector<uint32> sourceWords;
    bool sourceNegative;
    int32 sourceSlack;
};

std::vector<CopyCase> const kCopyCases = {
    {"zero into zero", {}, 0, {}, false, 0},
    {"zero into value", {7, 8}, 0, {}, false, 0},
    {"zero with array into value", {7, 8}, 2, {}, false, 3},
    {"one word into zero", {}, 0, {5}, true, 0},
    {"long into short", {1}, 0, {1, 2, 3, 4, 5}, false, 2},
    {"short into long", {1, 2, 3, 4, 5, 6}, 2, {9, 10}, true, 0},
    {"same size", {1, 2, 3}, 0, {4, 5, 6}, false, 0},
};

// The records of one case, built as given rather than through the copies under test.
struct CopyRecords {
    mb target, source;
    Mpz want;
    explicit CopyRecords(CopyCase const& c)
        : target(makeRecord(c.targetWords, false, c.targetSlack)),
          source(makeRecord(c.sourceWords, c.sourceNegative, c.sourceSlack)),
          want(toMpz(source)) {}
};

// The target holds the source's value in an exact-size array of its own.
void expectExactCopy(CopyRecords const& r) {
    EXPECT_TRUE(isNormalValue(r.target, r.want));
    EXPECT_EQ(r.target.allocated, absLength(r.target));
    if (r.target.length != 0) {
        EXPECT_NE(r.target.blocks, r.source.blocks);
    }
}

TEST(MbStorage, AssignmentCopiesExactly) {
    for (auto const& c : kCopyCases) {
        SCOPED_TRACE(c.name);
        CopyRecords r(c);
        mb& back = (r.target = r.source);
        EXPECT_EQ(&back, &r.target);
        expectExactCopy(r);
        EXPECT_TRUE(hasValue(r.source, r.want));
    }
}

TEST(MbStorage, EquateCopiesExactly) {
    for (auto const& c : kCopyCases) {
        SCOPED_TRACE(c.name);
        CopyRecords r(c);
        equate(r.target, r.source);
        expectExactCopy(r);
    }
}

TEST(MbStorage, EquateWithCareKeepsLargeEnoughArray) {
    for (auto const& c : kCopyCases) {
        SCOPED_TRACE(c.name);
        CopyRecords r(c);
        uint32* before = r.target.blocks;
        int32 allocatedBefore = r.target.allocated;
        int32 need = static_cast<int32>(c.sourceWords.size());
        equateWithCare(r.target, r.source);
        EXPECT_TRUE(isNormalValue(r.target, r.want));
        if (need == 0) {
            EXPECT_EQ(r.target.blocks, nullptr);
        } else if (need <= allocatedBefore) {
            EXPECT_EQ(r.target.blocks, before);
            EXPECT_EQ(r.target.allocated, allocatedBefore);
        } else {
            EXPECT_EQ(r.target.allocated, need);
        }
    }
}

TEST(MbStorage, EquateWithCareLeavesSurplusWordsAlone) {
    mb target = makeRecord({0xAAAAAAAAu, 0xAAAAAAAAu, 0xAAAAAAAAu, 0xAAAAAAAAu, 0xAAAAAAAAu, 0xAAAAAAAAu,
                            0xAAAAAAAAu, 0xAAAAAAAAu});
    mb source = makeRecord({1, 2, 3}, true);
    uint32* before = target.blocks;
    equateWithCare(target, source);
    EXPECT_EQ(target.blocks, before);
    EXPECT_EQ(target.allocated, 8);
    EXPECT_EQ(target.length, -3);
    EXPECT_EQ(std::vector<uint32>(target.blocks, target.blocks + 8),
              (std::vector<uint32>{1, 2, 3, 0xAAAAAAAAu, 0xAAAAAAAAu, 0xAAAAAAAAu, 0xAAAAAAAAu, 0xAAAAAAAAu}));
    mb zero;
    equateWithCare(target, zero);
    EXPECT_TRUE(isNormal(target));
    EXPECT_EQ(target.blocks, nullptr);
}

TEST(MbStorage, SelfCopiesChangeNothing) {
    mb x = makeRecord({4, 5, 6}, true, 2);
    uint32* before = x.blocks;
    x = *&x;
    EXPECT_EQ(x.blocks, before);
    EXPECT_EQ(x.allocated, 5);
    EXPECT_EQ(x.length, -3);
    equate(x, x);
    EXPECT_EQ(x.blocks, before);
    EXPECT_EQ(x.allocated, 5);
    equateWithCare(x, x);
    EXPECT_EQ(x.blocks, before);
    EXPECT_EQ(x.allocated, 5);
    EXPECT_EQ(wordsOf(x), (std::vector<uint32>{4, 5, 6}));
}

TEST(MbStorage, RandomCopiesMatchTheOracle) {
    Generator g(0x5704A6E1u);
    mb viaAssign, viaEquate, viaCare;
    for (int i = 0; i < 600; ++i) {
        mb src = g.coin() ? g.operand() : g.withSlack(g.operand());
        Mpz want = toMpz(src);
        viaAssign = src;
        equate(viaEquate, src);
        equateWithCare(viaCare, src);
        ASSERT_TRUE(isNormalValue(viaAssign, want)) << "case " << i;
        ASSERT_TRUE(isNormalValue(viaEquate, want)) << "case " << i;
        ASSERT_TRUE(isNormalValue(viaCare, want)) << "case " << i;
        ASSERT_EQ(viaAssign.allocated, absLength(viaAssign));
        ASSERT_EQ(viaEquate.allocated, absLength(viaEquate));
        ASSERT_GE(viaCare.allocated, absLength(viaCare));
        ASSERT_TRUE(hasValue(src, want));
    }
}

struct IntAssignCase {
    int v;
    int32 length;
    uint32 word;
};

TEST(MbStorage, AssignIntAndLong32tomb) {
    std::vector<IntAssignCase> const cases = {
        {0, 0, 0},          {1, 1, 1u},       {-1, -1, 1u},         {7, 1, 7u},
        {-7, -1, 7u},       {INT_MAX, 1, 0x7FFFFFFFu},              {INT_MIN, -1, 0x80000000u},
        {-65536, -1, 65536u},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.v);
        // operator= releases what the target held (the leak checker watches this).
        mb x = makeRecord({1, 2, 3, 4}, true);
        mb& back = (x = c.v);
        EXPECT_EQ(&back, &x);
        EXPECT_TRUE(isNormalValue(x, Mpz(c.v)));
        EXPECT_EQ(x.length, c.length);
        if (c.v != 0) {
            EXPECT_EQ(x.allocated, 1);
            EXPECT_EQ(x.blocks[0], c.word);
        }

        // long32tomb and init(x, v) clear the fields without releasing: the owned array
        // must survive the call (a release would be a double free below).
        for (int form = 0; form < 2; ++form) {
            OwnedArray owned(3);
            mb y;
            y.blocks = owned.p;
            y.allocated = 3;
            y.length = -3;
            if (form == 0) {
                long32tomb(y, c.v);
            } else {
                EXPECT_TRUE(init(y, c.v));
            }
            EXPECT_NE(y.blocks, owned.p);
            EXPECT_TRUE(isNormalValue(y, Mpz(c.v)));
            EXPECT_EQ(y.length, c.length);
            if (c.v != 0) {
                EXPECT_EQ(y.allocated, 1);
                EXPECT_EQ(y.blocks[0], c.word);
            }
            EXPECT_EQ(owned.p[2], 0x33333333u);
        }
    }
}

TEST(MbStorage, InitClearsWithoutReleasing) {
    OwnedArray owned(2);
    mb x;
    x.blocks = owned.p;
    x.allocated = 2;
    x.length = 2;
    EXPECT_TRUE(init(x));
    EXPECT_EQ(x.allocated, 0);
    EXPECT_EQ(x.length, 0);
    EXPECT_EQ(x.blocks, nullptr);
    EXPECT_EQ(owned.p[1], 0x22222222u);
}

TEST(MbStorage, Long64tomb) {
    std::vector<long long> const values = {1,
                                           -1,
                                           0xFFFFFFFFll,
                                           -0xFFFFFFFFll,
                                           0x100000000ll,
                                           -0x100000000ll,
                                           0x123456789ABCDEFll,
                                           LLONG_MAX,
                                           LLONG_MIN,
                                           LLONG_MIN + 1,
                                           INT_MIN,
                                           static_cast<long long>(INT_MIN) - 1};
    for (long long v : values) {
        SCOPED_TRACE(v);
        Mpz want;
        mpz_set_si(want, 0);
        // Built from two halves so the oracle does not depend on the width of long.
        unsigned long long m = v < 0 ? 0ull - static_cast<unsigned long long>(v) : static_cast<unsigned long long>(v);
        mpz_set_ui(want, static_cast<unsigned long>(m >> 32));
        mpz_mul_2exp(want, want, 32);
        mpz_add_ui(want, want, static_cast<unsigned long>(m & 0xFFFFFFFFull));
        if (v < 0) mpz_neg(want, want);

        mb fresh;
        long64tomb(fresh, v);
        EXPECT_TRUE(isNormalValue(fresh, want));
        EXPECT_EQ(fresh.allocated, 2);

        // A live record: the old array is replaced (the leak checker watches the release).
        mb live = makeRecord({9, 9, 9}, true, 1);
        long64tomb(live, v);
        EXPECT_TRUE(isNormalValue(live, want));
        EXPECT_EQ(live.allocated, 2);
    }
    mb live = makeRecord({9, 9}, false);
    long64tomb(live, 0);
    EXPECT_EQ(live.length, 0);
    mb fresh;
    long64tomb(fresh, 0);
    EXPECT_TRUE(isNormal(fresh));
}

struct UpdateCase {
    int32 allocatedBefore;  // 0: no array
    int32 newLength;
    bool careKeeps;  // updateWithCare keeps the array
};

std::vector<UpdateCase> const kUpdateCases = {
    {0, 0, false}, {0, 3, false}, {0, -2, false}, {3, 3, true},  {3, -3, true},  {8, 5, true},
    {8, -8, true}, {3, 4, false}, {3, -9, false}, {8, 0, false}, {1, 0, false},
};

TEST(MbStorage, UpdateGivesExactSize) {
    for (auto const& c : kUpdateCases) {
        SCOPED_TRACE(testing::Message() << c.allocatedBefore << " -> " << c.newLength);
        mb x = makeRecord(std::vector<uint32>(static_cast<std::size_t>(c.allocatedBefore), 7u));
        x.length = c.newLength;
        update(x);
        EXPECT_EQ(x.length, c.newLength);
        EXPECT_EQ(x.allocated, c.newLength < 0 ? -c.newLength : c.newLength);
        EXPECT_EQ(x.blocks == nullptr, c.newLength == 0);
        if (c.newLength != 0) {
            // Every declared word is writable (the sanitizer checks the bounds).
            for (int32 i = 0; i < x.allocated; ++i) x.blocks[i] = 1;
        }
    }
}

TEST(MbStorage, UpdateWithCareKeepsLargeEnoughArray) {
    for (auto const& c : kUpdateCases) {
        SCOPED_TRACE(testing::Message() << c.allocatedBefore << " -> " << c.newLength);
        std::vector<uint32> w;
        for (int32 i = 0; i < c.allocatedBefore; ++i) w.push_back(0x100u + static_cast<uint32>(i));
        mb x = makeRecord(w);
        uint32* before = x.blocks;
        x.length = c.newLength;
        updateWithCare(x);
        EXPECT_EQ(x.length, c.newLength);
        int32 need = c.newLength < 0 ? -c.newLength : c.newLength;
        if (c.newLength == 0) {
            EXPECT_EQ(x.blocks, nullptr);
            EXPECT_EQ(x.allocated, 0);
        } else if (c.careKeeps) {
            EXPECT_EQ(x.blocks, before);
            EXPECT_EQ(x.allocated, c.allocatedBefore);
            EXPECT_EQ(std::vector<uint32>(x.blocks, x.blocks + x.allocated), w);
        } else {
            EXPECT_EQ(x.allocated, need);
            ASSERT_NE(x.blocks, nullptr);
            for (int32 i = 0; i < x.allocated; ++i) x.blocks[i] = 1;
        }
    }
}

struct NormalizeCase {
    char const* name;
    std::vector<uint32> words;
    bool negative;
    int32 length;  // expected
};

TEST(MbStorage, Normalize) {
    std::vector<NormalizeCase> const cases = {
        {"-(5,0,0)", {5, 0, 0}, true, -1},
        {"(0,0)", {0, 0}, false, 0},
        {"-(0,0,0)", {0, 0, 0}, true, 0},
        {"(1,2,3)", {1, 2, 3}, false, 3},
        {"-(1,2,3)", {1, 2, 3}, true, -3},
        {"(0,0,7,0)", {0, 0, 7, 0}, false, 3},
        {"(0)", {0}, false, 0},
        {"-(0x80000000,0)", {0x80000000u, 0}, true, -1},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.name);
        mb x = makeRecord(c.words, c.negative);
        uint32* before = x.blocks;
        int32 allocatedBefore = x.allocated;
        Mpz want = toMpz(x);
        mbNormalize(x);
        EXPECT_TRUE(isNormalValue(x, want));
        EXPECT_EQ(x.length, c.length);
        if (c.length != 0) {
            // Never shrunk: only the length moves.
            EXPECT_EQ(x.blocks, before);
            EXPECT_EQ(x.allocated, allocatedBefore);
        }
    }
}

TEST(MbStorage, NormalizeLeavesAZeroLengthRecordAlone) {
    mb x = makeRecord({}, false, 3);
    uint32* before = x.blocks;
    mbNormalize(x);
    EXPECT_EQ(x.length, 0);
    EXPECT_EQ(x.blocks, before);
    EXPECT_EQ(x.allocated, 3);
}

TEST(MbStorage, Abs) {
    std::vector<char const*> const values = {"0", "7", "-7", "-0x1000000000000000000000000", "0xFFFFFFFF",
                                             "-0xFFFFFFFFFFFFFFFF"};
    for (char const* text : values) {
        SCOPED_TRACE(text);
        mb x = toMb(text, 2);
        Mpz v = toMpz(x), want;
        mpz_abs(want, v);
        mb a = abs(x);
        EXPECT_TRUE(isNormalValue(a, want));
        EXPECT_EQ(a.allocated, absLength(a));
        EXPECT_TRUE(hasValue(x, v));  // the operand is unchanged
        if (a.length != 0) {
            EXPECT_NE(a.blocks, x.blocks);
        }
    }
}

TEST(MbStorage, MyFreeReleasesAndRepeats) {
    mb x = makeRecord({1, 2, 3}, true, 2);
    myFree(x);
    EXPECT_EQ(x.allocated, 0);
    EXPECT_EQ(x.length, 0);
    EXPECT_EQ(x.blocks, nullptr);
    myFree(x);
    EXPECT_EQ(x.allocated, 0);
    EXPECT_EQ(x.length, 0);
    EXPECT_EQ(x.blocks, nullptr);
    mb zero;
    myFree(zero);
    EXPECT_TRUE(isNormal(zero));
}

TEST(MbStorage, CopiesAreIndependent) {
    mb x = toMb("-0x123456789ABCDEF0123456789");
    mb a, b, c;
    a = x;
    equate(b, x);
    equateWithCare(c, x);
    mb d(x);
    for (mb* t : {&a, &b, &c, &d}) {
        ASSERT_NE(t->blocks, x.blocks);
        t->blocks[0] ^= 1u;
    }
    EXPECT_TRUE(hasValue(x, Mpz("-0x123456789ABCDEF0123456789")));
}

}  // namespace

// A moved-from value is zero and owns nothing; the target takes the very array.
TEST(MbStorage, MovesTakeTheArray) {
    mb x = toMb("-0x123456789ABCDEF0123456789");
    uint32* words = x.blocks;
    mb y(static_cast<mb&&>(x));
    EXPECT_EQ(y.blocks, words);
    EXPECT_TRUE(isNormalValue(y, Mpz("-0x123456789ABCDEF0123456789")));
    EXPECT_TRUE(isNormalValue(x, Mpz("0")));

    mb z = toMb("42");
    z = static_cast<mb&&>(y);
    EXPECT_EQ(z.blocks, words);
    EXPECT_TRUE(isNormalValue(z, Mpz("-0x123456789ABCDEF0123456789")));
    EXPECT_TRUE(isNormalValue(y, Mpz("0")));

    mb& same = z;
    z = static_cast<mb&&>(same);  // moving into itself keeps the value
    EXPECT_TRUE(isNormalValue(z, Mpz("-0x123456789ABCDEF0123456789")));
}
