#include "PartNumberLines.h"

#include "AircraftPaths.h"
#include "AircraftRecord.h"
#include "DownloadFileNames.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

PartNumberLines latestPartNumberLines(const QString& dataDirectory, const QString& aircraftId) {
    QFileInfoList files;
    for (int engine = 1; engine <= AircraftRecord::kEngineCount; ++engine) {
        const QDir directory(engineDirectory(dataDirectory, aircraftId, engine));
        files += directory.entryInfoList(
            {kSteadyStateFilePrefix + QStringLiteral("_*.") + kEngineDataFileExtension},
            QDir::Files);
    }
    std::stable_sort(files.begin(), files.end(), [](const QFileInfo& a, const QFileInfo& b) {
        return a.lastModified() > b.lastModified();
    });
    PartNumberLines result;
    for (const QFileInfo& newest : std::as_const(files)) {
        QFile file(newest.filePath());
        if (!file.open(QIODevice::ReadOnly))
            return result;
        QStringList lines;
        bool tooLong = false;
        for (int i = 0; i < kPartNumberLinesRead && !file.atEnd() && !tooLong; ++i) {
            // A line that has not ended within the limit, with more of the file after it.
            const QByteArray read = file.readLine(kPartNumberLineLimit);
            tooLong = !read.endsWith('\n') && !file.atEnd();
            const QString line = QString::fromLatin1(read).trimmed();
            if (line.contains(kPartNumberMark))
                lines.append(line.simplified());
        }
        if (!tooLong) {
            result.lines = lines;
            return result;
        }
        result.skippedFiles.append(newest.filePath());
    }
    return result;
}
