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

    // The socket side, as UnitServer's; the simulator keeps its state across a stop and may
    // be started again.
    bool start(quint16 port = 0);
    void stop();
    bool isRunning() const;
    quint16 port() const;
    QString errorString() const;
    const UnitSimulatorConfig& config() const;

    void addFault(const SimulatorFault& fault);
    void clearFaults();
    QList<SimulatorFault> faults() const;
    // As UnitServer's.
    void setRefuseConnections(bool refuse);
    bool refusesConnections() const;
    QList<ReceivedCommand> receivedCommands() const;
    void clearReceivedCommands();
    bool waitForCommands(int count, int timeoutMs) const;
    int connectionsAccepted() const;

    // As UnitModel's.
    bool isErased(int engine, UnitMemory memory) const;
    int eraseCount(int engine, UnitMemory memory) const;
    void restoreRecordedData();
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
