#pragma once

#include <QString>

// Empties both settings stores, the communication log and the home directory's files, so
// that each test starts from a first start.
void resetSettingsAndHome();

// Points the data directory setting and the current data directory at a fresh folder
// below the home directory and returns it.
QString freshDataDirectory();
