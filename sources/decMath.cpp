// Exact decimal numbers over mb: normal form, exact arithmetic and comparison, the
// text, double and currency conversions, rounded division, and powers through fp.
// Small powers of ten are applied a word at a time, large ones as one product or
// division by a power of five, in static scratch records.
#include "decMath.h"

#include <math.h>  // exp10 or __exp10, outside the C++ standard

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <utility>

#include "fpConv.h"
#include "fpFuncs.h"
#include "fpMath.h"
#include "mbConv.h"
#include "mbMath.h"

mb ten;
mb five;
int32 globalBitPrecision = 0;
int32 scale = 0;

void decSetStartValues() {
    globalBitPrecision = 128;
    blockPrec = 5;
    scale = 5;
    ten = 10;
    five = 5;
}

namespace {

constexpr uint32 kBillion = 1000000000u;  // 10^9, the largest power of ten in a word
constexpr uint32 kFive13 = 1220703125u;   // 5^13, the largest power of five in a word
constexpr uint32 kPow10[10] = {1u, 10u, 100u, 1000u, 10000u, 100000u, 1000000u, 10000000u, 100000000u, kBillion};
constexpr int32 kInt32Max = std::numeric_limits<int32>::max();
constexpr int32 kInt32Min = std::numeric_limits<int32>::min();

inline bool inInt32(int64 e) { return e >= kInt32Min && e <= kInt32Max; }
inline bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Upper bound on the decimal digits of |x|: bits * log10(2), rounded up, plus one.
int64 digitsAtMost(mb const& x) {
    int32 n = effLen(x);
    if (n == 0) return 1;
    int64 bits = int64(n - 1) * 32 + NumBits(static_cast<unsigned int>(x.blocks[n - 1]));
    return bits * 30103 / 100000 + 1;
}

// Room for at least n words, keeping the first `keep` words.
void reserve(mb& s, int64 n, int32 keep) {
    int32 want = checkedWords(n);
    if (s.blocks != nullptr && s.allocated >= want) return;
    uint32* w = allocWords(std::size_t(want));
    if (keep > 0) std::memcpy(w, s.blocks, std::size_t(keep) * sizeof(uint32));
    std::free(s.blocks);
    s.blocks = w;
    s.allocated = want;
}

// s := |x| as a trimmed, nonnegative record, with room for `extra` more words.
void loadAbs(mb& s, mb const& x, int64 extra = 0) {
    int32 n = effLen(x);
    reserve(s, int64(n) + extra + 1, 0);
    if (n > 0) std::memcpy(s.blocks, x.blocks, std::size_t(n) * sizeof(uint32));
    s.length = n;
}

// s := s * m + add for a nonnegative s with room for one more word.
void mulAddWord(mb& s, uint32 m, uint32 add) {
    uint64 carry = add;
    for (int32 i = 0; i < s.length; ++i) {
        uint64 t = uint64(s.blocks[i]) * m + carry;
        s.blocks[i] = static_cast<uint32>(t);
        carry = t >> 32;
    }
    if (carry != 0) s.blocks[s.length++] = static_cast<uint32>(carry);
}

// s := s * 2^k in place for a nonnegative s with room for the result.
void shiftUp(mb& s, int64 k) {
    if (s.length == 0 || k == 0) return;
    int32 words = static_cast<int32>(k / 32);
    int bits = static_cast<int>(k % 32);
    int32 n = s.length;
    uint32* w = s.blocks;
    uint32 top = bits == 0 ? 0u : w[n - 1] >> (32 - bits);
    for (int32 i = n - 1; i >= 0; --i) {
        uint32 lowPart = (bits != 0 && i > 0) ? w[i - 1] >> (32 - bits) : 0u;
        w[i + words] = bits == 0 ? w[i] : ((w[i] << bits) | lowPart);
    }
    for (int32 i = 0; i < words; ++i) w[i] = 0;
    s.length = n + words;
    if (top != 0) s.blocks[s.length++] = top;
}

// 5^(2^i), squared up on first need and kept: every large shift reuses them.
mb const& fiveToTwoTo(int i) {
    static mb table[40];
    static int built = 0;
    if (built == 0) {
        table[0] = 5;
        built = 1;
    }
    for (; built <= i; ++built) sqr(table[built], table[built - 1]);
    return table[i];
}

// 5^k as a product of the kept squares; the last one is kept for repeated gaps.
mb const& fiveTo(int64 k) {
    static mb last;
    static int64 lastK = -1;
    if (k != lastK) {
        last = 1;
        for (int i = 39; i >= 0; --i)
            if (((k >> i) & 1) != 0) mul(last, last, fiveToTwoTo(i));
        lastK = k;
    }
    return last;
}

// Up to this many digits a shift is a few word passes; past it one product or one
// division by 5^k (and a binary shift) keeps the work per word bounded.
constexpr int64 kFewDigits = 39;

// s := s * 10^k for a nonnegative s.
void scaleUp(mb& s, int64 k) {
    if (s.length == 0 || k <= 0) return;
    if (k <= 9) {
        reserve(s, int64(s.length) + 2, s.length);
        mulAddWord(s, kPow10[k], 0);
        return;
    }
    if (k > kFewDigits) {
        mul(s, s, fiveTo(k));
        reserve(s, int64(s.length) + k / 32 + 2, s.length);
        shiftUp(s, k);
        return;
    }
    // 10^k needs k * log2(10) / 32 < k * 0.10382 words.
    reserve(s, int64(s.length) + k * 10382 / 100000 + 3, s.length);
    int64 left = k;
    for (; left >= 13; left -= 13) mulAddWord(s, kFive13, 0);
    if (left > 0) {
        uint32 p = 1;
        for (int64 i = 0; i < left; ++i) p *= 5u;
        mulAddWord(s, p, 0);
    }
    shiftUp(s, k);
}

// s := |x| * 10^k with room for `extra` more words; a gap of at most nine digits is
// one pass of copying and multiplying.
void loadScaled(mb& s, mb const& x, int64 k, int64 extra) {
    if (k > 9) {
        loadAbs(s, x, extra);
        scaleUp(s, k);
        return;
    }
    int32 n = effLen(x);
    reserve(s, int64(n) + extra + 2, 0);
    uint64 carry = 0, p = kPow10[k];
    for (int32 i = 0; i < n; ++i) {
        uint64 t = x.blocks[i] * p + carry;
        s.blocks[i] = static_cast<uint32>(t);
        carry = t >> 32;
    }
    s.length = n;
    if (carry != 0) s.blocks[s.length++] = static_cast<uint32>(carry);
}

// s := floor(s / d) for a nonnegative s; returns the remainder. A constant divisor
// lets the compiler replace the division by a multiplication.
template <uint32 d>
uint32 divWordBy(mb& s) {
    uint64 r = 0;
    for (int32 i = s.length - 1; i >= 0; --i) {
        uint64 cur = (r << 32) | s.blocks[i];
        uint64 q = cur / d;
        s.blocks[i] = static_cast<uint32>(q);
        r = cur - q * d;
    }
    while (s.length > 0 && s.blocks[s.length - 1] == 0) --s.length;
    return static_cast<uint32>(r);
}

// s := floor(s / 10^t) for 0 < t < 10, each divisor a constant.
uint32 divPow10(mb& s, int t) {
    switch (t) {
        case 1: return divWordBy<10u>(s);
        case 2: return divWordBy<100u>(s);
        case 3: return divWordBy<1000u>(s);
        case 4: return divWordBy<10000u>(s);
        case 5: return divWordBy<100000u>(s);
        case 6: return divWordBy<1000000u>(s);
        case 7: return divWordBy<10000000u>(s);
        case 8: return divWordBy<100000000u>(s);
        default: return divWordBy<kBillion>(s);
    }
}

// |x| mod 10^9 without touching x.
uint32 modBillion(mb const& x, int32 n) {
    uint64 r = 0;
    for (int32 i = n - 1; i >= 0; --i) r = ((r << 32) | x.blocks[i]) % kBillion;
    return static_cast<uint32>(r);
}

// s := floor(s / 10^k) for a nonnegative s.
void scaleDown(mb& s, int64 k) {
    if (k <= 0 || s.length == 0) return;
    if (k >= digitsAtMost(s)) {
        s.length = 0;
        return;
    }
    if (k > kFewDigits) {
        // floor(floor(s / 2^k) / 5^k) is floor(s / 10^k).
        mbShiftRight(s, s, static_cast<int>(k));
        div(s, s, fiveTo(k));
        return;
    }
    for (; k >= 9 && s.length > 0; k -= 9) divWordBy<kBillion>(s);
    if (k > 0 && s.length > 0) divPow10(s, static_cast<int>(k));
}

// s := s / p and true when p divides s exactly; s unchanged otherwise.
bool divideOut(mb& s, mb const& p) {
    static mb q, rem;
    divRem(q, rem, s, p);
    if (effLen(rem) != 0) return false;
    std::swap(s, q);
    return true;
}

// Removes the largest 10^t dividing a positive s of at least nine trailing zeros:
// t is min(trailing zero bits, factors of five), the fives found by doubling then
// halving powers 5^(2^i), so a few divisions serve any count. Returns t.
int64 stripManyZeros(mb& s) {
    int64 bits = 0;
    int32 w = 0;
    for (; s.blocks[w] == 0; ++w) bits += 32;
    for (uint32 low = s.blocks[w]; (low & 1u) == 0; low >>= 1) ++bits;
    int64 t = 0;
    int i = 0;
    for (; t + (int64(1) << i) <= bits && divideOut(s, fiveToTwoTo(i)); ++i) t += int64(1) << i;
    for (--i; i >= 0; --i)
        if (t + (int64(1) << i) <= bits && divideOut(s, fiveToTwoTo(i))) t += int64(1) << i;
    mbShiftRight(s, s, static_cast<int>(t));
    return t;
}

// Removes the trailing decimal zeros of the magnitude of s (sign in s.length) and
// raises e by their count. A mantissa that is odd, or whose words do not sum to a
// multiple of five (2^32 is 1 mod 5), costs no division.
void stripZeros(mb& s, int64& e) {
    bool negative = s.length < 0;
    int32 n = absLen(s.length);
    while (n > 0 && s.blocks[n - 1] == 0) --n;
    if (n == 0) {
        s.length = 0;
        e = 0;
        return;
    }
    s.length = n;
    if ((s.blocks[0] & 1u) == 0) {
        uint64 sum = 0;
        for (int32 i = 0; i < n; ++i) sum += s.blocks[i];
        if (sum % 5 == 0) {
            uint32 r = modBillion(s, s.length);
            if (r == 0) {
                e += stripManyZeros(s);
            } else {
                int t = 0;
                while (r % 10 == 0) {
                    r /= 10;
                    ++t;
                }
                if (t > 0) divPow10(s, t);
                e += t;
            }
        }
    }
    if (negative) s.length = -s.length;
}

// r := the value held in s (trimmed, sign in length) times 10^e, in normal form;
// false, r unchanged, when the exponent leaves the int32 range. s is consumed.
bool storeResult(DecData& r, mb& s, int64 e) {
    stripZeros(s, e);
    if (!inInt32(e)) return false;
    int32 n = absLen(s.length);
    if (n == 0) {
        myFree(r.mantissa);
        r.exponent = 0;
        return true;
    }
    if (r.mantissa.blocks == nullptr || r.mantissa.allocated != n) {
        std::free(r.mantissa.blocks);
        r.mantissa.blocks = allocWords(std::size_t(n));
        r.mantissa.allocated = n;
    }
    std::memcpy(r.mantissa.blocks, s.blocks, std::size_t(n) * sizeof(uint32));
    r.mantissa.length = s.length;
    r.exponent = static_cast<int32>(e);
    return true;
}

// s := the nonnegative integer of the n decimal digits at p, nine digits per pass.
void readDigits(mb& s, char const* p, std::size_t n) {
    reserve(s, int64(n / 9) + 2, 0);
    s.length = 0;
    std::size_t first = n % 9 == 0 ? 9 : n % 9;
    std::size_t i = 0;
    while (i < n) {
        std::size_t take = i == 0 ? first : 9;
        if (take > n) take = n;
        uint32 chunk = 0;
        for (std::size_t j = 0; j < take; ++j) chunk = chunk * 10u + static_cast<uint32>(p[i + j] - '0');
        mulAddWord(s, kPow10[take], chunk);
        i += take;
    }
}

// The decimal digits of the nonnegative s ("0" for zero) in a malloc'd text that keeps
// `before` bytes free ahead of them and `after` bytes behind the terminator; s is
// consumed. The base-10^9 groups of short values stay on the stack.
char* digitText(mb& s, std::size_t& len, std::size_t before = 0, std::size_t after = 0) {
    uint32 local[80];
    std::size_t groups = std::size_t(s.length) * 32 / 29 + 2;  // 2^29 < 10^9
    uint32* g = local;
    if (groups > 80) {
        g = static_cast<uint32*>(std::malloc(groups * sizeof(uint32)));
        if (g == nullptr) vantrelOutOfMemory();
    }
    std::size_t count = 0;
    while (s.length > 0) g[count++] = divWordBy<kBillion>(s);
    char* text = allocText(before + count * 9 + 2 + after);
    char* out = text + before;
    std::size_t pos = 0;
    if (count == 0) {
        out[pos++] = '0';
    } else {
        char buf[10];
        int k = 0;
        for (uint32 v = g[count - 1]; v != 0; v /= 10) buf[k++] = static_cast<char>('0' + v % 10);
        while (k > 0) out[pos++] = buf[--k];
        for (std::size_t i = count - 1; i-- > 0;) {
            uint32 v = g[i];
            for (int j = 8; j >= 0; --j) {
                out[pos + std::size_t(j)] = static_cast<char>('0' + v % 10);
                v /= 10;
            }
            pos += 9;
        }
    }
    out[pos] = '\0';
    if (g != local) std::free(g);
    len = pos;
    return text;
}

// s := (sNeg ? -s : s) + (yNeg ? -|y| : |y|) in place, sign in s.length. s holds its
// magnitude with room for one more word than the longer operand.
void addInPlace(mb& s, bool sNeg, mb const& y, bool yNeg) {
    int32 n = s.length, yn = effLen(y);
    uint32* w = s.blocks;
    uint32 const* v = y.blocks;
    if (yn > n) {
        reserve(s, int64(yn) + 1, n);
        w = s.blocks;
        for (int32 i = n; i < yn; ++i) w[i] = 0;
    }
    int32 m = n > yn ? n : yn;
    if (sNeg == yNeg) {
        uint64 carry = 0;
        for (int32 i = 0; i < m; ++i) {
            uint64 t = uint64(w[i]) + (i < yn ? v[i] : 0u) + carry;
            w[i] = static_cast<uint32>(t);
            carry = t >> 32;
        }
        if (carry != 0) w[m++] = static_cast<uint32>(carry);
    } else {
        // The smaller magnitude comes off the larger; the result takes the larger's sign.
        int c = 0;
        for (int32 i = m - 1; i >= 0 && c == 0; --i) {
            uint32 a = w[i], b = i < yn ? v[i] : 0u;
            c = a == b ? 0 : (a > b ? 1 : -1);
        }
        uint32 borrow = 0;
        for (int32 i = 0; i < m; ++i) {
            uint64 a = c >= 0 ? w[i] : (i < yn ? v[i] : 0u);
            uint64 b = c >= 0 ? (i < yn ? v[i] : 0u) : w[i];
            uint64 d = a - b - borrow;
            w[i] = static_cast<uint32>(d);
            borrow = static_cast<uint32>(d >> 32) & 1u;
        }
        if (c < 0) sNeg = yNeg;
    }
    while (m > 0 && w[m - 1] == 0) --m;
    s.length = sNeg ? -m : m;
}

// Sum or difference of a and b into r; see addDec.
bool addSub(DecData& r, DecData const& a, DecData const& b, bool subtract) {
    static mb big;  // the aligned operand, then the result
    int32 an = effLen(a.mantissa), bn = effLen(b.mantissa);
    if (an == 0 || bn == 0) {
        // One operand alone: its copy, negated for "0 - b", brought to normal form.
        DecData const& x = an == 0 ? b : a;
        loadAbs(big, x.mantissa);
        bool negative = big.length != 0 && ((x.mantissa.length < 0) != (an == 0 && subtract));
        if (negative) big.length = -big.length;
        return storeResult(r, big, an == 0 && bn == 0 ? 0 : x.exponent);
    }
    bool aHigh = a.exponent >= b.exponent;
    DecData const& hi = aHigh ? a : b;
    DecData const& lo = aHigh ? b : a;
    int64 gap = int64(hi.exponent) - lo.exponent;
    int64 aligned = digitsAtMost(hi.mantissa) + gap;
    if (aligned > kMaxDecDigits && gap > 0) return false;
    loadScaled(big, hi.mantissa, gap, 1);
    // Signs of the two terms, the aligned one and lo's (negated for lo - or - lo).
    bool bigNeg = (hi.mantissa.length < 0) != (subtract && !aHigh);
    bool loNeg = (lo.mantissa.length < 0) != (subtract && aHigh);
    addInPlace(big, bigNeg, lo.mantissa, loNeg);
    return storeResult(r, big, lo.exponent);
}

// Fixed-point text of d at s places; see getString.
char* fixedText(DecData const& d, int64 places) {
    static mb t;
    if (places > kMaxDecDigits) return nullptr;
    bool negative = effLen(d.mantissa) != 0 && d.mantissa.length < 0;
    loadAbs(t, d.mantissa);
    int64 target = -(places + 1);
    int64 e = d.exponent;
    if (t.length != 0 && e > target) {
        if (digitsAtMost(t) + (e - target) > kMaxDecDigits + 1) return nullptr;
        scaleUp(t, e - target);
    } else if (t.length != 0 && e < target) {
        scaleDown(t, target - e);
    }
    std::size_t zeros = places > 0 ? std::size_t(places) : 0;
    if (t.length == 0) {
        char* out = allocText(zeros + 3);
        out[0] = '0';
        out[1] = '.';
        std::memset(out + 2, '0', zeros);
        out[zeros + 2] = '\0';
        return out;
    }
    // Half away from zero on the magnitude: (t + 5) / 10.
    reserve(t, int64(t.length) + 1, t.length);
    mulAddWord(t, 1u, 5u);
    divPow10(t, 1);
    std::size_t len = 0;
    char* digits = digitText(t, len);
    std::size_t sign = negative ? 1 : 0;
    char* out = nullptr;
    if (places >= 0) {
        std::size_t body = len > zeros ? len : zeros + 1;
        out = allocText(sign + body + 2);
        std::size_t pos = 0;
        if (negative) out[pos++] = '-';
        if (len > zeros) {
            std::memcpy(out + pos, digits, len - zeros);
            pos += len - zeros;
            out[pos++] = '.';
            std::memcpy(out + pos, digits + (len - zeros), zeros);
            pos += zeros;
        } else {
            out[pos++] = '0';
            out[pos++] = '.';
            std::memset(out + pos, '0', zeros - len);
            pos += zeros - len;
            std::memcpy(out + pos, digits, len);
            pos += len;
        }
        out[pos] = '\0';
    } else {
        // Units of 10^-places: the digits, then that many zeros unless they round to 0.
        bool rounded0 = len == 1 && digits[0] == '0';
        int64 tail = rounded0 ? 0 : -places;
        if (int64(len) + tail > kMaxDecDigits) {
            std::free(digits);
            return nullptr;
        }
        out = allocText(sign + len + std::size_t(tail) + 2);
        std::size_t pos = 0;
        if (negative) out[pos++] = '-';
        std::memcpy(out + pos, digits, len);
        pos += len;
        std::memset(out + pos, '0', std::size_t(tail));
        pos += std::size_t(tail);
        out[pos++] = '.';
        out[pos] = '\0';
    }
    std::free(digits);
    return out;
}

}  // namespace

