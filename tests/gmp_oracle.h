// GMP as the oracle for the integer layer: conversions between mb records and GMP
// integers, the normal-form check, raw record builders, a seeded generator of operands
// rich in edge-case words, and the references several suites share. Header-only.
#ifndef VANTREL_TESTS_GMP_ORACLE_H
#define VANTREL_TESTS_GMP_ORACLE_H

#include <gmp.h>
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "mb.h"

namespace oracle {

// An owned GMP integer. Converts implicitly to mpz_ptr / mpz_srcptr so that it can be
// passed straight to the mpz_* functions.
class Mpz {
public:
    Mpz() { mpz_init(v_); }
    explicit Mpz(int v) { mpz_init_set_si(v_, v); }
    explicit Mpz(long v) { mpz_init_set_si(v_, v); }
    // Through its text: long may be 32 bits (i386), where GMP has no 64-bit setter.
    explicit Mpz(long long v) { mpz_init_set_str(v_, std::to_string(v).c_str(), 10); }
    // Text in any base GMP reads with base 0: "0x...", "-123", ...
    explicit Mpz(char const* text) {
        if (mpz_init_set_str(v_, text, 0) != 0) ADD_FAILURE() << "bad integer text: " << text;
    }
    Mpz(Mpz const& o) { mpz_init_set(v_, o.v_); }
    Mpz& operator=(Mpz const& o) {
        mpz_set(v_, o.v_);
        return *this;
    }
    ~Mpz() { mpz_clear(v_); }

    operator mpz_ptr() { return v_; }
    operator mpz_srcptr() const { return v_; }
    // Lets GMP's macros (mpz_sgn, mpz_odd_p, mpz_even_p) take an Mpz directly.
    mpz_ptr operator->() { return v_; }
    mpz_srcptr operator->() const { return v_; }

    std::string str(int base = 10) const {
        std::vector<char> buf(mpz_sizeinbase(v_, base) + 2);
        mpz_get_str(buf.data(), base, v_);
        return std::string(buf.data());
    }

    int sign() const { return mpz_sgn(v_); }  // -1, 0 or 1

