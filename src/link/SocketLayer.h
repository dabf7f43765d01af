#pragma once

#include <QString>
#include <QtGlobal>

#include <functional>

// The few socket calls the link worker needs, over POSIX sockets. Failures report the
// socket error codes of SocketErrors.h, so the texts are the same on every system.
class TcpSocket {
public:
    TcpSocket() = default;
    ~TcpSocket();
    TcpSocket(const TcpSocket&) = delete;
    TcpSocket& operator=(const TcpSocket&) = delete;

    // Takes `host` as a dotted IPv4 address, in network order. Names are never resolved: a
    // lookup could send a query onto whatever network the machine is on, and the unit is
    // always given by its address.
    static bool lookupAddress(const QString& host, quint32& address, int& error);
    // Whether `host` is a dotted IPv4 address (four decimal numbers 0..255).
    static bool isIpv4Address(const QString& host);
    static QString dottedAddress(quint32 address);

    bool create(int& error);
    // Connects within `timeoutMs`, looking at `abandon` every few milliseconds so that a
    // stop is not held up by a unit that does not answer (an abandoned attempt fails with
    // SocketInterrupted).
    bool connectTo(quint32 address, int port, int timeoutMs, const std::function<bool()>& abandon,
                   int& error);
    bool setReceiveTimeout(int milliseconds, int& error);
    bool setSendTimeout(int milliseconds, int& error);
    // Linger on with a time of 0: the close resets the connection at once.
    bool setAbortiveClose(int& error);
    // Sends every byte; false on the first failure or time-out.
    bool sendAll(const unsigned char* data, qint64 size, int& error);
    // Bytes received (at most `size`), 0 when the peer has closed its side, -1 on failure
    // or time-out.
    qint64 receive(unsigned char* data, qint64 size, int& error);
    static constexpr qint64 kFailed = -1;
    static constexpr qint64 kNothingYet = -2;
    // Takes what has arrived without waiting: bytes received (at most `size`), 0 when the
    // peer has closed its side, kNothingYet, or kFailed.
    qint64 tryReceive(unsigned char* data, qint64 size, int& error);
    // Waits up to `milliseconds` for data or the peer's close: 1 ready, 0 nothing yet,
    // -1 failure.
    int waitReadable(int milliseconds, int& error);
    bool shutdownSend(int& error);
    bool close(int& error);

    bool isOpen() const { return descriptor_ >= 0; }
    int descriptor() const { return descriptor_; }

private:
    int descriptor_ = -1;
};
