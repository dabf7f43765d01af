#include "HelpAboutDialog.h"

#include "Controls.h"
#include "Notifier.h"
#include "SettingsMaintenance.h"
#include "UserPersist.h"

#include <QAbstractButton>

namespace {

constexpr int kCloseEvent = 10001;

} // namespace

HelpAboutDialog::HelpAboutDialog(const QFont& normalFont, UserPersist& commonPersist,
                                 Notifier& notifier, QWidget* parent)
    : DialogWindow(parent) {
    for (const int key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_F5})
        keyMap().map(key, kCloseEvent);
    built_ = commonPersist.loadInto(kAboutFormName, this);
    if (!built_) {
        notifier.critical(kErrorTitle, commonPersist.errorText());
        return;
    }
    applyFont(this, normalFont);
    setWindowTitle(kProgramTitle);
    if (auto* version = findControl<QWidget>(this, {QStringLiteral("P_VERSION")}))
        setControlText(version, kAboutVersionText.arg(programPartNumber()));
    bindCode(findControl<QAbstractButton>(this, {QStringLiteral("B_OK")}), this, kCloseEvent);
}

int HelpAboutDialog::handleEvent(int code) {
    if (code == kCloseEvent) {
        endModal(kAcceptedResult);
        return 0;
    }
    return DialogWindow::handleEvent(code);
}
