#include "StartUp.h"

#include "ApplicationSettings.h"
#include "BrixCommonSettings.h"
#include "Controls.h"
#include "HelpSystem.h"
#include "KORAWindow.h"
#include "KeyDispatcher.h"
#include "Notifier.h"
#include "PrivilegeLevel.h"
#include "ResourceFiles.h"
#include "SettingsFiles.h"
#include "UserPersist.h"

#include <QApplication>

#include <memory>

namespace {

// The first link check waits up to seven seconds for the unit, holding back the
// technician's keys meanwhile: the window is drawn first, so that the check's steps show
// on a finished window.
constexpr int kFirstDrawBoundMs = 2000;

// The three files, each opened under its root and closed again at the end, in reverse.
class OpenResourceFiles {
public:
    bool open(const QString& path, const QString& root, Notifier& notifier) {
        if (!openResourceFile(path, root)) {
            notifier.critical(kErrorTitle, kResourceNotFoundText.arg(path));
            return false;
        }
        opened_.append({path, root});
        return true;
    }
    ~OpenResourceFiles() {
        for (auto it = opened_.crbegin(); it != opened_.crend(); ++it)
            closeResourceFile(it->first, it->second);
    }

private:
    QList<std::pair<QString, QString>> opened_;
};

} // namespace

int runProgram(const QString& programDirectory, const QStringList& startArguments,
               Notifier& notifier) {
    OpenResourceFiles files;
    if (!files.open(programDirectory + kCommonResourceFile, kCommonResourceRoot, notifier))
        return kStartFailedExitCode;
    if (!files.open(programDirectory + kApplicationResourceFile, kApplicationResourceRoot,
                    notifier))
        return kStartFailedExitCode;
    UserPersist applicationPersist(resourcePath(kApplicationResourceRoot));
    if (!files.open(programDirectory + kHelpResourceFile, kHelpResourceRoot, notifier))
        return kStartFailedExitCode;
    // A settings file that cannot be read ends the start: the program would run on the
    // defaults (the default unit address among them) and overwrite what it could not read.
    if (!prepareSettingsFiles(notifier))
        return kStartFailedExitCode;
    HelpSystem help(resourcePath(kHelpResourceRoot), kProgramTitle + QStringLiteral(" - Help"));
    HelpSystem::install(&help);
    KeyDispatcher::install();
    applyStyleSheet(kCommonResourceRoot);

    setInactivityTimeout(BrixCommonSettings().value(kPrivTimeoutKey, kDefaultPrivTimeout).toInt());

    int result = 0;
    {
        KORAWindow window(applicationPersist, notifier, startArguments);
        showAndWaitUntilDrawn(&window, kFirstDrawBoundMs);
        window.checkCommunication();
        // Inactivity counts from the moment the technician can use the window.
        window.inactivityWatch().restart();
        result = QApplication::exec();
    }
    HelpSystem::install(nullptr);
    return result;
}
