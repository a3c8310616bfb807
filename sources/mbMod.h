// Residues of mb: the balanced residue, modular powers and inverses, and the
// Miller-Rabin primality test.
#ifndef VANTREL_MBMOD_H
#define VANTREL_MBMOD_H

#include "mb.h"

// Balanced residue of x modulo |m| in (-|m|/2, |m|/2]; modulo 2 it is 0 or 1.
// m = 0 leaves z untouched.
void myModulus(mb& z, mb const& x, mb const& m);
// The same with the integer part of m; m <= 0 or x = 0 gives 0, and 0 < m < 1
// (an integer part of 0) leaves z untouched.
void myModulus(mb& z, mb const& x, double m);

// z := x^e reduced by truncating remainders modulo m, e = y * 2^n for n >= 0 and
// floor(y / 2^|n|) for n < 0. y < 0 leaves z untouched; m <= 0 or m = 1 gives 0;
// x = y = 0 gives 0.
void powerMod(mb& z, mb const& x, mb const& y, int n, mb const& m);
// The same into a static result that the next call overwrites; 0 where the
// out-parameter form leaves its target untouched.
mb& powerMod(mb const& x, mb const& y, int n, mb const& m);

// One trial with a random base: true when it proves n composite. n < 2 gives true.
bool Miller_Rabin(mb const& n);
// False for n <= 1; otherwise true when n passes k trials.
bool isItPrime(mb const& n, int k);

// z := the inverse of x modulo |m| as a balanced residue; false, z untouched, when
// none exists. m = 0 gives false with z = x; x = 1 gives 1 for any m.
bool invMod(mb& z, mb const& x, mb const& m);

#endif
