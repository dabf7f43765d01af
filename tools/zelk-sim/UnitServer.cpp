#include "UnitServer.h"

#include "FaultInjector.h"
#include "UnitModel.h"
#include "UnitResponses.h"

#include <QLoggingCategory>
#include <QtEndian>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

Q_LOGGING_CATEGORY(lcSimulator, "zelk.sim", QtWarningMsg)

using namespace unit_responses;

namespace {

constexpr qsizetype kKeptCommands = 4096;
constexpr int kListenBacklog = 8;
constexpr int kListenRetryMs = 100;
constexpr auto kListenStateWait = std::chrono::seconds(2);

quint32 wordAt(const QByteArray& bytes, qsizetype offset) {
    return qFromBigEndian<quint32>(bytes.constData() + offset);
}

} // namespace

UnitServer::UnitServer(UnitModel& unit, FaultInjector& faults)
    : unit_(unit), faults_(faults), trickle_(unit.config().seed) {}

UnitServer::~UnitServer() {
    stop();
}

void UnitServer::wake() {
    const char byte = 0;
    [[maybe_unused]] const ssize_t written = ::write(wakeWrite_, &byte, 1);
}

void UnitServer::drainWake() {
    char buffer[64];
    while (::read(wakeRead_, buffer, sizeof buffer) > 0) {
    }
}

bool UnitServer::openListener(quint16 wantedPort, QString* why) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        *why = QStringLiteral("socket: %1").arg(qt_error_string(errno));
        return false;
    }
    const int one = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(wantedPort);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(fd, kListenBacklog) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        *why = QStringLiteral("127.0.0.1:%1: %2")
                   .arg(QString::number(wantedPort), qt_error_string(errno));
        ::close(fd);
        return false;
    }
    listenFd_ = fd;
    std::lock_guard lock(mutex_);
    port_ = ntohs(address.sin_port);
    return true;
}

// Closes or reopens the listener to match the refusal wanted; server thread only.
void UnitServer::applyListenState() {
    std::unique_lock lock(mutex_);
    const bool wantListening = !refuse_;
    const quint16 samePort = port_;
    lock.unlock();
    if (!wantListening && listenFd_ >= 0) {
        ::close(listenFd_);
        listenFd_ = -1;
    } else if (wantListening && listenFd_ < 0) {
        QString why;
        if (!openListener(samePort, &why))
            qCWarning(lcSimulator) << "cannot listen again:" << why;
    }
    lock.lock();
    listening_ = listenFd_ >= 0;
    changed_.notify_all();
}

// Waits until `fd` is ready for `events` (fd < 0: only the time passes), the deadline
// passes or a stop is asked for.
UnitServer::Wait UnitServer::waitFor(int fd, short events,
                                     std::optional<Clock::time_point> deadline) {
    for (;;) {
        if (stopping_)
            return Wait::Stopped;
        int timeoutMs = -1;
        if (deadline) {
            const auto left =
                std::chrono::ceil<std::chrono::milliseconds>(*deadline - Clock::now());
            if (left.count() <= 0)
                return Wait::TimedOut;
            timeoutMs = int(std::min<qint64>(left.count(), 60000));
        }
        pollfd fds[2] = {{wakeRead_, POLLIN, 0}, {fd, events, 0}};
        const int ready = ::poll(fds, fd >= 0 ? 2 : 1, timeoutMs);
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            return Wait::Failed;
        }
        if (fds[0].revents != 0) {
            drainWake();
            applyListenState();
            continue;
        }
        if (fd >= 0 && fds[1].revents != 0)
            return Wait::Ready;
    }
}

bool UnitServer::pause(int milliseconds) {
    return waitFor(-1, 0, Clock::now() + std::chrono::milliseconds(milliseconds)) == Wait::TimedOut;
}

