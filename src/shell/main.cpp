// The program: a widget application with its font faces, the message font and the program's
// settings names, then the start-up sequence.
#include "MessageBoxNotifier.h"
#include "ProgramFonts.h"
#include "StartUp.h"
#include "StoreNames.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // Lets the desktop match the windows to the installed desktop entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("brix"));
    installProgramFontSubstitutions();
    installMessageBoxFont();
    useApplicationStoreNames();
    MessageBoxNotifier notifier;
    return runProgram(QCoreApplication::applicationDirPath(), app.arguments().mid(1), notifier);
}
