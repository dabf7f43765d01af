// Receiving a whole download response from the simulated unit: through the link worker into
// the response file, and, side by side, through the plainest loop that reads the same bytes
// from a socket into a file. Compare the two bytes_per_second figures.
#include "LinkWorker.h"
#include "OwnHome.h"
#include "Protocol.h"
#include "UnitLink.h"
#include "UnitSimulator.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr qint64 kDownloadSize = 2777488;

UnitSimulator& simulator() {
    static UnitSimulator instance;
    if (!instance.isRunning())
        instance.start();
    return instance;
}

void workerIntoResponseFile(benchmark::State& state) {
    auto link = std::make_shared<UnitLink>();
    link->setAddress(QStringLiteral("127.0.0.1"), simulator().port());
    LinkWorker worker;
    worker.start(link);
    if (!link->doneEvent.wait(5000) || link->statusCode() != LinkStatusThreadInitialised) {
        state.SkipWithError("the worker did not connect");
        return;
    }
    const quint32 payload[] = {1, 0};
    for (auto _ : state) {
        const quint64 sequence = link->submit(DownloadBearing4Command, payload, sizeof payload);
        if (!link->waitForCompletion(sequence, 30000) || link->statusCode() != LinkStatusOk) {
            state.SkipWithError("the download failed");
            break;
        }
        if (QFile(link->responseFile()).size() != kDownloadSize) {
            state.SkipWithError("the response file is incomplete");
            break;
        }
    }
    state.SetBytesProcessed(state.iterations() * kDownloadSize);
    link->requestStop();
    worker.waitForEnd(5000);
}

void plainSocketIntoFile(benchmark::State& state) {
    const int descriptor = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(simulator().port());
    peer.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(descriptor, reinterpret_cast<sockaddr*>(&peer), sizeof peer) != 0) {
        state.SkipWithError("no connection");
        return;
    }
    unsigned char packet[16];
    qToBigEndian<quint32>(16, packet);
    qToBigEndian<quint32>(DownloadBearing4Command, packet + 4);
    qToBigEndian<quint32>(1, packet + 8);
    qToBigEndian<quint32>(0, packet + 12);
    const QString path = QDir::homePath() + QStringLiteral("/plain-loop");
    std::vector<char> buffer(64 * 1024);
    for (auto _ : state) {
        QFile file(path);
        file.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
        ::send(descriptor, packet, sizeof packet, MSG_NOSIGNAL);
        qint64 total = 0;
        qint64 expected = 4;
        while (total < expected) {
            const ssize_t count =
                ::recv(descriptor, buffer.data(),
                       size_t(std::min<qint64>(qint64(buffer.size()), expected - total)), 0);
            if (count <= 0)
                break;
            if (total == 0 && count >= 4)
                expected = qFromBigEndian<quint32>(buffer.data());
            file.write(buffer.data(), count);
            total += count;
        }
        if (total != kDownloadSize) {
            state.SkipWithError("short response");
            break;
        }
    }
    state.SetBytesProcessed(state.iterations() * kDownloadSize);
    ::close(descriptor);
}

BENCHMARK(plainSocketIntoFile)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(workerIntoResponseFile)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    // The response file and the log go to a home of the benchmark's own.
    QTemporaryDir home;
    useOwnHome(home.path());
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
