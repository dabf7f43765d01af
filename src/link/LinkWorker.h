#pragma once

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

class UnitLink;

// The handle of one link worker thread. A worker is never restarted: when it has ended,
// the next communication check starts a new one.
class LinkWorker {
public:
    LinkWorker() = default;
    ~LinkWorker();
    LinkWorker(const LinkWorker&) = delete;
    LinkWorker& operator=(const LinkWorker&) = delete;

    // Starts a worker on `link` (which it keeps alive while it runs). Replaces a previous
    // handle; call only when isRunning() is false.
    void start(std::shared_ptr<UnitLink> link);
    // True from start() until the worker reports its end (it may take a moment more to
    // return; waitForEnd() waits for that).
    bool isRunning() const;
    // Waits up to `timeoutMs` for the worker function to return; true when it has.
    bool waitForEnd(int timeoutMs) const;
    // The worker function's result once it has ended: 0 after a stop, -1 after a failed
    // start-up.
    int exitCode() const;

private:
    void release();

    struct State {
        std::mutex mutex;
        std::condition_variable ended;
        bool running = false;
        std::atomic<int> exitCode{0};
    };
    std::shared_ptr<State> state_;
    std::shared_ptr<UnitLink> link_;
    std::thread thread_;
};
