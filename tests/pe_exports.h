// The names a Windows DLL exports, read from the export directory of its PE file, so a
// test can check what a plug-in offers to its host on any machine. Header-only; the
// record layouts are read field by field at their documented offsets.
#ifndef VANTREL_TESTS_PE_EXPORTS_H
#define VANTREL_TESTS_PE_EXPORTS_H

#include <cstdint>
#include <string>
#include <vector>

namespace oracle {

// A little-endian field of `bytes` bytes; clears `inside` when it runs past the file.
inline std::uint32_t peRead(std::vector<char> const& f, std::size_t at, std::size_t bytes, bool& inside) {
    std::uint32_t v = 0;
    if (at > f.size() || f.size() - at < bytes) return inside = false, 0;
    for (std::size_t i = bytes; i-- > 0;) v = v << 8 | static_cast<unsigned char>(f[at + i]);
    return v;
}

// Exported names in the export table's order (sorted by the linker); `ok` false when the
// file is not a PE32 or PE32+ image with an export directory that lies inside the file.
inline std::vector<std::string> peExports(std::vector<char> const& f, bool& ok) {
    ok = false;
    bool in = true;
    if (f.size() < 64 || f[0] != 'M' || f[1] != 'Z') return {};
    std::size_t pe = peRead(f, 0x3C, 4, in);
    if (!in || peRead(f, pe, 4, in) != 0x00004550u) return {};  // "PE\0\0"
    std::size_t coff = pe + 4, opt = coff + 20;
    std::size_t sections = peRead(f, coff + 2, 2, in), table = opt + peRead(f, coff + 16, 2, in);
    std::uint32_t magic = peRead(f, opt, 2, in);
    if (!in || (magic != 0x10B && magic != 0x20B)) return {};
    // Data directory 0 is the export table.
    std::uint32_t exportRva = peRead(f, opt + (magic == 0x20B ? 112 : 96), 4, in);
    if (!in || exportRva == 0) return {};
    // A relative virtual address to a file offset, through the section that holds it.
    auto offset = [&](std::uint32_t rva) -> std::size_t {
        for (std::size_t h = table; h < table + 40 * sections; h += 40) {
            std::uint32_t va = peRead(f, h + 12, 4, in), rawSize = peRead(f, h + 16, 4, in);
            if (rva >= va && rva - va < rawSize) return peRead(f, h + 20, 4, in) + (rva - va);
        }
        return in = false, 0;
    };
    std::size_t dir = offset(exportRva);
    std::uint32_t count = peRead(f, dir + 24, 4, in);
    std::size_t names = offset(peRead(f, dir + 32, 4, in));
    std::vector<std::string> out;
    for (std::uint32_t k = 0; in && k < count; ++k) {
        std::size_t at = offset(peRead(f, names + 4 * k, 4, in)), end = at;
        while (in && end < f.size() && f[end] != '\0') ++end;
        if (in && end == f.size()) return {};
        if (in) out.emplace_back(f.data() + at, end - at);
    }
    ok = in;
    return ok ? out : std::vector<std::string>{};
}

}  // namespace oracle

#endif
