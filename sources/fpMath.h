// Floating-point normal form and arithmetic, and the word bit lengths that both
// layers use. Results come first and may alias an operand.
#ifndef VANTREL_FPMATH_H
#define VANTREL_FPMATH_H

#include "fp.h"

int NumBits(unsigned int v);  // 0 for 0, 32 when the top bit is set
int NumBits(int v);           // bit length of |v|; 0 for 0 and for the most negative int

int32 clampExponent(int64 e);  // e held at the ends of the int32 range
int64 topBitOf(fp const& x);   // floor(log2 |x|) as stored, in 64 bits; zero top words skipped
constexpr int64 kZeroTopBit = -(int64(1) << 40);  // topBitOf of a zero, below every value's

// Cuts a mantissa longer than blockPrec words to blockPrec words, left-aligned,
// rounding the magnitude half away from zero at the word boundary.
void fpNormalize(fp& x);

int compare(fp const& x, fp const& y);
void add(fp& z, fp const& x, fp const& y);
void sub(fp& z, fp const& x, fp const& y);
void mul(fp& z, fp const& x, fp const& y);
bool div(fp& z, fp const& x, fp const& y);  // false, z untouched, when y is zero
// z := x / k for a whole k of one word, the same value as div by k as an fp.
bool divByWord(fp& z, fp const& x, uint32 k);
bool power(fp& z, fp const& x, int n);      // false, z zero, when x is zero and n <= 0

// Operand forms: an mb enters with exponent 0, unnormalised; a double through its
// decimal text.
void add(fp& z, fp const& x, mb const& y);
void add(fp& z, mb const& x, fp const& y);
void add(fp& z, fp const& x, double y);
void add(fp& z, double x, fp const& y);
void sub(fp& z, fp const& x, mb const& y);
void sub(fp& z, mb const& x, fp const& y);
void sub(fp& z, fp const& x, double y);
void sub(fp& z, double x, fp const& y);
void mul(fp& z, fp const& x, mb const& y);
void mul(fp& z, mb const& x, fp const& y);
void mul(fp& z, fp const& x, double y);
void mul(fp& z, double x, fp const& y);
bool div(fp& z, fp const& x, mb const& y);
bool div(fp& z, mb const& x, fp const& y);
bool div(fp& z, fp const& x, double y);
bool div(fp& z, double x, fp const& y);

#endif
