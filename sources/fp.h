// Binary floating point: an mb mantissa times a power of two, cut to `blockPrec`
// words by fpNormalize after each arithmetic result. One value has many
// representations, so fp values are compared only with compare().
#ifndef VANTREL_FP_H
#define VANTREL_FP_H

#include "mb.h"

class fp {
public:
    mb mantissa;
    int32 exponent;  // value = mantissa * 2^exponent

    fp();
    fp(fp const& x);          // deep copy, exact size
    fp(fp&& x) noexcept;      // takes x's words; x becomes zero
    explicit fp(char const* s);  // as the parse leaves it; zero when refused
    explicit fp(double d);
    ~fp();

    fp& operator=(fp const& y);
    fp& operator=(fp&& y) noexcept;  // takes y's words; y becomes zero
    fp& operator=(mb const& m);  // mantissa copy, exponent 0, not normalised
    fp& operator=(double d);

    // Operators forward to the arithmetic; a value result starts as zero, so a
    // zero divisor yields zero, while /= leaves the object unchanged.
    fp operator+(fp const& y);
    fp operator+(fp const& y) const;
    fp operator-(fp const& y);
    fp operator-(fp const& y) const;
    fp operator*(fp const& y);
    fp operator*(fp const& y) const;
    fp operator/(fp const& y);
    fp operator/(fp const& y) const;
    fp operator+(mb const& y);
    fp operator+(mb const& y) const;
    fp operator-(mb const& y);
    fp operator-(mb const& y) const;
    fp operator*(mb const& y);
    fp operator*(mb const& y) const;
    fp operator/(mb const& y);
    fp operator/(mb const& y) const;
    fp operator+(double y);
    fp operator+(double y) const;
    fp operator-(double y);
    fp operator-(double y) const;
    fp operator*(double y);
    fp operator*(double y) const;
    fp operator/(double y);
    fp operator/(double y) const;
    fp& operator+=(fp const& y);
    fp& operator-=(fp const& y);
    fp& operator*=(fp const& y);
    fp& operator/=(fp const& y);
    fp& operator+=(mb const& y);
    fp& operator-=(mb const& y);
    fp& operator*=(mb const& y);
    fp& operator/=(mb const& y);
    fp& operator+=(double y);
    fp& operator-=(double y);
    fp& operator*=(double y);
    fp& operator/=(double y);

    fp& operator<<(int n);  // times 2^n, in place
    fp& operator>>(int n);  // divided by 2^n, in place
    fp& operator++();
    fp& operator--();
    void operator++(int);
    void operator--(int);
    fp operator-();
    fp operator-() const;
    bool operator!();  // true for zero, whatever the exponent
    bool operator!() const;

    bool operator>(fp const& y);
    bool operator>(fp const& y) const;
    bool operator>=(fp const& y);
    bool operator>=(fp const& y) const;
    bool operator==(fp const& y);
    bool operator==(fp const& y) const;
    bool operator!=(fp const& y);
    bool operator!=(fp const& y) const;
    bool operator<=(fp const& y);
    bool operator<=(fp const& y) const;
    bool operator<(fp const& y);
    bool operator<(fp const& y) const;
    bool operator>(mb const& y);
    bool operator>(mb const& y) const;
    bool operator>=(mb const& y);
    bool operator>=(mb const& y) const;
    bool operator==(mb const& y);
    bool operator==(mb const& y) const;
    bool operator!=(mb const& y);
    bool operator!=(mb const& y) const;
    bool operator<=(mb const& y);
    bool operator<=(mb const& y) const;
    bool operator<(mb const& y);
    bool operator<(mb const& y) const;
    bool operator>(double y);
    bool operator>(double y) const;
    bool operator>=(double y);
    bool operator>=(double y) const;
    bool operator==(double y);
    bool operator==(double y) const;
    bool operator!=(double y);
    bool operator!=(double y) const;
    bool operator<=(double y);
    bool operator<=(double y) const;
    bool operator<(double y);
    bool operator<(double y) const;
};

fp operator+(mb const& a, fp const& y);
fp operator-(mb const& a, fp const& y);
fp operator*(mb const& a, fp const& y);
fp operator/(mb const& a, fp const& y);
fp operator+(double a, fp const& y);
fp operator-(double a, fp const& y);
fp operator*(double a, fp const& y);
fp operator/(double a, fp const& y);

// Prints fpToStr(x, decPrec) as one string (width and fill apply).
std::ostream& operator<<(std::ostream& os, fp const& x);
// Reads one token of at most 255 characters; "conversion error!" on the standard
// error stream when it does not convert. No token: x becomes zero, nothing printed.
std::istream& operator>>(std::istream& is, fp& x);

// Process-wide precision settings.
extern int32 blockPrec;  // words that results keep; a value below 1 counts as 1
extern int32 decPrec;    // digits of the stream output and the gamma functions' target
void setBlockPrec(int n);  // stored unchanged
int getBlockPrec();
void setDecPrec(int n);  // |n|; 0 gives 16
int getDecPrec();

#endif
