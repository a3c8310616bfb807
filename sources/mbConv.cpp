// Copies of mb, conversions to and from machine integers and double, and the
// decimal reader, which multiplies chunks of digits into the number. DecStrtoHexStr
// turns decimal text into hexadecimal text by byte arithmetic alone.
#include "mbConv.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "fpConv.h"
#include "mbLimbs.h"
#include "mbMath.h"

namespace {

void copyInto(mb& z, mb const& x, void (*resize)(mb&)) {
    if (z.length == x.length && z.allocated == x.allocated && z.blocks == x.blocks) return;
    z.length = x.length;
    resize(z);
    if (x.length != 0)
        std::memcpy(z.blocks, x.blocks,
                    static_cast<std::size_t>(x.length < 0 ? -int64(x.length) : x.length) * sizeof(uint32));
}

}  // namespace

void equate(mb& z, mb const& x) { copyInto(z, x, update); }

void equateWithCare(mb& z, mb const& x) { copyInto(z, x, updateWithCare); }

bool init(mb& x) {
    x.allocated = 0;
    x.length = 0;
    x.blocks = nullptr;
    return true;
}

void long32tomb(mb& x, int v) {
    init(x);
    if (v == 0) return;
    x.blocks = allocWords(1);
    x.allocated = 1;
    x.length = 1;
    // The magnitude in unsigned arithmetic, so -2^31 gives the word 2^31.
    x.blocks[0] = v < 0 ? 0u - static_cast<uint32>(v) : static_cast<uint32>(v);
    if (v < 0) x.length = -1;
}

bool init(mb& x, int v) {
    long32tomb(x, v);
    return true;
}

void long64tomb(mb& x, long long v) { equate(x, v); }

// ---- decimal text ----

namespace {

inline bool isDigit(char c) { return c >= '0' && c <= '9'; }

inline int hexValue(char c) { return isDigit(c) ? c - '0' : c - 'A' + 10; }

// One pass of long division of the digit values s[start, n) in base `base` by d, in
// place; returns the remainder. The text conversions take one output digit per pass.
unsigned dividePass(char* s, std::size_t start, std::size_t n, unsigned base, unsigned d) {
    unsigned rem = 0;
    for (std::size_t i = start; i < n; ++i) {
        unsigned cur = rem * base + static_cast<unsigned char>(s[i]);
        s[i] = static_cast<char>(cur / d);
        rem = cur % d;
    }
    return rem;
}

// The exponent form goes through the floating-point reader and is cut toward zero.
bool readWithExponent(mb& x, char const* s);

}  // namespace

bool DecStrtoHexStr(char* s) {
    std::size_t n = std::strlen(s);
    if (n == 0) return false;
    if (n == 1) return isDigit(s[0]);

    // Base-100 digits, most significant first, packed into the tail of s. The
    // write index never falls below the read index, so nothing unread is lost.
    std::size_t r = n, w = n;
    while (r >= 2) {
        char tens = s[r - 2], units = s[r - 1];
        if (!isDigit(tens) || !isDigit(units)) return false;
        s[--w] = static_cast<char>((tens - '0') * 10 + (units - '0'));
        r -= 2;
    }
    if (r == 1) {
        if (!isDigit(s[0])) return false;
        s[--w] = static_cast<char>(s[0] - '0');
    }

    // Each pass divides by 16 and yields one hexadecimal digit, least significant
    // first, written from the front; a pass frees at most one base-100 digit, and
    // that is enough to keep the output behind the digits still in use.
    static char const hex[] = "0123456789ABCDEF";
    std::size_t start = w, out = 0;
    while (start < n) {
        unsigned rem = dividePass(s, start, n, 100u, 16u);
        if (s[start] == 0) ++start;
        s[out++] = hex[rem];
    }
    s[out] = '\0';
    std::reverse(s, s + out);
    return true;
}

#ifdef _WIN32
char* HexStrtoDecStr(char* s) {
    std::size_t n = std::strlen(s);
    // Each pass below yields one decimal digit and frees at most one hexadecimal
    // digit, so there are fewer than 2n + 10 of them.
    char* out = allocText(n == 0 ? 1 : 2 * n + 10);
    out[0] = '\0';
    if (n == 0) return out;
    for (std::size_t i = 0; i < n; ++i) {
        char c = s[i];
        if (isDigit(c))
            s[i] = static_cast<char>(c - '0');
        else if (c >= 'A' && c <= 'F')
            s[i] = static_cast<char>(c - 'A' + 10);
        else if (c >= 'a' && c <= 'f')
            s[i] = static_cast<char>(c - 'a' + 10);
        else
            return out;  // the empty text
    }
    std::size_t start = 0, count = 0;
    while (start < n) {
        unsigned rem = dividePass(s, start, n, 16u, 10u);
        out[count++] = static_cast<char>('0' + rem);
        if (s[start] == 0) ++start;
    }
    out[count] = '\0';
    std::reverse(out, out + count);
    return out;
}
#endif

