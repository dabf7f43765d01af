// Uploading a 4 MiB image to the simulated unit on loopback: the upload's packet exchange
// through the link worker, ticked as soon as each answer is in (no 1-s pacing), against the
// plainest loop that sends the same packets on a socket and reads each 12-byte answer.
// Between the two, the same packets submitted to the link worker directly, one after the
// other: what the link itself costs (thread hand-overs, the staged raw response and the
// response file per command), apart from the upload's own work. Prints the time per packet
// of the three and the ratios; the best of N rounds counts.
//
//   bench_upload [ROUNDS]
#include "Notifier.h"
#include "OwnHome.h"
#include "QuietCommunicationView.h"
#include "StoreNames.h"
#include "UnitConnection.h"
#include "UnitLink.h"
#include "UnitSimulator.h"
#include "UnitUpload.h"
#include "UploadFile.h"
#include "UploadView.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kImageWords = 4 * 1024 * 1024 / 4;
constexpr int kResponseSize = 12;

class SilentNotifier : public Notifier {
public:
    void critical(const QString& title, const QString& text) override {
        std::fprintf(stderr, "%s: %s\n", qPrintable(title), qPrintable(text));
    }
    void warning(const QString&, const QString&) override {}
    void information(const QString&, const QString&) override {}
    bool question(const QString&, const QString&, DefaultAnswer) override { return false; }
};

// Notes when the first and the last packet go out: between them lie packets - 1 whole
// exchanges, each with its tick and the building of the next packet.
class TimingView : public UploadView {
public:
    void setStatusText(const QString&) override {}
    void setProgress(int, int) override {}
    void setUploadColours(bool) override {}
    void setWaitCursor(bool) override {}
    void packetSent(int number, int total) override {
        if (number == 1)
            first = Clock::now();
        if (number == total)
            last = Clock::now();
        packets = total;
    }
    void showPartNumbers(const QString&, const QString&, const QString&) override {}
    void exitRequested() override {}

    Clock::time_point first;
    Clock::time_point last;
    int packets = 0;
};

QList<quint32> image() {
    QList<quint32> words(kImageWords);
    for (int i = 0; i < kImageWords; ++i)
        words[i] = quint32(i) * 2654435761u;
    return words;
}

bool writeImage(const QString& path, const QList<quint32>& words) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QByteArray text;
    for (const quint32 word : words)
        text += QByteArray::number(word, 16) + '\n';
    return file.write(text) == text.size();
}

// Microseconds per packet through the upload, or a negative value when it failed.
double coreRound(quint16 port, const QString& path) {
    SilentNotifier notifier;
    QuietCommunicationView communicationView;
    UnitConnection connection;
    connection.link().setAddress(QStringLiteral("127.0.0.1"), port);
    if (!connection.checkCommunication(communicationView, notifier))
        return -1;
    TimingView view;
    UnitUpload upload(connection, communicationView, view, notifier);
    upload.start(UploadKind::DspSoftware, path);
    while (upload.isRunning()) {
        upload.waitForLink(kUploadTickMs);
        upload.tick();
    }
    if (upload.state() != UnitUpload::State::Completed || view.packets < 2)
        return -1;
    return std::chrono::duration<double, std::micro>(view.last - view.first).count() /
           (view.packets - 1);
}

// Microseconds per packet submitted straight to the link, or a negative value when it failed.
double linkRound(quint16 port, const QList<quint32>& words) {
    SilentNotifier notifier;
    QuietCommunicationView communicationView;
    UnitConnection connection;
    UnitLink& link = connection.link();
    link.setAddress(QStringLiteral("127.0.0.1"), port);
    if (!connection.checkCommunication(communicationView, notifier))
        return -1;
    const int packets = uploadPacketCount(words.size());
    const auto begin = Clock::now();
    for (int index = 0; index < packets; ++index) {
        const auto payload = uploadPacket(words, index);
        const quint64 sequence = link.submit(242, payload.data(), kUploadPacketBytes);
        if (!link.waitForCompletion(sequence, kUploadTickMs) || link.statusCode() != 0)
            return -1;
        link.discardResponseFile();
    }
    return std::chrono::duration<double, std::micro>(Clock::now() - begin).count() / packets;
}

