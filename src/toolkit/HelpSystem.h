#pragma once

#include <QString>

class QWidget;

// Shows the help page of a help context: "<root>/pages/<context>.html" of the opened help
// resource file, in a window of its own with the pages' links working.
class HelpSystem {
public:
    // `windowTitle` is the help window's title.
    HelpSystem(const QString& root, const QString& windowTitle);

    bool hasPage(const QString& context) const;
    // Runs the help window modally over `parent`; nothing happens for an unknown context.
    void show(const QString& context, QWidget* parent) const;

    // The help system the F1 key opens; nullptr until one is installed.
    static const HelpSystem* current();
    static void install(const HelpSystem* helpSystem);

private:
    QString pagePath(const QString& context) const;

    QString root_;
    QString windowTitle_;
};

inline const QString kHelpCloseText = QStringLiteral("Close (Esc)");
