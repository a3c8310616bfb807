// Floating-point arithmetic; for now the bit lengths of machine words that both layers use.
#ifndef VANTREL_FPMATH_H
#define VANTREL_FPMATH_H

int NumBits(unsigned int v);  // 0 for 0, 32 when the top bit is set
int NumBits(int v);           // bit length of |v|; 0 for 0 and for the most negative int

#endif
