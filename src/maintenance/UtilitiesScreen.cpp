#include "UtilitiesScreen.h"

#include "AircraftPaths.h"
#include "ApplicationSettings.h"
#include "BrixAircraftSettings.h"
#include "Controls.h"
#include "EventHandler.h"
#include "KORALib.h"
#include "Notifier.h"
#include "PartNumberRecord.h"
#include "RegisterLists.h"
#include "UnitConnection.h"
#include "UnitLink.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QTabBar>
#include <QTabWidget>

namespace {

enum Page : int { DownloadPage = 0, CommunicationsPage = 1, FirmwarePage = 2 };

const QString kPageTitles[] = {QStringLiteral("Download"), QStringLiteral("Communications"),
                               QStringLiteral("Firmware")};

// In the order of an engine's switches in the record; %1 is the engine number.
const char* const kSwitchBoxes[4] = {"B_DOWN_N4_E%1", "B_ERASE_N4_E%1", "B_ERASE_N4_DEFECT_E%1",
                                     "B_ERASE_ACCEL_DEFECT_E%1"};

std::uint8_t* engineSwitch(EngineRecord& engine, int index) {
    std::uint8_t* const switches[4] = {&engine.downloadBearing4, &engine.eraseBearing4,
                                       &engine.eraseBearing4History, &engine.eraseAccelHistory};
    return switches[index];
}

// Where the firmware page shows each kind of upload, and where its files are offered.
struct UploadControls {
    const char* group;
    const char* update;
    const char* status;
    const char* startButton;
    const QString& folder;
};
const UploadControls kUploadControls[kUploadKindCount] = {
    {"MainProcessor", "SoftwareUpdate", "SoftwareStatus", "UpdateSwButton", kSoftwareUploadsFolder},
    {"DspProcessors", "SoftwareUpdate", "SoftwareStatus", "UpdateSwButton", kSoftwareUploadsFolder},
    {"DspProcessors", "ConfigurationUpdate", "ConfigurationStatus", "UpdateCfgButton",
     kConfigurationUploadsFolder},
};

struct PartNumberDisplay {
    const char* group;
    const char* row;
    PartNumberRecord::Field field;
};
// The bar while an upload runs: the accent colour of the program's style.
const QString kUploadBarStyle =
    QStringLiteral("QProgressBar::chunk { background-color: #2f6690; }");

// In the order of the upload kinds.
const PartNumberDisplay kPartNumberDisplays[kUploadKindCount] = {
    {"MainProcessor", "SoftwarePN", PartNumberRecord::MainSoftware},
    {"DspProcessors", "SoftwarePN", PartNumberRecord::DspSoftware},
    {"DspProcessors", "ConfigurationPN", PartNumberRecord::CmfiTable},
};

// The page asks before anything is loaded into the unit: one click must not start it.
UnitUpload::Options askingFirst(UnitUpload::Options options) {
    options.askFirst = true;
    return options;
}

} // namespace

UtilitiesScreen::UtilitiesScreen(UserPersist& persist, EventHandler& mainWindow,
                                 const UtilitiesCodes& codes, const QFont& normalFont,
                                 UnitConnection& connection, CommunicationView& communicationView,
                                 UtilitiesMemory& memory, Notifier& notifier,
                                 UnitUpload::Options uploadOptions)
    : Screen(kUtilitiesForm, persist), codes_(codes), connection_(connection),
      communicationView_(communicationView), memory_(memory), notifier_(notifier),
      upload_(connection, communicationView, *this, notifier, askingFirst(uploadOptions)) {
    uploadTimer_.setInterval(kUploadTickMs);
    connect(&uploadTimer_, &QTimer::timeout, this, &UtilitiesScreen::tickUpload);
    if (!isBuilt())
        return;
    setScreenFont(normalFont);
    findControls(mainWindow);
    fillAircraftList();
    loadSwitches();
    loadAddress();
    showPartNumbers();
    for (int kind = 0; kind < kUploadKindCount; ++kind)
        showUploadChoice(kind);
    if (notebook_ != nullptr) {
        notebook_->setCurrentIndex(memory_.page);
        connect(notebook_, &QTabWidget::currentChanged, this,
                [this](int page) { memory_.page = page; });
    }
}

