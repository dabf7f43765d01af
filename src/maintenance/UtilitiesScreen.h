#pragma once

#include "Screen.h"
#include "UnitUpload.h"
#include "UploadView.h"

#include <QString>
#include <QTimer>

#include <array>

class CommunicationView;
class EventHandler;
class Notifier;
class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QTabWidget;
class UnitConnection;

inline const QString kUtilitiesForm = QStringLiteral("Utilities");
inline const QString kUtilitiesScreenTitle = QStringLiteral("Utilities");
inline const QString kUtilitiesHelpContext = QStringLiteral("HelpUtilities");
inline const QString kReadyForUploadText = QStringLiteral("Ready for Upload");
inline const QString kNoUploadFileText = QStringLiteral("No upload file selected");
inline const QString kUploadFileFilter = QStringLiteral("*.dat");

// The kinds of upload, in the order of the unit's commands: main processor software, DSP
// software, DSP configuration.
inline constexpr int kUploadKindCount = 3;

// An upload file chosen on the firmware page.
struct UploadChoice {
    QString path;
    QString fileName;
};

// What the main window keeps of the utilities screen for the life of the program: the page
// shown last and the files chosen for upload.
struct UtilitiesMemory {
    int page = 0;
    std::array<UploadChoice, kUploadKindCount> files;
};

// The event codes the screen's controls send to the main window, which hands them back
// to the screen.
struct UtilitiesCodes {
    int apply = 0;
    int aircraftSelected = 0;
    std::array<int, kUploadKindCount> chooseFile = {};
    std::array<int, kUploadKindCount> startUpload = {};
};

// The utilities notebook: what the automatic download does for each aircraft and engine,
// the unit's address, and the software and configuration in the unit. Changes are applied
// page by page (the apply button or F5); the download switches also when another aircraft
// is selected. An upload runs on the screen's own 1000-ms timer.
class UtilitiesScreen : public Screen, private UploadView {
    Q_OBJECT

public:
    // `communicationView` shows the part-number read at the end of an upload.
    UtilitiesScreen(UserPersist& persist, EventHandler& mainWindow, const UtilitiesCodes& codes,
                    const QFont& normalFont, UnitConnection& connection,
                    CommunicationView& communicationView, UtilitiesMemory& memory,
                    Notifier& notifier, UnitUpload::Options uploadOptions = {});

    // Handles one of the screen's codes; false for any other code.
    bool handleCode(int code);

    // The page shown: 0 download, 1 communications, 2 firmware.
    int currentPage() const;
    bool isUploading() const { return upload_.isRunning(); }

signals:
    // An upload started (true) or ended (false). Nothing else may reach the unit meanwhile.
    void uploadRunning(bool running);
    // A main-processor upload ended with the restart message: the program is to end.
    void programEndRequested();

private:
    void findControls(EventHandler& mainWindow);
    void fillAircraftList();
    void loadSwitches();
    void saveSwitches();
    void loadAddress();
    // The part numbers of the last check.
    void showPartNumbers();
    void showUploadChoice(int kind);
    void apply();
    void selectAircraft();
    void chooseFile(int kind);
    void startUpload(int kind);
    void tickUpload();
    void setUploadControlsEnabled(bool enabled);

    // UploadView
    void setStatusText(const QString& text) override;
    void setProgress(int seconds, int maximum) override;
    void setUploadColours(bool on) override;
    void setWaitCursor(bool on) override;
    void packetSent(int number, int total) override;
    void showPartNumbers(const QString& mainSoftware, const QString& dspSoftware,
                         const QString& configuration) override;
    void exitRequested() override;

    UtilitiesCodes codes_;
    UnitConnection& connection_;
    CommunicationView& communicationView_;
    UtilitiesMemory& memory_;
    Notifier& notifier_;

    QTabWidget* notebook_ = nullptr;
    QListWidget* aircraftList_ = nullptr;
    QString selectedId_;
    // Per engine, in the order of the record's switches.
    std::array<std::array<QCheckBox*, 4>, 2> switches_ = {};
    QLineEdit* port_ = nullptr;
    QLineEdit* address_ = nullptr;
    QLabel* uploadStatus_ = nullptr;
    QProgressBar* uploadBar_ = nullptr;

    UnitUpload upload_;
    QTimer uploadTimer_;
};
