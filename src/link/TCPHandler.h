#pragma once

class UnitLink;

inline constexpr int kReceiveChunkSize = 1024;
// Pause between the abortive close after an abort and the new connection.
inline constexpr int kReconnectPauseMs = 500;

// The link worker: connects to the unit named in `link`, then carries out the commands
// submitted through it until a stop is requested. Returns 0 after a normal end and -1
// when the start-up failed.
int TCPHandler(UnitLink* link);
