#include "ArchiveExport.h"

#include "Notifier.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTimer>

#include <filesystem>
#include <system_error>

namespace {

constexpr int kProgressIntervalMs = 250;
constexpr qint64 kCopyChunkBytes = 1 << 20;

struct Export {
    const ArchiveProgress& progress;
    QElapsedTimer started;

    void report(ArchiveStep step) const {
        if (progress)
            progress(step, started.elapsed());
    }
};

std::filesystem::path fileSystemPath(const QString& path) {
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

// Runs the tool to its end while the caller's event loop keeps turning, so that a window
// stays painted. True when it started and ended normally with status 0.
bool runTool(const QString& program, const QStringList& arguments, ArchiveStep step,
             const Export& run) {
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    // The tool's own explanation is worth seeing on the terminal beside ours.
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QEventLoop loop;
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&process, &QProcess::errorOccurred, &loop,
                     [&loop](QProcess::ProcessError error) {
                         if (error == QProcess::FailedToStart)
                             loop.quit();
                     });
    QTimer tick;
    tick.setInterval(kProgressIntervalMs);
    QObject::connect(&tick, &QTimer::timeout, &loop, [&run, step] { run.report(step); });
    run.report(step);
    process.start(program, arguments);
    tick.start();
    if (process.state() != QProcess::NotRunning)
        loop.exec();
    return process.error() == QProcess::UnknownError &&
           process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

// Copies the finished archive beside the target under a temporary name; the caller renames
// it over the target. Used when the temporary folder is on another file system.
bool copyBeside(const QString& source, const QString& target, QTemporaryFile& staged,
                const Export& run) {
    QFile input(source);
    staged.setFileTemplate(target + QStringLiteral(".XXXXXX"));
    if (!input.open(QIODevice::ReadOnly) || !staged.open())
        return false;
    while (!input.atEnd()) {
        const QByteArray chunk = input.read(kCopyChunkBytes);
        if (chunk.isEmpty() || staged.write(chunk) != chunk.size())
            return false;
        run.report(ArchiveStep::Saving);
        QCoreApplication::processEvents();
    }
    staged.setPermissions(input.permissions());
    return staged.flush() && staged.error() == QFileDevice::NoError;
}

// Puts the archive in place of the target in one rename, so that the target is either the
// old file or the whole new one.
bool moveIntoPlace(const QString& source, const QString& target, const Export& run) {
    if (QFileInfo(target).isDir())
        return false;
    std::error_code error;
    std::filesystem::rename(fileSystemPath(source), fileSystemPath(target), error);
    if (!error)
        return true;
    QTemporaryFile staged;
    if (!copyBeside(source, target, staged, run))
        return false;
    staged.close();
    std::filesystem::rename(fileSystemPath(staged.fileName()), fileSystemPath(target), error);
    if (error)
        return false;
    staged.setAutoRemove(false);
    return true;
}

} // namespace

QString shellQuoted(const QString& word) {
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9_@%+=:,./-]+$"));
    if (plain.match(word).hasMatch())
        return word;
    QString quoted = word;
    quoted.replace(QLatin1Char('\''), QStringLiteral("'\\''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

QString shellCommandLine(const QString& program, const QStringList& arguments) {
    QStringList words{shellQuoted(program)};
    for (const QString& argument : arguments)
        words.append(shellQuoted(argument));
    return words.join(QLatin1Char(' '));
}

QString archiveTargetName(const QString& chosen) {
    return chosen.endsWith(kArchiveSuffix, Qt::CaseSensitive) ? chosen : chosen + kArchiveSuffix;
}

ArchiveTools locateArchiveTools(const QString& programDirectory, const QStringList& searchPaths) {
    const auto locate = [&](const QString& name) {
        const QFileInfo beside(QDir(programDirectory).filePath(name));
        if (beside.isFile() && beside.isExecutable())
            return beside.absoluteFilePath();
        const QString found = QStandardPaths::findExecutable(name, searchPaths);
        return found.isEmpty() ? name : found;
    };
    return {locate(QStringLiteral("tar")), locate(QStringLiteral("gzip"))};
}

ArchiveResult exportArchive(const QString& dataDirectory, const QString& chosenTarget,
                            const ArchiveTools& tools, Notifier& notifier,
                            const ArchiveProgress& progress) {
    Export run{progress, {}};
    run.started.start();
    const QFileInfo data(QDir::cleanPath(dataDirectory));
    const QString target = archiveTargetName(chosenTarget);
    // Private to this export: nobody else can read, replace or plant the intermediate files.
    QTemporaryDir work;
    const QString archive = work.filePath(data.fileName() + QStringLiteral(".tar"));

    // Paths in the archive start at the data directory's own name; "--" keeps a name that
    // begins with "-" from being read as an option.
    const QStringList tarArguments{QStringLiteral("cf"), archive,
                                   QStringLiteral("-C"), data.absolutePath(),
                                   QStringLiteral("--"), data.fileName()};
    if (!work.isValid() || !runTool(tools.tar, tarArguments, ArchiveStep::Building, run)) {
        notifier.critical(kErrorTitle, kBuildArchiveFailedText + QStringLiteral(": ") +
                                           shellCommandLine(tools.tar, tarArguments));
        return {};
    }

    const QStringList gzipArguments{QStringLiteral("-f"), archive};
    if (!runTool(tools.gzip, gzipArguments, ArchiveStep::Compressing, run)) {
        notifier.critical(kErrorTitle, kCompressArchiveFailedText + QStringLiteral(": ") +
                                           shellCommandLine(tools.gzip, gzipArguments));
        return {};
    }

    run.report(ArchiveStep::Saving);
    if (!moveIntoPlace(archive + kArchiveSuffix, target, run)) {
        notifier.critical(kErrorTitle, kSaveArchiveFailedText + QStringLiteral(": ") + target);
        return {};
    }
    return {true, target, QFileInfo(target).size()};
}
