#include "SocketLayer.h"

#include "SocketErrors.h"

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

namespace {

int mapErrno(int value) {
    switch (value) {
    case EINTR:
        return SocketInterrupted;
    case EBADF:
        return SocketBadFileNumber;
    case EACCES:
    case EPERM:
        return SocketPermissionDenied;
    case EFAULT:
        return SocketBadAddress;
    case EINVAL:
        return SocketInvalidArgument;
    case EMFILE:
    case ENFILE:
        return SocketTooManyOpen;
#if EAGAIN != EWOULDBLOCK
    case EAGAIN:
#endif
    case EWOULDBLOCK:
        // A blocking socket only says this when its time-out has run out.
        return SocketTimedOut;
    case EINPROGRESS:
        return SocketInProgress;
    case EALREADY:
        return SocketAlreadyInProgress;
    case ENOTSOCK:
        return SocketNotASocket;
    case EDESTADDRREQ:
        return SocketDestinationRequired;
    case EMSGSIZE:
        return SocketMessageTooLong;
    case EPROTOTYPE:
        return SocketWrongProtocolType;
    case ENOPROTOOPT:
        return SocketBadProtocolOption;
    case EPROTONOSUPPORT:
        return SocketProtocolNotSupported;
    case ESOCKTNOSUPPORT:
        return SocketTypeNotSupported;
    case EOPNOTSUPP:
        return SocketOperationNotSupported;
    case EPFNOSUPPORT:
        return SocketProtocolFamilyNotSupported;
    case EAFNOSUPPORT:
        return SocketAddressFamilyNotSupported;
    case EADDRINUSE:
        return SocketAddressInUse;
    case EADDRNOTAVAIL:
        return SocketAddressNotAvailable;
    case ENETDOWN:
        return SocketNetworkDown;
    case ENETUNREACH:
        return SocketNetworkUnreachable;
    case ENETRESET:
        return SocketNetworkReset;
    case ECONNABORTED:
        return SocketConnectionAborted;
    case ECONNRESET:
    case EPIPE:
        return SocketConnectionReset;
    case ENOBUFS:
    case ENOMEM:
        return SocketNoBufferSpace;
    case EISCONN:
        return SocketIsConnected;
    case ENOTCONN:
        return SocketNotConnected;
    case ESHUTDOWN:
        return SocketShutDown;
    case ETIMEDOUT:
        return SocketTimedOut;
    case ECONNREFUSED:
        return SocketConnectionRefused;
    case ELOOP:
        return SocketLoop;
    case ENAMETOOLONG:
        return SocketNameTooLong;
    case EHOSTDOWN:
        return SocketHostDown;
    case EHOSTUNREACH:
        return SocketHostUnreachable;
    default:
        return value;
    }
}

int lastError() {
    return mapErrno(errno);
}

bool setTimeout(int descriptor, int option, int milliseconds, int& error) {
    timeval value{};
    value.tv_sec = milliseconds / 1000;
    value.tv_usec = (milliseconds % 1000) * 1000;
    if (::setsockopt(descriptor, SOL_SOCKET, option, &value, sizeof value) != 0) {
        error = lastError();
        return false;
    }
    return true;
}

} // namespace

TcpSocket::~TcpSocket() {
    if (descriptor_ >= 0)
        ::close(descriptor_);
}

bool TcpSocket::lookupAddress(const QString& host, quint32& address, int& error) {
    // A NUL would end the text early for inet_pton, which would then take a prefix of it.
    const QByteArray text = host.toLatin1();
    in_addr dotted{};
    if (host.isEmpty() || host.contains(QChar(0)) ||
        ::inet_pton(AF_INET, text.constData(), &dotted) != 1) {
        error = SocketHostNotFound;
        return false;
    }
    address = dotted.s_addr;
    return true;
}

bool TcpSocket::isIpv4Address(const QString& host) {
    quint32 address = 0;
    int error = 0;
    return lookupAddress(host, address, error);
}

QString TcpSocket::dottedAddress(quint32 address) {
    char text[INET_ADDRSTRLEN] = {};
    in_addr value{};
    value.s_addr = address;
    ::inet_ntop(AF_INET, &value, text, sizeof text);
    return QString::fromLatin1(text);
}

