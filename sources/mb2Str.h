// Decimal text of mb: the writer mb2Str and the growable digit stack it keeps
// its base-10^9 digits on.
#ifndef VANTREL_MB2STR_H
#define VANTREL_MB2STR_H

#include "mb.h"

// A stack of int32 values that grows by doubling. It starts empty with no
// array; its destruction releases nothing (the one user is a process-long static).
struct lstack {
    int32 top = -1;       // index of the top entry, -1 when empty
    int32 capacity = 0;   // entries allocated
    int32* items = nullptr;

    void push(int v);
    int pop();            // the stack must not be empty
    bool isEmpty() const;
};

// Decimal text of x, "-" before a negative value; from malloc, the caller frees it.
char* mb2Str(mb const& x);
void equate(char*& p, mb const& x);  // p := mb2Str(x)

// Appends the decimal digits of v (0 <= v < 10^9) to out at the current write
// position of mb2Str, left-padded with zeros to nine digits when pad is set.
void PrintDigits(char* out, int v, int pad);

#endif
