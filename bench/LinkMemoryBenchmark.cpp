// The link worker never holds a whole response: the peak resident memory of a process that
// receives the largest download response the link accepts (16 MiB less one byte) grows by far
// less than the response. The simulated unit runs in a child process so that its copy of the
// response is not counted. Nothing is measured unless the whole response arrived.
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

constexpr quint32 kWordBlockType = 2;

// The simulated unit's download of engine 1, lengthened to the largest declared size by one
// more block past those the download's layout names (such blocks are kept as they come).
QByteArray largestDownloadResponse() {
    QByteArray bytes = UnitSimulator::downloadResponse(1, UnitSimulatorConfig());
    const quint32 tailBytes = kMaxDeclaredSize - quint32(bytes.size()) - kBlockHeaderSize;
    const quint32 blockCount = qFromBigEndian<quint32>(bytes.constData() + 8);
    QByteArray tail(kBlockHeaderSize + qsizetype(tailBytes), '\x5A');
    qToBigEndian<quint32>(kWordBlockType, tail.data());
    qToBigEndian<quint32>(tailBytes, tail.data() + 4);
    bytes += tail;
    qToBigEndian<quint32>(kMaxDeclaredSize, bytes.data());
    qToBigEndian<quint32>(blockCount + 1, bytes.data() + 8);
    return bytes;
}

[[noreturn]] void runUnit(int portPipe, int stopPipe) {
    UnitSimulator unit;
    unit.addFault({DownloadBearing4Command, FaultKind::RawResponse, 0, largestDownloadResponse(),
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

    const quint32 payload[] = {1, 0};
    // One exchange first, so that what every command needs is in place before counting.
    quint64 sequence = link->submit(DownloadBearing4Command, payload, sizeof payload);
    link->waitForCompletion(sequence, 60000);
    QFile::remove(link->responseFile());

    if (!resetPeak())
        std::fprintf(stderr, "note: the peak could not be reset; it includes the start-up\n");
    const long before = peakResidentKiB();
    sequence = link->submit(DownloadBearing4Command, payload, sizeof payload);
    const bool done =
        link->waitForCompletion(sequence, 60000) && link->statusCode() == LinkStatusOk;
    const long after = peakResidentKiB();
    const qint64 fileSize = QFile(link->responseFile()).size();

    link->requestStop();
    worker.waitForEnd(5000);
    (void)!::write(stopPipe[1], "x", 1);
    ::waitpid(child, nullptr, 0);

    if (!done || fileSize != kMaxDeclaredSize) {
        std::fprintf(stderr,
                     "no whole response arrived (response file %lld of %u bytes): nothing "
                     "measured\n",
                     static_cast<long long>(fileSize), kMaxDeclaredSize);
        return 1;
    }
    std::printf("response received: %lld bytes\n", static_cast<long long>(fileSize));
    std::printf("peak resident before %ld KiB, after %ld KiB, growth %ld KiB (goal: < 4096 KiB)\n",
                before, after, after - before);
    return after - before < 4096 ? 0 : 1;
}
