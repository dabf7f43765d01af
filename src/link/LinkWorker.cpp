#include "LinkWorker.h"

#include "TCPHandler.h"
#include "UnitLink.h"

LinkWorker::~LinkWorker() {
    release();
}

void LinkWorker::start(std::shared_ptr<UnitLink> link) {
    release();
    state_ = std::make_shared<State>();
    state_->running = true;
    link_ = link;
    link_->workerEnded = false;
    thread_ = std::thread([state = state_, link = std::move(link)] {
        state->exitCode = TCPHandler(link.get());
        {
            std::lock_guard lock(state->mutex);
            state->running = false;
        }
        state->ended.notify_all();
    });
}

bool LinkWorker::isRunning() const {
    if (!state_ || link_->workerEnded)
        return false;
    std::lock_guard lock(state_->mutex);
    return state_->running;
}

bool LinkWorker::waitForEnd(int timeoutMs) const {
    if (!state_)
        return true;
    std::unique_lock lock(state_->mutex);
    return state_->ended.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                  [this] { return !state_->running; });
}

int LinkWorker::exitCode() const {
    return state_ ? state_->exitCode.load() : 0;
}

// A worker that is still blocked (in a connection attempt, say) is let go: it owns what it
// uses and ends on its own.
void LinkWorker::release() {
    if (!thread_.joinable())
        return;
    if (waitForEnd(0))
        thread_.join();
    else
        thread_.detach();
}
