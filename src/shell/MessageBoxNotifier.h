#pragma once

#include "Notifier.h"

// The program's messages: message boxes without a parent and with one OK button (Yes and
// No for questions), in the message font that start-up installs.
class MessageBoxNotifier : public Notifier {
public:
    void critical(const QString& title, const QString& text) override;
    void warning(const QString& title, const QString& text) override;
    void information(const QString& title, const QString& text) override;
    bool question(const QString& title, const QString& text) override;
};

// The font of every message box: "Helvetica [Cronyx]", 11 points, italic, bold.
void installMessageBoxFont();
