#include "AircraftImportParser.h"

#include "FixedText.h"

#include <QIODevice>

#include <algorithm>

namespace {

bool isWhiteSpace(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r' || c == '\n';
}

QByteArray withoutLineEnd(QByteArray line) {
    if (line.endsWith('\n'))
        line.chop(1);
    if (line.endsWith('\r'))
        line.chop(1);
    return line;
}

} // namespace

void ImportedFields::applyTo(AircraftRecord& record) const {
    // The fields in file order, each with the record's field it goes to.
    const auto write = [&](int index, auto& field) {
        if (index < fieldCount)
            writeFixedBytes(field, fields[index]);
    };
    write(0, record.aircraftId);
    write(1, record.shopId);
    for (int engine = 0; engine < AircraftRecord::kEngineCount; ++engine) {
        EngineRecord& block = record.engines[engine];
        const int first = 2 + 3 * engine;
        write(first, block.engineType);
        write(first + 1, block.serialNumber);
        write(first + 2, block.installDate);
    }
    write(8, record.comments);
}

ImportedFields parseImportLine(const QByteArray& rawLine) {
    const QByteArray line = withoutLineEnd(rawLine);
    ImportedFields result;
    const qsizetype size = line.size();
    qsizetype position = 0;
    for (int index = 0; index < kImportFieldCount; ++index) {
        while (position < size && isWhiteSpace(line[position]))
            ++position;
        qsizetype end = line.indexOf(',', position);
        if (end < 0)
            end = size;
        const qsizetype length = std::min<qsizetype>(end - position, kImportFieldLengths[index]);
        result.fields[index] = line.mid(position, length);
        result.fieldCount = index + 1;
        if (end >= size)
            break;
        position = end + 1;
    }
    return result;
}

bool isSkippedImportLine(const QByteArray& line) {
    return line.isEmpty() || line.startsWith('#');
}

bool AircraftImportParser::next(ImportLine& line) {
    // Keep the line and room for its line end; read the rest in pieces and only count it.
    constexpr qsizetype kKept = kImportLineLength + 2;
    char piece[kImportLineLength + 1];
    QByteArray kept;
    qint64 total = 0;
    bool ended = false;
    char lastBeforeEnd = 0;
    char last = 0;
    for (;;) {
        const qint64 read = device_.readLine(piece, sizeof piece);
        if (read <= 0)
            break;
        const qsizetype room = kKept - kept.size();
        if (room > 0)
            kept.append(piece, std::min<qsizetype>(room, read));
        lastBeforeEnd = read >= 2 ? piece[read - 2] : last;
        last = piece[read - 1];
        total += read;
        if (last == '\n') {
            ended = true;
            break;
        }
    }
    if (total == 0)
        return false;

    qint64 length = total;
    if (ended) {
        --length;
        if (lastBeforeEnd == '\r')
            --length;
    } else if (last == '\r') {
        --length;
    }
    line.lineNumber = ++lineNumber_;
    line.truncated = length > kImportLineLength;
    line.text = kept.left(std::min<qint64>(length, kImportLineLength));
    return true;
}
