// Functions of fp built on its arithmetic: the integer part of the binary
// logarithm, and the truncation to a 32-bit integer.
#ifndef VANTREL_FPFUNCS_H
#define VANTREL_FPFUNCS_H

#include "fp.h"

int Lg2(fp const& x);       // floor(log2 |x|) of x as stored; 0 for zero
int32 to_long(fp const& x);  // integer part, low word only, no range check

#endif
