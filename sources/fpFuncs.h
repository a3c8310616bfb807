// Functions of fp built on its arithmetic: the binary logarithm's integer part,
// the truncation to a 32-bit integer, rounding to integers, roots, the logarithm
// and exponential, powers, the cached constants, and the circular and hyperbolic
// functions with their inverses.
//
// Value forms start from zero and run the out-parameter form, so an untouched
// target gives 0 there. Every out-parameter form here may alias its operands.
// Below two words of precision the series would lose every addend under one word,
// so each series function works at two words there and cuts its result to one.
#ifndef VANTREL_FPFUNCS_H
#define VANTREL_FPFUNCS_H

#include "fp.h"

int Lg2(fp const& x);        // floor(log2 |x|) of x as stored; 0 for zero
int32 to_long(fp const& x);  // integer part, low word only, no range check

void floor(fp& z, fp const& x);
fp floor(fp const& x);
void ceil(fp& z, fp const& x);
fp ceil(fp const& x);
bool isItInteger(fp const& x);
bool isItEven(fp const& x);  // for integers; zero is left to the caller
void sqr(fp& z, fp const& x);
fp sqr(fp const& x);
void sqrt(fp& z, fp const& x);  // z untouched for x < 0; truncated, about blockPrec words
fp sqrt(fp const& x);
void log(fp& z, fp const& x);   // z untouched for x <= 0
fp log(fp const& x);
void exp(fp& z, fp const& x);   // z untouched when |x| > 1481763716 (result out of range)
fp exp(fp const& x);

// Powers: false when the result is refused (out of range, or a negative base with
// a fractional exponent); z is then zero.
bool pow(fp& z, fp const& x, fp const& y);
fp pow(fp const& x, fp const& y);
bool pow(fp& z, fp const& x, int n);
fp pow(fp const& x, int n);
bool pow(fp& z, fp const& x, double y);
fp pow(fp const& x, double y);
bool pow(fp& z, double x, fp const& y);
fp pow(double x, fp const& y);
void power2(fp& z, int n);  // exactly 2^n
fp power2(int n);

// Constants, computed when blockPrec rises above every precision seen so far and
// otherwise handed out rounded from the kept value.
void ComputeE(fp& z);
void ComputePi(fp& z);
fp Pi();
void ComputeLn2(fp& z);
void ComputeLog_10(fp& z);

// Circular and hyperbolic functions. atan2 takes y first, then x.
void sin(fp& z, fp const& x);
fp sin(fp const& x);
void cos(fp& z, fp const& x);
fp cos(fp const& x);
void tan(fp& z, fp const& x);  // z untouched when cos x comes out zero
fp tan(fp const& x);
void atan(fp& z, fp const& x);
fp atan(fp const& x);
void atan2(fp& z, fp const& y, fp const& x);  // in (-pi, pi]; 0 for y = x = 0
fp atan2(fp const& y, fp const& x);
void asin(fp& z, fp const& x);  // z untouched for |x| > 1
fp asin(fp const& x);
void acos(fp& z, fp const& x);  // z untouched for |x| > 1
fp acos(fp const& x);
void sinh(fp& z, fp const& x);
fp sinh(fp const& x);
void cosh(fp& z, fp const& x);
fp cosh(fp const& x);
void tanh(fp& z, fp const& x);
fp tanh(fp const& x);
void asinh(fp& z, fp const& x);
fp asinh(fp const& x);
void acosh(fp& z, fp const& x);  // z untouched for x < 1
fp acosh(fp const& x);
void atanh(fp& z, fp const& x);  // z untouched for |x| >= 1
fp atanh(fp const& x);

// The factorial of fp: z = Gamma(x + 1), so 0 at the negative integers
// and for x > 8.61e7 - 1. The double forms add the 1 in double.
void factorial(fp& z, fp const& x);
fp factorial(fp const& x);
void factorial(fp& z, double x);
fp factorial(double x);

#endif
