#pragma once

#include <QString>
#include <QtGlobal>

// A home of the process's own below the temporary folder, made the process's home when
// constructed and removed with all it holds when destroyed, also where a test took write
// access away from a folder and failed before it gave it back. Test programs keep it in a
// static so that an exit() removes it too.
class TemporaryHome {
public:
    TemporaryHome();
    ~TemporaryHome();
    TemporaryHome(const TemporaryHome&) = delete;
    TemporaryHome& operator=(const TemporaryHome&) = delete;

    bool isValid() const { return !path_.isEmpty(); }
    const QString& path() const { return path_; }

private:
    QString path_;
};

// Makes `home` the process's home, its ".config" the settings folder and its ".cache" the
// cache folder; called by every
// test program before its application object exists.
void useOwnHome(const QString& home);

// Empties both settings stores, the communication log and the home directory's files, so
// that each test starts from a first start.
void resetSettingsAndHome();

// Points the unit's address in the settings at the simulator on loopback, the only unit a
// test may ever talk to.
void pointSettingsAtSimulator(quint16 port);

// Points the data directory setting and the current data directory at a fresh folder
// below the home directory and returns it.
QString freshDataDirectory();
