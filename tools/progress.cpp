#include "tools/progress.h"

#include <cstdio>
#include <unistd.h>

namespace ravelda::tools {

Progress::Progress(std::string what, std::int64_t total)
    : what_(std::move(what)), total_(total), enabled_(::isatty(STDERR_FILENO) == 1) {}

Progress::~Progress() {
    finish();
}

void Progress::draw(std::int64_t done, bool force) {
    auto now = std::chrono::steady_clock::now();
    if (!force && now - last_ < std::chrono::milliseconds(100)) return;
    last_ = now;
    if (total_ > 0)
        std::fprintf(stderr, "\r%s: %lld of %lld (%d%%)", what_.c_str(),
                     static_cast<long long>(done), static_cast<long long>(total_),
                     static_cast<int>(done * 100 / total_));
    else
        std::fprintf(stderr, "\r%s: %lld", what_.c_str(), static_cast<long long>(done));
    std::fflush(stderr);
    shown_ = true;
}

void Progress::finish() {
    if (shown_) {
        std::fprintf(stderr, "\r\033[K");
        std::fflush(stderr);
        shown_ = false;
    }
}

} // namespace ravelda::tools
