#include "SafeFile.h"

#include "DownloadLogging.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int kCreateAttempts = 16;

QString systemError(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

QString temporaryName(const QString& finalPath) {
    const QFileInfo info(finalPath);
    return temporaryFileName(info.path(), info.fileName(), QCoreApplication::applicationPid(),
                             QRandomGenerator::global()->generate());
}

} // namespace

// The writer's process id is in the name, so that what a killed run left behind can be told
// from what a live one is writing.
QString temporaryFileName(const QString& directory, const QString& fileName, qint64 pid,
                          quint32 random) {
    return QStringLiteral("%1/.%2-%3-%4.part")
        .arg(directory, fileName, QString::number(pid),
             QStringLiteral("%1").arg(random, 8, 16, QLatin1Char('0')));
}

SafeFile::SafeFile(const QString& finalPath) : finalPath_(finalPath) {}

SafeFile::~SafeFile() {
    discard();
}

bool SafeFile::open() {
    discard();
    for (int attempt = 0; attempt < kCreateAttempts; ++attempt) {
        file_.setFileName(temporaryName(finalPath_));
        // NewOnly: a name that another writer happens to hold is never shared.
        if (file_.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return true;
        if (!QFileInfo::exists(file_.fileName()))
            break;
    }
    error_ = file_.errorString();
    file_.setFileName(QString());
    return false;
}

bool SafeFile::commit() {
    if (!file_.isOpen())
        return fail(QStringLiteral("not open"));
    if (!file_.flush())
        return fail(file_.errorString());
    if (::fsync(file_.handle()) != 0)
        return fail(systemError(errno));
    file_.close();
    if (file_.error() != QFileDevice::NoError)
        return fail(file_.errorString());
    QString renameError;
    if (!renameWithoutReplacing(file_.fileName(), finalPath_, &renameError))
        return fail(renameError);
    file_.setFileName(QString());
    if (!syncDirectory(QFileInfo(finalPath_).path()))
        qCWarning(lcDownload) << "could not sync the directory of" << finalPath_;
    return true;
}

void SafeFile::discard() {
    if (file_.fileName().isEmpty())
        return;
    file_.close();
    QFile::remove(file_.fileName());
    file_.setFileName(QString());
}

bool SafeFile::fail(const QString& what) {
    error_ = what;
    qCWarning(lcDownload) << "writing" << finalPath_ << "failed:" << what;
    discard();
    return false;
}

bool renameWithoutReplacing(const QString& from, const QString& to, QString* error) {
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) ==
        0)
        return true;
    int failure = errno;
    // Some file systems cannot rename without replacing; a hard link refuses an existing
    // name just as well.
    if (failure == EINVAL || failure == ENOSYS) {
        if (::link(source.constData(), target.constData()) == 0) {
            ::unlink(source.constData());
            return true;
        }
        failure = errno;
    }
    if (error)
        *error = systemError(failure);
    return false;
}

bool syncDirectory(const QString& directory) {
    const int descriptor =
        ::open(QFile::encodeName(directory).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0)
        return false;
    const bool synced = ::fsync(descriptor) == 0;
    ::close(descriptor);
    return synced;
}