    bool operator==(Mpz const& o) const { return mpz_cmp(v_, o.v_) == 0; }
    bool operator!=(Mpz const& o) const { return mpz_cmp(v_, o.v_) != 0; }

private:
    mpz_t v_;
};

inline std::ostream& operator<<(std::ostream& os, Mpz const& z) { return os << z.str(10); }

// 2^e.
inline Mpz pow2(unsigned long e) {
    Mpz z;
    mpz_setbit(z, e);
    return z;
}

inline Mpz absOf(Mpz const& x) {
    Mpz z;
    mpz_abs(z, x);
    return z;
}

// |n| as a shift or power count; INT_MIN included.
inline unsigned long countMagnitude(int n) {
    return n < 0 ? 0ul - static_cast<unsigned long>(n) : static_cast<unsigned long>(n);
}

// Bits in |v|, counted one by one: 0 for 0.
inline int bitLength(std::int64_t v) {
    std::uint64_t u = v < 0 ? 0u - static_cast<std::uint64_t>(v) : static_cast<std::uint64_t>(v);
    int n = 0;
    for (; u != 0; u >>= 1) ++n;
    return n;
}

inline int32 absLength(mb const& x) { return x.length < 0 ? -x.length : x.length; }

// The words in use, |length| of them, least significant first.
inline std::vector<uint32> wordsOf(mb const& x) {
    int32 n = absLength(x);
    if (n == 0 || x.blocks == nullptr) return {};
    return std::vector<uint32>(x.blocks, x.blocks + n);
}

// The value of x, read from `length` and its words alone (no normal form assumed).
inline void toMpz(mpz_ptr out, mb const& x) {
    int32 n = absLength(x);
    if (n == 0) {
        mpz_set_ui(out, 0);
        return;
    }
    mpz_import(out, static_cast<std::size_t>(n), -1, sizeof(uint32), 0, 0, x.blocks);
    if (x.length < 0) mpz_neg(out, out);
}

inline Mpz toMpz(mb const& x) {
    Mpz z;
    toMpz(z, x);
    return z;
}

// Drops whatever x holds and leaves the three fields 0; independent of the library's
// storage primitives, so the oracle never relies on the code under test.
inline void clearRecord(mb& x) {
    std::free(x.blocks);
    x.allocated = 0;
    x.length = 0;
    x.blocks = nullptr;
}

// Filler for the words past `length`: they are not part of the value, so a reader that
// strays into them shows up as a wrong result.
inline uint32 garbageWord(std::size_t i) { return 0xDEADBEEFu ^ static_cast<uint32>(i * 0x9E3779B9u); }

// Sets x to v in normal form with an array of exactly the needed size, plus `slack`
// surplus words of garbage.
inline void fromMpz(mb& x, mpz_srcptr v, int32 slack = 0) {
    clearRecord(x);
    int sign = mpz_sgn(v);
    if (sign == 0) return;
    std::size_t n = (mpz_sizeinbase(v, 2) + 31) / 32;
    std::size_t total = n + static_cast<std::size_t>(slack);
    x.blocks = static_cast<uint32*>(std::malloc(total * sizeof(uint32)));
    if (x.blocks == nullptr) std::abort();
    std::size_t count = 0;
    mpz_export(x.blocks, &count, -1, sizeof(uint32), 0, 0, v);
    for (std::size_t i = count; i < total; ++i) x.blocks[i] = garbageWord(i);
    x.allocated = static_cast<int32>(total);
    x.length = sign < 0 ? -static_cast<int32>(count) : static_cast<int32>(count);
}

inline mb toMb(mpz_srcptr v, int32 slack = 0) {
    mb x;
    fromMpz(x, v, slack);
    return x;
}

inline mb toMb(char const* text, int32 slack = 0) { return toMb(Mpz(text), slack); }

inline mb toMb(int v, int32 slack = 0) { return toMb(Mpz(v), slack); }

inline mb toMb(long v, int32 slack = 0) { return toMb(Mpz(v), slack); }

// A record exactly as given: the words (least significant first) become the value with
// the sign, zero top words and all; `slack` surplus garbage words follow. An empty word
// list with slack gives the value zero that still holds an array.
inline mb makeRecord(std::vector<uint32> const& words, bool negative = false, int32 slack = 0) {
    mb x;
    std::size_t total = words.size() + static_cast<std::size_t>(slack);
    if (total != 0) {
        x.blocks = static_cast<uint32*>(std::malloc(total * sizeof(uint32)));
        if (x.blocks == nullptr) std::abort();
        for (std::size_t i = 0; i < total; ++i) x.blocks[i] = i < words.size() ? words[i] : garbageWord(i);
        x.allocated = static_cast<int32>(total);
    }
    int32 n = static_cast<int32>(words.size());
    x.length = negative ? -n : n;
    return x;
}

// An independent copy of the words in use and the sign, built without the library.
inline mb rawCopy(mb const& x) { return makeRecord(wordsOf(x), x.length < 0); }

// One line on the record for failure messages: value in hex and the three fields.
inline std::string describe(mb const& x) {
    std::ostringstream os;
    if (x.length != 0 && x.blocks == nullptr) {
        os << "<length " << x.length << " without an array>";
        return os.str();
    }
    os << toMpz(x).str(16) << " (length " << x.length << ", allocated " << x.allocated
       << (x.blocks == nullptr ? ", no array)" : ")");
    return os.str();
}

// Normal form: no zero top word, allocated >= |length|, and zero holds no array
// (length 0, allocated 0, blocks null).
inline ::testing::AssertionResult isNormal(mb const& x) {
    if (x.length == 0) {
        if (x.blocks != nullptr || x.allocated != 0)
            return ::testing::AssertionFailure() << "zero still holds an array: allocated " << x.allocated
                                                 << ", blocks " << static_cast<void const*>(x.blocks);
        return ::testing::AssertionSuccess();
    }
    int32 n = absLength(x);
    if (x.blocks == nullptr) return ::testing::AssertionFailure() << "length " << x.length << " without an array";
    if (x.allocated < n)
        return ::testing::AssertionFailure() << "length " << x.length << " beyond allocated " << x.allocated;
    if (x.blocks[n - 1] == 0) return ::testing::AssertionFailure() << "zero top word in " << describe(x);
    return ::testing::AssertionSuccess();
}

// x holds the value `expected` (any representation).
inline ::testing::AssertionResult hasValue(mb const& x, mpz_srcptr expected) {
    if (x.length != 0 && x.blocks == nullptr)
        return ::testing::AssertionFailure() << "length " << x.length << " without an array";
    Mpz got = toMpz(x);
    if (mpz_cmp(got, expected) == 0) return ::testing::AssertionSuccess();
    Mpz want;
    mpz_set(want, expected);
    return ::testing::AssertionFailure() << "got " << describe(x) << ", expected " << want.str(16);
}

// x holds `expected` and is in normal form.
inline ::testing::AssertionResult isNormalValue(mb const& x, mpz_srcptr expected) {
    ::testing::AssertionResult v = hasValue(x, expected);
    if (!v) return v;
    return isNormal(x);
}

// Two records hold the same words, sign and length (the representation, not just the value).
inline ::testing::AssertionResult sameRecord(mb const& a, mb const& b) {
    if (a.length != b.length || wordsOf(a) != wordsOf(b))
        return ::testing::AssertionFailure() << describe(a) << " differs from " << describe(b);
    return ::testing::AssertionSuccess();
}

// Seeded source of operands. Words come from edge patterns, from the full random range,
// or from a mix; sizes run from 0 to a bound with small sizes favoured.
class Generator {
public:
    explicit Generator(std::uint64_t seed) : rng_(seed) {}

