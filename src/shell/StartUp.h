#pragma once

#include <QString>
#include <QStringList>

class Notifier;

// %1 = the full path of the missing window-resource file.
inline const QString kResourceNotFoundText = QStringLiteral("%1 could not be found.");
inline constexpr int kStartFailedExitCode = -1;

// The program from its window-resource files to the end of its event loop: opens the three
// files in `programDirectory` (a missing one is reported and ends it with -1 before any
// setting is read or written), reads the inactivity time-out, builds and shows the main
// window, checks the link once, runs the event loop and shuts down. Needs a QApplication
// with the program's organisation and application names.
int runProgram(const QString& programDirectory, const QStringList& startArguments,
               Notifier& notifier);
