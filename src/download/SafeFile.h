#pragma once

#include <QFile>
#include <QString>

// A file that appears under its name only when it was written in full: the bytes go to a
// hidden temporary file in the same directory (".<name>-<pid>-<random>.part", which no
// listing of data files picks up), are flushed and synced to disk, and the file is then renamed
// into place. An existing file of that name is never replaced. Whatever fails, and when the object
// goes away uncommitted, the temporary file is removed.
class SafeFile {
public:
    explicit SafeFile(const QString& finalPath);
    ~SafeFile();
    SafeFile(const SafeFile&) = delete;
    SafeFile& operator=(const SafeFile&) = delete;

    // Creates the temporary file; false when the directory does not take it.
    bool open();
    // Where the contents go between open() and commit().
    QIODevice& device() { return file_; }

    // Flushes, syncs, closes and renames into place, then syncs the directory so that the
    // new name survives a power cut too. False, with nothing left behind, on any failure.
    bool commit();
    // Drops what was written.
    void discard();

    QString finalPath() const { return finalPath_; }
    QString temporaryPath() const { return file_.fileName(); }
    QString errorString() const { return error_; }

private:
    bool fail(const QString& what);

    QString finalPath_;
    QFile file_;
    QString error_;
};

// The hidden temporary name of `fileName` in `directory` for the writer `pid`.
QString temporaryFileName(const QString& directory, const QString& fileName, qint64 pid,
                          quint32 random);

// Renames within one file system without ever replacing an existing file. False, with the
// reason in `error` when given, when the target exists or the rename fails.
bool renameWithoutReplacing(const QString& from, const QString& to, QString* error = nullptr);

// Syncs a directory's entries (a rename or a removal in it) to disk.
bool syncDirectory(const QString& directory);
