#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <optional>

// How the simulated unit misbehaves for one command code. Content faults change the
// bytes of the answer; delivery faults change how (or whether) they are sent.
enum class FaultKind {
    AckError,     // content: a 12-byte answer with ack = argument; the command is not carried out
    DeclaredSize, // content: the size field says `argument`, the rest is sent unchanged
    BadBlockType, // content: the first block's type becomes `argument`
    RawResponse,  // content: exactly `rawResponse` is sent; the command is not carried out
    Delay,        // delivery: waits `argument` ms before answering
    NoAnswer,     // delivery: the connection goes silent until the client reconnects
    CloseAfterBytes, // delivery: sends the first `argument` bytes, then closes the connection
    Trickle,         // delivery: sends pieces of 1 to 7 bytes, `argument` ms apart
};

// A row of the fault table.
struct SimulatorFault {
    static constexpr quint32 kAnyCommand = 0;
    static constexpr int kAlways = -1;

    quint32 code = kAnyCommand;
    FaultKind kind = FaultKind::AckError;
    quint32 argument = 0;
    QByteArray rawResponse;
    // How many more commands the row affects; kAlways never runs out.
    int times = kAlways;
    // How many matching commands pass untouched before the row takes effect: 2 makes the
    // third upload packet the one refused.
    int after = 0;
};

QString faultKindName(FaultKind kind);
std::optional<FaultKind> faultKindFromName(const QString& name);
