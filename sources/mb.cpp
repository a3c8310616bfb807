// The mb class: construction, destruction, assignment and the operators that
// forward to the free functions, and the one out-of-memory exit that every
// allocation of the library goes through.
#include "mb.h"

#include <cstdlib>
#include <cstring>
#include <iostream>
#include <limits>

#include "mb2Str.h"
#include "mbConv.h"
#include "mbMath.h"
#include "mbMod.h"

void vantrelOutOfMemory() { std::exit(1); }

uint32* allocWords(std::size_t n) {
    if (n > std::numeric_limits<std::size_t>::max() / sizeof(uint32)) vantrelOutOfMemory();
    void* p = std::malloc(n * sizeof(uint32));
    if (p == nullptr) vantrelOutOfMemory();
    return static_cast<uint32*>(p);
}

char* allocText(std::size_t n) {
    char* p = static_cast<char*>(std::malloc(n));
    if (p == nullptr) vantrelOutOfMemory();
    return p;
}

char* copyText(char const* s, std::size_t n) {
    char* p = allocText(n + 1);
    std::memcpy(p, s, n);
    p[n] = '\0';
    return p;
}

int32 checkedWords(int64 n) {
    if (n > std::numeric_limits<int32>::max()) vantrelOutOfMemory();
    return static_cast<int32>(n);
}

mb::mb() : allocated(0), length(0), blocks(nullptr) {}

mb::mb(mb const& x) : allocated(0), length(0), blocks(nullptr) { equate(*this, x); }

mb::mb(char const* s) : allocated(0), length(0), blocks(nullptr) { mbConvFromStr(*this, s); }

mb::mb(double v) : allocated(0), length(0), blocks(nullptr) {
    if (v != 0.0) equate(*this, v);
}

mb::mb(mb&& x) noexcept : allocated(x.allocated), length(x.length), blocks(x.blocks) {
    x.allocated = 0;
    x.length = 0;
    x.blocks = nullptr;
}

mb::~mb() { std::free(blocks); }

mb& mb::operator=(mb const& x) {
    if (this != &x) equate(*this, x);
    return *this;
}

mb& mb::operator=(mb&& x) noexcept {
    if (this != &x) {
        std::free(blocks);
        allocated = x.allocated;
        length = x.length;
        blocks = x.blocks;
        x.allocated = 0;
        x.length = 0;
        x.blocks = nullptr;
    }
    return *this;
}

mb& mb::operator=(int v) {
    myFree(*this);
    if (v != 0) long32tomb(*this, v);
    return *this;
}

mb& mb::operator=(long long v) {
    myFree(*this);
    if (v != 0) long64tomb(*this, v);
    return *this;
}

mb& mb::operator=(double v) {
    myFree(*this);
    if (v != 0.0) equate(*this, v);
    return *this;
}

// ---- operators ----

namespace {

inline mb negated(mb const& x) {
    mb z;
    equate(z, x);
    z.length = -z.length;
    return z;
}

// An int is exact as a double, so it converts directly.
inline mb intAsMb(int v) {
    mb t;
    equate(t, v);
    return t;
}

}  // namespace

mb mb::operator-() { return negated(*this); }
mb mb::operator-() const { return negated(*this); }

#define VANTREL_BINARY(sym, fn, T)                      \
    mb mb::operator sym(T y) {                          \
        mb z;                                           \
        fn(z, *this, y);                                \
        return z;                                       \
    }                                                   \
    mb mb::operator sym(T y) const {                    \
        mb z;                                           \
        fn(z, *this, y);                                \
        return z;                                       \
    }

VANTREL_BINARY(+, add, mb const&)
VANTREL_BINARY(-, sub, mb const&)
VANTREL_BINARY(*, mul, mb const&)
VANTREL_BINARY(/, div, mb const&)
VANTREL_BINARY(%, myModulus, mb const&)
VANTREL_BINARY(+, add, double)
VANTREL_BINARY(-, sub, double)
VANTREL_BINARY(*, mul, double)
VANTREL_BINARY(/, div, double)
VANTREL_BINARY(%, myModulus, double)
#undef VANTREL_BINARY

mb& mb::operator+=(mb const& y) { add(*this, *this, y); return *this; }
mb& mb::operator-=(mb const& y) { sub(*this, *this, y); return *this; }
mb& mb::operator*=(mb const& y) { mul(*this, *this, y); return *this; }
mb& mb::operator/=(mb const& y) { div(*this, *this, y); return *this; }
mb& mb::operator+=(double y) { add(*this, *this, y); return *this; }
mb& mb::operator-=(double y) { sub(*this, *this, y); return *this; }
mb& mb::operator*=(double y) { mul(*this, *this, y); return *this; }
mb& mb::operator/=(double y) { div(*this, *this, y); return *this; }

