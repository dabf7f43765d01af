#include "KORACommDialog.h"

#include "Controls.h"
#include "UserPersist.h"

#include <QAbstractButton>
#include <QFont>

KORACommDialog::KORACommDialog(const QFont& normalFont, UserPersist& persist, QWidget* parent)
    : DialogWindow(parent) {
    persist.loadInto(QStringLiteral("CommDialog"), this);
    bindCode(
        findControl<QAbstractButton>(this, {QStringLiteral("TOOL_BAR"), QStringLiteral("B_BACK")}),
        this, kBackCode);
    for (const char* name : {"STATUS_BAR", "STATUS_TEXT", "B_BACK"}) {
        if (auto* control = findChild<QWidget*>(QLatin1String(name)))
            control->setFont(normalFont);
    }
    keyMap().map(Qt::Key_Escape, kBackCode);
}

int KORACommDialog::handleEvent(int code) {
    if (code == kBackCode)
        endModal(kRejectedResult);
    return 0;
}
