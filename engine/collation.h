#pragma once
// How Alpha key fields compare under a table's sort order.
#include <array>
#include <cstdint>
#include <string>

namespace ravelda::engine {

class Collation {
public:
    // Byte order: the "ascii" sort order (and any key without Alpha fields); case folding of
    // ASCII letters only (forSortOrder folds the code page's letters).
    Collation();
    // The collation for a sort order, or an unsupported one (supported() false).
    static Collation forSortOrder(const std::string& name, int code, int codePage);

    bool supported() const { return supported_; }
    bool byteOrder() const { return byteOrder_; }
    const std::string& name() const { return name_; }

    // Compares two Alpha fields of n bytes (NUL padded).
    int compare(const std::uint8_t* a, const std::uint8_t* b, int n) const;
    // Compares the first n bytes of a field with a probe of n bytes ignoring case (and, for
    // international orders, accents): used by case-insensitive locate.
    int compareFolded(const std::uint8_t* a, const std::uint8_t* b, int n) const;

private:
    bool supported_ = true;
    bool byteOrder_ = true;
    std::string name_ = "ascii";
    std::array<std::uint16_t, 256> primary_{}; // dictionary weight per byte
    std::array<std::uint16_t, 256> folded_{};  // case-folded weight per byte (for locate)
};

} // namespace ravelda::engine
