// Additive lagged-Fibonacci generator (Mitchell-Moore, lags 24 and 55) on 64-bit entries
// kept as word pairs, high word first, with its seeding from a 32-bit shift register.
#include "newRandom.h"

#include <climits>

#include "myTypedef.h"

namespace {

// Entry e is the pair MMSeq[2e] (high) and MMSeq[2e + 1] (low).
uint32 MMSeq[110];
int j = 0;  // word index of the entry added in
int k = 0;  // word index of the entry updated and returned; 31 entries above j, mod 55
double scale1 = 0.0;
double scale2 = 0.0;
bool isSeeded = false;

inline int stepDown(int index) { return index == 0 ? 108 : index - 2; }

}  // namespace

unsigned int clockSeed(std::tm const* local, std::time_t now) {
    uint32 seed;
    if (local != nullptr) {
        // Casts of the int fields wrap modulo 2^32, so odd values cannot overflow.
        seed = static_cast<uint32>(local->tm_sec) + 60u * static_cast<uint32>(local->tm_min) +
               3600u * static_cast<uint32>(local->tm_hour) + 86400u * static_cast<uint32>(local->tm_mday) +
               2592000u * static_cast<uint32>(local->tm_mon) + 31104000u * static_cast<uint32>(local->tm_year);
    } else {
        seed = static_cast<uint32>(static_cast<uint64>(now));
    }
    // The register forgets bit 31 on its first step; with bits 0-30 all zero every entry
    // would be 0 and every draw 0.0.
    if ((seed & 0x7FFFFFFFu) == 0) seed |= 1u;
    return seed;
}

void InitArray(unsigned int seed) {
    uint32 s = seed;
    if (s == 0) {
        std::time_t now = std::time(nullptr);
        s = clockSeed(std::localtime(&now), now);
    }
    for (int i = 0; i < 220; ++i) {
        for (int step = 0; step < 16; ++step) {
            uint32 f = ((s >> 30) ^ (s >> 27)) & 1u;
            s = (s << 1) | f;
        }
        uint32 h = s >> 16;
        if (i % 2 == 0)
            MMSeq[i / 2] = h;
        else
            MMSeq[i / 2] |= h << 16;
    }
    j = 46;
    k = 108;
    scale1 = 1.0 / 4294967296.0;
    scale2 = scale1 * scale1;
    isSeeded = true;
}

double randNum() {
    if (!isSeeded) InitArray(0);
    uint32 low = MMSeq[k + 1] + MMSeq[j + 1];
    uint32 carry = low < MMSeq[j + 1] ? 1u : 0u;
    MMSeq[k + 1] = low;
    MMSeq[k] = MMSeq[k] + MMSeq[j] + carry;
    // Both products are exact; the sum is rounded once.
    double r = MMSeq[k] * scale1 + MMSeq[k + 1] * scale2;
    j = stepDown(j);
    k = stepDown(k);
    return r;
}

int randNFrom(int n, double r) {
    double v = n * r + 1.0;
    // Only n = INT_MAX with a draw at or next to 1.0 gets here; converting such a value
    // to int would be undefined.
    if (v >= 2147483648.0) return INT_MAX;
    if (v <= -2147483649.0) return INT_MIN;
    return static_cast<int>(v);
}

int randN(int n) { return randNFrom(n, randNum()); }
