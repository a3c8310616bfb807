// Residues of mb: the balanced residue that the decimal layer's normal form relies on.
#include "mbMod.h"

#include "mbConv.h"
#include "mbMath.h"

void myModulus(mb& z, mb const& x, mb const& m) {
    static mb temp, nn, r;
    if (m.length == 0) return;
    if (x.length == 0) {
        z = 0;
        return;
    }
    equateWithCare(nn, m);
    if (nn.length < 0) nn.length = -nn.length;
    divRem(temp, r, x, nn);
    // Shift the truncating remainder into 1..n for a negative x, also when it is 0.
    if (x.length < 0) add(r, r, nn);
    if (nn.length == 1 && nn.blocks[0] == 2) {
        mb two;
        long32tomb(two, 2);
        divRem(temp, r, r, two);
    } else {
        mb half;
        mbShiftRight(half, nn, 1);
        if (compare(r, half) > 0) sub(r, r, nn);
    }
    equate(z, r);
}
