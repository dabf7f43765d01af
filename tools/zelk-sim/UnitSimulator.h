#pragma once

#include "SimulatorFault.h"
#include "UnitSimulatorConfig.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtGlobal>

#include <memory>
#include <optional>

// The three memories of an engine that the erase commands 101, 102 and 103 clear.
enum class UnitMemory { Bearing4Data, Bearing4History, AccelHistory };

// One command packet as the simulated unit read it. A packet that was cut short or carried
// an impossible length is recorded too, with whatever arrived.
struct ReceivedCommand {
    quint32 length = 0; // the packet's own length word
    quint32 code = 0;
    QList<quint32> payload;
    QByteArray packet; // the bytes as received
    quint32 ack = 0;   // what the unit made of it, before any fault
};

// A ZELK unit on loopback: serves the command protocol to one client at a time on a
// thread of its own, and misbehaves on request through a table of faults. Binds
// 127.0.0.1 only.
//
// Uploads (240 main software, 242 DSP software, 243 DSP configuration): a packet is taken
// when its payload is exactly 1280 words; anything else is refused with ack 2. The unit
// keeps one image per kind. A run of packets of one kind is one image: the first packet of
// a kind after any other command starts the image afresh, and each packet taken appends
// its words. There is no last-packet marker on the wire, so the image counts as complete
// whenever a packet has been taken: the kind's part number (main software, DSP software,
// configuration) becomes the image's first 16 bytes, its first four words as they travel
// (big-endian), NULs included. A file that starts with the words 5A4B3437 33302D43
// 462D3030 30390000 thus reads back as "ZK4730-CF-0009". A refused or unanswered packet
// changes nothing.
class UnitSimulator {
public:
    explicit UnitSimulator(UnitSimulatorConfig config = {});
    ~UnitSimulator();
    UnitSimulator(const UnitSimulator&) = delete;
    UnitSimulator& operator=(const UnitSimulator&) = delete;

    // Listens on 127.0.0.1:port (0: any free port). False when already running or the
    // port cannot be bound; errorString() says why.
    bool start(quint16 port = 0);
    // Closes the listener and any connection and joins the thread, even in the middle of
    // an answer. The simulator keeps its state and may be started again.
    void stop();
    bool isRunning() const;
    quint16 port() const;
    QString errorString() const;
    const UnitSimulatorConfig& config() const;

    void addFault(const SimulatorFault& fault);
    void clearFaults();
    QList<SimulatorFault> faults() const;
    // While set, nothing listens on the port, so a connect is refused; clearing it listens
    // on the same port again. A connection already open stays open.
    void setRefuseConnections(bool refuse);
    bool refusesConnections() const;

    // The latest 4096 commands, oldest first.
    QList<ReceivedCommand> receivedCommands() const;
    void clearReceivedCommands();
    // Waits up to `timeoutMs` until at least `count` commands were received since the start
    // or the last clearReceivedCommands().
    bool waitForCommands(int count, int timeoutMs) const;
    int connectionsAccepted() const;

    bool isErased(int engine, UnitMemory memory) const;
    int eraseCount(int engine, UnitMemory memory) const;
    // Puts the recorded flights back, as if nothing had been erased.
    void restoreRecordedData();

    // The words of the image of upload command `code` (240, 242 or 243) received so far,
    // host order; empty before the first packet of that kind.
    QList<quint32> uploadedImage(quint32 code) const;
    PartNumbers partNumbers() const;
    void setPartNumber(PartNumberField field, const QByteArray& text);

    // The exact wire bytes of the answer to command 96, and the same answer converted to
    // host order per block, as the ground program's response file must hold it.
    static QByteArray downloadResponse(int engine, const UnitSimulatorConfig& config,
                                       bool erased = false);
    static std::optional<QByteArray> hostOrderResponse(const QByteArray& wireResponse);

private:
    struct Private;
    std::unique_ptr<Private> d;
};
