#pragma once

#include <QString>

// What the register operations tell the user.

inline const QString kDirectoryNotFoundText = QStringLiteral("Directory \"%1\" not found");
inline const QString kUnableToCreateDirectoryText =
    QStringLiteral("Unable to create directory \"%1\"");
inline const QString kNoReadWriteAccessText =
    QStringLiteral("No read/write access to directory \"%1\"");
inline const QString kBuildAircraftDirText = QStringLiteral("KORALibBuildAircraftDir(): %1");
inline const QString kFailedAircraftDirectoryText =
    QStringLiteral("Failed to create aircraft directory");
inline const QString kFailedEngineDirectoryText =
    QStringLiteral("Failed to create engine directory");
inline const QString kUnableToDeleteAircraftText =
    QStringLiteral("Unable to fully delete this aircraft directory");

inline const QString kNoAircraftIdText = QStringLiteral("No aircraftID specified");
inline const QString kAircraftExistsText = QStringLiteral("Aircraft ID \"%1\" already exists");
inline const QString kAircraftNotFoundText = QStringLiteral("Aircraft ID \"%1\" not found");
// %2 is one of the reasons below.
inline const QString kInvalidAircraftIdText = QStringLiteral("Aircraft ID \"%1\" is not valid: %2");
inline const QString kIdTooLongReason = QStringLiteral("it is longer than %1 characters");
inline const QString kIdControlCharacterReason = QStringLiteral("it holds a control character");
inline const QString kIdReservedCharacterReason =
    QStringLiteral("it holds \"%1\", which a directory name cannot hold");
inline const QString kIdDotDotReason =
    QStringLiteral("it holds \"..\", which could lead outside the data directory");
inline const QString kNotEightBitReason =
    QStringLiteral("it holds a character that the aircraft record cannot store");

inline const QString kNoEngineTypeText = QStringLiteral("No engine type specified");
inline const QString kEngineTypeExistsText = QStringLiteral("Engine Type \"%1\" already exists");
inline const QString kEngineTypeNotFoundText = QStringLiteral("Engine Type \"%1\" not found");
// %2 is kNotEightBitReason.
inline const QString kInvalidEngineTypeText = QStringLiteral("Engine Type \"%1\" is not valid: %2");

inline const QString kRemoveAircraftTitle = QStringLiteral("Remove Aircraft");
// %1 the identifier, %2 the number of files, %3 the aircraft directory.
inline const QString kRemoveAircraftWithFilesText =
    QStringLiteral("Aircraft \"%1\" has %2 downloaded files in %3. Remove the aircraft and "
                   "delete these files?");

inline const QString kUnableToOpenImportFileText =
    QStringLiteral("Unable to open the specified input file");
inline const QString kImportLineWithoutIdText =
    QStringLiteral("Line %1: no aircraft ID; the line was skipped");
inline const QString kImportLineInvalidIdText = QStringLiteral("Line %1: %2; the line was skipped");
inline const QString kImportLineTooLongText =
    QStringLiteral("Line %1 is longer than %2 characters; the rest of the line was ignored");
// %1 is the path as given, cut to what a message repeats (EchoedText.h).
inline const QString kImportNotRegularFileText =
    QStringLiteral("%1 is not a regular file; nothing was imported.");

// The notice after an import (title kProgramTitle): the first line, then the replaced
// identifiers after the prefix, then one line per identifier found on several lines.
inline const QString kImportSummaryText =
    QStringLiteral("Imported %1 aircraft: %2 added, %3 replaced");
inline const QString kImportReplacedPrefix = QStringLiteral("Replaced: ");
// %1 the identifier, %2 its line numbers ("1, 3 and 7").
inline const QString kImportDuplicateText =
    QStringLiteral("%1 appears on lines %2; the last is kept");
inline const QString kImportListSeparator = QStringLiteral(", ");
inline const QString kImportLastItemSeparator = QStringLiteral(" and ");
