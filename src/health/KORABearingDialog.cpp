#include "KORABearingDialog.h"

#include "BearingGeometryStore.h"
#include "Controls.h"
#include "KORALib.h"
#include "RegisterLists.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>

namespace {

const QString kFormName = QStringLiteral("BearingDialog");

// The shaft box lists N1, then N2.
constexpr int kShaftN1Index = 0;
constexpr int kShaftN2Index = 1;

} // namespace

KORABearingDialog::KORABearingDialog(const QFont& normalFont, UserPersist& persist,
                                     Notifier& notifier, QWidget* parent)
    : RegisterDialog(kFormName, normalFont, persist, notifier, parent) {
    if (!isBuilt())
        return;
    setHelpContext(kBearingHelpContext);
    keyMap().map(Qt::Key_F6, kClearEvent);
    engineTypes_ = findControl<QListWidget>(this, {QStringLiteral("CURRENT_ENGINE")});
    elements_ = findControl<QLineEdit>(this, {QStringLiteral("E_ELEMENTS")});
    ballDiameter_ = findControl<QLineEdit>(this, {QStringLiteral("E_BALL_DIAMETER")});
    pitchDiameter_ = findControl<QLineEdit>(this, {QStringLiteral("E_PITCH_DIAMETER")});
    contactAngle_ = findControl<QLineEdit>(this, {QStringLiteral("E_CONTACT_ANGLE")});
    shaft_ = findControl<QComboBox>(this, {QStringLiteral("C_SHAFT")});
    if (shaft_ != nullptr) {
        shaft_->clear();
        shaft_->addItems({bearingShaftName(BearingShaft::N1), bearingShaftName(BearingShaft::N2)});
    }
    bindCode(findControl<QAbstractButton>(this, {QStringLiteral("B_CLEAR")}), this, kClearEvent);
    const QStringList types = KORALibListEngineTypes();
    fillList(engineTypes_, types, types.isEmpty() ? -1 : 0);
    bindCode(engineTypes_, this, kEngineTypeEvent);
    showStoredGeometry();
    if (engineTypes_ != nullptr)
        engineTypes_->setFocus();
}

// The chosen type's geometry, or empty fields and shaft N2 when it has none.
void KORABearingDialog::showStoredGeometry() {
    const std::optional<BearingGeometry> geometry = readBearingGeometry(selectedText(engineTypes_));
    const auto show = [](QLineEdit* field, const QString& text) {
        if (field != nullptr)
            field->setText(text);
    };
    show(elements_, geometry ? QString::number(geometry->elements) : QString());
    show(ballDiameter_, geometry ? bearingNumberText(geometry->ballDiameter) : QString());
    show(pitchDiameter_, geometry ? bearingNumberText(geometry->pitchDiameter) : QString());
    show(contactAngle_, geometry ? bearingNumberText(geometry->contactAngleDegrees) : QString());
    if (shaft_ != nullptr)
        shaft_->setCurrentIndex(geometry && geometry->shaft == BearingShaft::N1 ? kShaftN1Index
                                                                                : kShaftN2Index);
}

bool KORABearingDialog::performAction() {
    const QString type = selectedText(engineTypes_);
    if (type.isEmpty() || elements_ == nullptr || ballDiameter_ == nullptr ||
        pitchDiameter_ == nullptr || contactAngle_ == nullptr || shaft_ == nullptr)
        return false;
    const BearingShaft shaft =
        shaft_->currentIndex() == kShaftN1Index ? BearingShaft::N1 : BearingShaft::N2;
    return writeBearingGeometry(type,
                                bearingGeometryFromText(elements_->text(), ballDiameter_->text(),
                                                        pitchDiameter_->text(),
                                                        contactAngle_->text(), shaft),
                                notifier_);
}

int KORABearingDialog::handleEvent(int code) {
    switch (code) {
    case kEngineTypeEvent:
        showStoredGeometry();
        return 0;
    case kClearEvent:
        if (const QString type = selectedText(engineTypes_); !type.isEmpty()) {
            clearBearingGeometry(type);
            endModal(kAcceptedResult);
        }
        return 0;
    default:
        return RegisterDialog::handleEvent(code);
    }
}
