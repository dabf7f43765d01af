#include "UnitSimulator.h"

#include "UnitResponses.h"

#include <QHash>
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
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

Q_LOGGING_CATEGORY(lcSimulator, "zelk.sim", QtWarningMsg)

using namespace unit_responses;
using Clock = std::chrono::steady_clock;

namespace {

enum class Wait { Ready, TimedOut, Stopped, Failed };
enum class Read { Complete, Closed, TimedOut, Stopped };

enum AckCode : quint32 { AckOk = 0, AckUnknownCommand = 1, AckMalformedPacket = 2 };

constexpr int kUploadPacketWords = 1280;
constexpr qsizetype kKeptCommands = 4096;
constexpr int kListenBacklog = 8;
constexpr int kListenRetryMs = 100;
constexpr auto kListenStateWait = std::chrono::seconds(2);

quint32 wordAt(const QByteArray& bytes, qsizetype offset) {
    return qFromBigEndian<quint32>(bytes.constData() + offset);
}

void setWord(QByteArray& bytes, qsizetype offset, quint32 value) {
    qToBigEndian(value, bytes.data() + offset);
}

bool isEngine(quint32 word) {
    return word == 1 || word == 2;
}

int memoryIndex(UnitMemory memory) {
    return int(memory);
}

std::optional<PartNumberField> uploadTarget(quint32 code) {
    switch (code) {
    case 240:
        return PartNumberField::MainSoftware;
    case 242:
        return PartNumberField::DspSoftware;
    case 243:
        return PartNumberField::Configuration;
    default:
        return std::nullopt;
    }
}

// What the unit makes of a packet before any fault: 0 when it can carry it out.
quint32 validate(const ReceivedCommand& command, bool complete) {
    if (!complete || command.packet.size() < 8)
        return AckMalformedPacket;
    const QList<quint32>& p = command.payload;
    const bool wholeWords = command.length % 4 == 0;
    switch (command.code) {
    case 1:
        return wholeWords && p == QList<quint32>{0} ? AckOk : AckMalformedPacket;
    case 96:
        return wholeWords && p.size() == 2 && isEngine(p[0]) && p[1] == 0 ? AckOk
                                                                          : AckMalformedPacket;
    case 101:
    case 102:
    case 103:
        return wholeWords && p.size() == 1 && isEngine(p[0]) ? AckOk : AckMalformedPacket;
    case 240:
    case 242:
    case 243:
        return wholeWords && p.size() == kUploadPacketWords ? AckOk : AckMalformedPacket;
    default:
        return AckUnknownCommand;
    }
}

QByteArray normalisedPartNumber(const QByteArray& text) {
    return text.left(kPartNumberLength);
}

// The part number an image carries: its first four words in wire order.
QByteArray imagePartNumber(const QList<quint32>& image) {
    QByteArray text(kPartNumberLength, '\0');
    for (int word = 0; word < kPartNumberLength / 4 && word < image.size(); ++word)
        setWord(text, word * 4, image[word]);
    return text;
}

} // namespace

struct UnitSimulator::Private {
    explicit Private(UnitSimulatorConfig c) : config(std::move(c)), trickle(config.seed) {
        for (size_t field = 0; field < partNumbers.size(); ++field)
            partNumbers[field] = normalisedPartNumber(config.partNumbers[field]);
    }

    const UnitSimulatorConfig config;

    mutable std::mutex mutex;
    mutable std::condition_variable changed;
    QList<SimulatorFault> faults;
    QList<ReceivedCommand> received;
    qint64 commandCount = 0; // all ever received, also those no longer kept
    // Upload images by command code, and the codes of the last two commands received, which
    // tell whether a packet goes on an image or starts a new one.
    QHash<quint32, QList<quint32>> images;
    quint32 lastCode = 0;
    quint32 previousCode = 0;
    PartNumbers partNumbers;
    int eraseCounts[2][3] = {};
    bool erased[2][3] = {};
    bool refuse = false;
    bool listening = false; // what the server thread last made of `refuse`
    int connections = 0;
    quint16 port = 0;
    QString error;

    std::thread thread;
    std::atomic<bool> stopping{false};
    int listenFd = -1; // touched only by the server thread while it runs
    int wakeRead = -1;
    int wakeWrite = -1;

    std::mutex cacheMutex;
    QByteArray recordedDownload[2];
    QByteArray erasedDownload[2];

    // Piece sizes of a trickled answer; seeded so that a failing run can be repeated.
    quint64 trickle;

    void wake() {
        const char byte = 0;
        [[maybe_unused]] const ssize_t written = ::write(wakeWrite, &byte, 1);
    }

    void drainWake() {
        char buffer[64];
        while (::read(wakeRead, buffer, sizeof buffer) > 0) {
        }
    }

