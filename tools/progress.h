#pragma once
// A one-line progress report on stderr for long operations, shown only when stderr is a
// terminal (scripts and pipes see nothing).
#include <chrono>
#include <cstdint>
#include <string>

namespace ravelda::tools {

class Progress {
public:
    // total <= 0: unknown, only the count is shown.
    Progress(std::string what, std::int64_t total);
    ~Progress();
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    // Cheap enough to call for every row: redraws at most ten times a second.
    void update(std::int64_t done) {
        if (enabled_ && (++calls_ & 255) == 0) draw(done, false);
    }
    // Clears the line.
    void finish();

private:
    void draw(std::int64_t done, bool force);
    std::string what_;
    std::int64_t total_;
    bool enabled_;
    bool shown_ = false;
    unsigned calls_ = 0;
    std::chrono::steady_clock::time_point last_{};
};

} // namespace ravelda::tools
