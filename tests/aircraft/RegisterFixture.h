#pragma once

#include "AircraftRecord.h"
#include "BrixAircraftSettings.h"
#include "RecordingNotifier.h"
#include "RegisterKeys.h"
#include "SettingsSandbox.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <unistd.h>

// Every register test starts from an empty store and a data directory of its own.
class RegisterFixture : public ::testing::Test {
protected:
    void SetUp() override {
        resetSettingsAndHome();
        dataDirectory = freshDataDirectory();
    }

    static void setValue(const QString& key, const QVariant& value) {
        BrixAircraftSettings().setValue(key, value);
    }
    static QVariant value(const QString& key) { return BrixAircraftSettings().value(key); }
    static bool contains(const QString& key) { return BrixAircraftSettings().contains(key); }
    static void writeFile(const QString& path, const QByteArray& bytes) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    // Takes write access away; false when this user (root) is not bound by it.
    static bool lock(const QString& path) {
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        return ::access(QFile::encodeName(path), W_OK) != 0;
    }
    static void unlock(const QString& path) {
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                        QFileDevice::ExeOwner);
    }
    // Whatever sits in the home directory beside the settings and the data directory.
    QStringList strayEntries() const {
        QStringList stray =
            QDir::home().entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
        stray.removeAll(QStringLiteral(".config"));
        stray.removeAll(QDir(dataDirectory).dirName());
        return stray;
    }

    QString dataDirectory;
    RecordingNotifier notifier;
};

using Messages = QList<RecordingNotifier::Message>;

inline RecordingNotifier::Message error(const QString& text) {
    return {QStringLiteral("critical"), QStringLiteral("Error"), text};
}

inline RecordingNotifier::Message warning(const QString& text) {
    return {QStringLiteral("warning"), QStringLiteral("Warning"), text};
}

inline QByteArray zeroRecordWith(const QByteArray& id) {
    QByteArray bytes(2699, '\0');
    return bytes.replace(0, id.size(), id);
}

// Readable failure output.
inline void PrintTo(const RecordingNotifier::Message& message, std::ostream* os) {
    *os << message.kind.toStdString() << " [" << message.title.toStdString() << "] "
        << message.text.toStdString();
}

inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}
