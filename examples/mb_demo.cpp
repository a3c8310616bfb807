// Shows the integer and floating-point layers at work: a factorial, a division
// with remainder, a balanced residue, a prime test, 2/3 to forty digits, and the
// constants and a few functions of fp to forty significant digits.
#include <cstdio>
#include <cstdlib>

#include "fpConv.h"
#include "fpFuncs.h"
#include "fpMath.h"
#include "mb2Str.h"
#include "mbConv.h"
#include "mbMath.h"
#include "mbMod.h"
#include "newRandom.h"

static void show(char const* label, mb const& x) {
    char* text = mb2Str(x);
    std::printf("%-22s %s\n", label, text);
    std::free(text);
}

int main() {
    mb n("40"), f, q, r, m("12"), d("-1000003"), z;
    factorial(f, n);
    show("40!", f);

    divRem(q, r, f, d);
    show("40! / -1000003", q);
    show("remainder", r);

    myModulus(z, f, m);
    show("40! mod 12 (balanced)", z);

    mb mersenne;
    mbShiftLeft(mersenne, mb("1"), 127);
    sub(mersenne, mersenne, 1);
    InitArray(20261209);
    show("2^127 - 1", mersenne);
    std::printf("%-22s %s\n", "  is prime", isItPrime(mersenne, 20) ? "yes" : "no");

    int saved = getBlockPrec();
    setBlockPrec(10);
    fp two, three, third;
    init(two, 2);
    init(three, 3);
    div(third, two, three);
    int e10 = 0;
    char* digits = fpToStr2(e10, third, 40);
    std::printf("%-22s %s x 10^%d\n", "2/3 at 10 words", digits, e10);
    std::free(digits);

    // Seven words leave room for the last word or so that the series give up.
    setBlockPrec(7);
    fp one, two2, value[5];
    init(one, 1);
    init(two2, 2);
    ComputePi(value[0]);
    ComputeE(value[1]);
    ComputeLn2(value[2]);
    sqrt(value[3], two2);
    sin(value[4], one);
    char const* labels[] = {"pi", "e", "ln 2", "sqrt(2)", "sin(1)"};
    for (int i = 0; i < 5; ++i) {
        char* text = fpToStr(value[i], 40);
        std::printf("%-22s %s\n", labels[i], text);
        std::free(text);
    }
    setBlockPrec(saved);
    return 0;
}
