#pragma once

#include "AircraftRecord.h"

#include <QByteArray>

#include <array>

class QIODevice;

// The import file: comma-separated 8-bit text, one aircraft a line. Nothing here trusts the
// file: every line and every field is cut to its bound before it is kept.

// Characters kept of one line; the rest of a longer line is dropped.
inline constexpr int kImportLineLength = 1023;
inline constexpr int kImportFieldCount = 9;
// Characters kept of each field, in file order: identifier, shop, engine 1 type, serial
// number and installation date, engine 2 the same, comments.
inline constexpr std::array<int, kImportFieldCount> kImportFieldLengths = {15, 9, 15, 9,   19,
                                                                           15, 9, 19, 1023};

struct ImportedFields {
    // Only the first fieldCount fields come from the line.
    std::array<QByteArray, kImportFieldCount> fields;
    int fieldCount = 0;

    const QByteArray& aircraftId() const { return fields[0]; }
    // Writes the fields the line holds into the record, an empty one included; the fields
    // the line lacks and the switches keep what the record holds, so that a short line takes
    // them over from the line imported before it.
    void applyTo(AircraftRecord& record) const;
};

// Splits one line (a trailing "\n" or "\r\n" is not part of it) into its fields. A field
// starts after the white space that follows the preceding comma or the line start and runs
// up to the next comma; fields beyond the ninth are ignored.
ImportedFields parseImportLine(const QByteArray& line);

// A comment ("#" first) or an empty line.
bool isSkippedImportLine(const QByteArray& line);

struct ImportLine {
    int lineNumber = 0;
    // At most kImportLineLength characters, without the line end.
    QByteArray text;
    // The line held more than kImportLineLength characters.
    bool truncated = false;
};

// Reads the file line by line in bounded pieces, whatever the length of a line.
class AircraftImportParser {
public:
    explicit AircraftImportParser(QIODevice& device) : device_(device) {}

    // False at the end of the file.
    bool next(ImportLine& line);

private:
    QIODevice& device_;
    int lineNumber_ = 0;
};
