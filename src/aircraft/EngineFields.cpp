#include "EngineFields.h"

#include "Controls.h"
#include "EventHandler.h"
#include "FixedText.h"

#include <QComboBox>
#include <QLineEdit>
#include <QSignalBlocker>

QString EngineFields::groupName(int engine) {
    return QStringLiteral("G_ENGINE%1").arg(engine);
}

EngineFields EngineFields::find(QWidget* window, int engine, EventHandler* handler,
                                int typeChosenCode) {
    const QString group = groupName(engine);
    EngineFields fields;
    fields.type = findControl<QComboBox>(window, {group, QStringLiteral("TYPE")});
    fields.serialNumber = findControl<QLineEdit>(window, {group, QStringLiteral("SN")});
    fields.installDate = findControl<QLineEdit>(window, {group, QStringLiteral("INSTALL_DATE")});
    const EngineRecord sizes;
    if (fields.type != nullptr && fields.type->lineEdit() != nullptr)
        fields.type->lineEdit()->setMaxLength(fixedTextCapacity(sizes.engineType));
    if (fields.serialNumber != nullptr)
        fields.serialNumber->setMaxLength(fixedTextCapacity(sizes.serialNumber));
    if (fields.installDate != nullptr)
        fields.installDate->setMaxLength(fixedTextCapacity(sizes.installDate));
    bindCode(fields.type, handler, typeChosenCode);
    return fields;
}

void EngineFields::offerTypes(const QStringList& types) const {
    if (type == nullptr)
        return;
    const QSignalBlocker blocker(type);
    const QString shown = type->currentText();
    type->clear();
    type->addItems(types);
    type->setCurrentText(shown);
}

void EngineFields::show(const EngineRecord& record, const QStringList& types) const {
    offerTypes(types);
    if (type != nullptr) {
        const QSignalBlocker blocker(type);
        type->setCurrentText(readFixedText(record.engineType));
    }
    setControlText(serialNumber, readFixedText(record.serialNumber));
    setControlText(installDate, readFixedText(record.installDate));
}

void EngineFields::writeInto(EngineRecord& record) const {
    if (type != nullptr)
        writeFixedText(record.engineType, type->currentText());
    if (serialNumber != nullptr)
        writeFixedText(record.serialNumber, serialNumber->text());
    if (installDate != nullptr)
        writeFixedText(record.installDate, installDate->text());
}