    bool openListener(quint16 wantedPort, QString* why) {
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
        listenFd = fd;
        std::lock_guard lock(mutex);
        port = ntohs(address.sin_port);
        return true;
    }

    // Closes or reopens the listener to match the refusal wanted; server thread only.
    void applyListenState() {
        std::unique_lock lock(mutex);
        const bool wantListening = !refuse;
        const quint16 samePort = port;
        lock.unlock();
        if (!wantListening && listenFd >= 0) {
            ::close(listenFd);
            listenFd = -1;
        } else if (wantListening && listenFd < 0) {
            QString why;
            if (!openListener(samePort, &why))
                qCWarning(lcSimulator) << "cannot listen again:" << why;
        }
        lock.lock();
        listening = listenFd >= 0;
        changed.notify_all();
    }

    // Waits until `fd` is ready for `events` (fd < 0: only the time passes), the deadline
    // passes or a stop is asked for.
    Wait waitFor(int fd, short events, std::optional<Clock::time_point> deadline) {
        for (;;) {
            if (stopping)
                return Wait::Stopped;
            int timeoutMs = -1;
            if (deadline) {
                const auto left =
                    std::chrono::ceil<std::chrono::milliseconds>(*deadline - Clock::now());
                if (left.count() <= 0)
                    return Wait::TimedOut;
                timeoutMs = int(std::min<qint64>(left.count(), 60000));
            }
            pollfd fds[2] = {{wakeRead, POLLIN, 0}, {fd, events, 0}};
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

    bool pause(int milliseconds) {
        return waitFor(-1, 0, Clock::now() + std::chrono::milliseconds(milliseconds)) ==
               Wait::TimedOut;
    }

    Read readExact(int fd, char* into, qsizetype size, std::optional<Clock::time_point> deadline,
                   qsizetype* got) {
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
    bool sendBytes(int fd, const char* data, qsizetype size, bool trickled, int pauseMs) {
        qsizetype sent = 0;
        while (sent < size) {
            qsizetype piece = size - sent;
            if (trickled) {
                trickle = trickle * 6364136223846793005ULL + 1442695040888963407ULL;
                piece = std::min<qsizetype>(piece, 1 + qsizetype((trickle >> 33) % 7));
            }
            const ssize_t n = ::send(fd, data + sent, size_t(piece), MSG_NOSIGNAL);
            if (n > 0) {
                sent += n;
                if (trickled && sent < size && (stopping || (pauseMs > 0 && !pause(pauseMs))))
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

    QByteArray download(int engine, bool empty) {
        std::lock_guard lock(cacheMutex);
        QByteArray& cached = empty ? erasedDownload[engine - 1] : recordedDownload[engine - 1];
        if (cached.isEmpty())
            cached = downloadResponse(engine, config, empty);
        return cached;
    }

    // Carries out a valid command and returns its answer.
    QByteArray execute(const ReceivedCommand& command) {
        const QList<quint32>& p = command.payload;
        switch (command.code) {
        case 1: {
            std::lock_guard lock(mutex);
            return partNumberResponse(partNumbers);
        }
        case 96: {
            const int engine = int(p[0]);
            bool empty = false;
            {
                std::lock_guard lock(mutex);
                empty = erased[engine - 1][memoryIndex(UnitMemory::Bearing4Data)];
            }
            return download(engine, empty);
        }
        case 101:
        case 102:
        case 103: {
            std::lock_guard lock(mutex);
            const int memory = int(command.code - 101);
            erased[p[0] - 1][memory] = true;
            ++eraseCounts[p[0] - 1][memory];
            return headerOnlyResponse(AckOk);
        }
        default: {
            std::lock_guard lock(mutex);
            QList<quint32>& image = images[command.code];
            if (previousCode != command.code)
                image.clear();
            image.append(p);
            partNumbers[size_t(*uploadTarget(command.code))] = imagePartNumber(image);
            return headerOnlyResponse(AckOk);
        }
        }
    }

    std::vector<SimulatorFault> takeFaults(quint32 code) {
        std::vector<SimulatorFault> matched;
        std::lock_guard lock(mutex);
        for (auto it = faults.begin(); it != faults.end();) {
            if (it->code != SimulatorFault::kAnyCommand && it->code != code) {
                ++it;
                continue;
            }
            if (it->after > 0) {
                --it->after;
                ++it;
                continue;
            }
            matched.push_back(*it);
            if (it->times > 0 && --it->times == 0)
                it = faults.erase(it);
            else
                ++it;
        }
        return matched;
    }

    void record(const ReceivedCommand& command) {
        std::lock_guard lock(mutex);
        // A simulator left running for a demo must not grow without end.
        if (received.size() >= kKeptCommands)
            received.removeFirst();
        received.append(command);
        ++commandCount;
        previousCode = lastCode;
        lastCode = command.code;
        changed.notify_all();
    }

    // Serves one connection until the client leaves, a fault closes it or a stop is asked.
    void serve(int fd) {
        bool silent = false; // a no-answer fault has hung this connection
        while (!stopping) {
            ReceivedCommand command;
            command.packet.resize(4);
            qsizetype got = 0;
            if (readExact(fd, command.packet.data(), 4, std::nullopt, &got) != Read::Complete)
                return;
            command.length = wordAt(command.packet, 0);

            // A length the unit's buffer cannot hold leaves no way to find the next packet:
            // answer it and drop the connection.
            const bool framingLost =
                command.length < 8 || command.length > quint32(kMaxCommandLength);
            bool complete = !framingLost;
            if (!framingLost) {
                command.packet.resize(command.length);
                const auto deadline =
                    Clock::now() + std::chrono::milliseconds(config.packetCompletionTimeoutMs);
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
            command.ack = validate(command, complete);
            record(command);
            qCDebug(lcSimulator) << "command" << command.code << "length" << command.length << "ack"
                                 << command.ack;

            const std::vector<SimulatorFault> matched = takeFaults(command.code);
            auto has = [&](FaultKind kind) {
                return std::any_of(matched.begin(), matched.end(),
                                   [kind](const SimulatorFault& f) { return f.kind == kind; });
            };
            silent = silent || has(FaultKind::NoAnswer);
            if (silent) {
                if (framingLost)
                    return;
                continue; // a hung unit reads on but neither acts nor answers
            }

            QByteArray response;
            if (has(FaultKind::RawResponse) || has(FaultKind::AckError))
                response = headerOnlyResponse(command.ack);
            else
                response =
                    command.ack == AckOk ? execute(command) : headerOnlyResponse(command.ack);
            int delayMs = 0;
            int pauseMs = 0;
            bool trickled = false;
            std::optional<qsizetype> closeAfter;
            for (const SimulatorFault& fault : matched) {
                switch (fault.kind) {
                case FaultKind::AckError:
                    response = headerOnlyResponse(fault.argument);
                    break;
                case FaultKind::Delay:
                    delayMs += int(fault.argument);
                    break;
                case FaultKind::Trickle:
                    trickled = true;
                    pauseMs = std::max(pauseMs, int(fault.argument));
                    break;
                case FaultKind::CloseAfterBytes:
                    closeAfter = std::min<qsizetype>(closeAfter.value_or(fault.argument),
                                                     qsizetype(fault.argument));
                    break;
                default:
                    break;
                }
            }
            // Raw bytes win over everything else; the size and type faults then edit what is
            // left, the type first so that an appended block still counts in the size.
            for (const SimulatorFault& fault : matched)
                if (fault.kind == FaultKind::RawResponse)
                    response = fault.rawResponse;
            for (const SimulatorFault& fault : matched) {
                if (fault.kind != FaultKind::BadBlockType || response.size() < kResponseHeaderSize)
                    continue;
                if (response.size() >= kResponseHeaderSize + kBlockHeaderSize) {
                    setWord(response, kResponseHeaderSize, fault.argument);
                } else {
                    // No block to spoil: add an empty one of the bad type.
                    QByteArray block(kBlockHeaderSize, '\0');
                    setWord(block, 0, fault.argument);
                    response.append(block);
                    setWord(response, 0, quint32(response.size()));
                }
            }
            for (const SimulatorFault& fault : matched)
                if (fault.kind == FaultKind::DeclaredSize && response.size() >= 4)
                    setWord(response, 0, fault.argument);

            if (delayMs > 0 && !pause(delayMs))
                return;
            const qsizetype toSend =
                std::min(response.size(), closeAfter.value_or(response.size()));
            if (!sendBytes(fd, response.constData(), toSend, trickled, pauseMs))
                return;
            if (closeAfter || framingLost)
                return;
        }
    }

    void run() {
        while (!stopping) {
            applyListenState();
            pollfd fds[2] = {{wakeRead, POLLIN, 0}, {listenFd, POLLIN, 0}};
            bool retry = false;
            {
                std::lock_guard lock(mutex);
                retry = !refuse && listenFd < 0;
            }
            const int ready = ::poll(fds, listenFd >= 0 ? 2 : 1, retry ? kListenRetryMs : -1);
            if (ready <= 0)
                continue;
            if (fds[0].revents != 0) {
                drainWake();
                continue;
            }
            const int client = ::accept4(listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
            if (client < 0)
                continue;
            // Small pieces must leave as sent, or trickling would be undone by Nagle.
            const int one = 1;
            ::setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
            {
                std::lock_guard lock(mutex);
                ++connections;
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
};

UnitSimulator::UnitSimulator(UnitSimulatorConfig config)
    : d(std::make_unique<Private>(std::move(config))) {}

UnitSimulator::~UnitSimulator() {
    stop();
}

bool UnitSimulator::start(quint16 port) {
    if (d->thread.joinable()) {
        d->error = QStringLiteral("already running");
        return false;
    }
    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_NONBLOCK | O_CLOEXEC) != 0) {
        d->error = QStringLiteral("pipe: %1").arg(qt_error_string(errno));
        return false;
    }
    d->wakeRead = pipeEnds[0];
    d->wakeWrite = pipeEnds[1];
    QString why;
    if (!d->openListener(port, &why)) {
        d->error = why;
        ::close(d->wakeRead);
        ::close(d->wakeWrite);
        d->wakeRead = d->wakeWrite = -1;
        return false;
    }
    d->error.clear();
    d->stopping = false;
    d->applyListenState(); // a refusal asked for before the start holds from the first moment
    d->thread = std::thread([this] { d->run(); });
    return true;
}

void UnitSimulator::stop() {
    if (!d->thread.joinable())
        return;
    d->stopping = true;
    d->wake();
    d->thread.join();
    if (d->listenFd >= 0)
        ::close(d->listenFd);
    ::close(d->wakeRead);
    ::close(d->wakeWrite);
    d->listenFd = d->wakeRead = d->wakeWrite = -1;
    std::lock_guard lock(d->mutex);
    d->listening = false;
}

bool UnitSimulator::isRunning() const {
    return d->thread.joinable();
}

quint16 UnitSimulator::port() const {
    std::lock_guard lock(d->mutex);
    return d->port;
}

QString UnitSimulator::errorString() const {
    return d->error;
}

const UnitSimulatorConfig& UnitSimulator::config() const {
    return d->config;
}

void UnitSimulator::addFault(const SimulatorFault& fault) {
    if (fault.times == 0)
        return;
    std::lock_guard lock(d->mutex);
    d->faults.append(fault);
}

void UnitSimulator::clearFaults() {
    std::lock_guard lock(d->mutex);
    d->faults.clear();
}

QList<SimulatorFault> UnitSimulator::faults() const {
    std::lock_guard lock(d->mutex);
    return d->faults;
}

void UnitSimulator::setRefuseConnections(bool refuse) {
    std::unique_lock lock(d->mutex);
    d->refuse = refuse;
    if (!d->thread.joinable())
        return;
    d->wake();
    // Callers connect right after this; the listener must already be closed or open by then.
    d->changed.wait_for(lock, kListenStateWait, [this, refuse] { return d->listening == !refuse; });
}

bool UnitSimulator::refusesConnections() const {
    std::lock_guard lock(d->mutex);
    return d->refuse;
}

QList<ReceivedCommand> UnitSimulator::receivedCommands() const {
    std::lock_guard lock(d->mutex);
    return d->received;
}

void UnitSimulator::clearReceivedCommands() {
    std::lock_guard lock(d->mutex);
    d->received.clear();
    d->commandCount = 0;
}

bool UnitSimulator::waitForCommands(int count, int timeoutMs) const {
    std::unique_lock lock(d->mutex);
    return d->changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                               [this, count] { return d->commandCount >= count; });
}

int UnitSimulator::connectionsAccepted() const {
    std::lock_guard lock(d->mutex);
    return d->connections;
}

bool UnitSimulator::isErased(int engine, UnitMemory memory) const {
    if (!isEngine(quint32(engine)))
        return false;
    std::lock_guard lock(d->mutex);
    return d->erased[engine - 1][memoryIndex(memory)];
}

int UnitSimulator::eraseCount(int engine, UnitMemory memory) const {
    if (!isEngine(quint32(engine)))
        return 0;
    std::lock_guard lock(d->mutex);
    return d->eraseCounts[engine - 1][memoryIndex(memory)];
}

void UnitSimulator::restoreRecordedData() {
    std::lock_guard lock(d->mutex);
    for (auto& engine : d->erased)
        std::fill(std::begin(engine), std::end(engine), false);
}

QList<quint32> UnitSimulator::uploadedImage(quint32 code) const {
    std::lock_guard lock(d->mutex);
    return d->images.value(code);
}

PartNumbers UnitSimulator::partNumbers() const {
    std::lock_guard lock(d->mutex);
    return d->partNumbers;
}

void UnitSimulator::setPartNumber(PartNumberField field, const QByteArray& text) {
    std::lock_guard lock(d->mutex);
    d->partNumbers[size_t(field)] = normalisedPartNumber(text);
}

QByteArray UnitSimulator::downloadResponse(int engine, const UnitSimulatorConfig& config,
                                           bool erased) {
    return unit_responses::downloadResponse(engine, config, erased);
}

std::optional<QByteArray> UnitSimulator::hostOrderResponse(const QByteArray& wireResponse) {
    return unit_responses::hostOrderResponse(wireResponse);
}
