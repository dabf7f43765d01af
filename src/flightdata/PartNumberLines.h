#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

// The unit's part numbers as the conversion writes them into the header of each steady-state
// engine data file: lines holding " PN:" among the file's first lines.
struct PartNumberLines {
    QStringList lines;        // simplified, in the file's order; empty when none holds them
    QStringList skippedFiles; // newer files left out: a header line longer than the limit
};

inline const QString kPartNumberMark = QStringLiteral(" PN:");
inline constexpr int kPartNumberLinesRead = 20;      // the header lines searched
inline constexpr qint64 kPartNumberLineLimit = 1024; // bytes; a header line holds a few hundred

// The part-number lines of the newest steady-state engine data file of the aircraft, over
// both engines. A file with a header line beyond the limit is not what the conversion writes:
// it is named in `skippedFiles` and the next newest is read. A file that cannot be opened
// ends the search with no lines.
PartNumberLines latestPartNumberLines(const QString& dataDirectory, const QString& aircraftId);
