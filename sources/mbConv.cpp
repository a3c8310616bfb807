// Copies of mb and the setters from machine integers.
#include "mbConv.h"

#include <cstring>

#include "mbMath.h"

namespace {

void copyInto(mb& z, mb const& x, void (*resize)(mb&)) {
    if (z.length == x.length && z.allocated == x.allocated && z.blocks == x.blocks) return;
    z.length = x.length;
    resize(z);
    if (x.length != 0)
        std::memcpy(z.blocks, x.blocks,
                    static_cast<std::size_t>(x.length < 0 ? -int64(x.length) : x.length) * sizeof(uint32));
}

}  // namespace

void equate(mb& z, mb const& x) { copyInto(z, x, update); }

void equateWithCare(mb& z, mb const& x) { copyInto(z, x, updateWithCare); }

bool init(mb& x) {
    x.allocated = 0;
    x.length = 0;
    x.blocks = nullptr;
    return true;
}

void long32tomb(mb& x, int v) {
    init(x);
    if (v == 0) return;
    x.blocks = allocWords(1);
    x.allocated = 1;
    x.length = 1;
    // The magnitude in unsigned arithmetic, so -2^31 gives the word 2^31.
    x.blocks[0] = v < 0 ? 0u - static_cast<uint32>(v) : static_cast<uint32>(v);
    if (v < 0) x.length = -1;
}

bool init(mb& x, int v) {
    long32tomb(x, v);
    return true;
}

void long64tomb(mb& x, long long v) {
    if (v == 0) {
        x.length = 0;
        return;
    }
    uint64 m = v < 0 ? 0ull - static_cast<uint64>(v) : static_cast<uint64>(v);
    x.length = 2;
    update(x);
    x.blocks[0] = static_cast<uint32>(m);
    x.blocks[1] = static_cast<uint32>(m >> 32);
    mbNormalize(x);
    if (v < 0) x.length = -x.length;
}