    std::mt19937_64& engine() { return rng_; }

    // lo..hi inclusive (hi - lo well below 2^32). Plain modulo rather than a standard
    // distribution, whose output differs between standard libraries: a seed then
    // replays the same cases on every platform.
    std::int64_t range(std::int64_t lo, std::int64_t hi) {
        std::uint64_t span = static_cast<std::uint64_t>(hi - lo) + 1u;
        return lo + static_cast<std::int64_t>(rng_() % span);
    }
    int intIn(int lo, int hi) { return static_cast<int>(range(lo, hi)); }
    bool coin() { return (rng_() & 1u) != 0; }
    // True with probability 1/n.
    bool oneIn(int n) { return range(0, n - 1) == 0; }

    uint32 randomWord() { return static_cast<uint32>(rng_()); }

    static constexpr uint32 kPatterns[5] = {0u, 1u, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu};
    uint32 patternWord() { return kPatterns[range(0, 4)]; }

    enum class Style { Random, Patterns, Mixed, Repeated };

    Style style() { return static_cast<Style>(range(0, 3)); }

    // n words of one style, the top word nonzero.
    std::vector<uint32> words(int32 n, Style s) {
        std::vector<uint32> w(static_cast<std::size_t>(n));
        uint32 repeated = patternWord();
        for (auto& v : w) {
            switch (s) {
                case Style::Random: v = randomWord(); break;
                case Style::Patterns: v = patternWord(); break;
                case Style::Mixed: v = coin() ? patternWord() : randomWord(); break;
                case Style::Repeated: v = repeated; break;
            }
        }
        if (n > 0 && w.back() == 0) w.back() = coin() ? kPatterns[range(1, 4)] : (randomWord() | 1u);
        return w;
    }

    // A word count in 0..maxWords, small counts favoured.
    int32 size(int32 maxWords = 70) {
        if (oneIn(3)) return static_cast<int32>(range(0, maxWords < 3 ? maxWords : 3));
        return static_cast<int32>(range(0, maxWords));
    }

    // A normal operand of exactly n words (zero for n = 0), either sign.
    mb operandOfSize(int32 n, bool negative) { return makeRecord(words(n, style()), negative && n > 0); }

    // A normal operand of random size, style and sign.
    mb operand(int32 maxWords = 70) { return operandOfSize(size(maxWords), coin()); }