UnitServer::Read UnitServer::readExact(int fd, char* into, qsizetype size,
                                       std::optional<Clock::time_point> deadline, qsizetype* got) {
    *got = 0;
    while (*got < size) {
        const ssize_t n = ::recv(fd, into + *got, size_t(size - *got), 0);
        if (n > 0) {
            *got += n;
            continue;
        }
        if (n == 0)
            return Read::Closed;
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK)
            return Read::Closed;
        switch (waitFor(fd, POLLIN, deadline)) {
        case Wait::Ready:
            break;
        case Wait::TimedOut:
            return Read::TimedOut;
        case Wait::Stopped:
            return Read::Stopped;
        case Wait::Failed:
            return Read::Closed;
        }
    }
    return Read::Complete;
}

// Sends every byte, coping with partial writes; in trickle mode each send carries 1 to 7
// bytes, `pauseMs` apart. False when the peer went away or a stop was asked for.
bool UnitServer::sendBytes(int fd, const char* data, qsizetype size, bool trickled, int pauseMs) {
    qsizetype sent = 0;
    while (sent < size) {
        qsizetype piece = size - sent;
        if (trickled) {
            trickle_ = trickle_ * 6364136223846793005ULL + 1442695040888963407ULL;
            piece = std::min<qsizetype>(piece, 1 + qsizetype((trickle_ >> 33) % 7));
        }
        const ssize_t n = ::send(fd, data + sent, size_t(piece), MSG_NOSIGNAL);
        if (n > 0) {
            sent += n;
            if (trickled && sent < size && (stopping_ || (pauseMs > 0 && !pause(pauseMs))))
                return false;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
            return false;
        if (waitFor(fd, POLLOUT, std::nullopt) != Wait::Ready)
            return false;
    }
    return true;
}

void UnitServer::record(const ReceivedCommand& command) {
    unit_.noteReceived(command.code);
    std::lock_guard lock(mutex_);
    // A simulator left running for a demo must not grow without end.
    if (received_.size() >= kKeptCommands)
        received_.removeFirst();
    received_.append(command);
    ++commandCount_;
    changed_.notify_all();
}

// Serves one connection until the client leaves, a fault closes it or a stop is asked.
void UnitServer::serve(int fd) {
    bool silent = false; // a no-answer fault has hung this connection
    while (!stopping_) {
        ReceivedCommand command;
        command.packet.resize(4);
        qsizetype got = 0;
        if (readExact(fd, command.packet.data(), 4, std::nullopt, &got) != Read::Complete)
            return;
        command.length = wordAt(command.packet, 0);

        // A length the unit's buffer cannot hold leaves no way to find the next packet:
        // answer it and drop the connection.
        const bool framingLost = command.length < 8 || command.length > quint32(kMaxCommandLength);
        bool complete = !framingLost;
        if (!framingLost) {
            command.packet.resize(command.length);
            const auto deadline =
                Clock::now() + std::chrono::milliseconds(unit_.config().packetCompletionTimeoutMs);
            const Read read =
                readExact(fd, command.packet.data() + 4, command.length - 4, deadline, &got);
            command.packet.resize(4 + got);
            if (read == Read::Stopped)
                return;
            if (read == Read::Closed) {
                command.code = command.packet.size() >= 8 ? wordAt(command.packet, 4) : 0;
                command.ack = AckMalformedPacket;
                record(command);
                return;
            }
            complete = read == Read::Complete;
        }
        if (command.packet.size() >= 8)
            command.code = wordAt(command.packet, 4);
        for (qsizetype at = 8; at + 4 <= command.packet.size(); at += 4)
            command.payload.append(wordAt(command.packet, at));
        command.ack = UnitModel::validate(command, complete);
        record(command);
        qCDebug(lcSimulator) << "command" << command.code << "length" << command.length << "ack"
                             << command.ack;

        const FaultEffect effect = faults_.take(command.code);
        silent = silent || effect.silencesConnection();
        if (silent) {
            if (framingLost)
                return;
            continue; // a hung unit reads on but neither acts nor answers
        }

        const QByteArray response = effect.applyTo(
            effect.suppressesCommand() ? headerOnlyResponse(command.ack) : unit_.answer(command));
        if (effect.delayMs() > 0 && !pause(effect.delayMs()))
            return;
        const std::optional<qsizetype> closeAfter = effect.closeAfterBytes();
        const qsizetype toSend = std::min(response.size(), closeAfter.value_or(response.size()));
        if (!sendBytes(fd, response.constData(), toSend, effect.trickles(),
                       effect.tricklePauseMs()))
            return;
        if (closeAfter || framingLost)
            return;
    }
}

void UnitServer::run() {
    while (!stopping_) {
        applyListenState();
        pollfd fds[2] = {{wakeRead_, POLLIN, 0}, {listenFd_, POLLIN, 0}};
        bool retry = false;
        {
            std::lock_guard lock(mutex_);
            retry = !refuse_ && listenFd_ < 0;
        }
        const int ready = ::poll(fds, listenFd_ >= 0 ? 2 : 1, retry ? kListenRetryMs : -1);
        if (ready <= 0)
            continue;
        if (fds[0].revents != 0) {
            drainWake();
            continue;
        }
        const int client = ::accept4(listenFd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (client < 0)
            continue;
        // Small pieces must leave as sent, or trickling would be undone by Nagle.
        const int one = 1;
        ::setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        {
            std::lock_guard lock(mutex_);
            ++connections_;
        }
        serve(client);
        // Unread input would turn the close into a reset, and a reset may destroy the
        // answer that the client has not read yet.
        char scrap[4096];
        for (int i = 0; i < 64 && ::recv(client, scrap, sizeof scrap, 0) > 0; ++i) {
        }
        ::close(client);
    }
}

bool UnitServer::start(quint16 port) {
    if (thread_.joinable()) {
        error_ = QStringLiteral("already running");
        return false;
    }
    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_NONBLOCK | O_CLOEXEC) != 0) {
        error_ = QStringLiteral("pipe: %1").arg(qt_error_string(errno));
        return false;
    }
    wakeRead_ = pipeEnds[0];
    wakeWrite_ = pipeEnds[1];
    QString why;
    if (!openListener(port, &why)) {
        error_ = why;
        ::close(wakeRead_);
        ::close(wakeWrite_);
        wakeRead_ = wakeWrite_ = -1;
        return false;
    }
    error_.clear();
    stopping_ = false;
    applyListenState(); // a refusal asked for before the start holds from the first moment
    thread_ = std::thread([this] { run(); });
    return true;
}

