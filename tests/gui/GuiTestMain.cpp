// Every widget test starts here: a home and settings folder of its own, as for every test,
// a widget application with the program's font faces, and the window-resource files beside
// the test program opened as the program opens them.
#include "HelpSystem.h"
#include "KeyDispatcher.h"
#include "ProgramFonts.h"
#include "ResourceFiles.h"
#include "SettingsSandbox.h"
#include "StoreNames.h"

#include <QApplication>
#include <gtest/gtest.h>

#include <cstdio>

int main(int argc, char** argv) {
    static const TemporaryHome home;
    if (!home.isValid())
        return 1;
    // No display is needed: the offscreen platform unless the caller chose another one.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    useApplicationStoreNames();
    installProgramFontSubstitutions();
    const QString directory = QCoreApplication::applicationDirPath();
    for (const auto& [file, root] : {std::pair{kCommonResourceFile, kCommonResourceRoot},
                                     std::pair{kApplicationResourceFile, kApplicationResourceRoot},
                                     std::pair{kHelpResourceFile, kHelpResourceRoot}}) {
        if (!openResourceFile(directory + file, root)) {
            std::fprintf(stderr, "%s is missing beside the test program\n",
                         qPrintable(directory + file));
            return 1;
        }
    }
    // The windows are tested with the look they have in the program.
    if (!applyStyleSheet(kCommonResourceRoot))
        return 1;
    KeyDispatcher::install();
    const HelpSystem help(resourcePath(kHelpResourceRoot), QStringLiteral(" Thalvex  - Help"));
    HelpSystem::install(&help);
    return RUN_ALL_TESTS();
}
