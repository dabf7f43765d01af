#pragma once

#include "Screen.h"

class EventHandler;
struct DisplayFonts;

inline const QString kMainMenuForm = QStringLiteral("MenuWindow");
inline const QString kPlotButtonText = QStringLiteral("Plot (F8)");

// The button help files, beside the program.
inline const QString kDownloadButtonHelpFile = QStringLiteral("KORA_AutoDownloadHelp.txt");
inline const QString kAircraftInfoButtonHelpFile = QStringLiteral("KORA_AircraftInfoHelp.txt");
inline const QString kClearButtonHelpFile = QStringLiteral("KORA_ClearHelp.txt");
inline const QString kOtherFunctionsButtonHelpFile = QStringLiteral("KORA_OtherFunctionsHelp.txt");
inline const QString kUtilitiesButtonHelpFile = QStringLiteral("KORA_UtilitiesHelp.txt");
inline const QString kFleetHealthButtonHelpFile = QStringLiteral("KORA_FleetHealthHelp.txt");

// The main menu: one button per function, each with its help file shown beside it.
class MainMenuScreen : public Screen {
    Q_OBJECT

public:
    // At flight line the utilities button is removed.
    MainMenuScreen(UserPersist& persist, EventHandler& mainWindow, const DisplayFonts& fonts,
                   int level);
};
