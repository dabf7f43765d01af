#include "UnitLink.h"

#include "ApplicationSettings.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QPointer>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>
#include <chrono>
#include <memory>
#include <sys/eventfd.h>
#include <unistd.h>
#include <vector>

namespace {

// Keys and clicks that reach the program while a wait's own event loop runs. The window
// system's are held back by the loop itself (it excludes user input), but one that the
// program posts or sends to itself in the meantime (a queued call that types a key, a
// replayed click) would be handled in the middle of the step: a second F5 on the main menu
// would start another check inside the first. They are taken here and posted again, in
// their order, once the wait is over. A window opened inside the wait (it runs a loop of
// its own, one level deeper) takes its input as usual.
class HeldInput : public QObject {
public:
    HeldInput() : level_(QThread::currentThread()->loopLevel() + 1) {
        QCoreApplication::instance()->installEventFilter(this);
    }
    ~HeldInput() override {
        QCoreApplication::instance()->removeEventFilter(this);
        for (auto& [receiver, event] : held_)
            if (receiver != nullptr)
                QCoreApplication::postEvent(receiver, event.release());
    }
    HeldInput(const HeldInput&) = delete;
    HeldInput& operator=(const HeldInput&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (QThread::currentThread()->loopLevel() != level_)
            return false;
        switch (event->type()) {
        case QEvent::ShortcutOverride: // accepted, so that no shortcut acts during the wait
            event->accept();
            return true;
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
            held_.emplace_back(watched, std::unique_ptr<QEvent>(event->clone()));
            event->accept();
            return true;
        default:
            return false;
        }
    }

private:
    const int level_;
    std::vector<std::pair<QPointer<QObject>, std::unique_ptr<QEvent>>> held_;
};

} // namespace

UnitLink::UnitLink()
    : wakeFd_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)), host_(kDefaultIpAddress),
      port_(kDefaultPort) {
    commandBuffer_.fill(0xFF);
}

UnitLink::~UnitLink() {
    if (wakeFd_ >= 0)
        close(wakeFd_);
}

void UnitLink::setAddress(const QString& host, int port) {
    std::lock_guard lock(mutex_);
    host_ = host;
    port_ = port;
}

QString UnitLink::host() const {
    std::lock_guard lock(mutex_);
    return host_;
}

int UnitLink::port() const {
    std::lock_guard lock(mutex_);
    return port_;
}

int UnitLink::statusCode() const {
    std::lock_guard lock(mutex_);
    return statusCode_;
}

QString UnitLink::statusText() const {
    std::lock_guard lock(mutex_);
    return statusText_;
}

bool UnitLink::answerOfAnotherCommand() const {
    std::lock_guard lock(mutex_);
    return answerOfAnotherCommand_;
}

QString UnitLink::responseFile() const {
    std::lock_guard lock(mutex_);
    return responseFile_;
}

void UnitLink::clearResponseFile() {
    std::lock_guard lock(mutex_);
    responseFile_.clear();
}

void UnitLink::discardResponseFile() {
    const QString file = responseFile();
    if (!file.isEmpty())
        QFile::remove(file);
    clearResponseFile();
}

void UnitLink::markWorking() {
    std::lock_guard lock(mutex_);
    statusText_ = kWorkingText;
    statusCode_ = LinkStatusWorking;
}

void UnitLink::resetStatus() {
    std::lock_guard lock(mutex_);
    statusText_.clear();
    statusCode_ = LinkStatusOk;
}

quint64 UnitLink::submit(quint32 code, const quint32* payload, int payloadLength) {
    std::array<unsigned char, kCommandBufferSize> packet;
    packet.fill(0xFF);
    if (!buildCommand(packet.data(), payload, payloadLength, code))
        return 0;
    doneEvent.reset();
    quint64 sequence;
    {
        std::lock_guard lock(mutex_);
        statusText_ = kWorkingText;
        statusCode_ = LinkStatusWorking;
        commandBuffer_ = packet;
        sequence = ++submittedSequence_;
    }
    commandEvent.set();
    return sequence;
}

quint64 UnitLink::requestStop() {
    quint64 sequence;
    {
        std::lock_guard lock(mutex_);
        statusText_ = kWorkingText;
        statusCode_ = LinkStatusWorking;
        sequence = ++submittedSequence_;
    }
    stopRequested = true;
    commandEvent.set();
    return sequence;
}

