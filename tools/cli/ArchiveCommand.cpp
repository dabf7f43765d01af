#include "ArchiveCommand.h"

#include "ApplicationSettings.h"
#include "ArchiveExport.h"
#include "CommandLine.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTextStream>

namespace {

const QString kArchiveUsageText =
    QStringLiteral("usage: brix-cli archive OUT\n"
                   "  packs the data directory into the gzip-compressed tar file OUT (\".gz\"\n"
                   "  appended unless OUT ends in it); an existing file is replaced");
// %1 = the archive's path, %2 = its size.
const QString kArchiveSavedLine = QStringLiteral("%1 %2 bytes");

} // namespace

int runArchiveCommand(const QStringList& arguments, Notifier& notifier, QTextStream& out) {
    CommandLine commandLine({});
    if (const auto problem = commandLine.parse(arguments))
        return reportUsageError(notifier, *problem, kArchiveUsageText);
    if (commandLine.arguments().size() != 1 || commandLine.arguments().constFirst().isEmpty())
        return reportUsageError(notifier, {}, kArchiveUsageText);

    const ArchiveResult result =
        exportArchive(dataDirectory(), commandLine.arguments().constFirst(),
                      locateArchiveTools(QCoreApplication::applicationDirPath()), notifier);
    if (!result.saved)
        return kExitFailed;
    out << escapeControlCharacters(kArchiveSavedLine.arg(QFileInfo(result.path).absoluteFilePath(),
                                                         QString::number(result.size)))
        << Qt::endl;
    return kExitSuccess;
}
