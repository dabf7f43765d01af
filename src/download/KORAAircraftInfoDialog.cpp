#include "KORAAircraftInfoDialog.h"

#include "AircraftRecord.h"
#include "Controls.h"
#include "EngineTypeMirroring.h"
#include "FixedText.h"
#include "KORALib.h"
#include "Notifier.h"
#include "PreDownloadChecks.h"
#include "RegisterLists.h"
#include "UserPersist.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QEvent>
#include <QFont>
#include <QListWidget>
#include <QPlainTextEdit>

namespace {

const QString kFormName = QStringLiteral("AircraftInfoDialog");
const QString kHelpContext = QStringLiteral("HelpAutoDownload");

// In the order of the engine's switches in the record.
const char* const kSwitchNames[4] = {"DOWNLOAD_B4D", "ERASE_B4D", "ERASE_DDH", "ERASE_ADDH"};

const std::uint8_t& engineSwitch(const EngineRecord& engine, int index) {
    const std::uint8_t* const switches[4] = {&engine.downloadBearing4, &engine.eraseBearing4,
                                             &engine.eraseBearing4History,
                                             &engine.eraseAccelHistory};
    return *switches[index];
}

} // namespace

KORAAircraftInfoDialog::KORAAircraftInfoDialog(const QFont& normalFont, AircraftRecord& record,
                                               UserPersist& persist, Notifier& notifier,
                                               QWidget* parent)
    : DialogWindow(parent), record_(record), notifier_(notifier) {
    setHelpContext(kHelpContext);
    keyMap().map(Qt::Key_F5, kDownloadEvent);
    keyMap().map(Qt::Key_F8, kCancelEvent);
    keyMap().map(Qt::Key_Escape, kCancelEvent);

    built_ = persist.loadInto(kFormName, this);
    if (!built_) {
        notifier_.critical(kErrorTitle, persist.errorText());
        return;
    }
    applyFont(this, normalFont);
    findControls();
    showRegisteredAircraft(aircraftList_);
    loadSelectedAircraft();
}

void KORAAircraftInfoDialog::findControls() {
    aircraftList_ = findControl<QListWidget>(this, {QStringLiteral("TAIL_NUMBER")});
    comments_ = findControl<QPlainTextEdit>(this, {QStringLiteral("T_COMMENTS")});
    bindCode(aircraftList_, this, kAircraftSelectedEvent);
    bindCode(findControl<QAbstractButton>(this, {QStringLiteral("B_OK")}), this, kDownloadEvent);
    bindCode(findControl<QAbstractButton>(this, {QStringLiteral("B_CANCEL")}), this, kCancelEvent);

    for (int engine = 0; engine < AircraftRecord::kEngineCount; ++engine) {
        EngineControls& controls = engines_[engine];
        const QString group = EngineFields::groupName(engine + 1);
        controls.fields = EngineFields::find(this, engine + 1, this, kEngineTypeChosenEvent);
        for (int index = 0; index < 4; ++index) {
            QCheckBox* box = findControl<QCheckBox>(
                this,
                {group, QStringLiteral("ENG%1_%2")
                            .arg(QString::number(engine + 1), QLatin1String(kSwitchNames[index]))});
            controls.switches[index] = box;
            if (box == nullptr)
                continue;
            // The run does what the register says; a box the technician could untick would
            // promise to keep a memory that is then erased all the same.
            box->setFocusPolicy(Qt::NoFocus);
            box->installEventFilter(this);
        }
    }
}

bool KORAAircraftInfoDialog::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        if (qobject_cast<QCheckBox*>(watched) != nullptr)
            return true;
        break;
    default:
        break;
    }
    return DialogWindow::eventFilter(watched, event);
}

QString KORAAircraftInfoDialog::selectedAircraft() const {
    return selectedText(aircraftList_);
}

void KORAAircraftInfoDialog::loadSelectedAircraft() {
    const QString id = selectedAircraft();
    record_ = id.isEmpty() ? AircraftRecord() : KORALibReadAircraft(id);
    if (comments_ != nullptr)
        comments_->setPlainText(readFixedText(record_.comments));

    const QStringList types = KORALibListEngineTypes();
    for (int engine = 0; engine < AircraftRecord::kEngineCount; ++engine) {
        const EngineRecord& entry = record_.engines[engine];
        EngineControls& controls = engines_[engine];
        controls.fields.show(entry, types);
        for (int index = 0; index < 4; ++index) {
            QCheckBox* box = controls.switches[index];
            if (box == nullptr)
                continue;
            const bool on = engineSwitch(entry, index) != 0;
            box->setChecked(on);
            box->setEnabled(on);
        }
    }
}

void KORAAircraftInfoDialog::confirm() {
    const QString id = selectedAircraft();
    if (id.isEmpty())
        return; // nothing to download
    for (int engine = 0; engine < AircraftRecord::kEngineCount; ++engine)
        engines_[engine].fields.writeInto(record_.engines[engine]);
    if (comments_ != nullptr)
        writeFixedText(record_.comments, comments_->toPlainText());
    if (confirmAircraftForDownload(id, record_, notifier_))
        endModal(kAcceptedResult);
}

int KORAAircraftInfoDialog::handleEvent(int code) {
    switch (code) {
    case kAircraftSelectedEvent:
        loadSelectedAircraft();
        break;
    case kEngineTypeChosenEvent:
        mirrorEngineType(eventSource());
        break;
    case kDownloadEvent:
        confirm();
        break;
    case kCancelEvent:
        endModal(kRejectedResult);
        break;
    default:
        return DialogWindow::handleEvent(code);
    }
    return 0;
}
