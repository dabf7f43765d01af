#include "UnitSimulator.h"

#include "FaultInjector.h"
#include "UnitResponses.h"
#include "UnitServer.h"

struct UnitSimulator::Private {
    explicit Private(UnitSimulatorConfig config) : unit(std::move(config)), server(unit, faults) {}

    UnitModel unit;
    FaultInjector faults;
    // Declared last so that it stops before the model and the fault table go.
    UnitServer server;
};

UnitSimulator::UnitSimulator(UnitSimulatorConfig config)
    : d(std::make_unique<Private>(std::move(config))) {}

UnitSimulator::~UnitSimulator() = default;

bool UnitSimulator::start(quint16 port) {
    return d->server.start(port);
}

void UnitSimulator::stop() {
    d->server.stop();
}

bool UnitSimulator::isRunning() const {
    return d->server.isRunning();
}

quint16 UnitSimulator::port() const {
    return d->server.port();
}

QString UnitSimulator::errorString() const {
    return d->server.errorString();
}

const UnitSimulatorConfig& UnitSimulator::config() const {
    return d->unit.config();
}

void UnitSimulator::addFault(const SimulatorFault& fault) {
    d->faults.add(fault);
}

void UnitSimulator::clearFaults() {
    d->faults.clear();
}

QList<SimulatorFault> UnitSimulator::faults() const {
    return d->faults.rows();
}

void UnitSimulator::setRefuseConnections(bool refuse) {
    d->server.setRefuseConnections(refuse);
}

bool UnitSimulator::refusesConnections() const {
    return d->server.refusesConnections();
}

QList<ReceivedCommand> UnitSimulator::receivedCommands() const {
    return d->server.receivedCommands();
}

void UnitSimulator::clearReceivedCommands() {
    d->server.clearReceivedCommands();
}

bool UnitSimulator::waitForCommands(int count, int timeoutMs) const {
    return d->server.waitForCommands(count, timeoutMs);
}

int UnitSimulator::connectionsAccepted() const {
    return d->server.connectionsAccepted();
}

bool UnitSimulator::isErased(int engine, UnitMemory memory) const {
    return d->unit.isErased(engine, memory);
}

int UnitSimulator::eraseCount(int engine, UnitMemory memory) const {
    return d->unit.eraseCount(engine, memory);
}

void UnitSimulator::restoreRecordedData() {
    d->unit.restoreRecordedData();
}

QList<quint32> UnitSimulator::uploadedImage(quint32 code) const {
    return d->unit.uploadedImage(code);
}

PartNumbers UnitSimulator::partNumbers() const {
    return d->unit.partNumbers();
}

void UnitSimulator::setPartNumber(PartNumberField field, const QByteArray& text) {
    d->unit.setPartNumber(field, text);
}

QByteArray UnitSimulator::downloadResponse(int engine, const UnitSimulatorConfig& config,
                                           bool erased) {
    return unit_responses::downloadResponse(engine, config, erased);
}

std::optional<QByteArray> UnitSimulator::hostOrderResponse(const QByteArray& wireResponse) {
    return unit_responses::hostOrderResponse(wireResponse);
}