void UtilitiesScreen::findControls(EventHandler& mainWindow) {
    notebook_ = findControl<QTabWidget>(this, {QStringLiteral("UTILITIES_NOTEBOOK")});
    if (notebook_ != nullptr) {
        for (int page = 0; page < notebook_->count() && page < 3; ++page)
            notebook_->setTabText(page, kPageTitles[page]);
    }
    for (auto* apply : findChildren<QAbstractButton*>(QStringLiteral("B_APPLY_CHANGES")))
        bindCode(apply, &mainWindow, codes_.apply);

    aircraftList_ = findControl<QListWidget>(this, {QStringLiteral("AIRCRAFT_ID")});
    bindCode(aircraftList_, &mainWindow, codes_.aircraftSelected);
    for (int engine = 0; engine < 2; ++engine)
        for (int index = 0; index < 4; ++index)
            switches_[engine][index] = findControl<QCheckBox>(
                this, {QString::fromLatin1(kSwitchBoxes[index]).arg(engine + 1)});

    uploadStatus_ = findControl<QLabel>(this, {QStringLiteral("P_UPLOAD_PROGRESS")});
    uploadBar_ = findControl<QProgressBar>(this, {QStringLiteral("UPLOAD_PROGRESS")});
    port_ =
        findControl<QLineEdit>(this, {QStringLiteral("G_COMM_ETHERNET"), QStringLiteral("PORT")});
    address_ = findControl<QLineEdit>(
        this, {QStringLiteral("G_COMM_ETHERNET"), QStringLiteral("ADDRESS")});

    for (int kind = 0; kind < kUploadKindCount; ++kind) {
        const UploadControls& controls = kUploadControls[kind];
        const QString group = QLatin1String(controls.group);
        bindCode(findControl<QAbstractButton>(
                     this, {group, QLatin1String(controls.update), QStringLiteral("UpdateButton")}),
                 &mainWindow, codes_.chooseFile[kind]);
        bindCode(findControl<QAbstractButton>(this, {group, QLatin1String(controls.startButton)}),
                 &mainWindow, codes_.startUpload[kind]);
    }
}

int UtilitiesScreen::currentPage() const {
    return notebook_ == nullptr ? DownloadPage : notebook_->currentIndex();
}

bool UtilitiesScreen::handleCode(int code) {
    if (code == codes_.apply) {
        apply();
        return true;
    }
    if (code == codes_.aircraftSelected) {
        selectAircraft();
        return true;
    }
    for (int kind = 0; kind < kUploadKindCount; ++kind) {
        if (code == codes_.chooseFile[kind]) {
            chooseFile(kind);
            return true;
        }
        if (code == codes_.startUpload[kind]) {
            startUpload(kind);
            return true;
        }
    }
    return false;
}