namespace {

#if VANTREL_LIMB64
constexpr std::size_t kChunkDigits = 19;
constexpr uint64 kChunkBase = 10000000000000000000ull;
#else
constexpr std::size_t kChunkDigits = 9;
constexpr uint64 kChunkBase = 1000000000ull;
#endif

// x := the value of d decimal digits (no leading zero, d > 0), in normal form with an
// array of exactly its size. Chunks of 19 digits (9 on 32-bit words) are multiplied
// into the number as it grows: one pass over the array per chunk.
void readDigits(mb& x, char const* p, std::size_t d, bool negative) {
    // Each chunk of 9 digits is below 2^30, so a word per chunk is ample.
    int32 cap = checkedWords(int64(d / 9) + 2);
    std::size_t first = d % kChunkDigits == 0 ? kChunkDigits : d % kChunkDigits;
    int32 n = 0;  // limbs in use
#if VANTREL_LIMB64
    static limbs::LimbBuffer buf;
    uint64* a = buf.get(std::size_t(limbs::limbsOf(cap)));
    for (std::size_t pos = 0, take = first; pos < d; pos += take, take = kChunkDigits) {
        uint64 carry = 0;
        for (std::size_t j = 0; j < take; ++j) carry = carry * 10 + static_cast<uint64>(p[pos + j] - '0');
        for (int32 i = 0; i < n; ++i) {
            limbs::uint128 t = limbs::uint128(a[i]) * kChunkBase + carry;
            a[i] = static_cast<uint64>(t);
            carry = static_cast<uint64>(t >> 64);
        }
        if (carry != 0) a[n++] = carry;
    }
    int32 words = 2 * n;
    if (n > 0 && (a[n - 1] >> 32) == 0) --words;
    x.length = words;
    update(x);
    limbs::storeLimbs(x.blocks, words, a);
#else
    static mb buf;
    buf.length = cap;
    updateWithCare(buf);
    uint32* a = buf.blocks;
    for (std::size_t pos = 0, take = first; pos < d; pos += take, take = kChunkDigits) {
        uint64 carry = 0;
        for (std::size_t j = 0; j < take; ++j) carry = carry * 10 + static_cast<uint64>(p[pos + j] - '0');
        for (int32 i = 0; i < n; ++i) {
            uint64 t = uint64(a[i]) * kChunkBase + carry;
            a[i] = static_cast<uint32>(t);
            carry = t >> 32;
        }
        if (carry != 0) a[n++] = static_cast<uint32>(carry);
    }
    x.length = n;
    update(x);
    std::memcpy(x.blocks, a, std::size_t(n) * sizeof(uint32));
#endif
    if (negative) x.length = -x.length;
}

}  // namespace

bool mbConvFromStr(mb& x, char const* s) {
    // A held array is released rather than lost, so a live record may be passed.
    myFree(x);
    if (s == nullptr) return false;
    if (s[0] == '\0' || (s[0] == '0' && s[1] == '\0')) return true;
    if (std::strchr(s, 'e') != nullptr || std::strchr(s, 'E') != nullptr) return readWithExponent(x, s);

    std::size_t n = std::strlen(s);
    char* copy = allocText(n + 1);
    std::size_t k = 0;
    for (std::size_t i = 0; i < n; ++i)
        if (s[i] != ' ') copy[k++] = s[i];
    copy[k] = '\0';

    bool ok = true;
    char* p = copy;
    if (char* dot = std::strchr(copy, '.')) {
        *dot = '\0';
        bool digitBefore = false;
        for (char* q = copy; q < dot; ++q) digitBefore = digitBefore || isDigit(*q);
        if (!digitBefore) {
            std::free(copy);
            return true;  // ".5", "-.5" and "x.5" read as zero
        }
    }
    if (*p != '+' && *p != '-' && !isDigit(*p)) ok = false;
    bool negative = *p == '-';
    if (ok && (*p == '+' || *p == '-')) ++p;
    for (char* q = p; ok && *q != '\0'; ++q) ok = isDigit(*q);
    while (ok && *p == '0') ++p;
    if (ok && *p != '\0') readDigits(x, p, std::strlen(p), negative);
    std::free(copy);
    return ok;
}

bool init(mb& x, char const* s) {
    init(x);
    return mbConvFromStr(x, s);
}

bool equate(mb& x, char const* s) { return mbConvFromStr(x, s); }  // it releases x's array first

// ---- machine integers from mb ----

