// Exact decimal numbers: an mb mantissa times a power of ten, kept in one normal form.
// Addition, subtraction, multiplication and comparison are exact; division, powers and
// the bridge from fp round to globalBitPrecision / 4 significant digits.
//
// The globals below start as zero. A program that computes with DecData without the
// plug-in sets what the plug-in entry sets before the first operation: 32 digits
// (globalBitPrecision 128), blockPrec 5, scale 5, ten 10 and five 5; decSetStartValues()
// does exactly that.
#ifndef VANTREL_DECMATH_H
#define VANTREL_DECMATH_H

#include <cstdint>

#include "fp.h"
#include "mb.h"

// Value = mantissa * 10^exponent. Normal form: zero has exponent 0, any other mantissa
// is not a multiple of ten. Every value the layer produces is in normal form; readers
// accept any form.
struct DecData {
    mb mantissa;
    int32 exponent = 0;
};

extern mb ten;                    // 10 once set
extern mb five;                   // 5 once set
extern int32 globalBitPrecision;  // four bits per significant digit of rounded results
extern int32 scale;               // decimal places of getString

// The plug-in entry's start values: globalBitPrecision 128, blockPrec 5, scale 5,
// ten 10, five 5.
void decSetStartValues();

// Exact results are refused, with the target left as it was, when they would need
// more than this many decimal digits (estimated from the bit length, so the refusal
// may come a digit or two early) or an exponent outside the int32 range. The bound
// keeps the quadratic digit work of one call to a fraction of a second.
constexpr int64 kMaxDecDigits = 200000;
// Past this precision (globalBitPrecision / 4 digits) nothing goes through fp: a division
// there would take minutes to hours (its time grows with the square of the digits), and
// from 2^25 words on fp cannot even hold such values. Division, DecToRR (and so every
// function) are refused; powers only where exact (a whole exponent, kMaxDecDigits digits).
constexpr int64 kMaxFpDigits = 10000000;
bool fpWorkFits();  // globalBitPrecision / 4 <= kMaxFpDigits

void init(DecData& d);    // raw storage to zero; nothing released
void myFree(DecData& d);  // releases the words; zero, usable again

// r = a + b, a - b, a * b, exact, normal form. r may be a or b or both.
// false: refused as above, r unchanged.
bool addDec(DecData& r, DecData const& a, DecData const& b);
bool subDec(DecData& r, DecData const& a, DecData const& b);
bool mulDec(DecData& r, DecData const& a, DecData const& b);
// -1, 0 or 1; exact for any exponents, without aligning beyond the operands' size.
int compareDecToDec(DecData const& a, DecData const& b);

// Fixed-point text rounded half away from zero to `scale` places (malloc; the caller
// frees). A negative value that rounds to zero keeps its "-" when its magnitude cut to
// scale + 1 places is not zero. A negative scale rounds to a multiple of 10^-scale and
// prints the integer with a trailing point ("1200." for 1234.5 at scale -2).
// nullptr when the text would need more than kMaxDecDigits digits.
char* getString(DecData const& d);
// Exact text: mantissa digits, "e", exponent (15e-1 for 1.5, 0e0 for zero). malloc.
char* getString2(DecData const& d);
// Reads a number text; true when accepted, d then in normal form. Refused: a text
// outside the syntax, an exponent part of more than 15 digits, an exponent that
// leaves the int32 range, more than kMaxDecDigits significant digits.
bool getDec_Str(DecData& d, char const* s);
// d = x rounded to 14 significant digits (its "%.13e" text); NaN, infinities and
// -0.0 give zero. The point is read whatever the locale.
void getDec_d(DecData& d, double x);
// The value as a double: the mantissa's double times 10^exponent where both and their
// product are normal doubles, otherwise the correctly rounded double of the exact value.
double getDouble_Dec(DecData const& d);

// The power of ten that getDouble_Dec takes from the platform's library, as each plug-in
// does: pow on Windows, exp10 in the 32-bit macOS one, whose data model the i386 build
// reproduces. The x86-64 development build goes with Windows. They may differ in the last bit.
#if defined(_WIN32)
#define VANTREL_POW10_BY_EXP10 0
#elif defined(__APPLE__) || UINTPTR_MAX == 0xFFFFFFFFu
#define VANTREL_POW10_BY_EXP10 1
#else
#define VANTREL_POW10_BY_EXP10 0
#endif
double powerOfTen(double e);
// Compares a with the 14-digit decimal image of x (getDec_d).
int compareDecToDouble(DecData const& a, double x);
// d = c / 10000 exactly.
void getDec_Curr(DecData& d, long long c);
// out = d * 10000 rounded half away from zero; false, out untouched, when it does not
// fit 64 bits.
bool getCurr_Dec(long long& out, DecData const& d);

// r = a / b to N = globalBitPrecision / 4 significant digits (zero for N <= 0): the
// mantissas' quotient formed in fp at blockPrec words, then rounded half away from zero,
// so a quotient within that division's error of a midpoint may round the other way
// (at one digit, 44999999999997 / 3 gives 2e13). false, r unchanged, for a zero b or an
// exponent outside the int32 range.
bool divDec(DecData& r, DecData const& a, DecData const& b);
// Whether d lies within the reach of fp's binary exponent (about 10^+-600000000).
bool fpReaches(DecData const& d);
// x = d as an fp of blockPrec words. false, and x zero, when d lies beyond that reach or
// past kMaxFpDigits.
bool DecToRR(fp& x, DecData const& d);
// DecToRR at any precision setting: only the reach refuses.
bool toFp(fp& x, DecData const& d);
// Whether y is an integer, read exactly on the decimal, and if so its parity.
enum class Parity { NotInteger, Even, Odd };
Parity parityOf(DecData const& y);
// d = x to N significant digits, normal form.
void RRtoDec(DecData& d, fp const& x);

// r = a^b through fp. The fp power's truth value; r is stored either way (zero when the
// power is refused, or when an operand is beyond fp's reach: then false too).
bool pow(DecData& r, DecData const& a, DecData const& b);
bool pow(DecData& r, DecData const& a, double y);
bool pow(DecData& r, double x, DecData const& b);
bool pow(DecData& r, DecData const& a, int n);
DecData pow(DecData const& a, DecData const& b);
DecData pow(DecData const& a, double y);
DecData pow(double x, DecData const& b);
DecData pow(DecData const& a, int n);

#endif
