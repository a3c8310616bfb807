// Integer arithmetic on mb: storage primitives, comparison, the ring operations,
// shifts, division, and bit-level operations. Results come first and may alias operands.
#ifndef VANTREL_MBMATH_H
#define VANTREL_MBMATH_H

#include "mb.h"

// Word counts: |length|, and the words in use once zero top words are ignored
// (a record not in normal form still counts as its value; 0 for zero).
inline int32 absLen(int32 len) { return len < 0 ? -len : len; }
inline int32 effLen(mb const& x) {
    int32 n = absLen(x.length);
    while (n > 0 && x.blocks[n - 1] == 0) --n;
    return n;
}

// Storage. Writers set `length` (with sign), call update/updateWithCare, fill every word.
void update(mb& x);          // fresh array of exactly |length| words; length 0 releases it
void updateWithCare(mb& x);  // as update, but keeps an array that is large enough
void mbNormalize(mb& x);     // drops zero top words; zero releases the array
void myFree(mb& x);          // release and clear; harmless when repeated
mb abs(mb const& x);

// Comparison: 1, 0 or -1.
int mbCompareAbs(mb const& x, mb const& y);
int compare(mb const& x, mb const& y);

// Ring operations. One zero operand yields an unchanged copy of the other.
void add(mb& z, mb const& x, mb const& y);
void sub(mb& z, mb const& x, mb const& y);
void mul(mb& z, mb const& x, mb const& y);
void mulByScalarAbs(mb& z, mb const& x, unsigned int a);  // z := x * a, sign of x

// Scalar operand forms: an int or double becomes an mb cut toward zero (a double
// through its 18-digit decimal text), then the mb form runs.
void add(mb& z, mb const& x, int y);
void add(mb& z, int x, mb const& y);
void add(mb& z, mb const& x, double y);
void add(mb& z, double x, mb const& y);
void sub(mb& z, mb const& x, int y);
void sub(mb& z, int x, mb const& y);
void sub(mb& z, mb const& x, double y);
void sub(mb& z, double x, mb const& y);
void mul(mb& z, mb const& x, int y);
void mul(mb& z, int x, mb const& y);
void mul(mb& z, mb const& x, double y);
void mul(mb& z, double x, mb const& y);

// Shifts act on the magnitude and keep the sign; the count is taken by magnitude.
void mbShiftLeft(mb& z, mb const& x, int n);
void mbShiftRight(mb& z, mb const& x, int n);
// Shifts until the top word's top bit is set and returns the shift. Zero top words
// count in the shift; a record with so many of them that the count would pass
// INT_MAX is normalised first, and only the top word's leading zeros count.
int alignLeft(mb& x);

// Division truncates toward zero; a remainder has the sign of the dividend.
// mbShortDiv returns |x| mod |y| as an unsigned word value, or 0 with q untouched
// when y is zero or longer than one word.
int mbShortDiv(mb& q, mb const& x, mb const& y);
int mbShortDiv(mb& q, mb const& x, unsigned int y);
bool div(mb& q, mb const& x, mb const& y);                  // false only for y = 0
bool divRem(mb& q, mb& r, mb const& x, mb const& y);       // false only for y = 0
bool div(mb& q, mb const& x, int y);
bool div(mb& q, int x, mb const& y);
bool div(mb& q, mb const& x, double y);
bool div(mb& q, double x, mb const& y);
bool divRem(mb& q, mb& r, mb const& x, int y);
bool divRem(mb& q, mb& r, int x, mb const& y);
bool divRem(mb& q, mb& r, mb const& x, double y);
bool divRem(mb& q, mb& r, double x, mb const& y);

// One-word bit helpers.
int countOnes(unsigned int v);
int compareBitsUINT32(unsigned int a, unsigned int b, int n);  // agreeing bits 0..clamp(n,0,31)
int getBit(unsigned int v, int i);
unsigned int clearBit(unsigned int v, int i);
unsigned int setBit(unsigned int v, int i);

// Reading bits: the magnitude is read, the sign ignored.
int NumBits(mb const& x);  // 1 for zero; past INT_MAX bits ends the process as a failed allocation
int mbGetBit(mb const& x, int i);
// Number of bit positions in [from, to] where x and y agree; 0 for from < 0 or from > to.
int mbCompareBits(mb const& x, mb const& y, int from, int to);
int mbCountOnes(mb const& x);  // held at INT_MAX
bool isItEven(mb const& x);
int Lg2(mb const& x);  // floor(log2 |x|); -1 for zero

// Two's-complement logic: negative operands become 2^(32k) - |x| on the wider
// operand's word count k; results are the nonnegative pattern.
mb twosComplement(mb const& x, int w);  // sign of x ignored; w is a minimum word count
mb twosComplement(mb const& x);
mb mbAnd(mb const& x, mb const& y);
mb mbOr(mb const& x, mb const& y);
mb mbXor(mb const& x, mb const& y);
mb mbAnd(mb const& x, int n);
mb mbOr(mb const& x, int n);
mb mbXor(mb const& x, int n);
// Bit i of the pattern set, cleared or flipped. i < 0 gives a copy of x. A negative
// x gives the nonnegative two's-complement pattern (mbClearBit: x itself when that
// bit is already 0).
mb mbSetBit(mb const& x, int i);
mb mbClearBit(mb const& x, int i);
mb mbFlipBit(mb const& x, int i);

mb const& mbOne();  // the constant 1, built on first use

// 64 where the product and the divisions run on 64-bit limbs, 32 on the 32-bit code.
int mbKernelBits();

// Roots, powers and number theory. Value forms start from zero and drop the truth value.
void sqrt(mb& z, mb const& x);  // floor root; z untouched for x < 0
mb sqrt(mb const& x);
bool isItSquare(mb& r, mb const& x);  // r = root when x is a square, else 0
void sqr(mb& z, mb const& x);
mb sqr(mb const& x);
void log(double& v, mb const& x);  // natural logarithm; v untouched for x <= 0
double log(mb const& x);           // 0 for x <= 0
bool power(mb& z, mb const& x, int n);        // negative n gives 0 (true unless x = 0); x = 1 gives 1
bool power(mb& z, mb const& x, mb const& y);  // false, z untouched, when y does not fit an int
mb power(mb const& x, int n);
mb power(mb const& x, mb const& y);
void gcd(mb& z, mb const& x, mb const& y);  // never negative; gcd(0, 0) = 0
mb gcd(mb const& x, mb const& y);
// aX + bY = G; G may be negative when a or b is. X, Y and G must be distinct objects.
void extendedGCD(mb& X, mb& Y, mb& G, mb const& a, mb const& b);
void nthRoot(mb& z, mb const& x, int n);  // sign(x) floor(|x|^(1/n)); 0 for n <= 0 or an even root of x < 0
mb nthRoot(mb const& x, int n);
void factorial(mb& z, mb const& n);  // z untouched for n < 0
mb factorial(mb const& n);
bool binomial(mb& z, mb const& n, mb const& k);  // false and z = 0 for n < 0, k < 0 or n < k
bool binomial(mb& z, mb const& n, int k);
bool binomial(mb& z, int n, mb const& k);
bool binomial(mb& z, int n, int k);
mb binomial(mb const& n, mb const& k);
mb binomial(mb const& n, int k);
mb binomial(int n, mb const& k);
mb binomial(int n, int k);

#endif