// ---- record, exact arithmetic, comparison ----

void init(DecData& d) {
    init(d.mantissa);
    d.exponent = 0;
}

void myFree(DecData& d) {
    myFree(d.mantissa);
    d.exponent = 0;
}

bool addDec(DecData& r, DecData const& a, DecData const& b) { return addSub(r, a, b, false); }

bool subDec(DecData& r, DecData const& a, DecData const& b) { return addSub(r, a, b, true); }

bool mulDec(DecData& r, DecData const& a, DecData const& b) {
    static mb prod;
    if (effLen(a.mantissa) == 0 || effLen(b.mantissa) == 0) {
        prod.length = 0;
        return storeResult(r, prod, 0);
    }
    if (digitsAtMost(a.mantissa) + digitsAtMost(b.mantissa) > kMaxDecDigits + 1) return false;
    mul(prod, a.mantissa, b.mantissa);
    return storeResult(r, prod, int64(a.exponent) + b.exponent);
}

int compareDecToDec(DecData const& a, DecData const& b) {
    static mb big;
    int32 an = effLen(a.mantissa), bn = effLen(b.mantissa);
    int sa = an == 0 ? 0 : (a.mantissa.length < 0 ? -1 : 1);
    int sb = bn == 0 ? 0 : (b.mantissa.length < 0 ? -1 : 1);
    if (sa != sb || sa == 0) return sa < sb ? -1 : (sa > sb ? 1 : 0);
    bool aHigh = a.exponent >= b.exponent;
    DecData const& hi = aHigh ? a : b;
    DecData const& lo = aHigh ? b : a;
    int64 gap = int64(hi.exponent) - lo.exponent;
    int c;  // |hi| against |lo|
    if (gap >= digitsAtMost(lo.mantissa)) {
        c = 1;  // |lo| < 10^(lo.exponent + its digits) <= 10^hi.exponent <= |hi|
    } else {
        loadScaled(big, hi.mantissa, gap, 0);
        c = mbCompareAbs(big, lo.mantissa);
    }
    if (!aHigh) c = -c;
    return sa * c;
}

