#include "KORAWindow.h"

#include "AircraftInfoScreen.h"
#include "AircraftPaths.h"
#include "ApplicationSettings.h"
#include "ArchiveExportDialogs.h"
#include "BrixAdminLoginDialog.h"
#include "BrixAircraftSettings.h"
#include "ClearMemoryScreen.h"
#include "Controls.h"
#include "DataDirectoryPreparation.h"
#include "DataFolder.h"
#include "DownloadVerdicts.h"
#include "EngineTypeMirroring.h"
#include "EventCodes.h"
#include "FixedText.h"
#include "FleetHealthLaunch.h"
#include "FleetHealthWindow.h"
#include "FlightIndex.h"
#include "HelpAboutDialog.h"
#include "KORAAddAircraftDialog.h"
#include "KORAAddEngineTypeDialog.h"
#include "KORAAircraftInfoDialog.h"
#include "KORAAutoDownload.h"
#include "KORABearingDialog.h"
#include "KORAGroup.h"
#include "KORALib.h"
#include "KORALimitsDialog.h"
#include "KORARemoveAircraftDialog.h"
#include "KORARemoveEngineTypeDialog.h"
#include "MainMenuScreen.h"
#include "MainWindowCodes.h"
#include "MaintenanceReportDialogs.h"
#include "Notifier.h"
#include "PasswordChange.h"
#include "Plot2D.h"
#include "PrivilegeLevel.h"
#include "ResourceFiles.h"
#include "SelectDialog.h"
#include "SettingsMaintenance.h"
#include "StartArguments.h"
#include "StartOfRun.h"
#include "StatusBarView.h"
#include "TitleScreen.h"
#include "UnitLink.h"
#include "UserGuide.h"
#include "UserPersist.h"
#include "ViewerEvents.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLayout>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>

namespace {

constexpr int kTimerIntervalMs = 100;
constexpr QSize kImportDialogSize(800, 480);

struct MenuItem {
    const char* name;
    int code;
    // The item's function exists in this program; the others stay disabled.
    bool available;
};

// The menu tree: every item sends its code to the main window.
constexpr MenuItem kMenuItems[] = {
    {"PUI_FILE_COMPRESS", kCompressCode, true},
    {"PUI_FILE_OPEN_DATA_FOLDER", kOpenDataFolderCode, true},
    {"PUI_FILE_REPORT", kMaintenanceReportCode, true},
    {"PUI_FILE_FLEET_HEALTH", kFleetHealthCode, true},
    {"PUI_FILE_EXIT", kExitCode, true},
    {"PUI_PRIV_ADMINISTRATOR", kPrivilegeChangeCode, true},
    {"PUI_PRIV_FLIGHTLINE", kPrivilegeChangeCode, true},
    {"PUI_PRIV_CHANGE_PASSWD", kChangePasswordCode, true},
    {"PUI_AI_ADD", kAddAircraftCode, true},
    {"PUI_AI_REMOVE", kRemoveAircraftCode, true},
    {"PUI_AI_IMPORT", kImportAircraftCode, true},
    {"PUI_AI_ADD_ENGINE_TYPE", kAddEngineTypeCode, true},
    {"PUI_AI_REMOVE_ENGINE_TYPE", kRemoveEngineTypeCode, true},
    {"PUI_AI_BEARING", kBearingCode, true},
    {"PUI_AI_LIMITS", kLimitsCode, true},
    {"PUI_HELP_USER_GUIDE", kUserGuideCode, true},
    {"PUI_HELP_ABOUT", kAboutCode, true},
};

QString today() {
    return QLocale::c().toString(QDate::currentDate(), QStringLiteral("dd-MMM-yyyy"));
}

} // namespace

