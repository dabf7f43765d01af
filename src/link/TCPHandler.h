#pragma once

#include <QString>

class UnitLink;

// The outcome of a command whose answer the conversion refused: the unit reported an error,
// or the answer was malformed or had the shape of another command's.
inline const QString kInvalidResponseText =
    QStringLiteral("Invalid response detected, or unit returned error");

// Largest piece taken from the socket at a time; a response is written to its temporary
// file piece by piece and never held whole.
inline constexpr int kReceiveChunkSize = 64 * 1024;
// Pause between the abortive close after an abort and the new connection.
inline constexpr int kReconnectPauseMs = 500;

// The link worker: connects to the unit named in `link`, then carries out the commands
// submitted through it until a stop is requested. Returns 0 after a normal end and -1
// when the start-up failed.
int TCPHandler(UnitLink* link);
