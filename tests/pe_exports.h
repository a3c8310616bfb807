// The names a Windows DLL exports, read from the export directory of its PE file, so a
// test can check what a plug-in offers to its host on any machine. Header-only; the
// record layouts are read field by field at their documented offsets.
#ifndef VANTREL_TESTS_PE_EXPORTS_H
#define VANTREL_TESTS_PE_EXPORTS_H

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace oracle {

inline std::uint32_t peRead32(std::vector<char> const& f, std::size_t at, bool& inside) {
    std::uint32_t v = 0;
    if (at > f.size() || f.size() - at < 4) {
        inside = false;
        return 0;
    }
    for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(f[at + static_cast<std::size_t>(i)]);
    return v;
}
inline std::uint16_t peRead16(std::vector<char> const& f, std::size_t at, bool& inside) {
    if (at > f.size() || f.size() - at < 2) {
        inside = false;
        return 0;
    }
    return static_cast<std::uint16_t>(static_cast<unsigned char>(f[at]) | static_cast<unsigned char>(f[at + 1]) << 8);
}

// Exported names in the export table's order (sorted by the linker); `ok` false when the
// file is not a PE32 or PE32+ image with an export directory that lies inside the file.
inline std::vector<std::string> peExports(std::vector<char> const& f, bool& ok) {
    ok = false;
    bool in = true;
    if (f.size() < 64 || f[0] != 'M' || f[1] != 'Z') return {};
    std::size_t pe = peRead32(f, 0x3C, in);
    if (!in || peRead32(f, pe, in) != 0x00004550u) return {};  // "PE\0\0"
    std::size_t coff = pe + 4, opt = coff + 20;
    std::size_t sections = peRead16(f, coff + 2, in), optSize = peRead16(f, coff + 16, in);
    std::uint16_t magic = peRead16(f, opt, in);
    if (!in || (magic != 0x10B && magic != 0x20B)) return {};
    std::size_t dirs = opt + (magic == 0x20B ? 112 : 96);  // data directories; 0 is the export table
    std::uint32_t exportRva = peRead32(f, dirs, in);
    if (!in || exportRva == 0) return {};
    // A relative virtual address to a file offset, through the section that holds it.
    std::size_t table = opt + optSize;
    auto offset = [&](std::uint32_t rva) -> std::size_t {
        for (std::size_t i = 0; i < sections; ++i) {
            std::size_t h = table + 40 * i;
            std::uint32_t va = peRead32(f, h + 12, in), rawSize = peRead32(f, h + 16, in), raw = peRead32(f, h + 20, in);
            if (rva >= va && rva - va < rawSize) return raw + (rva - va);
        }
        in = false;
        return 0;
    };
    std::size_t dir = offset(exportRva);
    std::uint32_t count = peRead32(f, dir + 24, in);
    std::size_t names = offset(peRead32(f, dir + 32, in));
    std::vector<std::string> out;
    for (std::uint32_t k = 0; in && k < count; ++k) {
        std::size_t at = offset(peRead32(f, names + 4 * k, in));
        if (!in) break;
        std::size_t end = at;
        while (end < f.size() && f[end] != '\0') ++end;
        if (end == f.size()) return {};
        out.emplace_back(f.data() + at, end - at);
    }
    ok = in;
    return ok ? out : std::vector<std::string>{};
}

}  // namespace oracle

#endif
