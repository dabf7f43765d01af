#include "KORALib.h"

#include "AircraftIdentifier.h"
#include "AircraftImportParser.h"
#include "AircraftLogging.h"
#include "AircraftMessages.h"
#include "AircraftPaths.h"
#include "BrixAircraftSettings.h"
#include "EchoedText.h"
#include "FixedText.h"
#include "ImportReport.h"
#include "Notifier.h"
#include "RegisterKeys.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>

#include <algorithm>

namespace {

QString engineTypeKey(int index) {
    return kEngineTypeKeyPattern.arg(index);
}

QStringList registeredIds(QSettings& settings) {
    settings.beginGroup(kAircraftInfoGroup);
    const QStringList ids = settings.childKeys();
    settings.endGroup();
    return ids;
}

// The registered spelling of an identifier: the exact one when registered, otherwise the first
// registered one that differs only in letter case. Looked up in constant time, so that an
// import of many lines costs in proportion to its lines.
class RegisteredIds {
public:
    explicit RegisteredIds(const QStringList& ids) {
        for (const QString& id : ids)
            add(id);
    }
    QString find(const QString& id) const {
        if (exact_.contains(id))
            return id;
        return byFoldedCase_.value(id.toCaseFolded());
    }
    void add(const QString& id) {
        exact_.insert(id);
        const QString folded = id.toCaseFolded();
        if (!byFoldedCase_.contains(folded))
            byFoldedCase_.insert(folded, id);
    }

private:
    QSet<QString> exact_;
    QHash<QString, QString> byFoldedCase_;
};

} // namespace

bool KORALibCheckDir(const QString& path, bool create, Notifier& notifier) {
    const QString absolute = QFileInfo(path).absoluteFilePath();
    if (!QFileInfo(absolute).isDir()) {
        if (!create) {
            notifier.critical(kErrorTitle, kDirectoryNotFoundText.arg(path));
            return false;
        }
        if (!QDir().mkpath(absolute) || !QFileInfo(absolute).isDir()) {
            notifier.critical(kErrorTitle, kUnableToCreateDirectoryText.arg(path));
            return false;
        }
    }
    const QFileInfo info(absolute);
    if (!info.isReadable() || !info.isWritable()) {
        notifier.critical(kErrorTitle, kNoReadWriteAccessText.arg(path));
        return false;
    }
    return true;
}

bool KORALibBuildAircraftDir(const QString& dataDirectory, Notifier& notifier) {
    BrixAircraftSettings settings;
    const QStringList ids = registeredIds(settings);
    for (const QString& id : ids) {
        QString failure;
        if (!KORALibCheckDir(aircraftDirectory(dataDirectory, id), true, notifier))
            failure = kFailedAircraftDirectoryText;
        else if (!KORALibCheckDir(engineDirectory(dataDirectory, id, 1), true, notifier) ||
                 !KORALibCheckDir(engineDirectory(dataDirectory, id, 2), true, notifier))
            failure = kFailedEngineDirectoryText;
        if (!failure.isEmpty()) {
            notifier.critical(kErrorTitle, kBuildAircraftDirText.arg(failure));
            return false;
        }
    }
    return true;
}

AircraftRecord KORALibReadAircraft(const QString& id) {
    BrixAircraftSettings settings;
    return AircraftRecord::fromBytes(settings.value(kAircraftInfoPrefix + id).toByteArray());
}

bool KORALibWriteAircraft(const QString& id, const AircraftRecord& record) {
    if (isBlankAircraftId(id) || !aircraftIdProblem(id).isEmpty()) {
        qCWarning(lcAircraft) << "refused to write a record under" << id;
        return false;
    }
    BrixAircraftSettings settings;
    settings.setValue(kAircraftInfoPrefix + id, record.toBytes());
    return true;
}

int KORALibCountAircraft() {
    BrixAircraftSettings settings;
    return static_cast<int>(registeredIds(settings).size());
}

AircraftList KORALibListAircraft() {
    BrixAircraftSettings settings;
    AircraftList list;
    list.items = registeredIds(settings);
    if (!list.items.isEmpty()) {
        const QString last = settings.value(kLastAircraftKey).toString();
        list.selectedIndex = std::max<int>(0, static_cast<int>(list.items.indexOf(last)));
    }
    return list;
}

bool KORALibDeleteAircraft(const QString& id, Notifier& notifier) {
    // A blank identifier would name the whole register group.
    if (isBlankAircraftId(id))
        return checkAircraftId(id, notifier);
    BrixAircraftSettings settings;
    const QString key = kAircraftInfoPrefix + id;
    const bool registered = settings.contains(key);
    // The identifier names a directory that is removed with everything in it: never one that
    // could lie outside the data directory. A registered entry with such a name (an old or
    // hand-edited store) still goes, without its directory being touched.
    if (!aircraftIdProblem(id).isEmpty()) {
        if (!registered)
            return checkAircraftId(id, notifier);
        settings.remove(key);
        return true;
    }
    bool removed = true;
    if (registered) {
        const QString directory = aircraftDirectory(id);
        if (QFileInfo(directory).isSymLink()) {
            // Following the link would empty whatever it points to: only the link goes.
            removed = QFile::remove(directory);
        } else {
            QDir().rmdir(engineDirectory(id, 1));
            QDir().rmdir(engineDirectory(id, 2));
            removed = QDir(directory).removeRecursively();
        }
        if (!removed)
            notifier.critical(kErrorTitle, kUnableToDeleteAircraftText);
    }
    settings.remove(key);
    return removed;
}

