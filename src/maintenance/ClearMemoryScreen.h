#pragma once

#include "EraseSequence.h"
#include "Screen.h"

#include <QFont>

class EventHandler;
class Notifier;
class UnitConnection;

inline const QString kClearMemoryForm = QStringLiteral("ClearData");
inline const QString kClearMemoryHelpContext = QStringLiteral("HelpClearData");

// The "Clear Memory" screen: three check boxes per engine for the memories to erase, and the
// erase itself in the progress window.
class ClearMemoryScreen : public Screen {
    Q_OBJECT

public:
    // "B_CONTINUE" sends `continueCode` to the main window, "B_CANCEL" `cancelCode`.
    ClearMemoryScreen(UserPersist& persist, EventHandler& mainWindow, const QFont& normalFont,
                      int continueCode, int cancelCode);

    // The six boxes in step-table order: engine 1's kinds 0, 1, 2, then engine 2's.
    EraseRequests requests() const;
    // Asks before erasing any bearing-4 data, then runs the progress window on the
    // connection's link. The boxes stay as they are.
    void startErase(UnitConnection& connection, Notifier& notifier, EraseTimeouts timeouts = {});

private:
    UserPersist& persist_;
    QFont normalFont_;
};
