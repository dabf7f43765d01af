#include "TCPHandler.h"

#include "CommunicationLog.h"
#include "LinkLogging.h"
#include "Protocol.h"
#include "ResponseLayout.h"
#include "SocketErrors.h"
#include "SocketLayer.h"
#include "UnitLink.h"

#include <QBuffer>
#include <QTemporaryFile>
#include <QtEndian>
#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

namespace {

// The status texts below name functions this code does not have (a socket library start-up,
// LookupAddress, EstablishConnection, ...): they are the unit log's fixed texts, which the
// communication log has always carried and the people reading it search for.
const QString kStartupFailurePrefix = QStringLiteral("error: TCPHandler_(): ");
const QString kLookupFailedText = QStringLiteral("LookupAddress() failed.");
const QString kConnectFailedText = QStringLiteral("EstablishConnection() failed.");
const QString kReceiveTimeoutFailedText = QStringLiteral("SetSocketRcvTimeout() failed.");
const QString kSendTimeoutFailedText = QStringLiteral("SetSocketSendTimeout() failed.");
const QString kTemporaryFileFailedText = QStringLiteral("failed to open temporary file");
const QString kSendFailedText = QStringLiteral("send() failed.");
const QString kResponseSizeFailedText = QStringLiteral("Failed to retrieve response size.");
const QString kReceiveFailedText = QStringLiteral("recv() failed.");

// How often a wait for the unit looks at the abort flag.
constexpr int kAbortPollMs = 50;
// Bound on the wait for the unit's side to close when the worker ends; well inside the
// time the program gives the worker to end.
constexpr int kShutdownReceiveTimeoutMs = 500;

class Worker {
public:
    explicit Worker(UnitLink& link) : link_(link) {}

    int run();

private:
    struct Failure {
        QString text;
        bool answerOfAnotherCommand = false;
    };
    struct Aborted {};
    // A stop asked for while a response is still awaited: the worker ends at once instead of
    // waiting out the unit.
    struct Stopping {};

    void startUp();
    void connectSocket();
    void serveCommands();
    // One command; throws Failure. Returns the response file name (empty after an abort).
    QString carryOut(const UnitLink::Command& command);
    void receiveExactly(unsigned char* data, qint64 size, const QString& failureText);
    QString receiveResponse(const ResponseLayout& layout);
    qint64 receiveSome(unsigned char* data, qint64 size, const QString& failureText);
    void discardUnaskedBytes(quint32 code);
    void reconnectAfterAbort();
    void dropConnection();
    void shutdownConnection();

