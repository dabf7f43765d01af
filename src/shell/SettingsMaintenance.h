#pragma once

#include <QString>

// Keys and texts of the application store that the shell rewrites at every start.

inline const QString kMainWindowHelpKey = QStringLiteral("Main Window");
inline const QString kDownloadHelpKey = QStringLiteral("Download");
inline const QString kAircraftInformationHelpKey = QStringLiteral("Aircraft Information");
inline const QString kClearMemoryHelpKey = QStringLiteral("Clear Memory");
inline const QString kOtherFunctionsHelpKey = QStringLiteral("Other Functions");
inline const QString kUtilitiesHelpKey = QStringLiteral("Utilities");

inline const QString kMainWindowHelpText =
    QStringLiteral("Ground Support System (BRIX) software to have access to the data in the "
                   "ZELK (Thalvex) PNR 613-045-HHh-SSS.");
inline const QString kDownloadHelpText =
    QStringLiteral("Before starting the download please ensure:\r\n"
                   "(1) The unit is powered on\r\n"
                   "(2) The unit front panel display is switched off\r\n"
                   "(3) The cable is plugged into the front connector of the unit");
inline const QString kAircraftInformationHelpText = QStringLiteral(
    "First make the selection of the Aircraft Identifier and then of the related engine "
    "types. Supply the serial number of the engines, and, if available, the installation "
    "date. Click on the \"Save Changes\" button or push the \"F5\" key to apply the changes.");
inline const QString kClearMemoryHelpText = QStringLiteral(
    "For each engine, approximately 3 minutes are necessary to erase the memory in the unit. "
    "Make sure not to remove the connector during this operation.\r\n"
    "\r\n"
    "If there is a power interruption during the procedure to erase the data, the related "
    "memory can become unserviceable. As this can also have an effect on the subsequent "
    "downloads, do the procedure that follows to make sure that the memory is empty:\r\n"
    "\r\n"
    "(1) Remove the connector from the ZELK front panel.\r\n"
    "(2) Start the unit power supply.\r\n"
    "(3) Do a \"memory clear\" procedure.");
inline const QString kOtherFunctionsHelpText =
    QStringLiteral("Downloaded data on the computer's disk can be displayed and inspected");
inline const QString kUtilitiesHelpText = QStringLiteral(
    "In the communication box the IP address 192.168.0.1 is the default IP address of the "
    "unit.  Make sure the IP address of your computer is 192.168.0.[2-254] and the subnet "
    "mask is 255.255.255.0");

inline const QString kDefaultEngineType0 = QStringLiteral("CFM56-3");
inline const QString kDefaultEngineType1 = QStringLiteral("CFM56-7");

inline const QString kVersionKey = QStringLiteral("Version");

// %1 = the version, %2 = the part number.
inline const QString kVersionLabelText = QStringLiteral("Version %1    Part number %2");
inline const QString kCopyrightText =
    QStringLiteral("Copyright (C) 2026 Orvantis. All rights reserved.");

// kProgramVersion, "<major>.<minor>.<revision>".
QString programVersion();
// "388-270-101-224": the part number ends with the three numbers of the version, the
// revision in two digits.
QString programPartNumber();
// The part number of version major.minor.revision.
QString partNumberOfVersion(int major, int minor, int revision);

// Rewrites the help texts and version and puts back the defaults of "Port", "IP Address",
// the first two engine types, "LastAircraft" and "DataDir" where they are missing or unusable.
// Runs before anything reads those keys; touches the application store only.
void performSettingsMaintenance();
