#pragma once

#include <condition_variable>
#include <mutex>

// An event that releases one waiter and then resets itself, the hand-over between the
// screens and the link worker.
class AutoResetEvent {
public:
    static constexpr int kInfinite = -1;

    void set();
    void reset();
    // Waits up to `timeoutMs` (0 polls, kInfinite waits without end). True when the event
    // was signalled; the event is then reset.
    bool wait(int timeoutMs);

private:
    std::mutex mutex_;
    std::condition_variable condition_;
    bool signalled_ = false;
};
