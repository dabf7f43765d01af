#pragma once

#include <QSettings>

// The application store, opened by the application's own organisation and application
// names; it holds the register and everything that is not in the common store.
class BrixAircraftSettings : public QSettings {
public:
    BrixAircraftSettings();
};