    UnitLink& link_;
    TcpSocket socket_;
    quint32 address_ = 0;
    int port_ = 0;
    quint64 currentSequence_ = 0;
    std::vector<unsigned char> chunk_ = std::vector<unsigned char>(kReceiveChunkSize);
};

int Worker::run() {
    try {
        startUp();
    } catch (const Failure& failure) {
        const QString text = kStartupFailurePrefix + failure.text;
        logStatus(text, LinkStatusError);
        if (socket_.isOpen()) {
            int error = 0;
            socket_.close(error);
        }
        link_.publishWorkerEnd(LinkStatusError, text);
        return -1;
    }

    serveCommands();

    if (socket_.isOpen()) {
        qCDebug(lcLink, "Shutting down connection...");
        shutdownConnection();
    }
    qCDebug(lcLink, "Terminates use of the socket library");
    qCDebug(lcLink, "All done!");
    qCWarning(lcLink, "TCPHandler(): thread has exited");
    logStatus(kThreadExitedText, LinkStatusThreadExited);
    link_.publishWorkerEnd(LinkStatusThreadExited, kThreadExitedText);
    return 0;
}

void Worker::startUp() {
    const QString host = link_.host();
    port_ = link_.port();
    qCDebug(lcLink, "Looking up remote host address (%s)...", qUtf8Printable(host));
    int error = 0;
    if (!TcpSocket::lookupAddress(host, address_, error)) {
        qCWarning(lcLink) << socketErrorText(QStringLiteral("LookupAddress()"), error);
        throw Failure{kLookupFailedText};
    }
    qCDebug(lcLink) << TcpSocket::dottedAddress(address_) + QLatin1Char(':') +
                           QString::number(port_);
    qCDebug(lcLink, "Connecting to remote host...");
    connectSocket();
    qCDebug(lcLink, "*** connected to remote host using socket #%d ***", socket_.descriptor());
    logStatus(kThreadInitialisedText, LinkStatusThreadInitialised);
    link_.publishStatus(LinkStatusThreadInitialised, kThreadInitialisedText);
}

// Opens the connection with the link's time-outs; every connection, the first one and
// those reopened later, gets the same.
void Worker::connectSocket() {
    int error = 0;
    if (!socket_.create(error)) {
        qCWarning(lcLink, "error: EstablishConnection(): socket() = INVALID_SOCKET");
        throw Failure{kConnectFailedText};
    }
    const auto stopping = [this] { return bool(link_.stopRequested); };
    if (!socket_.connectTo(address_, port_, link_.socketTimeoutMs, stopping, error)) {
        qCWarning(lcLink, "error: EstablishConnection(): socket() = SOCKET_ERROR");
        qCWarning(lcLink) << socketErrorText(QStringLiteral("EstablishConnection()"), error);
        socket_.close(error);
        throw Failure{kConnectFailedText};
    }
    const int timeout = link_.socketTimeoutMs;
    if (!socket_.setReceiveTimeout(timeout, error)) {
        socket_.close(error);
        throw Failure{kReceiveTimeoutFailedText};
    }
    if (!socket_.setSendTimeout(timeout, error)) {
        socket_.close(error);
        throw Failure{kSendTimeoutFailedText};
    }
}

void Worker::serveCommands() {
    for (;;) {
        link_.commandEvent.wait(AutoResetEvent::kInfinite);
        if (link_.stopRequested)
            return;
        const UnitLink::Command command = link_.takeCommand();
        link_.clearResponseFile();
        currentSequence_ = command.sequence;
        link_.bytesReceived = 0;
        link_.responseSize = 0;
        try {
            const QString file = carryOut(command);
            link_.complete(command.sequence, LinkStatusOk, kStatusOkText, file);
        } catch (const Failure& failure) {
            logStatus(failure.text, LinkStatusError);
            link_.complete(command.sequence, LinkStatusError, failure.text, QString(),
                           failure.answerOfAnotherCommand);
        } catch (const Stopping&) {
            // The stale connection is reset; the end report stands for this command.
            dropConnection();
            return;
        }
    }
}

QString Worker::carryOut(const UnitLink::Command& command) {
    const quint32 length = qFromBigEndian<quint32>(command.packet.data());
    const quint32 code = qFromBigEndian<quint32>(command.packet.data() + 4);
    if (socket_.isOpen())
        discardUnaskedBytes(code);
    // A connection lost by an earlier command is reopened here, so that the next command
    // after an unplugged cable works again without restarting the worker.
    if (!socket_.isOpen()) {
        try {
            connectSocket();
        } catch (const Failure&) {
            throw Failure{kSendFailedText};
        }
    }

    int error = 0;
    if (length > quint32(kCommandBufferSize) ||
        !socket_.sendAll(command.packet.data(), length, error)) {
        dropConnection();
        throw Failure{kSendFailedText};
    }
    qCDebug(lcLink, "Sent command (%d Bytes).  Waiting for response...", int(length));

    try {
        return receiveResponse(ResponseLayout::forCommand(code));
    } catch (const Aborted&) {
        reconnectAfterAbort();
        return QString();
    }
}

// A response up to this size is received into memory; a larger one, a download, goes to a
// temporary file on its way to the response file.
constexpr quint32 kResponseInMemoryLimit = 256 * 1024;

QString Worker::receiveResponse(const ResponseLayout& layout) {
    unsigned char sizeField[4];
    receiveExactly(sizeField, sizeof sizeField, kResponseSizeFailedText);
    const quint32 declaredSize = qFromBigEndian<quint32>(sizeField);
    qCDebug(lcLink, "Response message size = %u Bytes", declaredSize);
    link_.bytesReceived = 4;
    // A size the unit may not announce leaves the stream at an unknown place: nothing is
    // received for it and the connection is started afresh for the next command.
    if (declaredSize > kMaxDeclaredSize || declaredSize < quint32(kResponseHeaderSize)) {
        dropConnection();
        throw Failure{kInvalidResponseText};
    }
    link_.responseSize = int(declaredSize);
    QBuffer memory;
    QTemporaryFile file;
    QIODevice& raw = declaredSize <= kResponseInMemoryLimit ? static_cast<QIODevice&>(memory)
                                                            : static_cast<QIODevice&>(file);
    if (!raw.open(QIODevice::ReadWrite)) {
        dropConnection();
        throw Failure{kTemporaryFileFailedText};
    }
    if (raw.write(reinterpret_cast<const char*>(sizeField), 4) != 4) {
        dropConnection();
        throw Failure{kTemporaryFileFailedText};
    }

    const qint64 expected = qint64(declaredSize) - 4;
    qint64 received = 0;
    while (received < expected) {
        const qint64 count =
            receiveSome(chunk_.data(), std::min<qint64>(kReceiveChunkSize, expected - received),
                        kReceiveFailedText);
        if (raw.write(reinterpret_cast<const char*>(chunk_.data()), count) != count) {
            dropConnection();
            throw Failure{kTemporaryFileFailedText};
        }
        received += count;
        link_.bytesReceived = int(received + 4);
        if (lcLink().isDebugEnabled() && count >= 4) {
            qCDebug(lcLink, "%d / %d\t%#x...%#x", int(received + 4), int(declaredSize),
                    qFromBigEndian<quint32>(chunk_.data()),
                    qFromBigEndian<quint32>(chunk_.data() + count - 4));
        }
    }
    if (&raw == &file && !file.flush())
        throw Failure{kTemporaryFileFailedText};

    QString responseFile;
    const int parsed = parseResponse(responseFile, raw, declaredSize, layout);
    if (parsed != 0) {
        if (!responseFile.isEmpty())
            QFile::remove(responseFile);
        // The answer of another command: the one to this command may still be on its way, so
        // the stream position is unknown and the next command starts on a fresh connection.
        if (parsed == kResponseDoesNotFit) {
            dropConnection();
            throw Failure{kInvalidResponseText, true};
        }
        throw Failure{kInvalidResponseText};
    }
    return responseFile;
}

// Whatever the unit sent that nobody asked for (a response sent twice, a late answer) would
// otherwise be read as the answer to the command about to go out.
void Worker::discardUnaskedBytes(quint32 code) {
    qint64 discarded = 0;
    int error = 0;
    for (;;) {
        const qint64 count = socket_.tryReceive(chunk_.data(), qint64(chunk_.size()), error);
        if (count > 0) {
            discarded += count;
            continue;
        }
        // The unit has closed its side or the connection failed: the command goes out on a
        // fresh connection.
        if (count == 0 || count == TcpSocket::kFailed)
            dropConnection();
        break;
    }
    if (discarded > 0)
        qCWarning(lcLink).noquote()
            << QStringLiteral("discarded %1 unexpected bytes before command %2")
                   .arg(QString::number(discarded), QString::number(code));
}

void Worker::receiveExactly(unsigned char* data, qint64 size, const QString& failureText) {
    for (qint64 received = 0; received < size;)
        received += receiveSome(data + received, size - received, failureText);
}

// Takes what has arrived, waiting for more when nothing has, while watching the abort flag
// and the link's time-out. Returns a count above 0; throws Aborted or Failure otherwise.
qint64 Worker::receiveSome(unsigned char* data, qint64 size, const QString& failureText) {
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(int(link_.socketTimeoutMs));
    int error = 0;
    for (;;) {
        if (link_.stopRequested)
            throw Stopping{};
        if (link_.abortRequestedFor(currentSequence_))
            throw Aborted{};
        const qint64 count = socket_.tryReceive(data, size, error);
        if (count > 0)
            return count;
        // The unit closed its side or the receive failed: the rest of this response will
        // never arrive on this connection.
        if (count == 0 || count == TcpSocket::kFailed) {
            dropConnection();
            throw Failure{failureText};
        }
        if (socket_.waitReadable(kAbortPollMs, error) < 0 ||
            std::chrono::steady_clock::now() >= deadline) {
            dropConnection();
            throw Failure{failureText};
        }
    }
}

void Worker::reconnectAfterAbort() {
    int error = 0;
    socket_.setAbortiveClose(error);
    socket_.shutdownSend(error);
    socket_.close(error);
    std::this_thread::sleep_for(std::chrono::milliseconds(kReconnectPauseMs));
    try {
        connectSocket();
    } catch (const Failure&) {
        throw Failure{kConnectFailedText};
    }
}

void Worker::dropConnection() {
    if (!socket_.isOpen())
        return;
    int error = 0;
    socket_.setAbortiveClose(error);
    socket_.close(error);
}

void Worker::shutdownConnection() {
    int error = 0;
    if (!socket_.shutdownSend(error)) {
        qCWarning(lcLink) << socketErrorText(
            QStringLiteral("ShutdownConnection(): shutdown() failed"), error);
        socket_.close(error);
        return;
    }
    socket_.setReceiveTimeout(kShutdownReceiveTimeoutMs, error);
    for (;;) {
        const qint64 count = socket_.receive(chunk_.data(), qint64(chunk_.size()), error);
        if (count == 0)
            break;
        if (count < 0) {
            qCWarning(lcLink) << socketErrorText(
                QStringLiteral("ShutdownConnection(): recv() failed"), error);
            socket_.close(error);
            return;
        }
        qCWarning(lcLink, "FYI, received %d unexpected bytes during shutdown", int(count));
    }
    if (!socket_.close(error))
        qCWarning(lcLink) << socketErrorText(
            QStringLiteral("ShutdownConnection(): closesocket() failed"), error);
}

} // namespace

int TCPHandler(UnitLink* link) {
    Worker worker(*link);
    return worker.run();
}