KORAWindow::KORAWindow(UserPersist& persist, Notifier& notifier, const QStringList& startArguments,
                       QWidget* parent)
    : QMainWindow(parent), persist_(persist), notifier_(notifier),
      commonPersist_(resourcePath(kCommonResourceRoot)),
      programDirectory_(QCoreApplication::applicationDirPath()) {
    persist_.loadInto(kMainWindowForm, this);
    setHelpContext(kMainHelpContext);

    fonts_ = readDisplayFonts();
    performSettingsMaintenance();
    prepareDataDirectory(notifier_);
    prepareForDataWork(QDir::homePath(), registerDataDirectory());

    infoWindow_ = findChild<QWidget*>(QStringLiteral("InfoWindow"));
    if (auto* statusBar = findChild<QWidget*>(QStringLiteral("StatusBar")))
        applyFont(statusBar, fonts_.small);
    date_ = findControl<QLabel>(this, {QStringLiteral("StatusBar"), QStringLiteral("DATE")});
    refreshDate();
    statusView_ = std::make_unique<StatusBarView>(this, persist_, fonts_.normal);

    setBackButton(kExitButtonText, kExitCode);
    if (auto* check = findControl<QAbstractButton>(
            this, {QStringLiteral("TOOL_BAR"), QStringLiteral("B_CHECK_COMM")})) {
        bindCode(check, this, kCheckCommunicationCode);
        check->setFont(fonts_.normal);
    }
    setUpMenus();

    connect(&timer_, &QTimer::timeout, this, [this] { handleEvent(kTimerTickCode); });
    timer_.start(kTimerIntervalMs);

    showTitleScreen();
    connection_.loadAddressFromSettings(notifier_);

    adjustSize();
    placeWindow(this);
    const StartArguments arguments = scanStartArguments(startArguments, notifier_);
    if (arguments.present)
        move(arguments.x, arguments.y);
    setPrivilegeLevel(levelFromStartArguments(arguments));
    applyLevel();
    setWindowTitle(kProgramTitle);
}

KORAWindow::~KORAWindow() {
    timer_.stop();
    statusView_->setWaitCursor(true);
    connection_.stopWorker(kStopWaitMs);
    statusView_->setWaitCursor(false);
}

void KORAWindow::setUpMenus() {
    if (auto* menuBar = findChild<QMenuBar*>(QStringLiteral("PULL_DOWN_MENU")))
        menuBar->setFont(fonts_.normal);
    for (const MenuItem& item : kMenuItems) {
        auto* action = findChild<QAction*>(QLatin1String(item.name));
        if (action == nullptr)
            continue;
        bindCode(action, this, item.code);
        action->setEnabled(item.available);
    }
    for (QMenu* menu : findChildren<QMenu*>())
        menu->setFont(fonts_.normal);
}

void KORAWindow::applyLevel() {
    const int level = privilegeLevel();
    auto* administrator = findChild<QAction*>(QStringLiteral("PUI_PRIV_ADMINISTRATOR"));
    auto* flightLine = findChild<QAction*>(QStringLiteral("PUI_PRIV_FLIGHTLINE"));
    if (level != kMakerLevel && administrator != nullptr && flightLine != nullptr) {
        administrator->setChecked(level == kAdministratorLevel);
        flightLine->setChecked(level == kFlightLineLevel);
    }
    if (level != kMakerLevel)
        setAircraftMenuEnabled(level == kAdministratorLevel);
    if (auto* label = findControl<QLabel>(
            this, {QStringLiteral("StatusBar"), QStringLiteral("PRIVILEGE_LEVEL")}))
        label->setText(privilegeName(level));
}

void KORAWindow::setAircraftMenuEnabled(bool enabled) {
    if (auto* menu = findChild<QMenu*>(QStringLiteral("PDI_AIRCRAFT_INFO")))
        menu->menuAction()->setEnabled(enabled);
}

void KORAWindow::setBackButton(const QString& text, int code) {
    auto* back =
        findControl<QAbstractButton>(this, {QStringLiteral("TOOL_BAR"), QStringLiteral("B_BACK")});
    if (back == nullptr)
        return;
    back->setText(text);
    back->setFont(fonts_.normal);
    bindCode(back, this, code);
}

void KORAWindow::setCurrentScreen(Screen* screen, const QString& screenTitle,
                                  const QString& helpContext) {
    setWindowTitle(screenTitle.isEmpty() ? kProgramTitle
                                         : kProgramTitle + QStringLiteral(" - ") + screenTitle);
    if (!screen_.isNull()) {
        // The event that replaces a screen may come from one of its own controls, which
        // must outlive their signal; the old screen goes once the event is handled.
        Screen* old = screen_;
        old->hide();
        old->setParent(nullptr);
        old->deleteLater();
    }
    setHelpContext(helpContext);
    screen_ = screen;
    if (!screen->isBuilt())
        notifier_.critical(kErrorTitle, screen->errorText());
    if (infoWindow_ != nullptr && infoWindow_->layout() != nullptr) {
        infoWindow_->layout()->addWidget(screen);
        screen->show();
    }
}

