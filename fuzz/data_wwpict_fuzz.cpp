// Fuzzes picture matching over (picture, text, auto-fill). Input layout: one flags byte (bit 0:
// auto-fill at creation, bit 1: auto-fill for the match, bit 2: UTF-8 instead of Latin-1), then
// the picture and the text separated by the first NUL byte.
//
// Besides crashes and hangs it checks what must hold for every picture and text: the result is
// one of the five reported codes, an error or syntax error leaves the text as given, a match
// never shortens the text nor changes its length without auto-fill, auto-fill adds at most the
// picture's length, and matching the rewritten text again gives the same result.
// Build the library with coverage too, so that the fuzzer sees inside the matcher:
//   -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link,address,undefined
#include "data/wwpict.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

QString decode(std::string_view bytes, bool utf8) {
    return utf8 ? QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()))
                : QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

bool plainAscii(const QString& s) {
    for (const QChar c : s)
        if (c.unicode() >= 128 || c == u' ') return false;
    return true;
}

void check(bool condition) {
    if (!condition) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1 || size > 4096) return 0;
    const uint8_t flags = data[0];
    const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
    const size_t split = rest.find('\0');
    const std::string_view pictureBytes = rest.substr(0, split);
    const std::string_view textBytes =
        split == std::string_view::npos ? std::string_view() : rest.substr(split + 1);
    const bool utf8 = (flags & 4) != 0;
    const QString picture = decode(pictureBytes, utf8);
    const bool fill = (flags & 2) != 0;

    TwwPictureValidator v(picture, (flags & 1) != 0);
    check(v.Status() == (TwwPictureValidator::SyntaxCheck(picture) ? 0 : 1));
    check(v.Options() == ((flags & 1) ? 5 : 4));

    const QString given = decode(textBytes, utf8);
    QString text = given;
    const TwwPicResult r = v.Picture(text, fill);
    check(r >= prComplete && r <= prSyntax);
    if (v.Status() != 0) check(r == prSyntax);
    if (r == prError || r == prSyntax || r == prEmpty) check(text == given);
    if (fill)
        check(text.size() >= given.size() && text.size() <= given.size() + picture.size());
    else
        check(text.size() == given.size());

    // The rewritten text is what the picture makes of it: matching it again takes the same path
    // and changes nothing. That holds where every test is blind to the rewriting: ASCII text
    // (case only, in a locale that keeps ASCII letters ASCII; not Turkish) without blanks (a
    // blank typed last may become a fixed character).
    if (!fill && (r == prComplete || r == prIncomplete) && plainAscii(given)) {
        QString again = text;
        check(v.Picture(again, false) == r);
        check(again == text);
    }

    QString copy = given;
    (void)v.IsValidInput(copy, (flags & 8) != 0);
    (void)v.IsValid(given);
    return 0;
}
