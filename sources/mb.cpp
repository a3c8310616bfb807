// The mb class: construction, destruction and assignment, and the one
// out-of-memory exit that every allocation of the library goes through.
#include "mb.h"

#include <cstdlib>
#include <cstring>
#include <limits>

#include "mbConv.h"

void vantrelOutOfMemory() { std::exit(1); }

uint32* allocWords(std::size_t n) {
    if (n > std::numeric_limits<std::size_t>::max() / sizeof(uint32)) vantrelOutOfMemory();
    void* p = std::malloc(n * sizeof(uint32));
    if (p == nullptr) vantrelOutOfMemory();
    return static_cast<uint32*>(p);
}

int32 checkedWords(int64 n) {
    if (n > std::numeric_limits<int32>::max()) vantrelOutOfMemory();
    return static_cast<int32>(n);
}

mb::mb() : allocated(0), length(0), blocks(nullptr) {}

mb::mb(mb const& x) : allocated(0), length(0), blocks(nullptr) { equate(*this, x); }

mb::mb(char const* s) : allocated(0), length(0), blocks(nullptr) {
    if (s == nullptr || s[0] == '\0' || (s[0] == '0' && s[1] == '\0')) return;
    mbConvFromStr(*this, s);
}

mb::mb(double v) : allocated(0), length(0), blocks(nullptr) {
    if (v != 0.0) equate(*this, v);
}

mb::~mb() {
    std::free(blocks);
    allocated = 0;
    length = 0;
    blocks = nullptr;
}

mb& mb::operator=(mb const& x) {
    if (this == &x) return *this;
    std::free(blocks);
    allocated = 0;
    length = 0;
    blocks = nullptr;
    if (x.blocks == nullptr || x.length == 0) return *this;
    int32 n = x.length < 0 ? -x.length : x.length;
    blocks = allocWords(static_cast<std::size_t>(n));
    std::memcpy(blocks, x.blocks, static_cast<std::size_t>(n) * sizeof(uint32));
    allocated = n;
    length = x.length;
    return *this;
}

mb& mb::operator=(int v) {
    std::free(blocks);
    allocated = 0;
    length = 0;
    blocks = nullptr;
    if (v != 0) long32tomb(*this, v);
    return *this;
}

mb& mb::operator=(long long v) {
    std::free(blocks);
    allocated = 0;
    length = 0;
    blocks = nullptr;
    if (v != 0) long64tomb(*this, v);
    return *this;
}

mb& mb::operator=(double v) {
    std::free(blocks);
    allocated = 0;
    length = 0;
    blocks = nullptr;
    if (v != 0.0) equate(*this, v);
    return *this;
}