// ---- text ----

char* getString(DecData const& d) { return fixedText(d, scale); }

char* getString2(DecData const& d) {
    static mb t;
    loadAbs(t, d.mantissa);
    std::size_t sign = t.length != 0 && d.mantissa.length < 0 ? 1 : 0;
    std::size_t len = 0;
    char* out = digitText(t, len, sign, 14);
    if (sign != 0) out[0] = '-';
    // "e" and the exponent in plain digits, as "%d" writes it.
    char* p = out + sign + len;
    *p++ = 'e';
    int64 e = d.exponent;
    if (e < 0) *p++ = '-';
    char buf[12];
    int k = 0;
    for (uint64 u = uint64(e < 0 ? -e : e); k == 0 || u != 0; u /= 10) buf[k++] = static_cast<char>('0' + u % 10);
    while (k > 0) *p++ = buf[--k];
    *p = '\0';
    return out;
}

bool getDec_Str(DecData& d, char const* s) {
    static mb m;
    myFree(d);
    if (s == nullptr) return false;
    std::size_t n = std::strlen(s);
    if (n == 0) return true;
    if (n == 1) {
        if (!isDigit(s[0])) return false;
        equate(d.mantissa, s[0] - '0');
        return true;
    }
    for (std::size_t i = 0; i < n; ++i) {
        char c = s[i];
        if (!isDigit(c) && c != '+' && c != '-' && c != '.' && c != 'e' && c != 'E' && c != ' ') return false;
    }
    std::size_t i = 0;
    while (s[i] == ' ') ++i;
    if (s[i] == '\0' || s[i] == 'e' || s[i] == 'E') return false;
    bool negative = false;
    bool leadingPoint = false;
    auto endsNumber = [](char c) { return c == '\0' || c == '+' || c == '-' || c == 'e' || c == 'E'; };
    if (s[i] == '+' || s[i] == '-') {
        negative = s[i] == '-';
        ++i;
        if (endsNumber(s[i])) return false;
        if (s[i] == '.') {
            leadingPoint = true;
            ++i;
        }
    } else if (s[i] == '.') {
        leadingPoint = true;
        ++i;
    }
    if (leadingPoint && (endsNumber(s[i]) || s[i] == '.')) return false;

    std::size_t intStart = i, intLen = 0, fracStart = i, fracLen = 0;
    if (!leadingPoint) {
        while (isDigit(s[i])) ++i;
        intLen = i - intStart;
        if (s[i] == '.') {
            ++i;
            fracStart = i;
            while (isDigit(s[i])) ++i;
            fracLen = i - fracStart;
        }
    } else {
        fracStart = i;
        while (isDigit(s[i])) ++i;
        fracLen = i - fracStart;
        if (s[i] == '.') return false;
    }
    if (intLen + fracLen == 0) return false;
    char end = s[i];

    // The digit string without its leading zeros, and its trailing zeros moved into
    // the exponent: only the significant digits are converted.
    std::size_t total = intLen + fracLen;
    auto digitAt = [&](std::size_t k) { return k < intLen ? s[intStart + k] : s[fracStart + k - intLen]; };
    std::size_t first = 0;
    while (first < total && digitAt(first) == '0') ++first;
    std::size_t last = total;
    while (last > first && digitAt(last - 1) == '0') --last;
    bool zero = first == last;
    if (!zero && int64(last - first) > kMaxDecDigits) return false;
    if (!zero) {
        char* buf = allocText(last - first);
        for (std::size_t k = first; k < last; ++k) buf[k - first] = digitAt(k);
        readDigits(m, buf, last - first);
        std::free(buf);
        if (negative) m.length = -m.length;
    } else {
        m.length = 0;
    }

    int64 e = 0;
    if (end == 'e' || end == 'E') {
        ++i;
        bool expNegative = false;
        if (s[i] == '+' || s[i] == '-') {
            expNegative = s[i] == '-';
            ++i;
        }
        if (!isDigit(s[i])) {
            // The digit string read so far stays, unnormalised, with exponent 0.
            if (!zero) {
                int64 tail = int64(total - last);
                if (digitsAtMost(m) + tail <= kMaxDecDigits) {
                    bool negativeM = m.length < 0;
                    m.length = absLen(m.length);
                    scaleUp(m, tail);
                    if (negativeM) m.length = -m.length;
                    equate(d.mantissa, m);
                }
            }
            return false;
        }
        std::size_t start = i;
        while (isDigit(s[i])) ++i;
        if (i - start > 15) return false;
        for (std::size_t k = start; k < i; ++k) e = e * 10 + (s[k] - '0');
        if (expNegative) e = -e;
        if (!inInt32(e)) return false;
    }
    e -= int64(fracLen);
    if (!inInt32(e)) return false;
    if (zero) return true;
    return storeResult(d, m, e + int64(total - last));
}

