#pragma once

// The main window's event codes: what its buttons, menu items, keys and timer send.
enum MainWindowCode : int {
    kShowMainMenuCode = 10000,
    kBackCode = 10001,
    kTimerTickCode = 10002,
    kAboutCode = 10003,
    kDownloadCode = 10004,
    kAircraftInformationCode = 10005,
    kMemoryEraseCode = 10006,
    kUtilitiesCode = 10007,
    kSelectAllCode = 10009,
    kPrivilegeChangeCode = 10011,
    kAddAircraftCode = 10012,
    kRemoveAircraftCode = 10013,
    kImportAircraftCode = 10014,
    kAddEngineTypeCode = 10015,
    kRemoveEngineTypeCode = 10016,
    kCheckCommunicationCode = 10019,
    kPlotCode = 10025,
    kMirrorEngineTypeCode = 10033,
    kCompressCode = 10035,
    kUserGuideCode = 10036,
    kChangePasswordCode = 10037,
};
