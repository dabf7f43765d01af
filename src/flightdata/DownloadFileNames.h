#pragma once

#include <QString>

#include <array>

class QDateTime;

// The three files that one engine's download turns into, all in the engine directory.
struct DownloadFileNames {
    QString rawFile;         // n4orig_DDMMMYYYY_HHMM.raw
    QString steadyStateFile; // n4ss_DDMMMYYYY_HHMM.dat
    QString transientFile;   // n4ts_DDMMMYYYY_HHMM.dat
};

// The program's own folder in the data directory (the index of every flight): no scan of
// downloaded files enters it, and the archive leaves it out.
inline const QString kIndexFolderName = QStringLiteral(".brix");

inline const QString kRawFilePrefix = QStringLiteral("n4orig");
inline const QString kRawFileExtension = QStringLiteral("raw");
inline const QString kSteadyStateFilePrefix = QStringLiteral("n4ss");
inline const QString kTransientFilePrefix = QStringLiteral("n4ts");
inline const QString kEngineDataFileExtension = QStringLiteral("dat");

// The months as the file names and the engine data file headers write them.
inline constexpr std::array<const char*, 12> kMonthAbbreviations = {
    "JAN", "FEB", "MAR", "APR", "MAY", "JUN", "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};

// "JAN" ... "DEC"; empty outside 1..12.
QString monthAbbreviation(int month);

// "<data dir>/<id>_data/engine_<engine>/n4orig_<day><MON><year>_<hour><minute>.raw" from the
// given local time; a sequence above 1 is added after the minute as "_<sequence>" so that a
// second download in the same minute gets names of its own.
QString rawFlightDataFilePath(const QString& dataDirectory, const QString& aircraftId,
                              int engineNumber, const QDateTime& localTime, int sequence = 1);

// The raw file's path with the file name's prefix "n4orig" replaced by `prefix` and its
// extension by "dat". The directory part is never touched, whatever it contains.
QString engineDataFilePath(const QString& rawFilePath, const QString& prefix);

// The raw file's name and the two text files derived from it.
DownloadFileNames downloadFileNamesFor(const QString& rawFilePath);

// The names for a conversion started at `localTime`: the first sequence (none, "_2", "_3", ...)
// for which none of the three files exists yet, so that nothing downloaded earlier is replaced.
DownloadFileNames freshDownloadFileNames(const QString& dataDirectory, const QString& aircraftId,
                                         int engineNumber, const QDateTime& localTime);
