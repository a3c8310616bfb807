// Residues of mb: the balanced residue the decimal layer relies on, modular powers
// and inverses, and the Miller-Rabin primality test.
#include "mbMod.h"

#include "mbConv.h"
#include "mbMath.h"
#include "mbRand.h"

namespace {

inline bool isZero(mb const& x) { return effLen(x) == 0; }

inline bool isNeg(mb const& x) { return x.length < 0 && !isZero(x); }

// a := a * b truncated modulo m.
void mulRem(mb& a, mb const& b, mb const& m, mb& scratch) {
    mul(a, a, b);
    divRem(scratch, a, a, m);
}

}  // namespace

void myModulus(mb& z, mb const& x, mb const& m) {
    static mb temp, nn, r, half;
    if (isZero(m)) return;
    if (isZero(x)) {
        z = 0;
        return;
    }
    equateWithCare(nn, m);
    if (nn.length < 0) nn.length = -nn.length;
    divRem(temp, r, x, nn);
    // Shift the truncating remainder into 1..n for a negative x, also when it is 0,
    // then fold the upper half down. Modulo 2 this leaves 0 or 1, as it must.
    if (x.length < 0) add(r, r, nn);
    mbShiftRight(half, nn, 1);
    if (compare(r, half) > 0) sub(r, r, nn);
    equate(z, r);
}

void powerMod(mb& z, mb const& x, mb const& y, int n, mb const& m) {
    if (isNeg(y)) return;
    bool xZero = isZero(x), yZero = isZero(y);
    if (isZero(m) || isNeg(m) || (xZero && yZero) || compare(m, mbOne()) == 0) {
        z = 0;
        return;
    }
    if (yZero || compare(x, mbOne()) == 0) {
        equate(z, mbOne());
        return;
    }
    if (xZero) {
        z = 0;
        return;
    }
    mb e(y), base, q, r;
    divRem(q, base, x, m);
    if (n > 0) {
        for (int i = 0; i < n; ++i) mulRem(base, base, m, q);
    } else if (n < 0) {
        mbShiftRight(e, e, n);
        if (isZero(e)) {
            equate(z, mbOne());
            return;
        }
    }
    equate(r, mbOne());
    // Bits above the exponent's top set bit would only square an unused base.
    int bits = NumBits(e);
    for (int i = 0; i < bits; ++i) {
        if (mbGetBit(e, i)) mulRem(r, base, m, q);
        if (i + 1 < bits) mulRem(base, base, m, q);
    }
    equate(z, r);
}

mb& powerMod(mb const& x, mb const& y, int n, mb const& m) {
    static mb z;
    // Computed apart from z: an operand may be the previous result (nested calls).
    mb r;
    powerMod(r, x, y, n, m);
    equate(z, r);
    return z;
}

bool Miller_Rabin(mb const& n) {
    mb two;
    long32tomb(two, 2);
    if (compare(n, two) < 0) return true;  // nothing below 2 is prime
    mb w, a, d, x, minusOne, sq;
    sub(w, n, mbOne());
    mbRandom(a, w);
    add(a, a, mbOne());
    equate(d, w);
    int s = 0;
    while (isItEven(d)) {
        mbShiftRight(d, d, 1);
        ++s;
    }
    powerMod(x, a, d, 0, n);
    if (compare(x, mbOne()) == 0) return false;
    long32tomb(minusOne, -1);
    for (int i = 0; i < s; ++i) {
        // The squares come back balanced, where n - 1 shows as -1.
        if (compare(x, w) == 0 || compare(x, minusOne) == 0) return false;
        mul(sq, x, x);
        myModulus(x, sq, n);
    }
    return true;
}

bool isItPrime(mb const& n, int k) {
    if (compare(n, mbOne()) <= 0) return false;
    for (int i = 0; i < k; ++i)
        if (Miller_Rabin(n)) return false;
    return true;
}

bool invMod(mb& z, mb const& x, mb const& m) {
    if (compare(x, mbOne()) == 0) {
        equate(z, mbOne());
        return true;
    }
    mb t(x), s = abs(m), q, r, a, b, temp, mm(m);
    if (isZero(s)) {
        equate(z, t);
        return false;
    }
    if (isNeg(t)) {
        // The smallest nonnegative value congruent to x, as adding |m| until it
        // is nonnegative would give, in one division.
        divRem(q, r, t, s);
        if (isZero(r))
            t = 0;
        else
            add(t, r, s);
    }
    equate(b, mbOne());
    while (!isZero(t)) {
        divRem(q, r, s, t);
        equate(s, t);
        equate(t, r);
        mul(temp, b, q);
        sub(temp, a, temp);
        myModulus(temp, temp, mm);
        equate(a, b);
        equate(b, temp);
    }
    if (compare(s, mbOne()) != 0) return false;
    equate(z, a);
    return true;
}

void myModulus(mb& z, mb const& x, double m) {
    static mb nt;
    if (m <= 0 || isZero(x)) {
        z = 0;
        return;
    }
    equate(nt, m);
    if (isZero(nt)) return;  // 0 < m < 1: a zero modulus is refused
    myModulus(z, x, nt);
}
