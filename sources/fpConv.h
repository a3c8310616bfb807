// Copies of fp, setters from integers, and conversions of fp to and from decimal
// text, double and integers.
#ifndef VANTREL_FPCONV_H
#define VANTREL_FPCONV_H

#include "fp.h"

bool init(fp& x);                // zero, nothing released
bool init(fp& x, int n);         // normalised; for a fresh target (a held array is not released)
bool init(fp& x, long long n);   // normalised
void long32tofp(fp& x, int32 n);  // not normalised; for a fresh target (a held array is not released)
void long64tofp(fp& x, int32 n);  // not normalised; n is 32-bit, widened
void equate(fp& z, fp const& x);
void equateWithCare(fp& z, fp const& x);
void myFree(fp& x);
void equate(fp& z, mb const& m);  // mantissa copy, exponent 0, not normalised
fp abs(fp const& x);

// Decimal text: optional sign, digits with at most one point, optional exponent
// after E or e. checkInputString tests the syntax alone.
bool checkInputString(char const* s);
// z := M x 10^e10 at blockPrec + 1 words (not blockPrec): the power of ten is itself
// rounded during the powering, then the product once, so the result is within a
// few units of the last place of blockPrec + 1 words. Refused:
// bad syntax, no mantissa digit, an exponent outside int, or a text whose
// |e10| + mantissa digits exceeds kMaxDecimalSpan.
bool fpConvFromString(fp& z, char const* s);
constexpr int64 kMaxDecimalSpan = 323228496;  // floor(2^30 / log2 10)
bool init(fp& x, char const* s);    // fresh target; normalised; zero when refused
bool equate(fp& x, char const* s);  // releases x's words, then as init
// A double enters through its "%.17e" text (18 significant digits), never bit by bit.
bool init(fp& x, double d);         // fresh target; false and zero for inf and NaN
bool equate(fp& x, double d);       // releases x's words, then as init

void equate(mb& z, fp const& x);    // integer part, cut toward zero
// x exactly as an int: true for zero and for integers with |x| <= 2^31 - 1. A value
// refused only for its fraction leaves its integer part in v; otherwise v is 0.
bool equate(int& v, fp const& x);

// Exactly nDigits significant digits of x rounded half up, trailing zeros dropped,
// as text D (malloc, "-" for negative x): x is about D x 10^e10. "0" for zero
// or nDigits <= 0.
char* fpToStr2(int& e10, fp const& x, int nDigits);
// The same digits as the integer m (signed, 0 for zero), with the same e10.
void fpToDecimal(int& e10, mb& m, fp const& x, int nDigits);

// Text for people: n significant digits, fixed or exponent notation (malloc, the
// caller frees); "0" for zero or n <= 0.
char* fpToStr(fp const& x, int n);
void equate(char*& s, fp const& x, int n);  // s := fpToStr(x, n)
// x as a double through its 16-digit text; false (and 0.0) when that text reads as nothing.
bool equate(double& d, fp const& x);
// e^x as decimal text "MeX" (malloc): mantissa digits, the letter e, a plain exponent.
char* GetNumberFromLog(fp const& x);

#endif
