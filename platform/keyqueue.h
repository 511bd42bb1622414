#pragma once
// The keyboard messages waiting in the application's queue, for long operations that look for
// an Escape without returning to the event loop. Taking a key removes it: it is not delivered.
// The real service takes the first key event that the window system has queued and holds back
// the other input that arrives meanwhile (it is delivered afterwards, in order); tests replace it
// with TTestKeyQueue.
#include "platform/keys.h"

#include <deque>
#include <memory>
#include <optional>

struct TPendingKey {
    Word Key = 0;        // virtual key code
    bool KeyDown = true; // a key-down (else a key-up)
};

class IKeyQueueService {
public:
    virtual ~IKeyQueueService() = default;
    // The next pending keyboard message, taken off the queue; none when none is pending.
    virtual std::optional<TPendingKey> TakeNextKey() = 0;
};

// Installs a service (nullptr: the real one) and returns the previous one.
std::unique_ptr<IKeyQueueService> SetKeyQueueService(std::unique_ptr<IKeyQueueService> s);
IKeyQueueService& KeyQueueService();
// Through the service.
std::optional<TPendingKey> TakePendingKey();

// Scripted pending keys for tests: installs itself for its lifetime. Keys are taken in the order
// they were pushed.
class TTestKeyQueue {
public:
    TTestKeyQueue();
    ~TTestKeyQueue();
    TTestKeyQueue(const TTestKeyQueue&) = delete;
    TTestKeyQueue& operator=(const TTestKeyQueue&) = delete;

    void Push(Word Key, bool KeyDown = true) { pending_.push_back({Key, KeyDown}); }
    int Pending() const { return static_cast<int>(pending_.size()); }
    // How often a key was asked for (whether or not one was pending).
    int Looks() const { return looks_; }

private:
    class Service;
    std::deque<TPendingKey> pending_;
    int looks_ = 0;
    std::unique_ptr<IKeyQueueService> previous_;
};
