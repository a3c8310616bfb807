// Decimal text of mb: repeated one-word division by 10^9 yields nine digits per
// pass; the base-10^9 digits wait on a stack and are printed from the top.
#include "mb2Str.h"

#include <cstdlib>
#include <limits>

#include "mbConv.h"
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

char* mb2Str(mb const& x) {
    static mb xt;
    static lstack S;
    equate(xt, x);
    mbNormalize(xt);  // a record with zero top words still prints its value
    bool negative = xt.length < 0;
    if (negative) xt.length = -xt.length;

    // 16 characters per word is ample: a word is worth about 9.63 decimal digits,
    // and the 10 extra leave room for the sign and the terminator.
    std::size_t words = std::size_t(xt.length);
    if (words > (std::numeric_limits<std::size_t>::max() - 10) / 16) vantrelOutOfMemory();
    char* out = static_cast<char*>(std::malloc(16 * words + 10));
    if (out == nullptr) vantrelOutOfMemory();

    if (xt.length == 0) {
        out[0] = '0';
        out[1] = '\0';
        return out;
    }
    sIndex = 0;
    if (negative) out[sIndex++] = '-';
    while (xt.length != 0) S.push(mbShortDiv(xt, xt, 1000000000u));
    PrintDigits(out, S.pop(), 0);
    while (!S.isEmpty()) PrintDigits(out, S.pop(), 1);
    out[sIndex] = '\0';
    return out;
}

void equate(char*& p, mb const& x) { p = mb2Str(x); }