// ---- double ----

void getDec_d(DecData& d, double x) {
    static mb m;
    myFree(d);
    double y = x < 0 ? -x : x;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.13e", y);
    if (!isDigit(buf[0])) return;  // nan, inf, -0.0
    // The digits up to the "e", whatever the point looks like in this locale.
    uint64 digits = 0;
    int count = 0;
    std::size_t i = 0;
    for (; buf[i] != '\0' && buf[i] != 'e' && buf[i] != 'E'; ++i) {
        if (isDigit(buf[i])) {
            digits = digits * 10 + static_cast<uint64>(buf[i] - '0');
            ++count;
        }
    }
    int64 e = 0;
    if (buf[i] != '\0') {
        ++i;
        bool expNegative = buf[i] == '-';
        if (buf[i] == '+' || buf[i] == '-') ++i;
        for (; isDigit(buf[i]); ++i) e = e * 10 + (buf[i] - '0');
        if (expNegative) e = -e;
    }
    equate(m, static_cast<unsigned long long>(digits));
    if (x < 0 && m.length != 0) m.length = -m.length;
    storeResult(d, m, e - (count - 1));
}

#if defined(_WIN32) && defined(__MINGW32__) && !VANTREL_POW10_BY_EXP10
// The C runtime's own pow, through its import: the toolchain links a static pow of its
// own in its place, which is off by many units in the last place.
extern "C" double (*__imp_pow)(double, double);
#endif

