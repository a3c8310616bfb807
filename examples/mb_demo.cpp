// Shows the integer layer at work: a factorial, a division with remainder and a
// balanced residue, printed as hexadecimal words.
#include <cstdio>

#include "mbConv.h"
#include "mbMath.h"
#include "mbMod.h"

static void show(char const* label, mb const& x) {
    std::printf("%-12s %s0x", label, x.length < 0 ? "-" : "");
    int n = x.length < 0 ? -x.length : x.length;
    if (n == 0) std::printf("0");
    for (int i = n - 1; i >= 0; --i) std::printf(i == n - 1 ? "%X" : "%08X", x.blocks[i]);
    std::printf("\n");
}

int main() {
    mb f, k, q, r, m, z;
    init(f, 1);
    for (int i = 2; i <= 30; ++i) {
        init(k, i);
        mul(f, f, k);
        myFree(k);
    }
    show("30!", f);

    mb d;
    init(d, -1000003);
    divRem(q, r, f, d);
    show("30! / -1000003", q);
    show("remainder", r);

    init(m, 12);
    myModulus(z, f, m);
    show("30! mod 12", z);

    mbShiftLeft(z, f, 100);
    show("30! << 100", z);
    std::printf("bits of 30!: %d, ones: %d\n", NumBits(f), mbCountOnes(f));
    myFree(d);
    myFree(m);
    return 0;
}
