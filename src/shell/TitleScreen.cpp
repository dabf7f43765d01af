#include "TitleScreen.h"

#include "Controls.h"
#include "EventHandler.h"
#include "MainWindowCodes.h"
#include "SettingsMaintenance.h"

#include <QAbstractButton>
#include <QFont>
#include <QLabel>

TitleScreen::TitleScreen(UserPersist& persist, EventHandler& mainWindow, const QFont& normalFont)
    : Screen(kTitleScreenForm, persist) {
    if (auto* button = findChild<QAbstractButton*>(QStringLiteral("B_CONTINUE"))) {
        bindCode(button, &mainWindow, kShowMainMenuCode);
        button->setFont(normalFont);
    }
    if (auto* label = findChild<QLabel*>(QStringLiteral("versionLabel")))
        label->setText(kVersionLabelText.arg(programVersion(), programPartNumber()));
    if (auto* label = findChild<QLabel*>(QStringLiteral("copyrightLabel")))
        label->setText(kCopyrightText);
}