void UnitLink::requestAbort() {
    std::lock_guard lock(mutex_);
    abortSequence_ = submittedSequence_;
}

bool UnitLink::abortRequested() const {
    std::lock_guard lock(mutex_);
    return abortSequence_ != 0 && abortSequence_ == submittedSequence_;
}

bool UnitLink::abortRequestedFor(quint64 sequence) const {
    std::lock_guard lock(mutex_);
    return sequence != 0 && abortSequence_ >= sequence;
}

bool UnitLink::waitForCompletion(quint64 sequence, int timeoutMs) {
    const auto done = [this, sequence] {
        std::lock_guard lock(mutex_);
        return completedSequence_ >= sequence && statusCode_ != LinkStatusWorking;
    };
    if (waitsOnEvents(timeoutMs))
        return waitOnEvents(done, timeoutMs);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (done())
            return true;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 || !doneEvent.wait(int(left.count())))
            return done();
    }
}

bool UnitLink::waitForReport(int timeoutMs) {
    if (waitsOnEvents(timeoutMs))
        return waitOnEvents([this] { return doneEvent.wait(0); }, timeoutMs);
    return doneEvent.wait(timeoutMs);
}

bool UnitLink::waitsOnEvents(int timeoutMs) const {
    const QCoreApplication* application = QCoreApplication::instance();
    return timeoutMs > 0 && wakeFd_ >= 0 && application != nullptr &&
           QThread::currentThread() == application->thread();
}

bool UnitLink::waitOnEvents(const std::function<bool()>& done, int timeoutMs) {
    QEventLoop loop;
    QTimer timeout;
    timeout.setSingleShot(true);
    // The time-outs are the unit's, to the millisecond, not a coarse timer's.
    timeout.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
    // A wait begun within another (from a timer of the enclosing wait's loop) wakes both.
    std::function<void()> enclosing = std::move(endWaits_);
    endWaits_ = [&loop, enclosing] {
        loop.quit();
        if (enclosing)
            enclosing();
    };
    QSocketNotifier wake(qintptr(wakeFd_), QSocketNotifier::Read);
    QObject::connect(&wake, &QSocketNotifier::activated, &loop, [this] {
        quint64 reports = 0;
        if (read(wakeFd_, &reports, sizeof reports) > 0)
            endWaits_();
    });
    timeout.start(timeoutMs);
    bool result = done();
    {
        const HeldInput held;
        while (!result && timeout.isActive()) {
            loop.exec(QEventLoop::ExcludeUserInputEvents);
            result = done();
        }
    }
    endWaits_ = std::move(enclosing);
    return result;
}

void UnitLink::wakeWaiter() {
    const quint64 one = 1;
    // A failed write needs nothing more: the counter is then as high as it goes, and the
    // waiter is woken already.
    [[maybe_unused]] const ssize_t written = write(wakeFd_, &one, sizeof one);
}

UnitLink::Command UnitLink::takeCommand() const {
    std::lock_guard lock(mutex_);
    return Command{commandBuffer_, submittedSequence_};
}

void UnitLink::complete(quint64 sequence, int code, const QString& text, const QString& file,
                        bool answerOfAnotherCommand) {
    bool stale;
    {
        std::lock_guard lock(mutex_);
        stale = sequence != submittedSequence_;
        if (!stale) {
            completedSequence_ = sequence;
            statusCode_ = code;
            statusText_ = text;
            responseFile_ = file;
            answerOfAnotherCommand_ = answerOfAnotherCommand;
        }
    }
    if (stale && !file.isEmpty())
        QFile::remove(file);
    doneEvent.set();
    wakeWaiter();
}

void UnitLink::publishStatus(int code, const QString& text) {
    {
        std::lock_guard lock(mutex_);
        completedSequence_ = submittedSequence_;
        statusCode_ = code;
        statusText_ = text;
        answerOfAnotherCommand_ = false;
    }
    doneEvent.set();
    wakeWaiter();
}

void UnitLink::publishWorkerEnd(int code, const QString& text) {
    {
        std::lock_guard lock(mutex_);
        workerEnded = true;
        completedSequence_ = submittedSequence_;
        statusCode_ = code;
        statusText_ = text;
    }
    doneEvent.set();
    wakeWaiter();
}
