#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class Notifier;

// Each failure text is followed by ": " and the command line that failed, or the target.
inline const QString kBuildArchiveFailedText = QStringLiteral("Failed to build archive file.");
inline const QString kCompressArchiveFailedText =
    QStringLiteral("Failed to compress archive file.");
inline const QString kSaveArchiveFailedText = QStringLiteral("Failed to save archive file.");
// %1 = the data directory.
inline const QString kArchiveInsideDataText =
    QStringLiteral("The archive cannot be saved inside the folder it archives: %1");
inline const QString kArchiveSuffix = QStringLiteral(".gz");

// The word as a POSIX shell would need it: as it is when it holds only characters that no
// shell treats specially, otherwise in single quotes with each ' written as '\''.
QString shellQuoted(const QString& word);

// The program and its arguments as one shell command line, each word quoted as needed.
QString shellCommandLine(const QString& program, const QStringList& arguments);

// The chosen name with ".gz" appended unless it already ends so (letter case counts).
QString archiveTargetName(const QString& chosen);

struct ArchiveTools {
    QString tar;
    QString gzip;
};

// Each tool from the program directory when an executable of its name is there, else from
// `searchPaths` (the system's PATH when empty). A tool found nowhere keeps its bare name, so
// that starting it fails and the step is reported like any other failure.
ArchiveTools locateArchiveTools(const QString& programDirectory,
                                const QStringList& searchPaths = {});

enum class ArchiveStep { Building, Compressing, Saving };

// Called about every quarter second while a step runs, with the time since the export began.
using ArchiveProgress = std::function<void(ArchiveStep step, qint64 elapsedMs)>;

struct ArchiveResult {
    bool saved = false;
    QString path; // the archive file written
    qint64 size = 0;
};

// Packs the data directory, with its own name as the archive's top folder, into a gzip
// compressed tar file at archiveTargetName(chosenTarget). A data directory that is a symbolic
// link is archived as the directory it points to, under the link's name. A target inside the
// data directory is refused before anything runs: each archive would hold the ones before it.
// The tools run with argument lists (never through a shell) on an archive in a private
// temporary folder; the result replaces an existing target only once it is complete, so a
// failure leaves the old file as it was. Failures are reported as critical "Error" messages,
// a failed tool's with the first line it wrote on its error output; a success says nothing.
ArchiveResult exportArchive(const QString& dataDirectory, const QString& chosenTarget,
                            const ArchiveTools& tools, Notifier& notifier,
                            const ArchiveProgress& progress = {});
