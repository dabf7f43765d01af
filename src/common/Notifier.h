#pragma once

#include <QString>

// The titles of the program's failure and warning messages.
inline const QString kErrorTitle = QStringLiteral("Error");
inline const QString kWarningTitle = QStringLiteral("Warning");
// The program's title, blanks included; notices carry it as their title.
inline const QString kProgramTitle = QStringLiteral(" Thalvex ");

// How core code speaks to the user. The program answers with message boxes, brix-cli
// prints to standard error, tests record what was said.
class Notifier {
public:
    virtual ~Notifier() = default;
    virtual void critical(const QString& title, const QString& text) = 0;
    virtual void warning(const QString& title, const QString& text) = 0;
    virtual void information(const QString& title, const QString& text) = 0;
    // Which button Enter presses.
    enum class DefaultAnswer { Yes, No };
    // True for yes.
    virtual bool question(const QString& title, const QString& text, DefaultAnswer answer) = 0;
};
