#pragma once

#include <QString>

#include <functional>

class Notifier;
class PartNumberRecord;
class QDateTime;
struct AircraftRecord;

// What the conversion of one engine's response tells the user.
inline const QString kReformatDataTitle = QStringLiteral("ReformatData()");
inline const QString kNoDataAvailableText =
    QStringLiteral("No data available or unit returned an error.");
inline const QString kSeekFailedText = QStringLiteral("QIODevice::seek() failed!");
inline const QString kBadDataHeaderText =
    QStringLiteral("Uploaded flight data file has bad data header");
// Titled "Error", once for the three files, followed by kDownloadedDataKeptText.
inline const QString kUnableToOpenProcessedFileText =
    QStringLiteral("Unable to open uploaded data processed file");
inline const QString kDownloadedDataKeptText =
    QStringLiteral("\n\nThe downloaded data is kept in %1");
inline const QString kLongerThanLayoutText =
    QStringLiteral("The unit sent %1 bytes more than the known layout; they were not converted. "
                   "The whole download is kept in %2");
inline const QString kNotARegularFileText =
    QStringLiteral("%1 is not a regular file; nothing was converted.");
inline const QString kNotADownloadResponseText =
    QStringLiteral("%1 is not a download response of the unit; nothing was converted.");
inline const QString kMissingSlotsText =
    QStringLiteral("Only %1 of the 20 flight slots were received; the missing slots are saved "
                   "as empty.");

struct ReformatResult {
    // The raw flight data file was written in full, synced, renamed into place and read back.
    bool rawFileSaved = false;
    bool steadyStateFileSaved = false;
    bool transientFileSaved = false;
    // Flight slots whose whole block arrived (0..20); a download is complete only with 20.
    int slotsReceived = 0;
    // The response held more than the known layout: what lies beyond was not converted, so
    // the response is kept and the download does not count as complete.
    bool longerThanLayout = false;
    // The paths chosen for the three files; empty when the response was refused.
    QString rawFilePath;
    QString steadyStatePath;
    QString transientPath;
    // The response is still on disk: it was not to be deleted, or one of the three files could
    // not be saved, or the response was refused.
    bool responseFileKept = false;
    // Where a kept response is: the `keepAs` name when it could be moved there, else where it
    // was given.
    QString keptResponsePath;

    bool complete() const {
        return rawFileSaved && steadyStateFileSaved && transientFileSaved && slotsReceived == 20 &&
               !longerThanLayout;
    }
};

// Converts one engine's downloaded response (the host-order response file of command 96)
// into the raw flight data file and the two engine data files in the engine's directory
// below `dataDirectory`. `engineIndex` is 0 or 1; `localTime` is the time the conversion
// started, used for the names and the files' headers. Failures are reported through the
// notifier; `progress` gets 0..100 and is also called after each raw flight record so that
// a window can repaint. Anything but a regular file holding blocks of the download's layout
// is refused before a file is written. With `deleteResponseOnSuccess` the response file is
// deleted, but only once all three files are on disk (the raw file read back as written);
// a response that stays is moved to `keepAs` when that is given, before any message names it.
ReformatResult ReformatData(const QString& responseFilePath, int engineIndex,
                            const AircraftRecord& aircraft, const QString& dataDirectory,
                            const PartNumberRecord& partNumbers, Notifier& notifier,
                            const std::function<void(int percent)>& progress,
                            bool deleteResponseOnSuccess, const QDateTime& localTime,
                            const QString& keepAs = QString());
