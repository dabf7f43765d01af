#pragma once

#include "ReceivedCommand.h"
#include "SimulatorFault.h"
#include "UnitModel.h"
#include "UnitSimulatorConfig.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtGlobal>

#include <memory>
#include <optional>

// A ZELK unit on loopback: the unit's model (UnitModel) behind a socket server of its own
// (UnitServer), misbehaving on request through a table of faults (FaultInjector). Serves
// one client at a time on a thread of its own and binds 127.0.0.1 only. The upload rules
// are UnitModel's.
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
