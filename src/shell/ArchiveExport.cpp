#include "ArchiveExport.h"

#include "DownloadFileNames.h"
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
constexpr qsizetype kErrorLineLimit = 200; // of a tool's first line of error

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

// What a tool run ended with: success, or the first line of the tool's own explanation.
struct ToolRun {
    bool succeeded = false;
    QString firstErrorLine;
};

// The start of what a tool writes on its error output, enough for its first line; the rest
// (tar names every file it could not read) is read and dropped.
class ErrorStart {
public:
    void take(const QByteArray& more) {
        if (!held_.contains('\n') && held_.size() < kErrorLineLimit)
            held_ += more.left(kErrorLineLimit - held_.size());
    }
    QString firstLine() const {
        const qsizetype end = held_.indexOf('\n');
        return QString::fromLocal8Bit(end < 0 ? held_ : held_.left(end)).trimmed();
    }

private:
    QByteArray held_;
};

// Runs the tool to its end while the caller's event loop keeps turning, so that a window
// stays painted. It succeeded when it started and ended normally with status 0.
ToolRun runTool(const QString& program, const QStringList& arguments, ArchiveStep step,
                const Export& run) {
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    ErrorStart errorStart;
    QObject::connect(&process, &QProcess::readyReadStandardError, &process,
                     [&] { errorStart.take(process.readAllStandardError()); });
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
    errorStart.take(process.readAllStandardError());
    return {process.error() == QProcess::UnknownError &&
                process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0,
            errorStart.firstLine()};
}

// The failure text, the command line that was run, and the tool's first line of error when
// it wrote one.
QString toolFailureText(const QString& text, const QString& program, const QStringList& arguments,
                        const ToolRun& result) {
    const QString failure = text + QStringLiteral(": ") + shellCommandLine(program, arguments);
    return result.firstErrorLine.isEmpty() ? failure
                                           : failure + QLatin1Char('\n') + result.firstErrorLine;
}

// The nearest existing folder of `path` with its links followed, and the rest as written.
QString resolvedPath(const QString& path) {
    QFileInfo existing(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
    QString rest;
    while (!existing.exists() && !existing.isRoot()) {
        rest = QLatin1Char('/') + existing.fileName() + rest;
        existing.setFile(existing.absolutePath());
    }
    return QDir::cleanPath(existing.canonicalFilePath() + rest);
}

// True when `path` would lie inside `folder` or be the folder itself, symbolic links of
// either followed as far as they exist.
bool isInsideFolder(const QString& path, const QString& folder) {
    const QString inside = resolvedPath(path);
    const QString container = resolvedPath(folder);
    return inside == container || inside.startsWith(container + QLatin1Char('/')) ||
           container == QStringLiteral("/");
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
    if (isInsideFolder(QFileInfo(target).absolutePath(), data.absoluteFilePath())) {
        notifier.critical(kErrorTitle, kArchiveInsideDataText.arg(
                                           QDir::toNativeSeparators(data.absoluteFilePath())));
        return {};
    }
    // Private to this export: nobody else can read, replace or plant the intermediate files.
    QTemporaryDir work;
    const QString archive = work.filePath(data.fileName() + QStringLiteral(".tar"));

    // Paths in the archive start at the data directory's own name; "--" keeps a name that
    // begins with "-" from being read as an option. Through a link, tar would store the link
    // alone: it is entered instead, and its content named after it.
    QStringList tarArguments{QStringLiteral("cf"), archive, QStringLiteral("-C")};
    // The program's own folder holds only what can be built again from the raw files; only
    // the one at the top is left out, matched as the exact name whatever characters it holds.
    const auto leaveOut = [](const QString& topName) {
        return QStringList{QStringLiteral("--anchored"), QStringLiteral("--no-wildcards"),
                           QStringLiteral("--exclude=") + topName + QLatin1Char('/') +
                               kIndexFolderName};
    };
    if (data.isSymLink()) {
        QString name = data.fileName();
        name.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
        name.replace(QLatin1Char('&'), QStringLiteral("\\&"));
        // A name holds no "/": it delimits the expression. "S" leaves link targets alone.
        tarArguments << data.absoluteFilePath()
                     << QStringLiteral("--transform=s/^\\./%1/S").arg(name)
                     << leaveOut(QStringLiteral(".")) << QStringLiteral("--")
                     << QStringLiteral(".");
    } else {
        tarArguments << data.absolutePath() << leaveOut(data.fileName()) << QStringLiteral("--")
                     << data.fileName();
    }
    if (!work.isValid()) {
        notifier.critical(kErrorTitle,
                          toolFailureText(kBuildArchiveFailedText, tools.tar, tarArguments, {}));
        return {};
    }
    if (const ToolRun built = runTool(tools.tar, tarArguments, ArchiveStep::Building, run);
        !built.succeeded) {
        notifier.critical(kErrorTitle,
                          toolFailureText(kBuildArchiveFailedText, tools.tar, tarArguments, built));
        return {};
    }

    const QStringList gzipArguments{QStringLiteral("-f"), archive};
    if (const ToolRun compressed =
            runTool(tools.gzip, gzipArguments, ArchiveStep::Compressing, run);
        !compressed.succeeded) {
        notifier.critical(kErrorTitle, toolFailureText(kCompressArchiveFailedText, tools.gzip,
                                                       gzipArguments, compressed));
        return {};
    }

    run.report(ArchiveStep::Saving);
    if (!moveIntoPlace(archive + kArchiveSuffix, target, run)) {
        notifier.critical(kErrorTitle, kSaveArchiveFailedText + QStringLiteral(": ") + target);
        return {};
    }
    return {true, target, QFileInfo(target).size()};
}