namespace {

// The magnitude of x when it has at most maxWords words.
bool magnitude(mb const& x, int32 maxWords, uint64& m) {
    int32 n = x.length < 0 ? -x.length : x.length;
    while (n > 0 && x.blocks[n - 1] == 0) --n;  // a record outside normal form counts by value
    if (n > maxWords) return false;
    m = 0;
    for (int32 i = n - 1; i >= 0; --i) m = (m << 32) | x.blocks[i];
    return true;
}

// Unsigned targets: nothing negative, at most limit.
template <typename T>
bool toUnsigned(T& v, mb const& x, int32 maxWords, uint64 limit) {
    v = 0;
    uint64 m = 0;
    if (x.length < 0 || !magnitude(x, maxWords, m) || m > limit) return false;
    v = static_cast<T>(m);
    return true;
}

// Signed targets: magnitude at most posLimit when positive, negLimit when negative.
template <typename T>
bool toSigned(T& v, mb const& x, int32 maxWords, uint64 posLimit, uint64 negLimit) {
    v = 0;
    uint64 m = 0;
    if (!magnitude(x, maxWords, m)) return false;
    bool negative = x.length < 0;
    if (m > (negative ? negLimit : posLimit)) return false;
    if (!negative) {
        v = static_cast<T>(m);
    } else if (m == (uint64(1) << 63)) {
        v = static_cast<T>(std::numeric_limits<long long>::min());
    } else {
        v = static_cast<T>(-static_cast<long long>(m));
    }
    return true;
}

}  // namespace

bool equate(unsigned char& v, mb const& x) { return toUnsigned(v, x, 1, 255); }
bool equate(char& v, mb const& x) { return toSigned(v, x, 1, 127, 128); }
bool equate(unsigned short& v, mb const& x) { return toUnsigned(v, x, 1, 65535); }
bool equate(short& v, mb const& x) { return toSigned(v, x, 1, 32767, 32768); }
bool equate(unsigned int& v, mb const& x) { return toUnsigned(v, x, 1, 0xFFFFFFFFull); }
bool equate(int& v, mb const& x) { return toSigned(v, x, 1, 0x7FFFFFFFull, 0x7FFFFFFFull); }
bool equate(unsigned long long& v, mb const& x) { return toUnsigned(v, x, 2, ~0ull); }
bool equate(long long& v, mb const& x) {
    return toSigned(v, x, 2, 0x7FFFFFFFFFFFFFFFull, 0x8000000000000000ull);
}

// ---- mb from machine integers ----

namespace {

void oneWord(mb& x, uint32 w, bool negative) {
    x.length = 1;
    update(x);
    x.blocks[0] = w;
    if (negative) x.length = -1;
}

}  // namespace

void equate(mb& x, unsigned char v) { equate(x, static_cast<unsigned int>(v)); }
void equate(mb& x, unsigned short v) { equate(x, static_cast<unsigned int>(v)); }

void equate(mb& x, unsigned int v) {
    if (v == 0) {
        x.length = 0;
        return;
    }
    oneWord(x, v, false);
}

void equate(mb& x, char v) { equate(x, static_cast<int>(v)); }
void equate(mb& x, short v) { equate(x, static_cast<int>(v)); }

void equate(mb& x, int v) {
    if (v == 0) {
        x.length = 0;
        return;
    }
    // The magnitude in unsigned arithmetic, so -2^31 gives the word 2^31.
    oneWord(x, v < 0 ? 0u - static_cast<uint32>(v) : static_cast<uint32>(v), v < 0);
}

void equate(mb& x, unsigned long long v) {
    if (v == 0) {
        x.length = 0;
        return;
    }
    x.length = 2;
    update(x);
    x.blocks[0] = static_cast<uint32>(v);
    x.blocks[1] = static_cast<uint32>(v >> 32);
    mbNormalize(x);
}

void equate(mb& x, long long v) {
    if (v == 0) {
        x.length = 0;
        return;
    }
    equate(x, v < 0 ? 0ull - static_cast<unsigned long long>(v) : static_cast<unsigned long long>(v));
    if (v < 0) x.length = -x.length;
}

bool init(mb& x, long long v) {
    equate(x, v);
    return true;
}

namespace {

bool readWithExponent(mb& x, char const* s) {
    fp t;
    if (!equate(t, s)) return false;
    equate(x, t);
    return true;
}

}  // namespace

// ---- double ----

void equate(mb& x, double v) {
    static fp xt;
    if (v == 0.0) {
        myFree(x);
        return;
    }
    // A whole number within int is exact in its 18-digit text too: skip the text.
    if (v == std::trunc(v) && std::fabs(v) < 2147483648.0) {
        equate(x, static_cast<int>(v));
        return;
    }
    equate(xt, v);  // inf and NaN leave xt zero
    equate(x, xt);
}

bool equate(double& d, mb const& x) {
    static fp t;
    equate(t, x);
    return equate(d, t);
}
