#include "AircraftInfoScreen.h"

#include "BrixAircraftSettings.h"
#include "Controls.h"
#include "EventHandler.h"
#include "FixedText.h"
#include "KORALib.h"
#include "Notifier.h"
#include "RegisterKeys.h"
#include "RegisterLists.h"

#include <QAbstractButton>
#include <QFont>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QTextCursor>

#include <cstring>

namespace {

constexpr int kCommentsCapacity = static_cast<int>(sizeof(AircraftRecord::comments)) - 1;

} // namespace

AircraftInfoScreen::AircraftInfoScreen(UserPersist& persist, EventHandler& mainWindow,
                                       const AircraftInfoCodes& codes, const QFont& normalFont,
                                       Notifier& notifier)
    : Screen(kAircraftInfoForm, persist), notifier_(notifier) {
    if (!isBuilt())
        return;
    setScreenFont(normalFont);
    findControls(mainWindow, codes);
    showRegisteredAircraft(aircraftList_);
    loadAircraft(false);
}

void AircraftInfoScreen::findControls(EventHandler& mainWindow, const AircraftInfoCodes& codes) {
    aircraftList_ = findControl<QListWidget>(this, {QStringLiteral("TAIL_NUMBER")});
    comments_ = findControl<QPlainTextEdit>(this, {QStringLiteral("T_COMMENTS")});
    bindCode(aircraftList_, &mainWindow, codes.aircraftSelected);
    bindCode(findControl<QAbstractButton>(this, {QStringLiteral("B_SAVE")}), &mainWindow,
             codes.save);
    bindCode(findControl<QAbstractButton>(this, {QStringLiteral("B_CANCEL")}), &mainWindow,
             codes.reload);
    if (comments_ != nullptr)
        connect(comments_, &QPlainTextEdit::textChanged, this,
                &AircraftInfoScreen::cutCommentsToTheirField);

    for (int engine = 0; engine < AircraftRecord::kEngineCount; ++engine)
        engines_[engine] =
            EngineFields::find(this, engine + 1, &mainWindow, codes.engineTypeChosen);
}

// A text field cannot limit its length: a longer text, typed or pasted, is cut at once, so
// that what is saved is what the technician sees.
void AircraftInfoScreen::cutCommentsToTheirField() {
    if (comments_->toPlainText().size() <= kCommentsCapacity)
        return;
    const QSignalBlocker blocker(comments_);
    comments_->setPlainText(comments_->toPlainText().left(kCommentsCapacity));
    comments_->moveCursor(QTextCursor::End);
}

void AircraftInfoScreen::loadAircraft(bool ask) {
    if (ask)
        saveChanges(true);
    shownId_ = selectedText(aircraftList_);
    record_ = shownId_.isEmpty() ? AircraftRecord() : KORALibReadAircraft(shownId_);
    setControlText(comments_, readFixedText(record_.comments));
    const QStringList types = KORALibListEngineTypes();
    for (int engine = 0; engine < AircraftRecord::kEngineCount; ++engine)
        engines_[engine].show(record_.engines[engine], types);
    if (!shownId_.isEmpty()) {
        BrixAircraftSettings settings;
        settings.setValue(kLastAircraftKey, shownId_);
    }
}

AircraftRecord AircraftInfoScreen::editedRecord() const {
    AircraftRecord edited = record_;
    if (comments_ != nullptr)
        writeFixedText(edited.comments, comments_->toPlainText());
    for (int engine = 0; engine < AircraftRecord::kEngineCount; ++engine)
        engines_[engine].writeInto(edited.engines[engine]);
    return edited;
}

void AircraftInfoScreen::saveChanges(bool ask) {
    if (shownId_.isEmpty())
        return;
    const AircraftRecord edited = editedRecord();
    if (std::memcmp(&edited, &record_, sizeof edited) == 0)
        return;
    if (ask &&
        !notifier_.question(kSaveQuestionTitle, kSaveQuestionText, Notifier::DefaultAnswer::Yes))
        return;
    // The record goes back under the key it was read from, and only while that aircraft is
    // registered: saving must not bring back an aircraft removed in the meantime.
    if (!KORALibListAircraft().items.contains(shownId_))
        return;
    if (KORALibWriteAircraft(shownId_, edited))
        record_ = edited;
}

void AircraftInfoScreen::registerChanged() {
    const bool stillRegistered =
        !shownId_.isEmpty() && KORALibListAircraft().items.contains(shownId_);
    showRegisteredAircraft(aircraftList_);
    const QStringList types = KORALibListEngineTypes();
    for (const EngineFields& fields : engines_)
        fields.offerTypes(types);
    if (stillRegistered) {
        const QSignalBlocker blocker(aircraftList_);
        const QList<QListWidgetItem*> shown = aircraftList_->findItems(shownId_, Qt::MatchExactly);
        if (!shown.isEmpty())
            aircraftList_->setCurrentItem(shown.first());
        // Edits are kept unless the stored record itself was replaced (an import): the
        // screen then shows what is stored, so that no edit writes the old values back.
        const AircraftRecord stored = KORALibReadAircraft(shownId_);
        if (std::memcmp(&stored, &record_, sizeof stored) == 0)
            return;
    }
    loadAircraft(false);
}