double powerOfTen(double e) {
#if VANTREL_POW10_BY_EXP10 && defined(__APPLE__)
    return __exp10(e);
#elif VANTREL_POW10_BY_EXP10
    return exp10(e);  // glibc's, declared with _GNU_SOURCE, which g++ defines
#elif defined(_WIN32) && defined(__MINGW32__)
    return __imp_pow(10.0, e);
#else
    return std::pow(10.0, e);
#endif
}

double getDouble_Dec(DecData const& d) {
    if (effLen(d.mantissa) == 0) return 0.0;
    double m = 0.0;
    equate(m, d.mantissa);
    double p = powerOfTen(static_cast<double>(d.exponent));
    double v = m * p;
    if (std::isnormal(m) && std::isnormal(p) && std::isnormal(v)) return v;
    // Range or precision was lost in a factor: the correctly rounded double of the
    // exact text instead. The text has no point, so the locale does not matter.
    char* text = getString2(d);
    double exact = std::strtod(text, nullptr);
    std::free(text);
    return exact;
}

int compareDecToDouble(DecData const& a, double x) {
    DecData b;
    getDec_d(b, x);
    return compareDecToDec(a, b);
}

// ---- currency ----

void getDec_Curr(DecData& d, long long c) {
    static mb m;
    myFree(d);
    if (c == 0) return;
    equate(m, c);
    storeResult(d, m, -4);
}

