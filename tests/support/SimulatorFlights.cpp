#include "SimulatorFlights.h"

#include "DownloadedData.h"
#include "RawFlightDataFile.h"
#include "UnitSimulator.h"

QList<FlightDataElement> simulatorFlights(int count) {
    const std::optional<QByteArray> response =
        UnitSimulator::hostOrderResponse(UnitSimulator::downloadResponse(1, {}));
    const DownloadedData data(response.value_or(QByteArray()));
    QList<FlightDataElement> flights;
    for (int slot = 0; slot < count; ++slot) {
        FlightDataElement flight;
        flight.aircraftId = QStringLiteral("AC001");
        flight.engineNumber = 1;
        flight.flightNumber = data.flightNumber(slot);
        flight.fileHeader = QByteArray(RawFlightDataFile::kHeaderSize, '\0');
        flight.flightRecord = QByteArray(RawFlightDataFile::kRecordSize, '\0');
        RawFlightDataFile::buildFlightRecord(data, slot, flight.flightRecord.data());
        flights.append(flight);
    }
    return flights;
}
