#pragma once

#include "Screen.h"

class EventHandler;
class QFont;

inline const QString kTitleScreenForm = QStringLiteral("TitleWindow");

// The screen the program opens on: its name, version and part number, and Continue.
class TitleScreen : public Screen {
    Q_OBJECT

public:
    TitleScreen(UserPersist& persist, EventHandler& mainWindow, const QFont& normalFont);
};
