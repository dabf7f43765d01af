#include "BrixAircraftSettings.h"
#include "BrixCommonSettings.h"
#include "StoreNames.h"

#include <QCoreApplication>

BrixCommonSettings::BrixCommonSettings() : QSettings(kOrganisationName, kCommonStoreName) {}

BrixAircraftSettings::BrixAircraftSettings()
    : QSettings(QCoreApplication::organizationName(), QCoreApplication::applicationName()) {}

void useApplicationStoreNames() {
    QCoreApplication::setOrganizationName(kOrganisationName);
    QCoreApplication::setApplicationName(kApplicationStoreName);
}
