#include "SimulatorRawFile.h"

#include "AircraftRecord.h"
#include "DownloadedData.h"
#include "RawFlightDataFile.h"
#include "UnitSimulator.h"

#include <QFile>
#include <QtEndian>

#include <cstring>

namespace {

constexpr qint64 kCreationTime = 1141568000;

} // namespace

bool writeSimulatorRawFile(const QString& path, const QString& aircraftId, int engine,
                           const QMap<int, qint32>& flightNumbers) {
    const auto response =
        UnitSimulator::hostOrderResponse(UnitSimulator::downloadResponse(engine, {}));
    if (!response)
        return false;
    AircraftRecord aircraft;
    const QByteArray id = aircraftId.toLatin1().left(sizeof aircraft.aircraftId - 1);
    std::memcpy(aircraft.aircraftId, id.constData(), size_t(id.size()));
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite | QIODevice::Truncate) ||
        !RawFlightDataFile::write(file, DownloadedData(*response), aircraft, engine - 1,
                                  kCreationTime))
        return false;
    for (auto number = flightNumbers.cbegin(); number != flightNumbers.cend(); ++number) {
        char word[4];
        qToLittleEndian(number.value(), word);
        if (!file.seek(RawFlightDataFile::kFlightNumbersOffset + 4 * number.key()) ||
            file.write(word, sizeof word) != qint64(sizeof word))
            return false;
    }
    return true;
}
