#pragma once

#include <QSettings>

// The common store: inactivity time-out, password and fonts.
class BrixCommonSettings : public QSettings {
public:
    BrixCommonSettings();
};