void KORAWindow::showFunctionScreen(Screen* screen, const QString& screenTitle,
                                    const QString& helpContext, const QString& helpTextKey) {
    setCurrentScreen(screen, screenTitle, helpContext);
    setBackButton(kBackButtonText, kBackCode);
    keyMap().clear();
    keyMap().map(Qt::Key_Escape, kBackCode);
    showScreenHelpText(helpTextKey);
}

void KORAWindow::showScreenHelpText(const QString& key) {
    if (screen_.isNull())
        return;
    auto* area = screen_->findChild<QWidget*>(QStringLiteral("TextArea"));
    if (area == nullptr)
        return;
    area->setFont(fonts_.normal);
    setControlText(area, BrixAircraftSettings().value(key).toString());
}

void KORAWindow::showTitleScreen() {
    setCurrentScreen(new TitleScreen(persist_, *this, fonts_.normal), {}, kMainHelpContext);
    keyMap().clear();
    keyMap().map(Qt::Key_Escape, kExitCode);
    keyMap().map(Qt::Key_F4, kCheckCommunicationCode);
    keyMap().map(Qt::Key_F5, kShowMainMenuCode);
}

void KORAWindow::showMainMenu() {
    const int level = privilegeLevel();
    setAircraftMenuEnabled(level != kFlightLineLevel);
    setCurrentScreen(new MainMenuScreen(persist_, *this, fonts_, level), kMainWindowScreenTitle,
                     kMainHelpContext);
    if (auto* download = screen_->findChild<QWidget*>(QStringLiteral("B1")))
        download->setFocus();
    setBackButton(kExitButtonText, kExitCode);
    keyMap().clear();
    keyMap().map(Qt::Key_Escape, kExitCode);
    keyMap().map(Qt::Key_F4, kCheckCommunicationCode);
    keyMap().map(Qt::Key_F5, kDownloadCode);
    keyMap().map(Qt::Key_F6, kAircraftInformationCode);
    keyMap().map(Qt::Key_F7, kMemoryEraseCode);
    keyMap().map(Qt::Key_F8, kPlotCode);
    keyMap().map(Qt::Key_F9, kUtilitiesCode);
    keyMap().map(Qt::Key_F10, kFleetHealthCode);
    showScreenHelpText(kMainWindowHelpKey);
}

void KORAWindow::showAircraftInformation() {
    if (!aircraftRegistered())
        return;
    const AircraftInfoCodes codes{kAircraftSelectedCode, kSaveAircraftCode, kReloadAircraftCode,
                                  kMirrorEngineTypeCode};
    auto* screen = new AircraftInfoScreen(persist_, *this, codes, fonts_.normal, notifier_);
    showFunctionScreen(screen, kAircraftInfoScreenTitle, kAircraftInfoHelpContext,
                       kAircraftInformationHelpKey);
    keyMap().map(Qt::Key_Escape, kShowMainMenuCode);
    keyMap().map(Qt::Key_F8, kShowMainMenuCode);
    keyMap().map(Qt::Key_F5, kSaveAircraftCode);
    if (auto* list = screen->findChild<QWidget*>(QStringLiteral("TAIL_NUMBER")))
        list->setFocus();
}

