#include "BackgroundConversion.h"

#include "Notifier.h"

#include <QEventLoop>

namespace {

// Short enough that a percentage or a message shows without a visible delay, long enough
// to cost nothing while the conversion writes.
constexpr int kPollMs = 10;

} // namespace

// Hands every message to the starting thread and waits until it has been shown there, so
// that a question's answer reaches the conversion and messages keep their order.
class BackgroundConversion::ForwardingNotifier : public Notifier {
public:
    ForwardingNotifier(Notifier& target, BackgroundConversion& owner)
        : target_(target), owner_(owner) {}

    void critical(const QString& title, const QString& text) override {
        call([&] { target_.critical(title, text); });
    }
    void warning(const QString& title, const QString& text) override {
        call([&] { target_.warning(title, text); });
    }
    void information(const QString& title, const QString& text) override {
        call([&] { target_.information(title, text); });
    }
    bool question(const QString& title, const QString& text, DefaultAnswer answer) override {
        bool yes = false;
        call([&] { yes = target_.question(title, text, answer); });
        return yes;
    }

private:
    void call(const std::function<void()>& tell) {
        std::unique_lock lock(owner_.mutex_);
        owner_.message_ = &tell;
        owner_.answered_.wait(lock, [this] { return owner_.message_ == nullptr; });
    }

    Notifier& target_;
    BackgroundConversion& owner_;
};

BackgroundConversion::BackgroundConversion(Notifier& notifier)
    : notifier_(std::make_unique<ForwardingNotifier>(notifier, *this)) {
    pollTimer_.setInterval(kPollMs);
    QObject::connect(&pollTimer_, &QTimer::timeout, [this] { poll(); });
}

BackgroundConversion::~BackgroundConversion() {
    progress_ = nullptr;
    done_ = nullptr;
    if (!thread_.joinable())
        return;
    // The conversion may still have a message to show on this thread: the wait goes on
    // serving it, holding back the technician's keys until the files are written.
    QEventLoop loop;
    ending_ = &loop;
    if (running_)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    ending_ = nullptr;
    if (thread_.joinable())
        thread_.join();
}

bool BackgroundConversion::isRunning() const {
    return running_;
}

void BackgroundConversion::start(Work work, std::function<void(int percent)> progress,
                                 std::function<void(const ReformatResult&)> done) {
    Q_ASSERT(!isRunning());
    running_ = true;
    reportedPercent_ = -1;
    progress_ = std::move(progress);
    done_ = std::move(done);
    {
        std::lock_guard lock(mutex_);
        percent_ = -1;
        returned_ = false;
    }
    thread_ = std::thread([this, work = std::move(work)] {
        ReformatResult result = work(*notifier_, [this](int percent) {
            std::lock_guard lock(mutex_);
            percent_ = percent;
        });
        std::lock_guard lock(mutex_);
        result_ = std::move(result);
        returned_ = true;
    });
    pollTimer_.start();
}

void BackgroundConversion::poll() {
    // A message box of ours is open: its own event loop ticks this timer, too.
    if (showingMessage_ || !running_)
        return;
    const std::function<void()>* message = nullptr;
    int percent = -1;
    bool returned = false;
    {
        std::lock_guard lock(mutex_);
        message = message_;
        percent = percent_;
        returned = returned_;
    }
    if (percent != reportedPercent_) {
        reportedPercent_ = percent;
        if (progress_)
            progress_(percent);
    }
    if (message != nullptr) {
        showingMessage_ = true;
        (*message)();
        showingMessage_ = false;
        {
            std::lock_guard lock(mutex_);
            message_ = nullptr;
        }
        answered_.notify_all();
        return;
    }
    if (!returned)
        return;

    pollTimer_.stop();
    thread_.join();
    running_ = false;
    if (ending_ != nullptr)
        ending_->quit();
    if (!done_)
        return;
    const auto done = std::move(done_);
    done_ = nullptr;
    done(result_);
}
