// Events are optional callbacks: std::function members, called only when assigned.
// Var parameters are references in the callback's signature.
#pragma once

#include <functional>
#include <utility>

class TObject;

using TNotifyEvent = std::function<void(TObject* Sender)>;

// Calls an event when it is assigned.
template <class F, class... A> void Fire(const F& event, A&&... args) {
    if (event) event(std::forward<A>(args)...);
}
