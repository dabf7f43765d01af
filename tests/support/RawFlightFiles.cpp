#include "RawFlightFiles.h"

#include <QDir>
#include <QFile>
#include <QtEndian>

namespace {

constexpr int kHeaderSize = 304;
constexpr int kRecordSize = 137736;
constexpr int kBins = 26;
constexpr int kSteadyStateTypes = 13;
constexpr int kA4R = 6;
constexpr int kTimeRecordsOffset = 1352;
constexpr int kTimeRecordLength = 1024;

QByteArray record(int slot, bool suspect) {
    QByteArray bytes(kRecordSize, '\0');
    for (int type = 0; type < kSteadyStateTypes; ++type)
        for (int bin = 0; bin < kBins; ++bin)
            qToLittleEndian<float>(float(slot + 1 + type + 0.1 * bin),
                                   bytes.data() + 4 * (kBins * type + bin));
    if (suspect)
        qToLittleEndian<float>(-0.3f, bytes.data() + 4 * (kBins * kA4R + 3));
    for (int k = 0; k < kBins * kTimeRecordLength; ++k)
        qToLittleEndian<qint16>(qint16(100 * ((k % 7) - 3)),
                                bytes.data() + kTimeRecordsOffset + 2 * k);
    return bytes;
}

} // namespace

QString writeViewerRawFile(const QString& dataDirectory, const QList<qint32>& flights,
                           const QList<qint32>& suspect, const QString& fileName,
                           quint32 creationTime) {
    QByteArray file(kHeaderSize, '\0');
    qToLittleEndian<quint32>(0xAEEAAEEB, file.data());
    file.replace(4, kViewerTestAircraft.size(), kViewerTestAircraft.toLatin1());
    qToLittleEndian<qint32>(1, file.data() + 40);
    qToLittleEndian<quint32>(creationTime, file.data() + 56);
    for (int slot = 0; slot < flights.size(); ++slot) {
        qToLittleEndian<qint32>(flights[slot], file.data() + 64 + 4 * slot);
        file += record(slot, suspect.contains(flights[slot]));
    }
    // A unit writes every slot: the unused ones hold zeros (flight number 0).
    constexpr int kSlotCount = 20;
    file.append(kHeaderSize + kSlotCount * kRecordSize - file.size(), '\0');
    const QString directory =
        dataDirectory + QStringLiteral("/%1_data/engine_1").arg(kViewerTestAircraft);
    QDir().mkpath(directory);
    const QString path = directory + QLatin1Char('/') + fileName;
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(file) != file.size())
        return {};
    return path;
}

QList<qint32> flightNumbers(int count) {
    QList<qint32> numbers;
    for (int i = 0; i < count; ++i)
        numbers.append(101 + i);
    return numbers;
}
