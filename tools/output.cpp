#include "tools/output.h"

#include "engine/error.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace ravelda::tools {

void Output::flush() {
    if (!buffer_.empty() &&
        std::fwrite(buffer_.data(), 1, buffer_.size(), stdout) != buffer_.size())
        throw engine::Error(engine::Error::Kind::Io, "standard output",
                            std::string("cannot write: ") + std::strerror(errno));
    buffer_.clear();
}

} // namespace ravelda::tools