void UtilitiesScreen::fillAircraftList() {
    const AircraftList list = showRegisteredAircraft(aircraftList_);
    auto* note = findChild<QLabel*>(QStringLiteral("P_NOTE"));
    if (note != nullptr)
        note->setVisible(list.items.isEmpty());
    if (notebook_ != nullptr && notebook_->widget(DownloadPage) != nullptr) {
        // The note itself stays readable: everything else on the page is disabled.
        for (QWidget* control :
             notebook_->widget(DownloadPage)->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            control->setEnabled(!list.items.isEmpty() || control == note);
    }
    selectedId_ = selectedText(aircraftList_);
}

void UtilitiesScreen::loadSwitches() {
    AircraftRecord record =
        selectedId_.isEmpty() ? AircraftRecord() : KORALibReadAircraft(selectedId_);
    for (int engine = 0; engine < 2; ++engine)
        for (int index = 0; index < 4; ++index)
            if (QCheckBox* box = switches_[engine][index])
                box->setChecked(*engineSwitch(record.engines[engine], index) != 0);
}

// Only the switches change: the rest of the record is read again, so that nothing else is
// written back from an older copy.
void UtilitiesScreen::saveSwitches() {
    if (selectedId_.isEmpty() || !KORALibListAircraft().items.contains(selectedId_))
        return;
    AircraftRecord record = KORALibReadAircraft(selectedId_);
    for (int engine = 0; engine < 2; ++engine)
        for (int index = 0; index < 4; ++index)
            if (const QCheckBox* box = switches_[engine][index])
                *engineSwitch(record.engines[engine], index) = box->isChecked() ? 1 : 0;
    KORALibWriteAircraft(selectedId_, record);
}

void UtilitiesScreen::selectAircraft() {
    saveSwitches();
    selectedId_ = selectedText(aircraftList_);
    loadSwitches();
    loadAddress();
}

void UtilitiesScreen::loadAddress() {
    BrixAircraftSettings settings;
    setControlText(port_, settings.value(kPortKey, kDefaultPort).toString());
    setControlText(address_, settings.value(kIpAddressKey, kDefaultIpAddress).toString());
}

void UtilitiesScreen::showPartNumbers() {
    const PartNumberRecord& record = connection_.partNumbers();
    showPartNumbers(QString::fromLatin1(record.rightAlignedField(kPartNumberDisplays[0].field)),
                    QString::fromLatin1(record.rightAlignedField(kPartNumberDisplays[1].field)),
                    QString::fromLatin1(record.rightAlignedField(kPartNumberDisplays[2].field)));
}

void UtilitiesScreen::showUploadChoice(int kind) {
    const UploadChoice& choice = memory_.files[kind];
    if (choice.path.isEmpty())
        return;
    const UploadControls& controls = kUploadControls[kind];
    const QString group = QLatin1String(controls.group);
    setControlText(findControl<QLabel>(
                       this, {group, QLatin1String(controls.update), QStringLiteral("UpdateFile")}),
                   choice.fileName);
    setControlText(findControl<QLabel>(
                       this, {group, QLatin1String(controls.status), QStringLiteral("Status")}),
                   kReadyForUploadText);
}

void UtilitiesScreen::apply() {
    switch (currentPage()) {
    case DownloadPage:
        saveSwitches();
        break;
    case CommunicationsPage:
        if (port_ != nullptr && address_ != nullptr)
            connection_.applyAddress(address_->text(), port_->text(), kCommunicationsTitle,
                                     notifier_);
        break;
    default:
        break; // the firmware page has nothing to apply
    }
}

void UtilitiesScreen::chooseFile(int kind) {
    QFileDialog dialog(this, QString(), registerDataDirectory() + kUploadControls[kind].folder,
                       kUploadFileFilter);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QString path = dialog.selectedFiles().constFirst();
    memory_.files[kind] = {path, QFileInfo(path).fileName()};
    showUploadChoice(kind);
}

void UtilitiesScreen::startUpload(int kind) {
    if (upload_.isRunning())
        return;
    if (memory_.files[kind].path.isEmpty()) {
        notifier_.warning(kUploadErrorTitle, kNoUploadFileText);
        return;
    }
    // As for an erase, no check first; but a worker must run to carry the packets.
    connection_.ensureWorker(communicationView_);
    if (!upload_.start(UploadKind(kind), memory_.files[kind].path))
        return;
    setUploadControlsEnabled(false);
    emit uploadRunning(true);
    uploadTimer_.start();
}

void UtilitiesScreen::tickUpload() {
    upload_.tick();
    if (upload_.isRunning())
        return;
    uploadTimer_.stop();
    setUploadControlsEnabled(true);
    emit uploadRunning(false);
}

// While an upload runs, nothing else on the screen may start: no other upload, no file
// choice, no other page.
void UtilitiesScreen::setUploadControlsEnabled(bool enabled) {
    if (notebook_ != nullptr)
        notebook_->tabBar()->setEnabled(enabled);
    for (const UploadControls& controls : kUploadControls) {
        const QString group = QLatin1String(controls.group);
        if (auto* choose = findControl<QWidget>(
                this, {group, QLatin1String(controls.update), QStringLiteral("UpdateButton")}))
            choose->setEnabled(enabled);
        if (auto* start = findControl<QWidget>(this, {group, QLatin1String(controls.startButton)}))
            start->setEnabled(enabled);
    }
}

void UtilitiesScreen::setStatusText(const QString& text) {
    setControlText(uploadStatus_, text);
}

void UtilitiesScreen::setProgress(int seconds, int maximum) {
    if (uploadBar_ == nullptr)
        return;
    uploadBar_->setMaximum(maximum);
    uploadBar_->setValue(seconds);
}

void UtilitiesScreen::setUploadColours(bool on) {
    if (uploadBar_ != nullptr)
        uploadBar_->setStyleSheet(on ? kUploadBarStyle : QString());
}

void UtilitiesScreen::setWaitCursor(bool on) {
    if (on)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void UtilitiesScreen::packetSent(int, int) {}

void UtilitiesScreen::showPartNumbers(const QString& mainSoftware, const QString& dspSoftware,
                                      const QString& configuration) {
    const QString* const texts[kUploadKindCount] = {&mainSoftware, &dspSoftware, &configuration};
    for (int index = 0; index < kUploadKindCount; ++index) {
        const PartNumberDisplay& display = kPartNumberDisplays[index];
        setControlText(
            findControl<QLabel>(this, {QLatin1String(display.group), QLatin1String(display.row),
                                       QStringLiteral("PN")}),
            *texts[index]);
    }
}

// The main window ends the program once the event that ended the upload has been handled.
void UtilitiesScreen::exitRequested() {
    QMetaObject::invokeMethod(this, &UtilitiesScreen::programEndRequested, Qt::QueuedConnection);
}