bool getCurr_Dec(long long& out, DecData const& d) {
    int32 n = effLen(d.mantissa);
    if (n == 0) {
        out = 0;
        return true;
    }
    bool negative = d.mantissa.length < 0;
    if (negative && d.exponent == -4 && n == 2 && d.mantissa.blocks[1] == 0x80000000u && d.mantissa.blocks[0] == 0) {
        out = std::numeric_limits<long long>::min();
        return true;
    }
    // 10^15 and more never fits; this also keeps the text short.
    if (d.exponent > 15) return false;
    char* text = fixedText(d, 4);
    if (text == nullptr) return false;
    char const* p = text[0] == '-' ? text + 1 : text;
    char digits[32];
    std::size_t count = 0;
    bool ok = true;
    for (; *p != '\0'; ++p) {
        if (*p == '.') continue;
        if (count == 19) {
            ok = false;
            break;
        }
        digits[count++] = *p;
    }
    std::free(text);
    if (ok && count == 19 && std::strncmp(digits, "9223372036854775807", 19) > 0) ok = false;
    if (!ok) return false;
    long long v = 0;
    for (std::size_t k = 0; k < count; ++k) v = v * 10 + (digits[k] - '0');
    out = negative ? -v : v;
    return true;
}

// ---- division, fp bridge, powers ----