bool sendAll(int descriptor, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t sent = ::send(descriptor, data, size, MSG_NOSIGNAL);
        if (sent <= 0)
            return false;
        data += sent;
        size -= size_t(sent);
    }
    return true;
}

bool receiveAll(int descriptor, char* data, size_t size) {
    while (size > 0) {
        const ssize_t got = ::recv(descriptor, data, size, 0);
        if (got <= 0)
            return false;
        data += got;
        size -= size_t(got);
    }
    return true;
}

// Microseconds per packet through a bare socket, or a negative value when it failed.
double plainRound(quint16 port, const QList<quint32>& words) {
    std::vector<QByteArray> packets;
    for (int index = 0; index < uploadPacketCount(words.size()); ++index) {
        QByteArray packet(8 + kUploadPacketBytes, '\0');
        qToBigEndian<quint32>(quint32(packet.size()), packet.data());
        qToBigEndian<quint32>(242, packet.data() + 4);
        const auto payload = uploadPacket(words, index);
        for (int i = 0; i < kUploadPacketWords; ++i)
            qToBigEndian<quint32>(payload[size_t(i)], packet.data() + 8 + 4 * i);
        packets.push_back(packet);
    }
    const int descriptor = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(port);
    peer.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(descriptor, reinterpret_cast<sockaddr*>(&peer), sizeof peer) != 0) {
        ::close(descriptor);
        return -1;
    }
    const auto begin = Clock::now();
    char response[kResponseSize];
    bool ok = true;
    for (const QByteArray& packet : packets) {
        ok = sendAll(descriptor, packet.constData(), size_t(packet.size())) &&
             receiveAll(descriptor, response, sizeof response) &&
             qFromBigEndian<quint32>(response + 4) == 0;
        if (!ok)
            break;
    }
    const double elapsed = std::chrono::duration<double, std::micro>(Clock::now() - begin).count();
    ::close(descriptor);
    return ok ? elapsed / double(packets.size()) : -1;
}

} // namespace

int main(int argc, char** argv) {
    QTemporaryDir home;
    useOwnHome(home.path());
    QCoreApplication app(argc, argv);
    useApplicationStoreNames();
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;

    UnitSimulator simulator;
    if (!simulator.start()) {
        std::fprintf(stderr, "the simulator did not start\n");
        return 1;
    }
    const QList<quint32> words = image();
    const QString path = home.path() + QStringLiteral("/image.dat");
    if (!writeImage(path, words)) {
        std::fprintf(stderr, "the image could not be written\n");
        return 1;
    }
    double bestCore = 0;
    double bestLink = 0;
    double bestPlain = 0;
    for (int round = 0; round < rounds; ++round) {
        // One client at a time: each round ends its worker before the next loop connects.
        const double core = coreRound(simulator.port(), path);
        const double link = linkRound(simulator.port(), words);
        const double plain = plainRound(simulator.port(), words);
        if (core < 0 || link < 0 || plain < 0) {
            std::fprintf(stderr, "round %d failed\n", round + 1);
            return 1;
        }
        std::printf("round %d: upload %.1f, link alone %.1f, plain socket %.1f us/packet\n",
                    round + 1, core, link, plain);
        bestCore = round == 0 ? core : std::min(bestCore, core);
        bestLink = round == 0 ? link : std::min(bestLink, link);
        bestPlain = round == 0 ? plain : std::min(bestPlain, plain);
    }
    std::printf("%d packets of %d bytes; best: upload %.1f, link alone %.1f, plain socket %.1f "
                "us/packet; upload/plain %.2f, upload/link %.2f\n",
                uploadPacketCount(words.size()), kUploadPacketBytes, bestCore, bestLink, bestPlain,
                bestCore / bestPlain, bestCore / bestLink);
    return 0;
}
