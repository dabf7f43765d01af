#pragma once

#include "DisplayFonts.h"
#include "EventHandler.h"
#include "FleetHealthWindow.h"
#include "InactivityWatch.h"
#include "Screen.h"
#include "UnitConnection.h"
#include "UserPersist.h"
#include "UtilitiesScreen.h"

#include <QMainWindow>
#include <QPointer>
#include <QTimer>

#include <memory>

class Notifier;
class QFileDialog;
class QLabel;
class StatusBarView;

inline const QString kMainWindowForm = QStringLiteral("KORAWindow");
inline const QString kMainWindowScreenTitle = QStringLiteral("Main Window");
inline const QString kMainHelpContext = QStringLiteral("HelpKORA");
inline const QString kExitButtonText = QStringLiteral("Exit (Esc)");
inline const QString kBackButtonText = QStringLiteral("Back (Esc)");
inline const QString kNoAircraftFoundText = QStringLiteral("No aircraft found");
inline const QString kNoEngineFoundText = QStringLiteral("No engine found");
// %1 = the program title.
inline const QString kImportDialogTitle = QStringLiteral("%1 - Import Aircraft");
inline const QString kImportFileFilter = QStringLiteral("*.csv");
inline const QString kCommunicationsOkText = QStringLiteral("Communications OK");
// %1 = the program title.
inline const QString kDownloadDialogTitle = QStringLiteral("%1 - Download");
inline const QString kSelectAllText = QStringLiteral("Select ALL");
inline const QString kClearAllText = QStringLiteral("Clear ALL");
inline const QString kPrivilegeChangeTitle = QStringLiteral("Privilege Level Change");
inline const QString kInactivityRevertText =
    QStringLiteral("Reverting to Flight-Line level due to inactivity");

// The program's main window: menus, tool bar, status bar and one screen at a time. It
// dispatches the event codes of its controls, keys and timer; the screens and dialogs do
// the work. It owns the unit link for the life of the program.
class KORAWindow : public QMainWindow, public EventHandler {
    Q_OBJECT

public:
    // `startArguments` are the program's arguments without its name.
    KORAWindow(UserPersist& persist, Notifier& notifier, const QStringList& startArguments,
               QWidget* parent = nullptr);
    // Stops the link worker, waiting at most two seconds.
    ~KORAWindow() override;

    int handleEvent(int code) override;

    // The communication check of start-up and F4; true when the unit answered.
    bool checkCommunication();

    UnitConnection& connection() { return connection_; }
    Screen* currentScreen() const { return screen_; }
    InactivityWatch& inactivityWatch() { return inactivityWatch_; }
    // The open Fleet Health window, or nullptr.
    FleetHealthWindow* fleetHealthWindow() const { return fleetHealth_; }
    // The folder whose sibling "doc" holds the user guide: the program's own by default.
    void setProgramDirectory(const QString& directory) { programDirectory_ = directory; }

private:
    void setUpMenus();
    void applyLevel();
    void setAircraftMenuEnabled(bool enabled);
    void setBackButton(const QString& text, int code);
    void setCurrentScreen(Screen* screen, const QString& screenTitle, const QString& helpContext);
    // Shows a function screen: its title, help page and help text, "Back (Esc)" in the tool
    // bar and a key map holding Esc alone; the caller maps the screen's own keys.
    void showFunctionScreen(Screen* screen, const QString& screenTitle, const QString& helpContext,
                            const QString& helpTextKey);
    void showScreenHelpText(const QString& key);
    void showTitleScreen();
    void showMainMenu();
    void showAircraftInformation();
    void showUtilities();
    void mapUtilitiesKeys();
    void refreshDate();
    bool aircraftRegistered();
    void runDownload();
    // Runs one of the register's dialogs modally in the normal font and destroys it.
    template <typename Dialog>
    void runRegisterDialog();
    // The same for a dialog that chooses among the engine types; says so when there is none.
    template <typename Dialog>
    void runEngineTypeDialog();
    // The import file dialog, built by the first import: most runs import nothing, and the
    // dialog costs more than the rest of the window to build.
    QFileDialog* importDialog();
    void importAircraft();
    void registerChanged();
    void showClearMemory();
    void toggleChoices();
    void changePrivilege();
    void revertForInactivity();
    void showAboutBox();
    void openViewer();
    void showFleetHealth();

    UserPersist& persist_;
    Notifier& notifier_;
    // The login dialog and the about box come from the common resources.
    UserPersist commonPersist_;
    DisplayFonts fonts_;
    UnitConnection connection_;
    std::unique_ptr<StatusBarView> statusView_;
    QWidget* infoWindow_ = nullptr;
    QLabel* date_ = nullptr;
    // Kept for the window's life once built, so that it opens where the user last picked a
    // file.
    QFileDialog* importDialog_ = nullptr;
    QPointer<Screen> screen_;
    QPointer<FleetHealthWindow> fleetHealth_;
    UtilitiesMemory utilities_;
    QTimer timer_;
    InactivityWatch inactivityWatch_{[this] { revertForInactivity(); }};
    // An upload on the utilities screen is not cut short by the inactivity watch.
    bool uploadRunning_ = false;
    QString programDirectory_;
};