    // A nonzero normal operand.
    mb nonzero(int32 maxWords = 70) {
        int32 n = size(maxWords);
        return operandOfSize(n == 0 ? 1 : n, coin());
    }

    // The same value with surplus garbage words past `length` (still normal form).
    mb withSlack(mb const& x) { return makeRecord(wordsOf(x), x.length < 0, static_cast<int32>(range(1, 4))); }

    // The same value, with surplus garbage words one time in n.
    mb sometimesSlack(mb const& x, int n = 3) { return oneIn(n) ? withSlack(x) : rawCopy(x); }

    // The same value outside normal form: one to three zero top words; a zero becomes a
    // nonzero length of zero words (either sign) or a length 0 that keeps an array.
    // Surplus garbage words may follow.
    mb nonNormal(mb const& x) {
        std::vector<uint32> w = wordsOf(x);
        int32 extra = static_cast<int32>(range(1, 3));
        int32 slack = coin() ? 0 : static_cast<int32>(range(1, 3));
        if (w.empty() && oneIn(4)) return makeRecord({}, false, extra);
        w.insert(w.end(), static_cast<std::size_t>(extra), 0u);
        bool negative = w.size() == static_cast<std::size_t>(extra) ? coin() : x.length < 0;
        return makeRecord(w, negative, slack);
    }

    // x itself, a slack copy or a non-normal copy, at random.
    mb variant(mb const& x) {
        switch (range(0, 2)) {
            case 0: return makeRecord(wordsOf(x), x.length < 0);
            case 1: return withSlack(x);
            default: return nonNormal(x);
        }
    }

private:
    std::mt19937_64 rng_;
};

// An int operand rich in edge values.
inline int intOperand(Generator& g) {
    switch (g.range(0, 5)) {
        case 0: return 0;
        case 1: return g.intIn(-3, 3);
        case 2: return g.coin() ? INT_MIN : INT_MAX;
        case 3: return static_cast<int>(static_cast<int32>(g.patternWord()));
        default: return static_cast<int>(static_cast<int32>(g.randomWord()));
    }
}

// A target that holds something, so that a result that fails to overwrite it shows.
inline mb stale() { return toMb("-0x123456789ABCDEF0123"); }

// ---- references ----

// The two's-complement pattern of x on k words; a nonnegative x is itself.
inline Mpz pattern(Mpz const& x, long k) {
    if (x.sign() >= 0) return x;
    Mpz p = pow2(static_cast<unsigned long>(32 * k)), a;
    mpz_abs(a, x);
    mpz_sub(p, p, a);
    return p;
}

enum class Logic { And, Or, Xor };

// Bitwise logic on the two's-complement patterns of both operands, the wider operand's
// word count deciding the width.
inline Mpz logic(Logic op, Mpz const& x, long xWords, Mpz const& y, long yWords) {
    long k = xWords > yWords ? xWords : yWords;
    Mpz xa = pattern(x, k), ya = pattern(y, k), z;
    switch (op) {
        case Logic::And: mpz_and(z, xa, ya); break;
        case Logic::Or: mpz_ior(z, xa, ya); break;
        case Logic::Xor: mpz_xor(z, xa, ya); break;
    }
    return z;
}

inline Mpz logic(Logic op, mb const& x, mb const& y) {
    return logic(op, toMpz(x), absLength(x), toMpz(y), absLength(y));
}

// An int operand counts as one word (none for 0).
inline Mpz logic(Logic op, mb const& x, int n) { return logic(op, toMpz(x), absLength(x), Mpz(n), n != 0 ? 1 : 0); }

// The balanced residue in (-|m|/2, |m|/2]; 0 for m = 0.
inline Mpz balanced(Mpz const& x, Mpz const& m) {
    Mpz r, a;
    if (m.sign() == 0) return r;
    mpz_abs(a, m);
    mpz_fdiv_r(r, x, a);
    Mpz twice;
    mpz_mul_2exp(twice, r, 1);
    if (mpz_cmp(twice, a) > 0) mpz_sub(r, r, a);
    return r;
}

}  // namespace oracle

#endif
