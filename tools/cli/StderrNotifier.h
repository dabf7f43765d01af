#pragma once

#include "Notifier.h"

// Messages of the command line: "Title: text" on standard error, control characters escaped
// (line breaks and tabs kept). Questions are answered "no", since nobody may be there to
// answer.
class StderrNotifier : public Notifier {
public:
    void critical(const QString& title, const QString& text) override;
    void warning(const QString& title, const QString& text) override;
    void information(const QString& title, const QString& text) override;
    bool question(const QString& title, const QString& text, DefaultAnswer answer) override;
};
