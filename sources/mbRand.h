// Random mb integers built one bit at a time from the library's generator: a
// number of a given bit length, and a number below a bound.
#ifndef VANTREL_MBRAND_H
#define VANTREL_MBRAND_H

#include "mb.h"

// z := a random number of exactly `bits` bits (top bit set), drawing bits - 1 values,
// most significant first. False for bits < 1, z untouched.
bool mbRandom(mb& z, int bits);

// z := a random number with 0 <= z < n by a walk down the set bits of n; uniform for
// powers of two and some other n (3, 6, 7), not in general. False for n <= 0, z
// untouched. z may be n.
bool mbRandom(mb& z, mb const& n);

#endif
