#pragma once

#include "Notifier.h"

// The program's messages: message boxes without a parent and with one OK button (Yes and
// No for questions), in the message font.
class MessageBoxNotifier : public Notifier {
public:
    void critical(const QString& title, const QString& text) override;
    void warning(const QString& title, const QString& text) override;
    void information(const QString& title, const QString& text) override;
    bool question(const QString& title, const QString& text, DefaultAnswer answer) override;
};

// Installs the message font, "Helvetica [Cronyx]", 11 points, italic, bold, for every
// message box; the notifier's boxes also carry it themselves, whatever the style.
void installMessageBoxFont();
