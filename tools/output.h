#pragma once
// Buffered standard output that reports a failed write (a full disk, a closed pipe).
#include <string>

namespace ravelda::tools {

class Output {
public:
    void add(const std::string& s) {
        buffer_ += s;
        if (buffer_.size() >= (1 << 16)) flush();
    }
    // engine::Error Io when standard output refuses the bytes.
    void flush();

private:
    std::string buffer_;
};

} // namespace ravelda::tools