int downloadedFileCount(const QString& id) {
    if (isBlankAircraftId(id) || !aircraftIdProblem(id).isEmpty())
        return 0;
    if (!BrixAircraftSettings().contains(kAircraftInfoPrefix + id))
        return 0;
    const QString directory = aircraftDirectory(id);
    if (QFileInfo(directory).isSymLink())
        return 0;
    // Links inside are counted as the files they are and not followed, as the removal
    // deletes them without following them.
    QDirIterator files(directory, QDir::Files | QDir::Hidden | QDir::System,
                       QDirIterator::Subdirectories);
    int count = 0;
    while (files.hasNext()) {
        files.next();
        ++count;
    }
    return count;
}

QStringList KORALibListEngineTypes() {
    BrixAircraftSettings settings;
    QStringList types;
    for (int index = 0; settings.contains(engineTypeKey(index)); ++index)
        types.append(settings.value(engineTypeKey(index)).toString());
    return types;
}

int KORALibCountEngineTypes() {
    BrixAircraftSettings settings;
    int count = 0;
    for (const QString& key : settings.childKeys()) {
        if (key.startsWith(kEngineTypeKeyPrefix, Qt::CaseSensitive))
            ++count;
    }
    return count;
}

bool KORALibRemoveEngineType(const QString& type) {
    BrixAircraftSettings settings;
    int index = 0;
    bool matched = false;
    for (; settings.contains(engineTypeKey(index)); ++index) {
        if (settings.value(engineTypeKey(index)).toString() == type) {
            matched = true;
            break;
        }
    }
    if (!matched)
        return false;
    settings.remove(engineBearingGroup(type));
    settings.remove(engineLimitsGroup(type));
    settings.remove(engineTypeKey(index));
    for (; settings.contains(engineTypeKey(index + 1)); ++index) {
        settings.setValue(engineTypeKey(index), settings.value(engineTypeKey(index + 1)));
        settings.remove(engineTypeKey(index + 1));
    }
    return true;
}

int KORALibImportAircraft(const QString& path, Notifier& notifier) {
    // A FIFO or a device would block the read for ever, or never end.
    if (const QFileInfo info(path); info.exists() && !info.isFile()) {
        notifier.critical(kErrorTitle, kImportNotRegularFileText.arg(echoedText(path)));
        return -1;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        notifier.critical(kErrorTitle, kUnableToOpenImportFileText);
        return -1;
    }
    const QString dataDirectory = registerDataDirectory();
    BrixAircraftSettings settings;
    RegisteredIds registered(registeredIds(settings));
    // The records are stored once the whole file has been read: the store is written once
    // per import, however many lines the file has and whatever is shown meanwhile.
    QHash<QString, AircraftRecord> records;
    QStringList importedKeys;
    ImportReport report;
    // A line takes the fields it lacks from the line imported before it.
    AircraftRecord buffer;
    QString lastKey;
    AircraftImportParser parser(file);
    ImportLine line;
    while (parser.next(line)) {
        if (isSkippedImportLine(line.text))
            continue;
        const QString lineNumber = QString::number(line.lineNumber);
        if (line.truncated) {
            notifier.warning(kWarningTitle, kImportLineTooLongText.arg(
                                                lineNumber, QString::number(kImportLineLength)));
        }
        const ImportedFields fields = parseImportLine(line.text);
        const QString id = QString::fromLatin1(fields.aircraftId());
        if (isBlankAircraftId(id)) {
            notifier.warning(kWarningTitle, kImportLineWithoutIdText.arg(lineNumber));
            continue;
        }
        if (const QString problem = aircraftIdProblem(id, kImportedAircraftIdLength);
            !problem.isEmpty()) {
            notifier.warning(kWarningTitle, kImportLineInvalidIdText.arg(
                                                lineNumber, invalidAircraftIdMessage(id, problem)));
            continue;
        }
        // One aircraft whatever the letter case, as on the file systems and in the registry
        // where the data directory usually lives: the record keeps the registered spelling.
        QString key = registered.find(id);
        const bool known = !key.isEmpty();
        if (!known) {
            key = id;
            registered.add(id);
        }
        fields.applyTo(buffer);
        writeFixedText(buffer.aircraftId, key);
        if (!records.contains(key)) {
            importedKeys.append(key);
            // Directories that cannot be made here are reported at the next start-up.
            QDir().mkpath(engineDirectory(dataDirectory, key, 1));
            QDir().mkpath(engineDirectory(dataDirectory, key, 2));
        }
        records.insert(key, buffer);
        lastKey = key;
        report.imported(key, known, line.lineNumber);
    }
    for (const QString& key : std::as_const(importedKeys))
        settings.setValue(kAircraftInfoPrefix + key, records.value(key).toBytes());
    if (!lastKey.isEmpty())
        settings.setValue(kLastAircraftKey, lastKey);
    settings.sync();
    notifier.information(kProgramTitle, report.text());
    return report.importedCount();
}

QString registeredAircraftId(const QString& id) {
    BrixAircraftSettings settings;
    return RegisteredIds(registeredIds(settings)).find(id);
}
