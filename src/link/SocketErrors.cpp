#include "SocketErrors.h"

#include <QHash>

namespace {

// Codes the link never raises itself but the table has always named.
enum : int {
    SocketTooManyReferences = 10059,
    SocketDirectoryNotEmpty = 10066,
    SocketTooManyProcesses = 10067,
    SocketTooManyUsers = 10068,
    SocketDiscQuotaExceeded = 10069,
    SocketStaleHandle = 10070,
    SocketTooManyRemoteLevels = 10071,
    SocketSystemNotReady = 10091,
    SocketVersionNotSupported = 10092,
    SocketNotInitialised = 10093,
    SocketShutdownInProgress = 10101,
};

const QHash<int, QString>& socketErrorTable() {
    // Built once, on first use; a function-local static is safe from both threads.
    static const QHash<int, QString> table = {
        {0, QString()},
        {SocketInterrupted, QStringLiteral("Interrupted system call")},
        {SocketBadFileNumber, QStringLiteral("Bad file number")},
        {SocketPermissionDenied, QStringLiteral("Permission denied")},
        {SocketBadAddress, QStringLiteral("Bad address")},
        {SocketInvalidArgument, QStringLiteral("Invalid argument")},
        {SocketTooManyOpen, QStringLiteral("Too many open sockets")},
        {SocketWouldBlock, QStringLiteral("Operation would block")},
        {SocketInProgress, QStringLiteral("Operation now in progress")},
        {SocketAlreadyInProgress, QStringLiteral("Operation already in progress")},
        {SocketNotASocket, QStringLiteral("Socket operation on non-socket")},
        {SocketDestinationRequired, QStringLiteral("Destination address required")},
        {SocketMessageTooLong, QStringLiteral("Message too long")},
        {SocketWrongProtocolType, QStringLiteral("Protocol wrong type for socket")},
        {SocketBadProtocolOption, QStringLiteral("Bad protocol option")},
        {SocketProtocolNotSupported, QStringLiteral("Protocol not supported")},
        {SocketTypeNotSupported, QStringLiteral("Socket type not supported")},
        {SocketOperationNotSupported, QStringLiteral("Operation not supported on socket")},
        {SocketProtocolFamilyNotSupported, QStringLiteral("Protocol family not supported")},
        {SocketAddressFamilyNotSupported, QStringLiteral("Address family not supported")},
        {SocketAddressInUse, QStringLiteral("Address already in use")},
        {SocketAddressNotAvailable, QStringLiteral("Can't assign requested address")},
        {SocketNetworkDown, QStringLiteral("Network is down")},
        {SocketNetworkUnreachable, QStringLiteral("Network is unreachable")},
        {SocketNetworkReset, QStringLiteral("Net connection reset")},
        {SocketConnectionAborted, QStringLiteral("Software caused connection abort")},
        {SocketConnectionReset, QStringLiteral("Connection reset by peer")},
        {SocketNoBufferSpace, QStringLiteral("No buffer space available")},
        {SocketIsConnected, QStringLiteral("Socket is already connected")},
        {SocketNotConnected, QStringLiteral("Socket is not connected")},
        {SocketShutDown, QStringLiteral("Can't send after socket shutdown")},
        {SocketTooManyReferences, QStringLiteral("Too many references] =can't splice")},
        {SocketTimedOut, QStringLiteral("Connection timed out")},
        {SocketConnectionRefused, QStringLiteral("Connection refused")},
        {SocketLoop, QStringLiteral("Too many levels of symbolic links")},
        {SocketNameTooLong, QStringLiteral("File name too long")},
        {SocketHostDown, QStringLiteral("Host is down")},
        {SocketHostUnreachable, QStringLiteral("No route to host")},
        {SocketDirectoryNotEmpty, QStringLiteral("Directory not empty")},
        {SocketTooManyProcesses, QStringLiteral("Too many processes")},
        {SocketTooManyUsers, QStringLiteral("Too many users")},
        {SocketDiscQuotaExceeded, QStringLiteral("Disc quota exceeded")},
        {SocketStaleHandle, QStringLiteral("Stale NFS file handle")},
        {SocketTooManyRemoteLevels, QStringLiteral("Too many levels of remote in path")},
        {SocketSystemNotReady, QStringLiteral("Network system is unavailable")},
        {SocketVersionNotSupported, QStringLiteral("Winsock version out of range")},
        {SocketNotInitialised, QStringLiteral("WSAStartup not yet called")},
        {SocketShutdownInProgress, QStringLiteral("Graceful shutdown in progress")},
        {SocketHostNotFound, QStringLiteral("Host not found")},
        {SocketNoData, QStringLiteral("No host data of that type was found")},
    };
    return table;
}

} // namespace

QString socketErrorMessage(int code) {
    const auto& table = socketErrorTable();
    const auto found = table.constFind(code);
    if (found != table.constEnd())
        return found.value();
    return QStringLiteral("unknown error (ec = %1)").arg(code);
}

QString socketErrorText(const QString& context, int code) {
    return context + QStringLiteral(": ") + socketErrorMessage(code);
}
