#pragma once

#include <QByteArray>
#include <QList>
#include <QtGlobal>

// The acknowledgement words the unit puts in an answer's header.
enum UnitAck : quint32 { AckOk = 0, AckUnknownCommand = 1, AckMalformedPacket = 2 };

// One command packet as the simulated unit read it. A packet that was cut short or carried
// an impossible length is recorded too, with whatever arrived.
struct ReceivedCommand {
    quint32 length = 0; // the packet's own length word
    quint32 code = 0;
    QList<quint32> payload;
    QByteArray packet; // the bytes as received
    quint32 ack = 0;   // what the unit made of it, before any fault
};
