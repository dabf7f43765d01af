// The link worker never holds a whole response: the peak resident memory of a process that
// receives the largest response the unit may send (16 MiB less one byte) grows by far less
// than the response. The simulated unit runs in a child process so that its copy of the
// response is not counted.
#include "LinkWorker.h"
#include "OwnHome.h"
#include "PeakMemory.h"
#include "Protocol.h"
#include "UnitLink.h"
#include "UnitSimulator.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <cstdio>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QByteArray largestResponse() {
    QByteArray bytes(qsizetype(kMaxDeclaredSize), '\x5A');
    qToBigEndian<quint32>(kMaxDeclaredSize, bytes.data());
    qToBigEndian<quint32>(0, bytes.data() + 4);
    qToBigEndian<quint32>(1, bytes.data() + 8);
    qToBigEndian<quint32>(2, bytes.data() + 12);
    qToBigEndian<quint32>(kMaxDeclaredSize - 20, bytes.data() + 16);
    return bytes;
}

[[noreturn]] void runUnit(int portPipe, int stopPipe) {
    UnitSimulator unit;
    unit.addFault({ReadPartNumbersCommand, FaultKind::RawResponse, 0, largestResponse(),
                   SimulatorFault::kAlways});
    quint16 port = unit.start() ? unit.port() : 0;
    (void)!::write(portPipe, &port, sizeof port);
    char ignored;
    (void)!::read(stopPipe, &ignored, 1);
    unit.stop();
    std::_Exit(0);
}

} // namespace

int main() {
    int portPipe[2];
    int stopPipe[2];
    if (::pipe(portPipe) != 0 || ::pipe(stopPipe) != 0)
        return 1;
    const pid_t child = ::fork();
    if (child == 0)
        runUnit(portPipe[1], stopPipe[0]);
    quint16 port = 0;
    if (::read(portPipe[0], &port, sizeof port) != sizeof port || port == 0)
        return 1;

    QTemporaryDir home;
    useOwnHome(home.path());
    auto link = std::make_shared<UnitLink>();
    link->setAddress(QStringLiteral("127.0.0.1"), port);
    LinkWorker worker;
    worker.start(link);
    if (!link->doneEvent.wait(5000) || link->statusCode() != LinkStatusThreadInitialised)
        return 1;

    const quint32 payload[] = {0};
    // One exchange first, so that what every command needs is in place before counting.
    quint64 sequence = link->submit(ReadPartNumbersCommand, payload, sizeof payload);
    link->waitForCompletion(sequence, 60000);
    QFile::remove(link->responseFile());

    if (!resetPeak())
        std::fprintf(stderr, "note: the peak could not be reset; it includes the start-up\n");
    const long before = peakResidentKiB();
    sequence = link->submit(ReadPartNumbersCommand, payload, sizeof payload);
    const bool done =
        link->waitForCompletion(sequence, 60000) && link->statusCode() == LinkStatusOk;
    const long after = peakResidentKiB();
    const qint64 fileSize = QFile(link->responseFile()).size();

    link->requestStop();
    worker.waitForEnd(5000);
    (void)!::write(stopPipe[1], "x", 1);
    ::waitpid(child, nullptr, 0);

    std::printf("response received: %s, response file %lld bytes\n", done ? "yes" : "no",
                static_cast<long long>(fileSize));
    std::printf("peak resident before %ld KiB, after %ld KiB, growth %ld KiB (goal: < 4096 KiB)\n",
                before, after, after - before);
    return done && fileSize == kMaxDeclaredSize && after - before < 4096 ? 0 : 1;
}