bool mb::operator>(mb const& y) { return compare(*this, y) == 1; }
bool mb::operator>(mb const& y) const { return compare(*this, y) == 1; }
bool mb::operator>=(mb const& y) { return compare(*this, y) != -1; }
bool mb::operator>=(mb const& y) const { return compare(*this, y) != -1; }
bool mb::operator==(mb const& y) { return compare(*this, y) == 0; }
bool mb::operator==(mb const& y) const { return compare(*this, y) == 0; }
bool mb::operator!=(mb const& y) { return compare(*this, y) != 0; }
bool mb::operator!=(mb const& y) const { return compare(*this, y) != 0; }
bool mb::operator<=(mb const& y) { return compare(*this, y) != 1; }
bool mb::operator<=(mb const& y) const { return compare(*this, y) != 1; }
bool mb::operator<(mb const& y) { return compare(*this, y) == -1; }
bool mb::operator<(mb const& y) const { return compare(*this, y) == -1; }

bool mb::operator>(int y) { return compare(*this, intAsMb(y)) == 1; }
bool mb::operator>=(int y) { return compare(*this, intAsMb(y)) != -1; }
bool mb::operator==(int y) { return compare(*this, intAsMb(y)) == 0; }
bool mb::operator!=(int y) { return compare(*this, intAsMb(y)) != 0; }

mb mb::operator<<(int n) {
    mb z;
    mbShiftLeft(z, *this, n);
    return z;
}

mb mb::operator>>(int n) {
    mb z;
    mbShiftRight(z, *this, n);
    return z;
}

mb mb::operator&(mb const& y) { return mbAnd(*this, y); }
mb mb::operator&(mb const& y) const { return mbAnd(*this, y); }
mb mb::operator|(mb const& y) { return mbOr(*this, y); }
mb mb::operator|(mb const& y) const { return mbOr(*this, y); }
mb mb::operator^(mb const& y) { return mbXor(*this, y); }
mb mb::operator^(mb const& y) const { return mbXor(*this, y); }
mb mb::operator&(int y) { return mbAnd(*this, y); }
mb mb::operator&(int y) const { return mbAnd(*this, y); }
mb mb::operator|(int y) { return mbOr(*this, y); }
mb mb::operator|(int y) const { return mbOr(*this, y); }
mb mb::operator^(int y) { return mbXor(*this, y); }
mb mb::operator^(int y) const { return mbXor(*this, y); }
mb& mb::operator&=(mb const& y) { return *this = mbAnd(*this, y); }
mb& mb::operator|=(mb const& y) { return *this = mbOr(*this, y); }
mb& mb::operator^=(mb const& y) { return *this = mbXor(*this, y); }
mb& mb::operator&=(int y) { return *this = mbAnd(*this, y); }
mb& mb::operator|=(int y) { return *this = mbOr(*this, y); }
mb& mb::operator^=(int y) { return *this = mbXor(*this, y); }

bool mb::operator!() { return length == 0; }
bool mb::operator!() const { return length == 0; }

mb& mb::operator++() {
    add(*this, *this, 1.0);
    return *this;
}

mb& mb::operator--() {
    sub(*this, *this, 1.0);
    return *this;
}

mb mb::operator++(int) {
    mb before(*this);
    add(*this, *this, 1.0);
    return before;
}

mb mb::operator--(int) {
    mb before(*this);
    sub(*this, *this, 1.0);
    return before;
}

#define VANTREL_SCALAR_LEFT(sym, fn)          \
    mb operator sym(double d, mb const& y) {  \
        mb t, z;                              \
        equate(t, d);                         \
        fn(z, t, y);                          \
        return z;                             \
    }

VANTREL_SCALAR_LEFT(+, add)
VANTREL_SCALAR_LEFT(-, sub)
VANTREL_SCALAR_LEFT(*, mul)
VANTREL_SCALAR_LEFT(/, div)
#undef VANTREL_SCALAR_LEFT

std::ostream& operator<<(std::ostream& out, mb const& x) {
    char* text = mb2Str(x);
    out << text;
    std::free(text);
    return out;
}

void extractToken(std::istream& in, char (&token)[256]) {
    token[0] = '\0';
    in.width(256);
    in >> token;
}

void reportConversionError() { std::cerr << "conversion error!" << std::endl; }

std::istream& operator>>(std::istream& in, mb& x) {
    char token[256];
    extractToken(in, token);
    myFree(x);
    if (!init(x, token)) reportConversionError();
    return in;
}
