#include "LoopbackClient.h"

#include <QtEndian>

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

int millisecondsLeft(Clock::time_point deadline) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    return std::max(0, int(left.count()));
}

} // namespace

quint32 wordAt(const QByteArray& bytes, qsizetype offset) {
    return qFromBigEndian<quint32>(bytes.constData() + offset);
}

LoopbackClient::~LoopbackClient() {
    close();
}

int LoopbackClient::connectTo(quint16 port) {
    close();
    peerClosed_ = false;
    reads_ = 0;
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0)
        return 0;
    const int error = errno;
    close();
    return error;
}

void LoopbackClient::close() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

bool LoopbackClient::send(const QByteArray& bytes) {
    qsizetype sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n =
            ::send(fd_, bytes.constData() + sent, size_t(bytes.size() - sent), MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        sent += n;
    }
    return true;
}

QByteArray LoopbackClient::read(qsizetype size, int timeoutMs) {
    QByteArray bytes;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    char buffer[65536];
    while (bytes.size() < size && !peerClosed_) {
        pollfd fds{fd_, POLLIN, 0};
        if (::poll(&fds, 1, millisecondsLeft(deadline)) <= 0)
            break;
        const ssize_t n =
            ::recv(fd_, buffer, size_t(std::min<qsizetype>(sizeof buffer, size - bytes.size())), 0);
        if (n <= 0) {
            peerClosed_ = true;
            break;
        }
        ++reads_;
        bytes.append(buffer, n);
    }
    return bytes;
}

QByteArray LoopbackClient::readResponse(int timeoutMs) {
    QByteArray bytes = read(4, timeoutMs);
    if (bytes.size() < 4)
        return bytes;
    const quint32 size = wordAt(bytes, 0);
    if (size > 4 && size <= 4 * 1024 * 1024)
        bytes.append(read(size - 4, timeoutMs));
    return bytes;
}

bool LoopbackClient::closedByPeer(int timeoutMs) {
    return read(1, timeoutMs).isEmpty() && peerClosed_;
}

bool LoopbackClient::quietFor(int timeoutMs) {
    pollfd fds{fd_, POLLIN, 0};
    return ::poll(&fds, 1, timeoutMs) == 0;
}

QByteArray LoopbackClient::command(quint32 code, const QList<quint32>& payload) {
    QByteArray bytes(8 + 4 * payload.size(), '\0');
    qToBigEndian(quint32(bytes.size()), bytes.data());
    qToBigEndian(code, bytes.data() + 4);
    for (qsizetype i = 0; i < payload.size(); ++i)
        qToBigEndian(payload[i], bytes.data() + 8 + 4 * i);
    return bytes;
}
