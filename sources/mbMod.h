// Residues of mb.
#ifndef VANTREL_MBMOD_H
#define VANTREL_MBMOD_H

#include "mb.h"

// Balanced residue of x modulo |m| in (-|m|/2, |m|/2]; modulo 2 it is 0 or 1.
// m = 0 leaves z untouched.
void myModulus(mb& z, mb const& x, mb const& m);

#endif
