#pragma once

#include <QString>

// Socket error codes as the link reports them (the Windows socket numbering, so the
// texts of the table are what the user and the log see on every system).
enum SocketErrorCode : int {
    SocketInterrupted = 10004,
    SocketBadFileNumber = 10009,
    SocketPermissionDenied = 10013,
    SocketBadAddress = 10014,
    SocketInvalidArgument = 10022,
    SocketTooManyOpen = 10024,
    SocketWouldBlock = 10035,
    SocketInProgress = 10036,
    SocketAlreadyInProgress = 10037,
    SocketNotASocket = 10038,
    SocketDestinationRequired = 10039,
    SocketMessageTooLong = 10040,
    SocketWrongProtocolType = 10041,
    SocketBadProtocolOption = 10042,
    SocketProtocolNotSupported = 10043,
    SocketTypeNotSupported = 10044,
    SocketOperationNotSupported = 10045,
    SocketProtocolFamilyNotSupported = 10046,
    SocketAddressFamilyNotSupported = 10047,
    SocketAddressInUse = 10048,
    SocketAddressNotAvailable = 10049,
    SocketNetworkDown = 10050,
    SocketNetworkUnreachable = 10051,
    SocketNetworkReset = 10052,
    SocketConnectionAborted = 10053,
    SocketConnectionReset = 10054,
    SocketNoBufferSpace = 10055,
    SocketIsConnected = 10056,
    SocketNotConnected = 10057,
    SocketShutDown = 10058,
    SocketTimedOut = 10060,
    SocketConnectionRefused = 10061,
    SocketLoop = 10062,
    SocketNameTooLong = 10063,
    SocketHostDown = 10064,
    SocketHostUnreachable = 10065,
    SocketHostNotFound = 11001,
    SocketNoData = 11004,
};

// The table's text of `code`, or "unknown error (ec = <code>)".
QString socketErrorMessage(int code);

// A diagnostic warning: context, ": ", and the text of `code`.
QString socketErrorText(const QString& context, int code);
