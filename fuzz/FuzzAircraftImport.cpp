// Feeds arbitrary bytes through the import's line reader and field parser, as the import does
// with a file picked by the user, and checks the bounds the import relies on.
#include "AircraftIdentifier.h"
#include "AircraftImportParser.h"
#include "FixedText.h"

#include <QBuffer>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::ReadOnly))
        return 0;
    AircraftImportParser parser(buffer);
    ImportLine line;
    int previousLine = 0;
    // Carried from line to line, as the import does.
    AircraftRecord record;
    while (parser.next(line)) {
        if (line.text.size() > kImportLineLength || line.lineNumber != previousLine + 1)
            std::abort();
        previousLine = line.lineNumber;
        if (isSkippedImportLine(line.text))
            continue;
        const ImportedFields fields = parseImportLine(line.text);
        if (fields.fieldCount < 1 || fields.fieldCount > kImportFieldCount)
            std::abort();
        for (int index = 0; index < kImportFieldCount; ++index) {
            if (fields.fields[index].size() > kImportFieldLengths[index])
                std::abort();
        }
        fields.applyTo(record);
        if (readFixedBytes(record.comments).size() > kImportFieldLengths[8] ||
            record.toBytes().size() != AircraftRecord::kSize)
            std::abort();
        // An imported record has its download switches off.
        for (const EngineRecord& engine : record.engines) {
            if (engine.downloadBearing4 != 0 || engine.eraseBearing4 != 0 ||
                engine.eraseBearing4History != 0 || engine.eraseAccelHistory != 0)
                std::abort();
        }
        const QString id = QString::fromLatin1(fields.aircraftId());
        if (!isBlankAircraftId(id) && aircraftIdProblem(id, kImportedAircraftIdLength).isEmpty() &&
            (id.contains(QLatin1Char('/')) || id.contains(QLatin1Char('\\')) ||
             id.contains(QStringLiteral(".."))))
            std::abort();
    }
    return 0;
}
