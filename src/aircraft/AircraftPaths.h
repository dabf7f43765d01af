#pragma once

#include <QString>

// Paths of the data directory layout, absolute and with "/" separators.

// Folders below the data directory that hold the files offered for upload to the unit.
inline const QString kSoftwareUploadsFolder = QStringLiteral("/SW_uploads");
inline const QString kConfigurationUploadsFolder = QStringLiteral("/HW_config");

// The current data directory taken at start-up; when nothing has taken it yet (brix-cli, a
// tool) the "DataDir" setting, so that paths never end up relative to "/".
QString registerDataDirectory();

// "<data directory>/<id>_data" and "<data directory>/<id>_data/engine_<engine>" (engine 1 or 2).
QString aircraftDirectory(const QString& dataDirectory, const QString& id);
QString engineDirectory(const QString& dataDirectory, const QString& id, int engine);

// The same below registerDataDirectory().
QString aircraftDirectory(const QString& id);
QString engineDirectory(const QString& id, int engine);
