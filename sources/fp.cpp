// The fp class: construction, destruction, assignment and the operators that
// forward to the arithmetic, the stream operators, and the precision settings.
#include "fp.h"

#include <cstdlib>
#include <iostream>

#include "fpConv.h"
#include "fpMath.h"
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

fp::fp(fp&& x) noexcept : mantissa(static_cast<mb&&>(x.mantissa)), exponent(x.exponent) { x.exponent = 0; }

fp::~fp() = default;

fp& fp::operator=(fp const& y) {
    if (this == &y) return *this;
    mantissa = y.mantissa;
    exponent = mantissa.length == 0 ? 0 : y.exponent;
    return *this;
}

fp& fp::operator=(fp&& y) noexcept {
    if (this != &y) {
        mantissa = static_cast<mb&&>(y.mantissa);
        exponent = mantissa.length == 0 ? 0 : y.exponent;
        y.exponent = 0;
    }
    return *this;
}

// equate copies in place and does nothing for x = x.mantissa, so that case keeps its value.
fp& fp::operator=(mb const& m) {
    equate(*this, m);
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

// ---- operators ----

#define VANTREL_BINARY(sym, fn, T)          \
    fp fp::operator sym(T y) {              \
        fp z;                               \
        fn(z, *this, y);                    \
        return z;                           \
    }                                       \
    fp fp::operator sym(T y) const {        \
        fp z;                               \
        fn(z, *this, y);                    \
        return z;                           \
    }                                       \
    fp& fp::operator sym##=(T y) {          \
        fn(*this, *this, y);                \
        return *this;                       \
    }

VANTREL_BINARY(+, add, fp const&)
VANTREL_BINARY(-, sub, fp const&)
VANTREL_BINARY(*, mul, fp const&)
VANTREL_BINARY(/, div, fp const&)
VANTREL_BINARY(+, add, mb const&)
VANTREL_BINARY(-, sub, mb const&)
VANTREL_BINARY(*, mul, mb const&)
VANTREL_BINARY(/, div, mb const&)
VANTREL_BINARY(+, add, double)
VANTREL_BINARY(-, sub, double)
VANTREL_BINARY(*, mul, double)
VANTREL_BINARY(/, div, double)
#undef VANTREL_BINARY

namespace {

inline fp negated(fp const& x) {
    fp z;
    equate(z, x);
    z.mantissa.length = -z.mantissa.length;
    return z;
}

}  // namespace

fp& fp::operator<<(int n) {
    exponent = clampExponent(int64(exponent) + n);  // held at the ends of the range
    return *this;
}

fp& fp::operator>>(int n) {
    exponent = clampExponent(int64(exponent) - n);
    return *this;
}

fp& fp::operator++() {
    add(*this, *this, 1.0);
    return *this;
}

fp& fp::operator--() {
    sub(*this, *this, 1.0);
    return *this;
}

void fp::operator++(int) { add(*this, *this, 1.0); }
void fp::operator--(int) { sub(*this, *this, 1.0); }

fp fp::operator-() { return negated(*this); }
fp fp::operator-() const { return negated(*this); }
bool fp::operator!() { return mantissa.length == 0; }
bool fp::operator!() const { return mantissa.length == 0; }

namespace {
inline fp asFp(mb const& y) {
    fp t;
    equate(t, y);
    return t;
}
inline fp asFp(double y) {
    fp t;
    equate(t, y);
    return t;
}
}  // namespace

// A scalar operand is converted into a local fp for the comparison.
#define VANTREL_COMPARE(sym, test, T)                                           \
    bool fp::operator sym(T y) { return compareTo(*this, y) test; }            \
    bool fp::operator sym(T y) const { return compareTo(*this, y) test; }

namespace {
inline int compareTo(fp const& x, fp const& y) { return compare(x, y); }
inline int compareTo(fp const& x, mb const& y) { return compare(x, asFp(y)); }
inline int compareTo(fp const& x, double y) { return compare(x, asFp(y)); }
}  // namespace

#define VANTREL_COMPARE_ALL(T)        \
    VANTREL_COMPARE(>, == 1, T)       \
    VANTREL_COMPARE(>=, != -1, T)     \
    VANTREL_COMPARE(==, == 0, T)      \
    VANTREL_COMPARE(!=, != 0, T)      \
    VANTREL_COMPARE(<=, != 1, T)      \
    VANTREL_COMPARE(<, == -1, T)

VANTREL_COMPARE_ALL(fp const&)
VANTREL_COMPARE_ALL(mb const&)
VANTREL_COMPARE_ALL(double)
#undef VANTREL_COMPARE_ALL
#undef VANTREL_COMPARE

#define VANTREL_SCALAR_LEFT(sym, fn, T)      \
    fp operator sym(T a, fp const& y) {      \
        fp t = asFp(a), z;                   \
        fn(z, t, y);                         \
        return z;                            \
    }

VANTREL_SCALAR_LEFT(+, add, mb const&)
VANTREL_SCALAR_LEFT(-, sub, mb const&)
VANTREL_SCALAR_LEFT(*, mul, mb const&)
VANTREL_SCALAR_LEFT(/, div, mb const&)
VANTREL_SCALAR_LEFT(+, add, double)
VANTREL_SCALAR_LEFT(-, sub, double)
VANTREL_SCALAR_LEFT(*, mul, double)
VANTREL_SCALAR_LEFT(/, div, double)
#undef VANTREL_SCALAR_LEFT

std::ostream& operator<<(std::ostream& os, fp const& x) {
    char* text = fpToStr(x, decPrec);
    os << text;
    std::free(text);
    return os;
}

std::istream& operator>>(std::istream& is, fp& x) {
    char token[256];
    extractToken(is, token);
    myFree(x);
    // No token (end of input, or a stream already failed): zero, as for mb.
    if (token[0] == '\0') return is;
    if (!init(x, token)) reportConversionError();
    return is;
}
