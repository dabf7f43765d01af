#include "ClearMemoryScreen.h"

#include "CommunicationView.h"
#include "Controls.h"
#include "EventHandler.h"
#include "KORAEraseProgress.h"
#include "KORAGroup.h"
#include "UnitConnection.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>

namespace {

const QString kEngineGroups[kEraseEngineCount] = {QStringLiteral("G_ENGINE1"),
                                                  QStringLiteral("G_ENGINE2")};

// The screen says nothing while the worker connects; the wait cursor shows that it works.
class WaitCursorView : public CommunicationView {
public:
    void setStatus(const QString&) override {}
    void clearPartNumberItems() override {}
    void setWaitCursor(bool on) override {
        if (on)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        else
            QApplication::restoreOverrideCursor();
    }
    void showCommunicationFailure() override {}
};

} // namespace

ClearMemoryScreen::ClearMemoryScreen(UserPersist& persist, EventHandler& mainWindow,
                                     const QFont& normalFont, int continueCode, int cancelCode)
    : Screen(kClearMemoryForm, persist), persist_(persist), normalFont_(normalFont) {
    setScreenFont(normalFont);
    bindCode(findChild<QAbstractButton*>(QStringLiteral("B_CONTINUE")), &mainWindow, continueCode);
    bindCode(findChild<QAbstractButton*>(QStringLiteral("B_CANCEL")), &mainWindow, cancelCode);
}

EraseRequests ClearMemoryScreen::requests() const {
    EraseRequests requests{};
    for (int engine = 0; engine < kEraseEngineCount; ++engine) {
        const auto* group = findChild<KORAGroup*>(kEngineGroups[engine]);
        if (group == nullptr)
            continue;
        const QList<QWidget*> controls = group->controls();
        for (int kind = 0; kind < kEraseKindCount && kind < controls.size(); ++kind)
            if (const auto* box = qobject_cast<QCheckBox*>(controls[kind]))
                requests[engine * kEraseKindCount + kind] = box->isChecked();
    }
    return requests;
}

void ClearMemoryScreen::startErase(UnitConnection& connection, Notifier& notifier,
                                   EraseTimeouts timeouts) {
    const EraseRequests chosen = requests();
    if (!confirmDataErase(chosen, notifier))
        return;
    // No check of the unit first: a unit that does not answer shows "Timeout" per step. A
    // worker is started if none runs, so that the commands can reach a unit that does; when
    // it cannot connect, each step shows "Failed" at once.
    WaitCursorView view;
    connection.ensureWorker(view);
    KORAEraseProgress progress(connection.link(), chosen, normalFont_, persist_, notifier, window(),
                               timeouts);
    if (progress.isBuilt())
        progress.runModal();
}
