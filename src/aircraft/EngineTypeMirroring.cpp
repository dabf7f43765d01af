#include "EngineTypeMirroring.h"

#include "Controls.h"

#include <QComboBox>
#include <QGroupBox>

namespace {

template <typename T>
T* nearest(QObject* object) {
    while (object != nullptr && qobject_cast<T*>(object) == nullptr)
        object = object->parent();
    return qobject_cast<T*>(object);
}

} // namespace

void mirrorEngineType(QObject* source) {
    auto* type = nearest<QComboBox>(source);
    if (type == nullptr)
        return;
    auto* group = nearest<QGroupBox>(type->parent());
    if (group == nullptr || group->parent() == nullptr)
        return;
    QString other;
    if (group->objectName() == QLatin1String("G_ENGINE1"))
        other = QStringLiteral("G_ENGINE2");
    else if (group->objectName() == QLatin1String("G_ENGINE2"))
        other = QStringLiteral("G_ENGINE1");
    else
        return;
    auto* otherType = findControl<QComboBox>(group->parent(), {other, QStringLiteral("TYPE")});
    if (otherType != nullptr && otherType != type)
        otherType->setCurrentText(type->currentText());
}