bool fpWorkFits() { return globalBitPrecision / 4 <= kMaxFpDigits; }

bool divDec(DecData& r, DecData const& a, DecData const& b) {
    static fp X, Y, Q;
    static mb m;
    if (effLen(b.mantissa) == 0) return false;
    if (effLen(a.mantissa) == 0) {
        myFree(r);
        return true;
    }
    if (!fpWorkFits()) return false;
    // Only the mantissas pass through fp; the powers of ten combine exactly.
    equate(X, a.mantissa);
    equate(Y, b.mantissa);
    div(Q, X, Y);
    int e10 = 0;
    fpToDecimal(e10, m, Q, globalBitPrecision / 4);
    return storeResult(r, m, int64(a.exponent) - b.exponent + e10);
}

bool fpReaches(DecData const& d) {
    // 10^640000000 is about 2^2126000000, inside the binary exponent's reach; the
    // value's leading digit must stay well inside it too.
    constexpr int64 kReach = 600000000;
    if (effLen(d.mantissa) == 0) return true;
    int64 e = d.exponent, lead = e + digitsAtMost(d.mantissa);
    return lead <= kReach && lead >= -kReach && e <= kReach + 40000000 && e >= -(kReach + 40000000);
}

bool toFp(fp& x, DecData const& d) {
    static fp t, p;
    int64 e = d.exponent;
    if (effLen(d.mantissa) == 0) {
        myFree(x);
        return true;
    }
    if (!fpReaches(d)) {
        myFree(x);
        return false;
    }
    equate(t, 10.0);
    int k = static_cast<int>(e < 0 ? -e : e);
    if (!pow(p, t, k)) {
        myFree(x);
        return false;
    }
    if (e < 0) div(p, 1.0, p);
    mul(x, p, d.mantissa);
    return true;
}

bool DecToRR(fp& x, DecData const& d) {
    if (effLen(d.mantissa) != 0 && !fpWorkFits()) {
        myFree(x);
        return false;
    }
    return toFp(x, d);
}

Parity parityOf(DecData const& y) {
    static mb q, r;
    if (effLen(y.mantissa) == 0 || y.exponent > 0) return Parity::Even;
    // A negative exponent leaves a fraction unless 10^-exponent divides the mantissa,
    // which the normal form rules out; other forms are read by their value.
    equate(q, y.mantissa);
    for (int64 i = y.exponent; i < 0; ++i) {
        if (mbShortDiv(r, q, 10u) != 0) return Parity::NotInteger;
        equate(q, r);
    }
    return (q.blocks[0] & 1u) != 0 ? Parity::Odd : Parity::Even;
}

