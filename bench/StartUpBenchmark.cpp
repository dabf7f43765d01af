// Start-up to the main window drawn, beside a minimal widget program that shows one empty
// window. Both run as processes of their own, on the offscreen platform, timed from their
// start to the first paint of their top-level window (each says so on its standard output)
// and to their end: the program up to its drawn main window and its first link check
// against the simulated unit on loopback, then it closes as the technician would; the
// minimal one up to its drawn window. A second minimal program draws one line of text, so
// that it pays for the font database as every window with words does.
//
//   bench_start_up [RUNS]      RUNS defaults to 15; prints the median and best of each
#include "MessageBoxNotifier.h"
#include "ProgramFonts.h"
#include "StartUp.h"
#include "StoreNames.h"
#include "UnitSimulator.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QMainWindow>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <cstdio>

namespace {

// Says on standard output when a top-level window is first painted.
class FirstPaint : public QObject {
public:
    FirstPaint() { qApp->installEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!told_ && event->type() == QEvent::Paint && widget != nullptr && widget->isWindow()) {
            told_ = true;
            std::fputs("painted\n", stdout);
            std::fflush(stdout);
        }
        return false;
    }

private:
    bool told_ = false;
};

int runMinimal(int argc, char** argv, bool withText) {
    QApplication app(argc, argv);
    const FirstPaint firstPaint;
    QWidget window;
    if (withText)
        new QLabel(QStringLiteral("Communication OK!"), &window);
    window.resize(1024, 680);
    window.show();
    QCoreApplication::processEvents();
    window.repaint();
    return 0;
}

int runProgramOnce(int argc, char** argv) {
    QApplication app(argc, argv);
    const FirstPaint firstPaint;
    // What the program's main() does before it starts.
    installProgramFontSubstitutions();
    installMessageBoxFont();
    useApplicationStoreNames();
    // Leaves as soon as the first link check has put its result in the status bar.
    QTimer leave;
    leave.setInterval(1);
    QObject::connect(&leave, &QTimer::timeout, [&leave] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* window = qobject_cast<QMainWindow*>(widget);
            auto* status =
                window == nullptr ? nullptr : window->findChild<QLabel*>(QStringLiteral("STATUS"));
            if (status != nullptr && window->isVisible() &&
                status->text() == QStringLiteral("Communication OK!")) {
                leave.stop();
                window->close();
            }
        }
    });
    leave.start();
    MessageBoxNotifier notifier;
    return runProgram(QCoreApplication::applicationDirPath(), {}, notifier);
}

double median(QList<qint64> values) {
    std::sort(values.begin(), values.end());
    const qsizetype n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

// Microseconds from the start of each run to its first paint and to its end.
struct Times {
    QList<qint64> firstPaint;
    QList<qint64> end;
};

Times timeRuns(const QString& mode, int runs, const QProcessEnvironment& environment) {
    Times times;
    for (int i = 0; i < runs; ++i) {
        QProcess child;
        child.setProcessEnvironment(environment);
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QElapsedTimer timer;
        timer.start();
        child.start(QCoreApplication::applicationFilePath(), {mode});
        qint64 painted = -1;
        while (painted < 0 && child.waitForReadyRead(30000)) {
            if (child.readAll().contains("painted"))
                painted = timer.nsecsElapsed() / 1000;
        }
        if (!child.waitForFinished(30000) || child.exitCode() != 0 || painted < 0) {
            std::fprintf(stderr, "%s run %d failed\n", qPrintable(mode), i + 1);
            return {};
        }
        times.end.append(timer.nsecsElapsed() / 1000);
        times.firstPaint.append(painted);
    }
    return times;
}

void printTimes(const char* name, const QList<qint64>& times) {
    std::printf("%-44s median %8.1f ms  best %8.1f ms\n", name, median(times) / 1000.0,
                *std::min_element(times.cbegin(), times.cend()) / 1000.0);
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && QLatin1String(argv[1]) == QLatin1String("--minimal"))
        return runMinimal(argc, argv, false);
    if (argc > 1 && QLatin1String(argv[1]) == QLatin1String("--minimal-text"))
        return runMinimal(argc, argv, true);
    if (argc > 1 && QLatin1String(argv[1]) == QLatin1String("--program"))
        return runProgramOnce(argc, argv);

    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, QString::fromLatin1(argv[1]).toInt()) : 15;
    QTemporaryDir sandbox;
    UnitSimulator simulator;
    if (!sandbox.isValid() || !simulator.start()) {
        std::fprintf(stderr, "cannot prepare the sandbox or the simulator\n");
        return 1;
    }
    // The settings say where the simulator is before the program ever starts.
    const QString config = sandbox.path() + QStringLiteral("/config");
    QDir().mkpath(config + QStringLiteral("/Orvantis"));
    QFile settings(config + QStringLiteral("/Orvantis/ZELK.conf"));
    if (!settings.open(QIODevice::WriteOnly)) {
        std::fprintf(stderr, "cannot write the settings\n");
        return 1;
    }
    settings.write(QStringLiteral("[General]\nIP%20Address=127.0.0.1\nPort=%1\n")
                       .arg(simulator.port())
                       .toLatin1());
    settings.close();

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), sandbox.path());
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));

    // One run of each first, so that neither pays for a cold file cache.
    timeRuns(QStringLiteral("--minimal"), 1, environment);
    timeRuns(QStringLiteral("--minimal-text"), 1, environment);
    timeRuns(QStringLiteral("--program"), 1, environment);
    const Times minimal = timeRuns(QStringLiteral("--minimal"), runs, environment);
    const Times minimalText = timeRuns(QStringLiteral("--minimal-text"), runs, environment);
    const Times program = timeRuns(QStringLiteral("--program"), runs, environment);
    if (minimal.end.isEmpty() || minimalText.end.isEmpty() || program.end.isEmpty())
        return 1;
    std::printf("runs: %d each\n", runs);
    printTimes("minimal window, first paint:", minimal.firstPaint);
    printTimes("minimal window with a line, first paint:", minimalText.firstPaint);
    printTimes("brix main window, first paint:", program.firstPaint);
    printTimes("minimal window, to its end:", minimal.end);
    printTimes("brix with its link check and close, to its end:", program.end);
    std::printf("ratio of the medians, first paint: %.2f (goal: at most 1.5)\n",
                median(program.firstPaint) / median(minimal.firstPaint));
    std::printf("ratio of the medians, first paint, against the window with a line: %.2f\n",
                median(program.firstPaint) / median(minimalText.firstPaint));
    std::printf("ratio of the medians, to the end: %.2f\n",
                median(program.end) / median(minimal.end));
    return 0;
}
