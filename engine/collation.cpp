#include "engine/collation.h"
#include "engine/ascii.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <iconv.h>

namespace ravelda::engine {

namespace {

// Unicode scalar of each byte of a single-byte code page (0xFFFF when undefined).
std::array<std::uint32_t, 256> unicodeTable(int codePage) {
    std::array<std::uint32_t, 256> t{};
    for (int i = 0; i < 256; ++i)
        t[static_cast<std::size_t>(i)] = i < 128 ? static_cast<std::uint32_t>(i) : 0xFFFF;
    const std::string name = "CP" + std::to_string(codePage);
    iconv_t cd = iconv_open("UTF-32LE", name.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) return t;
    for (int i = 128; i < 256; ++i) {
        char in = static_cast<char>(i);
        char* src = &in;
        size_t srcLeft = 1;
        std::uint32_t out = 0;
        char* dst = reinterpret_cast<char*>(&out);
        size_t dstLeft = 4;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) != static_cast<size_t>(-1) && dstLeft == 0)
            t[static_cast<std::size_t>(i)] = out;
    }
    iconv_close(cd);
    return t;
}

// Base letter of a Latin-1 / Latin Extended character, upper case (accents dropped).
std::uint32_t baseLetter(std::uint32_t u) {
    if (u < 128) return static_cast<std::uint32_t>(std::toupper(static_cast<int>(u)));
    static const struct {
        std::uint32_t from, to;
        char base;
    } ranges[] = {{0xC0, 0xC5, 'A'},   {0xE0, 0xE5, 'A'},  {0xC7, 0xC7, 'C'}, {0xE7, 0xE7, 'C'},
                  {0xC8, 0xCB, 'E'},   {0xE8, 0xEB, 'E'},  {0xCC, 0xCF, 'I'}, {0xEC, 0xEF, 'I'},
                  {0xD1, 0xD1, 'N'},   {0xF1, 0xF1, 'N'},  {0xD2, 0xD6, 'O'}, {0xF2, 0xF6, 'O'},
                  {0xD8, 0xD8, 'O'},   {0xF8, 0xF8, 'O'},  {0xD9, 0xDC, 'U'}, {0xF9, 0xFC, 'U'},
                  {0xDD, 0xDD, 'Y'},   {0xFD, 0xFD, 'Y'},  {0xFF, 0xFF, 'Y'}, {0x178, 0x178, 'Y'},
                  {0x160, 0x161, 'S'}, {0x17D, 0x17E, 'Z'}};
    for (const auto& r : ranges)
        if (u >= r.from && u <= r.to) return static_cast<std::uint32_t>(r.base);
    return u;
}

// Upper case of a character (case folding for case-insensitive comparison).
std::uint32_t upperCase(std::uint32_t u) {
    if (u < 128) return static_cast<std::uint32_t>(std::toupper(static_cast<int>(u)));
    if ((u >= 0xE0 && u <= 0xFE && u != 0xF7)) return u - 0x20;
    if (u == 0xFF) return 0x178;
    if (u == 0x161 || u == 0x17E || u == 0x153) return u - 1;
    if (u >= 0x430 && u <= 0x44F) return u - 0x20;
    if (u >= 0x450 && u <= 0x45F) return u - 0x50;
    return u;
}

} // namespace

Collation::Collation() {
    for (int i = 0; i < 256; ++i) {
        primary_[static_cast<std::size_t>(i)] = static_cast<std::uint16_t>(i);
        folded_[static_cast<std::size_t>(i)] =
            static_cast<std::uint16_t>(i < 128 ? std::toupper(i) : 0xF000 + i);
    }
}

Collation Collation::forSortOrder(const std::string& name, int code, int codePage) {
    Collation c;
    const std::string lower = asciiLower(name);
    c.name_ = name.empty() ? (code == 0 ? "ascii" : "code " + std::to_string(code)) : name;
    const auto uni = unicodeTable(codePage == 0 ? 437 : codePage);
    std::array<std::uint16_t, 256> dictionary{};
    for (int i = 0; i < 256; ++i) {
        const auto idx = static_cast<std::size_t>(i);
        const std::uint32_t u = uni[idx];
        c.primary_[idx] = static_cast<std::uint16_t>(i);
        if (u == 0xFFFF) {
            c.folded_[idx] = static_cast<std::uint16_t>(0xF000 + i);
            dictionary[idx] = c.folded_[idx];
            continue;
        }
        c.folded_[idx] = static_cast<std::uint16_t>(upperCase(u));
        dictionary[idx] = static_cast<std::uint16_t>(baseLetter(u));
    }
    if (lower == "ascii" || (name.empty() && code == 0)) return c;
    // The international dictionary orders of the Western code pages: letters compare by their
    // base letter regardless of case and accent; equal texts then compare by their bytes.
    const bool international = lower == "intl" || lower == "ansiintl" || lower == "ansii850" ||
                               lower == "dbwinus0" || lower == "dbwinwe0" || lower == "ansi850" ||
                               lower == "intl850" || lower == "ansiswfn" || lower == "dbwinwe1";
    if (!international) {
        c.supported_ = false;
        return c;
    }
    c.byteOrder_ = false;
    c.primary_ = dictionary;
    return c;
}

int Collation::compare(const std::uint8_t* a, const std::uint8_t* b, int n) const {
    if (byteOrder_) {
        const int r = std::memcmp(a, b, static_cast<std::size_t>(n));
        return r < 0 ? -1 : (r > 0 ? 1 : 0);
    }
    for (int i = 0; i < n; ++i) {
        const unsigned wa = a[i] ? primary_[a[i]] : 0;
        const unsigned wb = b[i] ? primary_[b[i]] : 0;
        if (wa != wb) return wa < wb ? -1 : 1;
        if (a[i] == 0 && b[i] == 0) break;
    }
    const int r = std::memcmp(a, b, static_cast<std::size_t>(n));
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

int Collation::compareFolded(const std::uint8_t* a, const std::uint8_t* b, int n) const {
    for (int i = 0; i < n; ++i) {
        const unsigned wa = a[i] ? folded_[a[i]] : 0;
        const unsigned wb = b[i] ? folded_[b[i]] : 0;
        if (wa != wb) return wa < wb ? -1 : 1;
        if (a[i] == 0) break;
    }
    return 0;
}

} // namespace ravelda::engine