void RRtoDec(DecData& d, fp const& x) {
    static mb m;
    int e10 = 0;
    fpToDecimal(e10, m, x, globalBitPrecision / 4);
    // The digits carry no trailing zero and fpToStr2 holds its exponent inside int32,
    // so this stores; the test only keeps the target defined.
    if (!storeResult(d, m, e10)) myFree(d);
}

namespace {

enum class PowKind { DecDec, DecDouble, DoubleDec, DecInt };

// a^n exactly, by binary powering with the exact product; false where a product would
// pass kMaxDecDigits. zeroBaseOne: whether 0^0 is 1 (the fp exponent's rule) or 0.
bool exactPower(DecData& r, DecData const& a, int64 n, bool zeroBaseOne) {
    static DecData t;
    bool zeroBase = effLen(a.mantissa) == 0;
    if (zeroBase && !(zeroBaseOne && n == 0)) {
        myFree(r);
        return true;
    }
    mb one;
    one = 1;
    storeResult(t, one, 0);
    uint64 bits = static_cast<uint64>(n);
    for (int i = 63; i >= 0; --i) {
        if (!mulDec(t, t, t)) return false;
        if (((bits >> i) & 1u) != 0 && !mulDec(t, t, a)) return false;
    }
    r.mantissa = t.mantissa;
    r.exponent = t.exponent;
    return true;
}

// The exponent as a non-negative integer below 2^31 where it is one; -1 otherwise.
int64 smallWholeExponent(DecData const* b, double yd, PowKind kind, int n) {
    if (kind == PowKind::DecInt) return n;
    if (kind == PowKind::DecDouble) return yd >= 0 && yd < 2147483648.0 && yd == std::floor(yd) ? int64(yd) : -1;
    if (kind != PowKind::DecDec) return -1;
    int32 len = effLen(b->mantissa);
    if (len == 0) return 0;
    if (b->mantissa.length < 0 || len > 1 || b->exponent < 0 || b->exponent > 9) return -1;
    int64 v = b->mantissa.blocks[0];
    for (int32 i = 0; i < b->exponent && v < 2147483648LL; ++i) v *= 10;
    return v < 2147483648LL ? v : -1;
}

bool powerOf(DecData& r, DecData const* a, DecData const* b, double xd, double yd, int n, PowKind kind) {
    static fp X, Y, R;
    if (!fpWorkFits()) {
        // Past the digits fp can reach in reasonable time only exact powers are given:
        // a whole exponent of a Decimal base, the result within kMaxDecDigits digits.
        int64 k = a == nullptr ? -1 : smallWholeExponent(b, yd, kind, n);
        if (k >= 0 && exactPower(r, *a, k, kind != PowKind::DecInt)) return true;
        myFree(r);
        return false;
    }
    // A negative base with a Decimal exponent: the exponent's integrality and parity come
    // from the decimal itself, which its fp image may have cut.
    Parity parity = Parity::Even;
    bool negativeBase = a != nullptr ? a->mantissa.length < 0 : xd < 0;
    if (b != nullptr && negativeBase) {
        parity = parityOf(*b);
        if (parity == Parity::NotInteger) {
            myFree(r);
            return false;
        }
    }
    bool ok = true;
    if (a != nullptr) ok = DecToRR(X, *a) && ok;
    if (b != nullptr) ok = DecToRR(Y, *b) && ok;
    if (!ok) {
        myFree(r);
        return false;
    }
    if (b != nullptr && negativeBase) {
        X.mantissa.length = absLen(X.mantissa.length);
        xd = -xd;
    }
    switch (kind) {
        case PowKind::DecDec: ok = pow(R, X, Y); break;
        case PowKind::DecDouble: ok = pow(R, X, yd); break;
        case PowKind::DoubleDec: ok = pow(R, xd, Y); break;
        case PowKind::DecInt: ok = pow(R, X, n); break;
    }
    if (parity == Parity::Odd) R.mantissa.length = -R.mantissa.length;
    RRtoDec(r, R);
    return ok;
}

}  // namespace

bool pow(DecData& r, DecData const& a, DecData const& b) { return powerOf(r, &a, &b, 0, 0, 0, PowKind::DecDec); }

bool pow(DecData& r, DecData const& a, double y) { return powerOf(r, &a, nullptr, 0, y, 0, PowKind::DecDouble); }

bool pow(DecData& r, double x, DecData const& b) { return powerOf(r, nullptr, &b, x, 0, 0, PowKind::DoubleDec); }

bool pow(DecData& r, DecData const& a, int n) { return powerOf(r, &a, nullptr, 0, 0, n, PowKind::DecInt); }

DecData pow(DecData const& a, DecData const& b) {
    DecData r;
    pow(r, a, b);
    return r;
}

DecData pow(DecData const& a, double y) {
    DecData r;
    pow(r, a, y);
    return r;
}

DecData pow(double x, DecData const& b) {
    DecData r;
    pow(r, x, b);
    return r;
}

DecData pow(DecData const& a, int n) {
    DecData r;
    pow(r, a, n);
    return r;
}