void UnitServer::stop() {
    if (!thread_.joinable())
        return;
    stopping_ = true;
    wake();
    thread_.join();
    if (listenFd_ >= 0)
        ::close(listenFd_);
    ::close(wakeRead_);
    ::close(wakeWrite_);
    listenFd_ = wakeRead_ = wakeWrite_ = -1;
    std::lock_guard lock(mutex_);
    listening_ = false;
}

bool UnitServer::isRunning() const {
    return thread_.joinable();
}

quint16 UnitServer::port() const {
    std::lock_guard lock(mutex_);
    return port_;
}

QString UnitServer::errorString() const {
    return error_;
}

void UnitServer::setRefuseConnections(bool refuse) {
    std::unique_lock lock(mutex_);
    refuse_ = refuse;
    if (!thread_.joinable())
        return;
    wake();
    // Callers connect right after this; the listener must already be closed or open by then.
    changed_.wait_for(lock, kListenStateWait, [this, refuse] { return listening_ == !refuse; });
}

bool UnitServer::refusesConnections() const {
    std::lock_guard lock(mutex_);
    return refuse_;
}

QList<ReceivedCommand> UnitServer::receivedCommands() const {
    std::lock_guard lock(mutex_);
    return received_;
}

void UnitServer::clearReceivedCommands() {
    std::lock_guard lock(mutex_);
    received_.clear();
    commandCount_ = 0;
}

bool UnitServer::waitForCommands(int count, int timeoutMs) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                             [this, count] { return commandCount_ >= count; });
}

int UnitServer::connectionsAccepted() const {
    std::lock_guard lock(mutex_);
    return connections_;
}
