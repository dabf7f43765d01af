#include "SimulatorFlights.h"

#include "DownloadedData.h"
#include "RawFlightDataFile.h"
#include "UnitSimulator.h"

QList<FlightDataElement> simulatorFlights(int count, int engine,
                                          const UnitSimulatorConfig& config) {
    const std::optional<QByteArray> response =
        UnitSimulator::hostOrderResponse(UnitSimulator::downloadResponse(engine, config));
    const DownloadedData data(response.value_or(QByteArray()));
    QList<FlightDataElement> flights;
    for (int slot = 0; slot < count; ++slot) {
        FlightDataElement flight;
        flight.aircraftId = QStringLiteral("AC001");
        flight.engineNumber = engine;
        flight.flightNumber = data.flightNumber(slot);
        flight.fileHeader = QByteArray(RawFlightDataFile::kHeaderSize, '\0');
        flight.flightRecord = QByteArray(RawFlightDataFile::kRecordSize, '\0');
        RawFlightDataFile::buildFlightRecord(data, slot, flight.flightRecord.data());
        flights.append(flight);
    }
    return flights;
}