// The maker's level sees the utilities button too, and it opens the screen there as well.
void KORAWindow::showUtilities() {
    if (privilegeLevel() == kFlightLineLevel)
        return;
    setAircraftMenuEnabled(false);
    const UtilitiesCodes codes{
        kApplyUtilitiesCode,
        kUtilitiesAircraftSelectedCode,
        {kChooseMainSoftwareCode, kChooseDspSoftwareCode, kChooseConfigurationCode},
        {kUploadMainSoftwareCode, kUploadDspSoftwareCode, kUploadConfigurationCode}};
    auto* screen = new UtilitiesScreen(persist_, *this, codes, fonts_.normal, connection_,
                                       *statusView_, utilities_, notifier_);
    showFunctionScreen(screen, kUtilitiesScreenTitle, kUtilitiesHelpContext, kUtilitiesHelpKey);
    mapUtilitiesKeys();
    // While an upload runs, the technician stays on the screen and nothing else talks to the
    // unit: no check, no other screen, no menu.
    connect(screen, &UtilitiesScreen::uploadRunning, this, [this](bool running) {
        uploadRunning_ = running;
        for (const char* name : {"TOOL_BAR", "PULL_DOWN_MENU"})
            if (auto* control = findChild<QWidget*>(QLatin1String(name)))
                control->setEnabled(!running);
        keyMap().clear();
        if (!running)
            mapUtilitiesKeys();
    });
    connect(screen, &UtilitiesScreen::programEndRequested, this, &KORAWindow::close);
}

void KORAWindow::mapUtilitiesKeys() {
    keyMap().clear();
    keyMap().map(Qt::Key_Escape, kShowMainMenuCode);
    keyMap().map(Qt::Key_F5, kApplyUtilitiesCode);
}

void KORAWindow::refreshDate() {
    if (date_ == nullptr)
        return;
    const QString text = today();
    if (date_->text() != text)
        date_->setText(text);
}

bool KORAWindow::aircraftRegistered() {
    if (KORALibCountAircraft() > 0)
        return true;
    notifier_.warning(kProgramTitle, kNoAircraftFoundText);
    return false;
}

bool KORAWindow::checkCommunication() {
    return connection_.checkCommunication(*statusView_, notifier_);
}

int KORAWindow::handleEvent(int code) {
    switch (code) {
    case kExitCode:
        close();
        return 0;
    case kShowMainMenuCode:
    case kBackCode:
        showMainMenu();
        return 0;
    case kTimerTickCode:
        refreshDate();
        if (!uploadRunning_)
            inactivityWatch_.tick();
        return 0;
    case kPrivilegeChangeCode:
        changePrivilege();
        return 0;
    case kInactivityRevertCode:
        if (auto* flightLine = findChild<QAction*>(QStringLiteral("PUI_PRIV_FLIGHTLINE")))
            flightLine->setChecked(true);
        changePrivilege();
        return 0;
    case kChangePasswordCode:
        changePassword(this, notifier_);
        return 0;
    case kAboutCode:
        showAboutBox();
        return 0;
    case kUserGuideCode:
        openUserGuide(programDirectory_, notifier_);
        return 0;
    case kDownloadCode:
        runDownload();
        return 0;
    case kAircraftInformationCode:
        showAircraftInformation();
        return 0;
    case kSaveAircraftCode:
        if (auto* screen = qobject_cast<AircraftInfoScreen*>(screen_))
            screen->saveChanges(false);
        return 0;
    case kAircraftSelectedCode:
    case kReloadAircraftCode:
        if (auto* screen = qobject_cast<AircraftInfoScreen*>(screen_))
            screen->loadAircraft(code == kAircraftSelectedCode);
        return 0;
    case kUtilitiesCode:
        showUtilities();
        return 0;
    case kMemoryEraseCode:
        showClearMemory();
        return 0;
    case kStartEraseCode:
        if (auto* clearMemory = qobject_cast<ClearMemoryScreen*>(screen_.data()))
            clearMemory->startErase(connection_, notifier_);
        return 0;
    case kSelectAllCode:
        toggleChoices();
        return 0;
    case kAddAircraftCode:
        runRegisterDialog<KORAAddAircraftDialog>();
        return 0;
    case kRemoveAircraftCode:
        if (aircraftRegistered())
            runRegisterDialog<KORARemoveAircraftDialog>();
        return 0;
    case kImportAircraftCode:
        importAircraft();
        return 0;
    case kAddEngineTypeCode:
        runRegisterDialog<KORAAddEngineTypeDialog>();
        return 0;
    case kRemoveEngineTypeCode:
        runEngineTypeDialog<KORARemoveEngineTypeDialog>();
        return 0;
    case kBearingCode:
        runEngineTypeDialog<KORABearingDialog>();
        return 0;
    case kLimitsCode:
        runEngineTypeDialog<KORALimitsDialog>();
        return 0;
    case kFleetHealthCode:
        showFleetHealth();
        return 0;
    case kCheckCommunicationCode:
        if (checkCommunication())
            notifier_.information(kProgramTitle, kCommunicationsOkText);
        return 0;
    case kMirrorEngineTypeCode:
        mirrorEngineType(eventSource());
        return 0;
    case kCompressCode:
        runArchiveExport(this, fonts_.normal, notifier_);
        return 0;
    case kOpenDataFolderCode:
        openDataFolder(notifier_);
        return 0;
    case kPlotCode:
        openViewer();
        return 0;
    case kMaintenanceReportCode:
        runMaintenanceReport(this, fonts_.normal, notifier_);
        return 0;
    default:
        if (auto* screen = qobject_cast<UtilitiesScreen*>(screen_))
            screen->handleCode(code);
        return 0;
    }
}

