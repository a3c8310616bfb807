// Decimal text of mb: each pass divides the number by 10^19 on 64-bit limbs (10^9 on
// 32-bit words) and yields one chunk of digits; the chunks are printed from the top.
#include "mb2Str.h"

#include <cstdlib>
#include <cstring>
#include <limits>

#include "mbConv.h"
#include "mbLimbs.h"
#include "mbMath.h"

namespace {
// Write position in the output text, shared by mb2Str and PrintDigits; 64-bit
// because the text of a large enough mb has more than 2^31 characters.
int64 sIndex = 0;
}  // namespace

void lstack::push(int v) {
    if (capacity == 0) {
        void* p = std::malloc(100 * sizeof(int32));
        if (p == nullptr) vantrelOutOfMemory();
        items = static_cast<int32*>(p);
        capacity = 100;
    }
    ++top;
    if (top >= capacity) {
        if (capacity > std::numeric_limits<int32>::max() / 2) vantrelOutOfMemory();
        int32 grown = capacity * 2;
        if (std::size_t(grown) > std::numeric_limits<std::size_t>::max() / sizeof(int32)) vantrelOutOfMemory();
        void* p = std::realloc(items, std::size_t(grown) * sizeof(int32));
        if (p == nullptr) vantrelOutOfMemory();
        items = static_cast<int32*>(p);
        capacity = grown;
    }
    items[top] = v;
}

int lstack::pop() { return items[top--]; }

bool lstack::isEmpty() const { return top == -1; }

void PrintDigits(char* out, int v, int pad) {
    static char buf[9];  // digits of one group, least significant first
    int count = 0;
    while (v > 0 && count < 9) {
        buf[count++] = static_cast<char>('0' + v % 10);
        v /= 10;
    }
    if (pad)
        for (int i = count; i < 9; ++i) out[sIndex++] = '0';
    while (count > 0) out[sIndex++] = buf[--count];
}

namespace {

// Appends the digits of v, left-padded with zeros to `width` when pad is set.
void printChunk(char* out, uint64 v, int width, bool pad) {
    char buf[20];  // digits of one chunk, least significant first
    int count = 0;
    while (v > 0) {
        buf[count++] = static_cast<char>('0' + v % 10);
        v /= 10;
    }
    if (pad)
        for (int i = count; i < width; ++i) out[sIndex++] = '0';
    while (count > 0) out[sIndex++] = buf[--count];
}

}  // namespace

char* mb2Str(mb const& x) {
    int32 n = absLen(x.length);
    while (n > 0 && x.blocks[n - 1] == 0) --n;  // a record with zero top words still prints its value

    // 16 characters per word is ample: a word is worth about 9.63 decimal digits,
    // and the 10 extra leave room for the sign and the terminator.
    std::size_t words = std::size_t(n);
    if (words > (std::numeric_limits<std::size_t>::max() - 10) / 16) vantrelOutOfMemory();
    char* out = allocText(16 * words + 10);

    if (n == 0) {
        out[0] = '0';
        out[1] = '\0';
        return out;
    }
    sIndex = 0;
    if (x.length < 0) out[sIndex++] = '-';
    // Chunks of the value in base 10^19 (10^9 on 32-bit words), least significant
    // first: each pass divides the whole remaining number by the base once.
#if VANTREL_LIMB64
    constexpr int width = 19;
    constexpr uint64 base = 10000000000000000000ull;
    static limbs::LimbBuffer buf, chunks;
    int32 m = limbs::limbsOf(n);
    uint64* a = buf.get(std::size_t(m));
    uint64* c = chunks.get(std::size_t(m) * 2);  // a limb is below 10^38/2: two chunks
    limbs::loadLimbs(a, x.blocks, n);
    int s = limbs::clz64(base);
    uint64 dn = base << s;
    uint64 inv = limbs::reciprocal(dn);
    int32 count = 0;
    while (m > 0) {
        uint64 r = 0;
        for (int32 i = m - 1; i >= 0; --i) {
            // (r * 2^64 + a[i]) * 2^s, whose top limb stays below dn because r < base.
            uint64 l = a[i];
            uint64 hi = s == 0 ? r : (r << s) | (l >> (64 - s));
            uint64 rr;
            a[i] = limbs::div2by1(hi, l << s, dn, inv, rr);
            r = rr >> s;
        }
        c[count++] = r;
        if (a[m - 1] == 0) --m;
    }
#else
    constexpr int width = 9;
    static mb buf, chunks;
    int32 m = n;
    buf.length = n;
    updateWithCare(buf);
    chunks.length = checkedWords(int64(n) * 2);
    updateWithCare(chunks);
    uint32* a = buf.blocks;
    uint32* c = chunks.blocks;
    std::memcpy(a, x.blocks, std::size_t(n) * sizeof(uint32));
    int32 count = 0;
    while (m > 0) {
        uint64 r = 0;
        for (int32 i = m - 1; i >= 0; --i) {
            uint64 cur = (r << 32) | a[i];
            uint64 q = cur / 1000000000u;
            a[i] = static_cast<uint32>(q);
            r = cur - q * 1000000000u;
        }
        c[count++] = static_cast<uint32>(r);
        if (a[m - 1] == 0) --m;
    }
#endif
    printChunk(out, c[count - 1], width, false);
    for (int32 i = count - 2; i >= 0; --i) printChunk(out, c[i], width, true);
    out[sIndex] = '\0';
    return out;
}

void equate(char*& p, mb const& x) { p = mb2Str(x); }
