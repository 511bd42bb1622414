#pragma once
// Runs a cleanup when a scope ends, also when it ends by an exception; dismiss() keeps it from
// running (a cleanup wanted only on failure). The cleanup must not throw.
#include <utility>

namespace ravelda::engine {

template <typename F> class ScopeGuard {
public:
    explicit ScopeGuard(F cleanup) : cleanup_(std::move(cleanup)) {}
    ~ScopeGuard() {
        if (active_) cleanup_();
    }
    void dismiss() { active_ = false; }
    ScopeGuard(const ScopeGuard&) = delete;
    ScopeGuard& operator=(const ScopeGuard&) = delete;

private:
    F cleanup_;
    bool active_ = true;
};

} // namespace ravelda::engine
