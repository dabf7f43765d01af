#include "UnitLink.h"

#include "ApplicationSettings.h"

#include <QFile>
#include <chrono>

UnitLink::UnitLink() : host_(kDefaultIpAddress), port_(kDefaultPort) {
    commandBuffer_.fill(0xFF);
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
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        {
            std::lock_guard lock(mutex_);
            if (completedSequence_ >= sequence && statusCode_ != LinkStatusWorking)
                return true;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 || !doneEvent.wait(int(left.count()))) {
            std::lock_guard lock(mutex_);
            return completedSequence_ >= sequence && statusCode_ != LinkStatusWorking;
        }
    }
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
}
