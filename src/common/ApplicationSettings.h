#pragma once

#include <QString>

// Keys and defaults of the application store that the core reads, and the small getters
// over both stores.

inline const QString kDataDirKey = QStringLiteral("DataDir");
inline const QString kIpAddressKey = QStringLiteral("IP Address");
inline const QString kPortKey = QStringLiteral("Port");
inline const QString kDefaultIpAddress = QStringLiteral("192.168.0.1");
inline constexpr int kDefaultPort = 4242;
// Sizes of the fixed buffers the values are kept in, less the terminator.
inline constexpr int kMaxIpAddressLength = 31;
inline constexpr int kMaxDataDirLength = 259;

inline const QString kPrivTimeoutKey = QStringLiteral("PrivTimeout");
inline constexpr int kDefaultPrivTimeout = 900;
inline const QString kPasswordKey = QStringLiteral("Password");
inline const QString kDefaultPassword = QStringLiteral("qzpvx");

// "C:/ZELK-data" on Windows; elsewhere the same folder name in the user's home directory.
QString defaultDataDirectory();

// "DataDir" as an absolute path (relative values are taken from the working directory);
// writes the default first when the key is missing.
QString dataDirectory();

// The data directory taken at start-up; every path of the register and the downloads is
// built from it.
QString currentDataDirectory();
void setCurrentDataDirectory(const QString& path);

struct FontSetting {
    QString family;
    int pointSize = 0;
    int weight = 0; // 1 = bold
    int slant = 0;  // 1 = italic
};

enum FontKind { LargeFont = 0, NormalFont = 1, SmallFont = 2, MidFont = 3 };

// Fills the record from the common store; a kind outside 0..3 leaves it as it is.
void readFontSetting(int kind, FontSetting& setting);

QString storedPassword();
// Replaces the administrator password, kept as plain text in the common store.
void storePassword(const QString& password);