void KORAWindow::runDownload() {
    if (!aircraftRegistered())
        return;
    if (!checkCommunication())
        return;
    showScreenHelpText(kDownloadHelpKey);
    setAircraftMenuEnabled(false);

    AircraftRecord record;
    KORAAircraftInfoDialog aircraftDialog(fonts_.normal, record, persist_, notifier_, this);
    aircraftDialog.setWindowTitle(kDownloadDialogTitle.arg(kProgramTitle));
    if (aircraftDialog.runModal() == kAcceptedResult) {
        DownloadVerdicts verdicts(notifier_);
        DownloadSequence::Options options;
        options.rawFileSaved = [&verdicts](const QString& dataDirectory,
                                           const QString& rawFilePath) {
            verdicts.rawFileSaved(dataDirectory, rawFilePath);
        };
        options.closingLines = [&verdicts] { return verdicts.lines(); };
        KORAAutoDownload download(connection_.link(), connection_.partNumbers(), record,
                                  fonts_.normal, fonts_.mid, persist_, notifier_, this, options);
        download.setReportAction([this](QWidget* parent, const QString& aircraftId) {
            writeReportFor(parent, fonts_.normal, aircraftId, notifier_);
        });
        download.runModal();
        if (const std::optional<HealthState> worst = verdicts.worstState())
            statusView_->setStatus(aircraftHealthStatus(readFixedText(record.aircraftId), *worst));
        // The download may have changed any engine's state.
        if (!fleetHealth_.isNull())
            fleetHealth_->refresh();
        if (const QString responseFile = connection_.link().responseFile(); !responseFile.isEmpty())
            QFile::remove(responseFile);
    }
    setAircraftMenuEnabled(privilegeLevel() != kFlightLineLevel);
    showScreenHelpText(kMainWindowHelpKey);
}

template <typename Dialog>
void KORAWindow::runRegisterDialog() {
    Dialog dialog(fonts_.normal, persist_, notifier_, this);
    if (!dialog.isBuilt())
        return;
    // Without a page of its own, its help is the main window's, which describes the aircraft
    // menu.
    if (dialog.helpContext().isEmpty())
        dialog.setHelpContext(kMainHelpContext);
    dialog.runModal();
    registerChanged();
}

template <typename Dialog>
void KORAWindow::runEngineTypeDialog() {
    if (KORALibCountEngineTypes() > 0)
        runRegisterDialog<Dialog>();
    else
        notifier_.warning(kProgramTitle, kNoEngineFoundText);
}

QFileDialog* KORAWindow::importDialog() {
    if (importDialog_ != nullptr)
        return importDialog_;
    importDialog_ = new QFileDialog(this, kImportDialogTitle.arg(kProgramTitle),
                                    registerDataDirectory(), kImportFileFilter);
    importDialog_->setOption(QFileDialog::DontUseNativeDialog);
    importDialog_->setFileMode(QFileDialog::ExistingFile);
    // Room for whole names and dates on a laptop screen.
    importDialog_->resize(kImportDialogSize);
    applyFont(importDialog_, fonts_.normal);
    return importDialog_;
}

void KORAWindow::importAircraft() {
    QFileDialog* dialog = importDialog();
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty())
        return;
    KORALibImportAircraft(dialog->selectedFiles().constFirst(), notifier_);
    registerChanged();
}

