// Copies and machine-integer setters of mb.
#ifndef VANTREL_MBCONV_H
#define VANTREL_MBCONV_H

#include "mb.h"

void equate(mb& z, mb const& x);          // z := x, array of exactly x's size
void equateWithCare(mb& z, mb const& x);  // z := x, z's array kept when large enough
bool init(mb& x);                         // fields 0, nothing released; always true
bool init(mb& x, int v);                  // as long32tomb; always true
void long32tomb(mb& x, int v);            // clears the fields (releasing nothing), then x := v
void long64tomb(mb& x, long long v);      // replaces the value of a live record

#endif
