#pragma once

#include "ReformatData.h"

#include <QTimer>

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

class Notifier;
class QEventLoop;

// Runs one engine's conversion on a thread of its own, so that the thread that ticks the
// download goes on painting its window and taking its Cancel. The conversion's messages are
// shown, and its progress reported, on the thread that started it, in the order they were
// made; `done` is called there after the last progress report, once the conversion has
// returned (its files on disk, or given up).
//
// The two threads meet only under one standard mutex, and the starting thread joins the
// conversion's thread before it reads the result: nothing is handed over through Qt's event
// queue, whose locks a thread sanitizer cannot see.
class BackgroundConversion {
public:
    // What runs on the thread: the conversion, told through the notifier and the progress
    // callback it is given.
    using Work =
        std::function<ReformatResult(Notifier& notifier, const std::function<void(int)>& progress)>;

    // Messages go to `notifier` on the thread that makes the object.
    explicit BackgroundConversion(Notifier& notifier);
    // Waits for a running conversion to end, so that its files are written whole; neither
    // its progress nor `done` is reported any more then.
    ~BackgroundConversion();
    BackgroundConversion(const BackgroundConversion&) = delete;
    BackgroundConversion& operator=(const BackgroundConversion&) = delete;

    // Starts `work` on a new thread; only one conversion runs at a time.
    void start(Work work, std::function<void(int percent)> progress,
               std::function<void(const ReformatResult&)> done);
    bool isRunning() const;

private:
    class ForwardingNotifier;

    // On the starting thread, every few milliseconds while a conversion runs: reports a new
    // percentage, shows a waiting message, and ends the run once the conversion returned.
    void poll();

    std::unique_ptr<ForwardingNotifier> notifier_;
    QTimer pollTimer_;
    std::thread thread_;

    // Shared with the conversion's thread.
    std::mutex mutex_;
    std::condition_variable answered_;
    // A message the conversion waits to have shown; null once it has been.
    const std::function<void()>* message_ = nullptr;
    int percent_ = -1;
    bool returned_ = false;
    ReformatResult result_;

    // The starting thread's own.
    bool running_ = false;
    bool showingMessage_ = false;
    int reportedPercent_ = -1;
    QEventLoop* ending_ = nullptr;
    std::function<void(int)> progress_;
    std::function<void(const ReformatResult&)> done_;
};