// The aircraft information screen may be showing the register that a dialog changed.
void KORAWindow::registerChanged() {
    if (auto* screen = qobject_cast<AircraftInfoScreen*>(screen_))
        screen->registerChanged();
}

void KORAWindow::showClearMemory() {
    if (!aircraftRegistered())
        return;
    setAircraftMenuEnabled(false);
    showFunctionScreen(
        new ClearMemoryScreen(persist_, *this, fonts_.normal, kStartEraseCode, kShowMainMenuCode),
        kClearMemoryTitle, kClearMemoryHelpContext, kClearMemoryHelpKey);
    if (auto* firstBox = screen_->findChild<QCheckBox*>())
        firstBox->setFocus();
    keyMap().map(Qt::Key_F4, kCheckCommunicationCode);
    keyMap().map(Qt::Key_F5, kStartEraseCode);
    keyMap().map(Qt::Key_F8, kBackCode);
}

void KORAWindow::toggleChoices() {
    auto* group =
        screen_.isNull() ? nullptr : screen_->findChild<KORAGroup*>(QStringLiteral("G_CHOICE"));
    if (group == nullptr)
        return;
    const QList<QWidget*> controls = group->controls();
    auto* toggle = controls.size() > 4 ? qobject_cast<QAbstractButton*>(controls[4]) : nullptr;
    if (toggle == nullptr)
        return;
    const bool selectAll = toggle->text() == kSelectAllText;
    toggle->setText(selectAll ? kClearAllText : kSelectAllText);
    for (int i = 0; i < 4; ++i) {
        if (auto* box = qobject_cast<QCheckBox*>(controls[i]))
            box->setChecked(selectAll);
    }
}

// The two privilege items are an exclusive pair: the one chosen is already marked when its
// event arrives, so the flight line mark alone tells them apart.
void KORAWindow::changePrivilege() {
    const int previous = privilegeLevel();
    auto* flightLine = findChild<QAction*>(QStringLiteral("PUI_PRIV_FLIGHTLINE"));
    if (flightLine == nullptr || flightLine->isChecked()) {
        setPrivilegeLevel(kFlightLineLevel);
    } else if (previous == kFlightLineLevel) {
        BrixAdminLoginDialog login(fonts_.normal, commonPersist_, notifier_, this);
        if (login.isBuilt() && login.runModal() == kAcceptedResult)
            setPrivilegeLevel(kAdministratorLevel);
        else
            flightLine->setChecked(true);
    } else {
        setPrivilegeLevel(kAdministratorLevel);
    }
    // Choosing the level already in force changes nothing: the aircraft menu stays as the
    // shown screen has set it (disabled on the erase and utilities screens).
    if (privilegeLevel() == previous)
        return;
    applyLevel();
    showMainMenu();
}

void KORAWindow::revertForInactivity() {
    notifier_.warning(kPrivilegeChangeTitle, kInactivityRevertText);
    handleEvent(kInactivityRevertCode);
}

void KORAWindow::showAboutBox() {
    HelpAboutDialog about(fonts_.normal, commonPersist_, notifier_, this);
    if (about.isBuilt())
        about.runModal();
}

// One Fleet Health window at a time: asked for again, the open one comes to the front.
void KORAWindow::showFleetHealth() {
    if (fleetHealth_.isNull()) {
        fleetHealth_ = openFleetHealth(this, fonts_.normal, persist_, notifier_);
        return;
    }
    fleetHealth_->show();
    fleetHealth_->raise();
    fleetHealth_->activateWindow();
}

// The viewer is a window of its own beside the main window, which it closes with. It is
// built only on the flights that its flight selection loaded.
void KORAWindow::openViewer() {
    QList<FlightDataElement> flights =
        SelectDialog::chooseFlights(fonts_.normal, persist_, notifier_, this);
    if (flights.isEmpty())
        return;
    auto* viewer = new Plot2D(std::move(flights), persist_, fonts_.normal, notifier_, this);
    if (!viewer->isBuilt()) {
        delete viewer;
        return;
    }
    placeWindow(viewer);
    viewer->show();
    viewer->handleEvent(kOpenViewerEvent);
}
