#include "MainMenuScreen.h"

#include "DisplayFonts.h"
#include "EventHandler.h"
#include "KORAButton.h"
#include "MainWindowCodes.h"
#include "PrivilegeLevel.h"

#include <QLabel>

namespace {

struct MenuButton {
    const char* name;
    int code;
    const QString& helpFile;
};

} // namespace

MainMenuScreen::MainMenuScreen(UserPersist& persist, EventHandler& mainWindow,
                               const DisplayFonts& fonts, int level)
    : Screen(kMainMenuForm, persist) {
    auto* helpPane = findChild<QWidget*>(QStringLiteral("HELP_TEXT"));
    if (helpPane != nullptr)
        helpPane->setFont(fonts.mid);
    const MenuButton buttons[] = {
        {"B1", kDownloadCode, kDownloadButtonHelpFile},
        {"B2", kAircraftInformationCode, kAircraftInfoButtonHelpFile},
        {"B3", kMemoryEraseCode, kClearButtonHelpFile},
        {"B4", kPlotCode, kOtherFunctionsButtonHelpFile},
        {"B5", kUtilitiesCode, kUtilitiesButtonHelpFile},
        {"B6", kFleetHealthCode, kFleetHealthButtonHelpFile},
    };
    for (const MenuButton& entry : buttons) {
        auto* button = findChild<KORAButton*>(QLatin1String(entry.name));
        if (button == nullptr)
            continue;
        if (entry.code == kUtilitiesCode && level == kFlightLineLevel) {
            delete button;
            continue;
        }
        if (entry.code == kPlotCode)
            button->setText(kPlotButtonText);
        bindCode(button, &mainWindow, entry.code);
        button->setFont(fonts.normal);
        button->setHelp(helpPane, entry.helpFile);
    }
}
