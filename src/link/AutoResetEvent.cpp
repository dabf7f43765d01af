#include "AutoResetEvent.h"

#include <chrono>

void AutoResetEvent::set() {
    {
        std::lock_guard lock(mutex_);
        signalled_ = true;
    }
    condition_.notify_one();
}

void AutoResetEvent::reset() {
    std::lock_guard lock(mutex_);
    signalled_ = false;
}

bool AutoResetEvent::wait(int timeoutMs) {
    std::unique_lock lock(mutex_);
    if (timeoutMs == kInfinite)
        condition_.wait(lock, [this] { return signalled_; });
    else if (!condition_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                  [this] { return signalled_; }))
        return false;
    signalled_ = false;
    return true;
}
