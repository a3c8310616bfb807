// Copies of mb, its conversions to and from machine integers and double, and
// the reader of decimal integer text.
#ifndef VANTREL_MBCONV_H
#define VANTREL_MBCONV_H

#include "mb.h"

void equate(mb& z, mb const& x);          // z := x, array of exactly x's size
void equateWithCare(mb& z, mb const& x);  // z := x, z's array kept when large enough
bool init(mb& x);                         // fields 0, nothing released; always true
bool init(mb& x, int v);                  // as long32tomb; always true
void long32tomb(mb& x, int v);            // clears the fields (releasing nothing), then x := v
void long64tomb(mb& x, long long v);      // replaces the value of a live record

// Decimal text. Spaces (code 32) are ignored anywhere, a fraction is cut off,
// a text with an exponent is read as fp and cut toward zero. Refused text gives
// false and leaves x zero; any array x held is released first.
bool mbConvFromStr(mb& x, char const* s);
bool init(mb& x, char const* s);    // fields cleared, nothing released; "" and "0" give zero
bool equate(mb& x, char const* s);  // releases x's array, then as init

// Rewrites a decimal digit string in place as the upper-case hexadecimal digit
// string of the same number; false when a character is not a digit. Internal to
// the reader, declared for the tests.
bool DecStrtoHexStr(char* s);
#ifdef _WIN32
// Decimal digit text of a hexadecimal digit string (either case), from malloc;
// the empty text for a bad character. Consumes s: it ends holding zero values.
char* HexStrtoDecStr(char* s);
#endif

// Machine integers from mb: true when the value fits; otherwise false and 0.
bool equate(unsigned char& v, mb const& x);
bool equate(char& v, mb const& x);  // -128 to 127
bool equate(unsigned short& v, mb const& x);
bool equate(short& v, mb const& x);
bool equate(unsigned int& v, mb const& x);
bool equate(int& v, mb const& x);   // -(2^31 - 1) to 2^31 - 1: -2^31 is refused
bool equate(unsigned long long& v, mb const& x);
bool equate(long long& v, mb const& x);

// mb from machine integers; the target is a live record. Zero sets length 0 and
// keeps the array; otherwise the array is replaced at exact size.
void equate(mb& x, unsigned char v);
void equate(mb& x, unsigned short v);
void equate(mb& x, unsigned int v);
void equate(mb& x, char v);
void equate(mb& x, short v);
void equate(mb& x, int v);
void equate(mb& x, unsigned long long v);
void equate(mb& x, long long v);
bool init(mb& x, long long v);  // as equate(mb&, long long); always true

// x := v cut toward zero, v read through its 18-digit decimal text; 0.0 releases
// the array. Infinities and NaNs give zero.
void equate(mb& x, double v);

// d := x through its 16-digit text; false (and 0.0) when that text reads as nothing.
bool equate(double& d, mb const& x);

#endif
