#pragma once
// Text conversion between UTF-8 and a table's code page (glibc iconv). A character the code page
// cannot hold is refused, never replaced.
#include <memory>
#include <string>
#include <string_view>

namespace ravelda::engine {

class TextCodec {
public:
    // A Windows/DOS code page number as a table stores it (437, 850, 852, 1252, 1251, 936 …).
    // Error Unsupported when iconv knows no such code page.
    explicit TextCodec(int codePage);
    ~TextCodec();
    TextCodec(const TextCodec&) = delete;
    TextCodec& operator=(const TextCodec&) = delete;

    int codePage() const { return codePage_; }
    // Error Encoding when the bytes are not valid in the code page (or not valid UTF-8 for
    // fromUtf8), or a character has no equivalent in the target.
    std::string toUtf8(std::string_view bytes) const;
    std::string fromUtf8(std::string_view utf8) const;

private:
    struct Impl;
    int codePage_;
    std::unique_ptr<Impl> impl_;
};

} // namespace ravelda::engine
