#pragma once

#include <QByteArray>
#include <QList>
#include <QtGlobal>

// A plain blocking client of the simulated unit, with every wait bounded, so the tests see
// exactly the bytes and the closes that the simulator produces.
class LoopbackClient {
public:
    LoopbackClient() = default;
    ~LoopbackClient();
    LoopbackClient(const LoopbackClient&) = delete;
    LoopbackClient& operator=(const LoopbackClient&) = delete;

    // 0 when connected, else the errno of the failed connect.
    int connectTo(quint16 port);
    void close();
    bool send(const QByteArray& bytes);
    bool sendCommand(quint32 code, const QList<quint32>& payload) {
        return send(command(code, payload));
    }

    // Reads until `size` bytes arrived, the peer closed or the time ran out.
    QByteArray read(qsizetype size, int timeoutMs = 10000);
    // One whole response as announced by its size field (at most 4 MB).
    QByteArray readResponse(int timeoutMs = 10000);
    // True when the peer closed its side within the time and sent nothing more.
    bool closedByPeer(int timeoutMs = 5000);
    // True when nothing arrives within the time (and the peer did not close).
    bool quietFor(int timeoutMs);

    bool peerClosed() const { return peerClosed_; }
    int reads() const { return reads_; }
    int descriptor() const { return fd_; }

    static QByteArray command(quint32 code, const QList<quint32>& payload);

private:
    int fd_ = -1;
    bool peerClosed_ = false;
    int reads_ = 0;
};

quint32 wordAt(const QByteArray& bytes, qsizetype offset);
