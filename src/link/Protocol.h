#pragma once

#include "ResponseLayout.h"

#include <QString>
#include <QtGlobal>

class QIODevice;

// The command packet and response message exchanged with the unit. Wire values are
// big-endian 32-bit words; the response file holds the same response in host order.

inline constexpr int kCommandBufferSize = 16384;
inline constexpr int kCommandHeaderSize = 8;
inline constexpr int kMaxPayloadLength = kCommandBufferSize - kCommandHeaderSize;
inline constexpr int kResponseHeaderSize = 12;
inline constexpr int kBlockHeaderSize = 8;
// Largest declared response size and block byte count the unit may announce.
inline constexpr quint32 kMaxDeclaredSize = 0xFFFFFF;

enum CommandCode : quint32 {
    ReadPartNumbersCommand = 1,
    DownloadBearing4Command = 96,
    EraseBearing4Command = 101,
    EraseBearing4HistoryCommand = 102,
    EraseAccelHistoryCommand = 103,
    UploadMainSoftwareCommand = 240,
    UploadDspSoftwareCommand = 242,
    UploadDspConfigurationCommand = 243,
};

// Log texts of the conversion.
inline const QString kUnitReturnedErrorText = QStringLiteral("Unit returned error (ACK = %1)");
inline const QString kInvalidBlockTypeText = QStringLiteral("Invalid block type");
inline const QString kInvalidByteCountText = QStringLiteral("Invalid byte count");

// Builds the packet for `code` with `payloadLength` bytes of `payload` into
// `commandBuffer` (kCommandBufferSize bytes), already in wire order. Returns false and
// leaves the buffer untouched when the payload is negative, not whole words, or does not
// fit the buffer.
bool buildCommand(unsigned char* commandBuffer, const quint32* payload, int payloadLength,
                  quint32 code);

// The response file of this process: home directory + "/ZELK-" + process id.
QString responseFilePath();

// What parseResponse returns besides 0 (success) and -1 (failure): the response is sound
// but has the shape of another command's answer, so the stream is not where it should be.
inline constexpr int kResponseDoesNotFit = -2;

// Converts the raw response (as received: its first four bytes are the size field) into
// the response file. `rawResponse` is read from its start, opened for reading when it is
// not open yet. Returns 0 on success with `responseFile` naming the file; -1 or
// kResponseDoesNotFit (the response does not have the shape `expected`) on failure, with
// `responseFile` empty and no file left, except when the response file itself could not
// be opened (the name then stays set for the caller to clean up).
int parseResponse(QString& responseFile, QIODevice& rawResponse, quint32 declaredSize,
                  const ResponseLayout& expected = ResponseLayout::any());

// In-place conversion of one block's data to host order by its type (1: 16-bit elements,
// 2 and 3: 32-bit elements, anything else untouched). Trailing bytes that do not fill an
// element are left as they are.
void swapElements(char* data, quint32 byteCount, quint32 type);
