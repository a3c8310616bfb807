// Random mb integers: a number of a given bit length and a number below a bound, each bit
// one draw of randN(2) - 1 from the generator of newRandom.
#include "mbRand.h"

#include "fpMath.h"
#include "mbConv.h"
#include "mbMath.h"
#include "newRandom.h"

namespace {

// Sets (value not 0) or clears bit `bit` of magnitude word `word`; no bounds check.
inline void insertBit(mb& z, int value, int bit, int word) {
    uint32 mask = uint32(1) << (static_cast<unsigned>(bit) & 31u);
    if (value != 0)
        z.blocks[word] |= mask;
    else
        z.blocks[word] &= ~mask;
}

// A fresh random value for every bit from bit `bit` of word `word` down to bit 0 of
// word 0, most significant first. A negative `bit` gives the first word no bits.
void randSetClear(mb& z, int bit, int word) {
    for (int w = word; w >= 0; --w)
        for (int b = (w == word ? bit : 31); b >= 0; --b) insertBit(z, randN(2) - 1, b, w);
}

// Index of the top set bit of a nonzero word.
inline int highestBit(uint32 v) { return NumBits(static_cast<unsigned int>(v)) - 1; }

int lowestBit(uint32 v) {
    int b = 0;
    while (((v >> b) & 1u) == 0) ++b;
    return b;
}

// Moves (word, bit) to the next lower set bit of x; false when there is none.
bool nextLowerBit(mb const& x, int32& word, int& bit) {
    uint32 v = bit > 0 ? x.blocks[word] & ((uint32(1) << bit) - 1u) : 0u;
    while (v == 0) {
        if (word == 0) return false;
        --word;
        v = x.blocks[word];
    }
    bit = highestBit(v);
    return true;
}

// Clears bit (word, bit) of z and draws every bit below it.
void clearAndDraw(mb& z, int bit, int32 word) {
    insertBit(z, 0, bit, word);
    randSetClear(z, bit - 1, word);
}

}  // namespace

bool mbRandom(mb& z, int bits) {
    if (bits < 1) return false;
    int32 words = bits / 32 + (bits % 32 != 0 ? 1 : 0);  // no bits + 31: bits may be INT_MAX
    int top = bits % 32 == 0 ? 31 : bits % 32 - 1;
    z.length = words;
    update(z);
    // The bit walk reads every word it changes, so the fresh words start at 0.
    for (int32 i = 0; i < words - 1; ++i) z.blocks[i] = 0;
    z.blocks[words - 1] = uint32(1) << top;
    randSetClear(z, top - 1, words - 1);
    return true;
}

bool mbRandom(mb& z, mb const& n) {
    if (n.length <= 0) return false;
    // The bound is kept apart so that z may be n.
    static mb bound;
    equateWithCare(bound, n);
    mbNormalize(bound);
    if (bound.length == 0) return false;  // zero top words only: the value zero

    int32 highWord = bound.length - 1;
    int highBit = highestBit(bound.blocks[highWord]);
    int32 lowWord = 0;
    while (bound.blocks[lowWord] == 0) ++lowWord;
    int lowBit = lowestBit(bound.blocks[lowWord]);

    equate(z, bound);
    if (highWord == lowWord && highBit == lowBit) {
        // A power of two: every bit below the top is a fair coin.
        clearAndDraw(z, highBit, highWord);
        mbNormalize(z);
        return true;
    }
    for (;;) {
        // z equals n here: a walk that keeps every bit leaves it so.
        int32 word = highWord;
        int bit = highBit;
        for (;;) {
            if (word == lowWord && bit == lowBit) {
                if (randN(2) == 1) clearAndDraw(z, bit, word);
                break;
            }
            if (randN(2) == 1) {
                clearAndDraw(z, bit, word);
                break;
            }
            nextLowerBit(bound, word, bit);
        }
        mbNormalize(z);
        if (compare(z, bound) != 0) return true;
    }
}