bool TcpSocket::create(int& error) {
    descriptor_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (descriptor_ < 0) {
        error = lastError();
        return false;
    }
    return true;
}

bool TcpSocket::connectTo(quint32 address, int port, int timeoutMs,
                          const std::function<bool()>& abandon, int& error) {
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(static_cast<quint16>(port));
    peer.sin_addr.s_addr = address;
    const int flags = ::fcntl(descriptor_, F_GETFL);
    ::fcntl(descriptor_, F_SETFL, flags | O_NONBLOCK);
    int result = ::connect(descriptor_, reinterpret_cast<const sockaddr*>(&peer), sizeof peer);
    if (result != 0 && (errno == EINPROGRESS || errno == EINTR)) {
        constexpr int kSliceMs = 50;
        for (int waited = 0;; waited += kSliceMs) {
            if (abandon && abandon()) {
                error = SocketInterrupted;
                return false;
            }
            if (waited >= timeoutMs) {
                error = SocketTimedOut;
                return false;
            }
            pollfd entry{};
            entry.fd = descriptor_;
            entry.events = POLLOUT;
            const int ready = ::poll(&entry, 1, kSliceMs);
            if (ready < 0 && errno != EINTR) {
                error = lastError();
                return false;
            }
            if (ready > 0)
                break;
        }
        int status = 0;
        socklen_t length = sizeof status;
        if (::getsockopt(descriptor_, SOL_SOCKET, SO_ERROR, &status, &length) != 0)
            status = errno;
        if (status != 0)
            errno = status;
        result = status == 0 ? 0 : -1;
    }
    if (result != 0) {
        error = lastError();
        return false;
    }
    ::fcntl(descriptor_, F_SETFL, flags);
    return true;
}

bool TcpSocket::setReceiveTimeout(int milliseconds, int& error) {
    return setTimeout(descriptor_, SO_RCVTIMEO, milliseconds, error);
}

bool TcpSocket::setSendTimeout(int milliseconds, int& error) {
    return setTimeout(descriptor_, SO_SNDTIMEO, milliseconds, error);
}

bool TcpSocket::setAbortiveClose(int& error) {
    linger value{};
    value.l_onoff = 1;
    value.l_linger = 0;
    if (::setsockopt(descriptor_, SOL_SOCKET, SO_LINGER, &value, sizeof value) != 0) {
        error = lastError();
        return false;
    }
    return true;
}

bool TcpSocket::sendAll(const unsigned char* data, qint64 size, int& error) {
    qint64 sent = 0;
    while (sent < size) {
        const ssize_t result = ::send(descriptor_, data + sent, size_t(size - sent), MSG_NOSIGNAL);
        if (result < 0) {
            if (errno == EINTR)
                continue;
            error = lastError();
            return false;
        }
        sent += result;
    }
    return true;
}

qint64 TcpSocket::receive(unsigned char* data, qint64 size, int& error) {
    for (;;) {
        const ssize_t result = ::recv(descriptor_, data, size_t(size), 0);
        if (result >= 0)
            return result;
        if (errno != EINTR) {
            error = lastError();
            return -1;
        }
    }
}

qint64 TcpSocket::tryReceive(unsigned char* data, qint64 size, int& error) {
    for (;;) {
        const ssize_t result = ::recv(descriptor_, data, size_t(size), MSG_DONTWAIT);
        if (result >= 0)
            return result;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            return kNothingYet;
        if (errno != EINTR) {
            error = lastError();
            return kFailed;
        }
    }
}

int TcpSocket::waitReadable(int milliseconds, int& error) {
    pollfd entry{};
    entry.fd = descriptor_;
    entry.events = POLLIN;
    const int result = ::poll(&entry, 1, milliseconds);
    if (result < 0) {
        if (errno == EINTR)
            return 0;
        error = lastError();
        return -1;
    }
    return result > 0 ? 1 : 0;
}

bool TcpSocket::shutdownSend(int& error) {
    if (::shutdown(descriptor_, SHUT_WR) != 0) {
        error = lastError();
        return false;
    }
    return true;
}

bool TcpSocket::close(int& error) {
    const int descriptor = descriptor_;
    descriptor_ = -1;
    if (::close(descriptor) != 0) {
        error = lastError();
        return false;
    }
    return true;
}
