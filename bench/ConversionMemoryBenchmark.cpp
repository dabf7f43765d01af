// The conversion holds the response once: the peak resident memory of a process that converts
// a full response (2,777,488 bytes) grows by less than three times the response. The response
// file is written by a child process so that no copy of it was ever in this one, and the peak
// is counted afresh just before the conversion.
#include "AircraftRecord.h"
#include "DownloadedData.h"
#include "FixedText.h"
#include "Notifier.h"
#include "OwnHome.h"
#include "PartNumberRecord.h"
#include "PeakMemory.h"
#include "ReformatData.h"
#include "UnitSimulator.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <sys/wait.h>
#include <unistd.h>

namespace {

class PrintingNotifier : public Notifier {
public:
    void critical(const QString& title, const QString& text) override { print(title, text); }
    void warning(const QString& title, const QString& text) override { print(title, text); }
    void information(const QString& title, const QString& text) override { print(title, text); }
    bool question(const QString& title, const QString& text, DefaultAnswer) override {
        print(title, text);
        return false;
    }

private:
    static void print(const QString& title, const QString& text) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(title), qPrintable(text));
    }
};

bool writeResponseInChild(const QString& path) {
    const pid_t child = ::fork();
    if (child == 0) {
        const std::optional<QByteArray> response =
            UnitSimulator::hostOrderResponse(UnitSimulator::downloadResponse(1, {}));
        QFile file(path);
        const bool written = response && file.open(QIODevice::WriteOnly) &&
                             file.write(*response) == response->size() && file.flush();
        std::_Exit(written ? 0 : 1);
    }
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

} // namespace

int main() {
    QTemporaryDir home;
    if (!home.isValid())
        return 1;
    useOwnHome(home.path());
    const QString responsePath = home.path() + QStringLiteral("/ZELK-bench");
    if (!writeResponseInChild(responsePath))
        return 1;
    const qint64 responseSize = QFile(responsePath).size();

    AircraftRecord aircraft;
    writeFixedText(aircraft.aircraftId, QStringLiteral("BENCH"));
    writeFixedText(aircraft.engines[0].engineType, QStringLiteral("CFM56-7"));
    const PartNumberRecord partNumbers;
    PrintingNotifier notifier;

    if (!resetPeak())
        std::fprintf(stderr, "note: the peak could not be reset; it includes the start-up\n");
    const long before = peakResidentKiB();
    QElapsedTimer timer;
    timer.start();
    const ReformatResult result =
        ReformatData(responsePath, 0, aircraft, home.path() + QStringLiteral("/data"), partNumbers,
                     notifier, {}, true, QDateTime::currentDateTime());
    const qint64 elapsedMs = timer.elapsed();
    const long after = peakResidentKiB();

    if (responseSize != DownloadedData::kFullSize || !result.complete()) {
        std::fprintf(stderr,
                     "the conversion of a %lld-byte response did not complete: nothing "
                     "measured\n",
                     static_cast<long long>(responseSize));
        return 1;
    }
    const long growth = after - before;
    const double ratio = double(growth) * 1024.0 / double(responseSize);
    std::printf("response %lld bytes, %d slots; raw, steady-state and transient files saved\n",
                static_cast<long long>(responseSize), result.slotsReceived);
    std::printf("peak resident before %ld KiB, after %ld KiB, growth %ld KiB = %.2f x the "
                "response (goal: < 3)\n",
                before, after, growth, ratio);
    std::printf("conversion time %lld ms\n", static_cast<long long>(elapsedMs));
    return ratio < 3.0 ? 0 : 1;
}
