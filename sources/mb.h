// The signed multi-precision integer record: sign in `length`, magnitude in
// 32-bit words, least significant first. Normal form: no zero top word, zero holds no array.
#ifndef VANTREL_MB_H
#define VANTREL_MB_H

#include <iosfwd>

#include "myTypedef.h"

class mb {
public:
    int32 allocated;   // words the array holds; 0 when there is none
    int32 length;      // words in use, signed: the sign of the number; 0 is zero
    uint32* blocks;    // heap array, least significant word first

    mb();
    mb(mb const& x);   // deep copy, exact size
    mb(mb&& x) noexcept;  // takes x's array; x becomes zero
    explicit mb(char const* s);  // decimal text; zero when refused
    explicit mb(double v);       // cut toward zero; read through its 18-digit text
    ~mb();

    mb& operator=(mb const& x);  // deep copy, exact size
    mb& operator=(mb&& x) noexcept;  // takes x's array; x becomes zero
    mb& operator=(int v);        // 0 releases the array
    mb& operator=(long long v);  // 0 releases the array
    mb& operator=(double v);     // cut toward zero; 0.0 releases the array

    // Operators forward to the free functions; a value result starts as zero, so a
    // refused division leaves it zero. Scalars become mb cut toward zero (x + 2.9 adds 2).
    mb operator-();
    mb operator-() const;
    mb operator+(mb const& y);
    mb operator+(mb const& y) const;
    mb operator-(mb const& y);
    mb operator-(mb const& y) const;
    mb operator*(mb const& y);
    mb operator*(mb const& y) const;
    mb operator/(mb const& y);
    mb operator/(mb const& y) const;
    mb operator%(mb const& y);  // balanced residue, not the truncating remainder
    mb operator%(mb const& y) const;
    mb& operator+=(mb const& y);
    mb& operator-=(mb const& y);
    mb& operator*=(mb const& y);
    mb& operator/=(mb const& y);  // a zero y leaves x unchanged
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

    mb operator+(double y);
    mb operator+(double y) const;
    mb operator-(double y);
    mb operator-(double y) const;
    mb operator*(double y);
    mb operator*(double y) const;
    mb operator/(double y);
    mb operator/(double y) const;
    mb operator%(double y);
    mb operator%(double y) const;
    mb& operator+=(double y);
    mb& operator-=(double y);
    mb& operator*=(double y);
    mb& operator/=(double y);
    bool operator>(int y);
    bool operator>=(int y);
    bool operator==(int y);
    bool operator!=(int y);
    mb operator<<(int n);  // a new value: the magnitude shifted, the sign kept
    mb operator>>(int n);

    // Two's-complement logic; results are the nonnegative pattern.
    mb operator&(mb const& y);
    mb operator&(mb const& y) const;
    mb operator|(mb const& y);
    mb operator|(mb const& y) const;
    mb operator^(mb const& y);
    mb operator^(mb const& y) const;
    mb operator&(int y);
    mb operator&(int y) const;
    mb operator|(int y);
    mb operator|(int y) const;
    mb operator^(int y);
    mb operator^(int y) const;
    mb& operator&=(mb const& y);
    mb& operator|=(mb const& y);
    mb& operator^=(mb const& y);
    mb& operator&=(int y);
    mb& operator|=(int y);
    mb& operator^=(int y);

    bool operator!();  // true exactly for zero
    bool operator!() const;
    mb& operator++();
    mb& operator--();
    mb operator++(int);  // the value before the step, an independent copy
    mb operator--(int);
};

mb operator+(double d, mb const& y);
mb operator-(double d, mb const& y);
mb operator*(double d, mb const& y);
mb operator/(double d, mb const& y);

std::ostream& operator<<(std::ostream& out, mb const& x);
// Reads one token of at most 255 characters; a token that does not convert writes
// "conversion error!" to the standard error stream and leaves x zero. At the end of
// input x is left zero and nothing is written.
std::istream& operator>>(std::istream& in, mb& x);
// What both stream extractions share: one token of at most 255 characters (empty when
// the stream yields none), and the one line the library prints.
void extractToken(std::istream& in, char (&token)[256]);
void reportConversionError();

#endif
