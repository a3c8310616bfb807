// The signed multi-precision integer record: sign in `length`, magnitude in
// 32-bit words, least significant first. Normal form: no zero top word, zero holds no array.
#ifndef VANTREL_MB_H
#define VANTREL_MB_H

#include "myTypedef.h"

class mb {
public:
    int32 allocated;   // words the array holds; 0 when there is none
    int32 length;      // words in use, signed: the sign of the number; 0 is zero
    uint32* blocks;    // heap array, least significant word first

    mb();
    mb(mb const& x);   // deep copy, exact size
    explicit mb(char const* s);  // decimal text; zero when refused
    explicit mb(double v);       // cut toward zero; read through its 18-digit text
    ~mb();

    mb& operator=(mb const& x);  // deep copy, exact size
    mb& operator=(int v);        // 0 releases the array
    mb& operator=(long long v);  // 0 releases the array
    mb& operator=(double v);     // cut toward zero; 0.0 releases the array
};

#endif
