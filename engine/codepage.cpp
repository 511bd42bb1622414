#include "engine/codepage.h"

#include "engine/error.h"

#include <cerrno>
#include <iconv.h>

namespace ravelda::engine {

namespace {

std::string iconvName(int codePage) {
    switch (codePage) {
    case 936:
        return "GBK";
    case 950:
        return "BIG5";
    case 20866:
        return "KOI8-R";
    default:
        return "CP" + std::to_string(codePage);
    }
}

iconv_t openOrThrow(const std::string& to, const std::string& from, int codePage) {
    iconv_t cd = iconv_open(to.c_str(), from.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1))
        throw Error(Error::Kind::Unsupported, {},
                    "code page " + std::to_string(codePage) + " is not supported");
    return cd;
}

// Whether a whole, well-formed UTF-8 sequence starts at offset at: no overlong form, surrogate or
// value past U+10FFFF (iconv reports those and a character the code page lacks alike).
bool utf8SequenceAt(std::string_view s, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char lead = byte(at);
    if (lead < 0x80) return true;
    std::size_t length = 0;
    unsigned char lo = 0x80, hi = 0xBF; // the range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) lo = 0xA0;
        if (lead == 0xED) hi = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) lo = 0x90;
        if (lead == 0xF4) hi = 0x8F;
    } else {
        return false;
    }
    if (at + length > s.size() || byte(at + 1) < lo || byte(at + 1) > hi) return false;
    for (std::size_t i = 2; i < length; ++i)
        if ((byte(at + i) & 0xC0) != 0x80) return false;
    return true;
}

std::string hexByte(unsigned char b) {
    const char digits[] = "0123456789abcdef";
    return std::string("0x") + digits[b >> 4] + digits[b & 15];
}

std::string convert(iconv_t cd, std::string_view in, int codePage, bool toUtf8) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr); // reset shift state
    std::string out;
    out.resize(in.size() * 4 + 8);
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    char* dst = out.data();
    size_t dstLeft = out.size();
    while (srcLeft > 0) {
        if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) == static_cast<size_t>(-1)) {
            if (errno == E2BIG) {
                const size_t used = out.size() - dstLeft;
                out.resize(out.size() * 2);
                dst = out.data() + used;
                dstLeft = out.size() - used;
                continue;
            }
            const size_t at = in.size() - srcLeft;
            if (toUtf8)
                throw Error(Error::Kind::Encoding, {},
                            "byte " + std::to_string(static_cast<unsigned char>(in[at])) +
                                " at offset " + std::to_string(at) +
                                " is not a character of code page " + std::to_string(codePage));
            if (!utf8SequenceAt(in, at))
                throw Error(Error::Kind::Encoding, {},
                            "text at offset " + std::to_string(at) + " is not valid UTF-8 (byte " +
                                hexByte(static_cast<unsigned char>(in[at])) + ")");
            throw Error(Error::Kind::Encoding, {},
                        "text at offset " + std::to_string(at) +
                            " holds a character that code page " + std::to_string(codePage) +
                            " cannot store");
        }
    }
    out.resize(out.size() - dstLeft);
    return out;
}

} // namespace

struct TextCodec::Impl {
    iconv_t toUtf8 = reinterpret_cast<iconv_t>(-1);
    iconv_t fromUtf8 = reinterpret_cast<iconv_t>(-1);
    ~Impl() {
        if (toUtf8 != reinterpret_cast<iconv_t>(-1)) iconv_close(toUtf8);
        if (fromUtf8 != reinterpret_cast<iconv_t>(-1)) iconv_close(fromUtf8);
    }
};

TextCodec::TextCodec(int codePage) : codePage_(codePage), impl_(std::make_unique<Impl>()) {
    const std::string name = iconvName(codePage);
    impl_->toUtf8 = openOrThrow("UTF-8", name, codePage);
    impl_->fromUtf8 = openOrThrow(name, "UTF-8", codePage);
}

TextCodec::~TextCodec() = default;

std::string TextCodec::toUtf8(std::string_view bytes) const {
    return convert(impl_->toUtf8, bytes, codePage_, true);
}

std::string TextCodec::fromUtf8(std::string_view utf8) const {
    return convert(impl_->fromUtf8, utf8, codePage_, false);
}

} // namespace ravelda::engine
