// The fp class: construction, destruction and assignment, and the precision settings.
#include "fp.h"

#include "fpConv.h"
#include "mbConv.h"
#include "mbMath.h"

int32 blockPrec = 5;
int32 decPrec = 16;

void setBlockPrec(int n) { blockPrec = n; }
int getBlockPrec() { return blockPrec; }
void setDecPrec(int n) { decPrec = n == 0 ? 16 : (n < 0 ? (n == -2147483647 - 1 ? 2147483647 : -n) : n); }
int getDecPrec() { return decPrec; }

fp::fp() : mantissa(), exponent(0) {}

fp::fp(fp const& x) : mantissa(x.mantissa), exponent(x.exponent) {}

fp::~fp() { exponent = 0; }

fp& fp::operator=(fp const& y) {
    if (this == &y) return *this;
    mantissa = y.mantissa;
    exponent = mantissa.length == 0 ? 0 : y.exponent;
    return *this;
}

fp& fp::operator=(mb const& m) {
    myFree(mantissa);
    exponent = 0;
    if (m.length != 0) equate(*this, m);
    return *this;
}

fp::fp(char const* s) : mantissa(), exponent(0) {
    fp t;
    if (fpConvFromString(t, s)) equate(*this, t);
}

fp::fp(double d) : mantissa(), exponent(0) {
    fp t;
    equate(t, d);
    equate(*this, t);
}

fp& fp::operator=(double d) {
    myFree(mantissa);
    exponent = 0;
    if (d == 0.0) return *this;
    fp t;
    equate(t, d);
    equate(*this, t);
    return *this;
}
