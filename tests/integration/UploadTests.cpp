// The upload against the simulated unit, ticked as the "Firmware" page's timer would tick
// it, faster: the bytes of every packet, the texts, the part numbers read back, and each
// way an upload ends.
#include "CommunicationView.h"
#include "PartNumberRecord.h"
#include "RecordingNotifier.h"
#include "SettingsSandbox.h"
#include "UnitConnection.h"
#include "UnitSimulator.h"
#include "UnitUpload.h"
#include "UploadView.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QtEndian>
#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

constexpr int kTestTickMs = 20;
constexpr int kRunBoundMs = 60000;

class SilentCommunicationView : public CommunicationView {
public:
    void setStatus(const QString&) override {}
    void clearPartNumberItems() override {}
    void setWaitCursor(bool) override {}
    void showCommunicationFailure() override { ++failuresShown; }
    int failuresShown = 0;
};

class RecordingUploadView : public UploadView {
public:
    explicit RecordingUploadView(const RecordingNotifier& notifier) : notifier_(notifier) {}
    void setStatusText(const QString& text) override { statusTexts.append(text); }
    void setProgress(int seconds, int maximum) override {
        EXPECT_EQ(maximum, 60);
        progress.append(seconds);
    }
    void setUploadColours(bool on) override { colours.append(on); }
    void setWaitCursor(bool on) override { cursor.append(on); }
    void packetSent(int number, int total) override { packets.append({number, total}); }
    void showPartNumbers(const QString& main, const QString& dsp,
                         const QString& configuration) override {
        partNumbers = {main, dsp, configuration};
    }
    void exitRequested() override {
        ++exits;
        messagesAtExit = notifier_.messages.size();
    }

    QStringList statusTexts;
    QList<int> progress;
    QList<bool> colours;
    QList<bool> cursor;
    QList<std::pair<int, int>> packets;
    QStringList partNumbers;
    int exits = 0;
    qsizetype messagesAtExit = -1;

private:
    const RecordingNotifier& notifier_;
};

// The first four words of an image; the simulated unit reads the hexadecimal digits of their
// first 8 bytes as its part number.
const QList<quint32> kNamedStart = {0x5A4B3437, 0x33302D43, 0x462D3030, 0x30390000};
const QString kNamedPartNumber = QStringLiteral("5A4B343733302D43");

QList<quint32> imageWords(int count) {
    QList<quint32> words = kNamedStart;
    for (int i = int(words.size()); i < count; ++i)
        words.append(quint32(i) * 0x01010101u + 0x80000000u);
    return words.mid(0, count);
}

QString writeFile(const QByteArray& text) {
    const QString path = QDir::homePath() + QStringLiteral("/image.dat");
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text);
    return path;
}

// Lower- and upper-case digits, several words on a line, and a comment after the words.
QString writeImage(const QList<quint32>& words) {
    QByteArray text;
    for (int i = 0; i < words.size(); ++i)
        text += QByteArray::number(words[i], 16).toUpper().rightJustified(8, '0') +
                (i % 4 == 3 ? "\n" : " ");
    return writeFile(text + "\n# end of image\n");
}

// Packet `index` as it must leave: length 5128, the code, 1280 big-endian words with zeros
// after the file's last one.
QByteArray expectedPacket(quint32 code, const QList<quint32>& words, int index) {
    QByteArray packet(8 + 5120, '\0');
    qToBigEndian<quint32>(5128, packet.data());
    qToBigEndian<quint32>(code, packet.data() + 4);
    for (int i = 0; i < 1280 && index * 1280 + i < words.size(); ++i)
        qToBigEndian<quint32>(words[index * 1280 + i], packet.data() + 8 + 4 * i);
    return packet;
}

QString uploadingText(int packet, int total) {
    return QStringLiteral("Uploading packet %1 of %2 (seconds spent performing packet upload)")
        .arg(packet)
        .arg(total);
}

class UploadRun : public ::testing::Test {
protected:
    void SetUp() override {
        resetSettingsAndHome();
        ASSERT_TRUE(simulator.start());
        pointSettingsAtSimulator(simulator.port());
        connection.loadAddressFromSettings(notifier);
        ASSERT_TRUE(connection.checkCommunication(communicationView, notifier));
        simulator.clearReceivedCommands();
    }

    void runToEnd(UnitUpload& upload) {
        QElapsedTimer timer;
        timer.start();
        while (upload.isRunning()) {
            if (timer.elapsed() > kRunBoundMs) {
                ADD_FAILURE() << "the upload did not end within " << kRunBoundMs << " ms";
                return;
            }
            upload.waitForLink(kTestTickMs);
            upload.tick();
        }
    }

    QList<quint32> receivedCodes() const {
        QList<quint32> codes;
        for (const ReceivedCommand& command : simulator.receivedCommands())
            codes.append(command.code);
        return codes;
    }

    // The unit goes first when a test ends, so that a worker still waiting on it is released.
    UnitConnection connection;
    UnitSimulator simulator;
    SilentCommunicationView communicationView;
    RecordingNotifier notifier;
    RecordingUploadView view{notifier};
};

struct KindCase {
    const char* name;
    UploadKind kind;
    quint32 code;
    int partNumberIndex; // of main software, DSP software, configuration
    bool restart;
};

void PrintTo(const KindCase& c, std::ostream* out) {
    *out << c.name;
}

class UploadOfKind : public UploadRun, public ::testing::WithParamInterface<KindCase> {};

TEST_P(UploadOfKind, SendsEveryPacketByteExactAndReadsThePartNumberBack) {
    const KindCase& c = GetParam();
    const QList<quint32> words = imageWords(2561);
    UnitUpload upload(connection, communicationView, view, notifier);
    ASSERT_TRUE(upload.start(c.kind, writeImage(words)));
    EXPECT_FALSE(upload.start(c.kind, writeImage(words))) << "one upload at a time";
    runToEnd(upload);

    EXPECT_EQ(upload.state(), UnitUpload::State::Completed);
    const QList<ReceivedCommand> received = simulator.receivedCommands();
    ASSERT_EQ(receivedCodes(), (QList<quint32>{c.code, c.code, c.code, 1}));
    for (int index = 0; index < 3; ++index)
        EXPECT_EQ(received[index].packet, expectedPacket(c.code, words, index)) << index;
    EXPECT_EQ(view.packets, (QList<std::pair<int, int>>{{1, 3}, {2, 3}, {3, 3}}));
    EXPECT_EQ(
        view.statusTexts,
        QStringList({QStringLiteral("Initiating upload"), uploadingText(1, 3), uploadingText(2, 3),
                     uploadingText(3, 3), QStringLiteral("Upload complete")}));
    EXPECT_EQ(view.cursor, QList<bool>({true, false}));
    EXPECT_EQ(view.colours, QList<bool>({true, false}));
    EXPECT_EQ(view.progress.last(), 0);

    // The number read back is the one the unit took from the image; the others stay.
    QStringList expectedNumbers = {QStringLiteral("ZK4712-SW-0305-C"),
                                   QStringLiteral("  ZK4722-SW-0410"),
                                   QStringLiteral("  ZK4730-CF-0007")};
    expectedNumbers[c.partNumberIndex] = kNamedPartNumber;
    EXPECT_EQ(view.partNumbers, expectedNumbers);

    if (c.restart) {
        const RecordingNotifier::Message restart = {
            QStringLiteral("information"), QStringLiteral("BRIX"),
            QStringLiteral("Please unplug the cable and restart the box to synchronize the "
                           "TALB and the RENB boards")};
        EXPECT_EQ(notifier.messages, QList<RecordingNotifier::Message>{restart});
        EXPECT_EQ(view.exits, 1);
        EXPECT_EQ(view.messagesAtExit, 1) << "the exit comes after the restart box";
    } else {
        EXPECT_TRUE(notifier.messages.isEmpty());
        EXPECT_EQ(view.exits, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, UploadOfKind,
    ::testing::Values(KindCase{"MainSoftware", UploadKind::MainSoftware, 240, 0, true},
                      KindCase{"DspSoftware", UploadKind::DspSoftware, 242, 1, false},
                      KindCase{"DspConfiguration", UploadKind::DspConfiguration, 243, 2, false}),
    [](const ::testing::TestParamInfo<KindCase>& info) { return std::string(info.param.name); });

TEST_F(UploadRun, ARefusedPacketStopsTheUploadThere) {
    simulator.addFault({242, FaultKind::AckError, 5, {}, 1, 2});
    UnitUpload upload(connection, communicationView, view, notifier);
    ASSERT_TRUE(upload.start(UploadKind::DspSoftware, writeImage(imageWords(4000))));
    runToEnd(upload);

    const QString text = QStringLiteral("Upload failed at packet 3 of 4");
    EXPECT_EQ(upload.state(), UnitUpload::State::Failed);
    EXPECT_EQ(view.statusTexts.last(), text);
    EXPECT_EQ(notifier.messages,
              (QList<RecordingNotifier::Message>{
                  {QStringLiteral("critical"), QStringLiteral("Upload Failed"), text}}));
    // Nothing after the refused packet: no fourth packet, no part-number read.
    EXPECT_EQ(receivedCodes(), (QList<quint32>{242, 242, 242}));
    EXPECT_TRUE(view.partNumbers.isEmpty());
    EXPECT_EQ(view.exits, 0);
    EXPECT_EQ(view.cursor, QList<bool>({true, false}));
    EXPECT_EQ(view.colours, QList<bool>({true, false}));
}

TEST_F(UploadRun, ASilentPacketTimesOutAndItsLateAnswerIsDropped) {
    simulator.addFault({243, FaultKind::NoAnswer, 0, {}, 1, 1});
    UnitUpload::Options options;
    options.packetTimeoutTicks = 3;
    UnitUpload upload(connection, communicationView, view, notifier, options);
    ASSERT_TRUE(upload.start(UploadKind::DspConfiguration, writeImage(imageWords(3000))));
    runToEnd(upload);

    EXPECT_EQ(upload.state(), UnitUpload::State::Failed);
    EXPECT_EQ(view.statusTexts.mid(2),
              QStringList({uploadingText(2, 3), QStringLiteral("Upload timeout")}));
    EXPECT_EQ(notifier.messages, (QList<RecordingNotifier::Message>{
                                     {QStringLiteral("critical"), QStringLiteral("Upload Timeout"),
                                      QStringLiteral("Upload Timeout")}}));
    // A second on the bar per tick without an answer, then back to 0.
    EXPECT_EQ(view.progress.mid(view.progress.size() - 3), (QList<int>{1, 2, 0}));
    EXPECT_EQ(receivedCodes(), (QList<quint32>{243, 243}));
    EXPECT_EQ(view.cursor, QList<bool>({true, false}));

    // The link dropped the silent packet's answer and connected afresh: the next command is
    // answered as its own.
    ASSERT_TRUE(connection.getPartNumbers(communicationView, notifier));
    EXPECT_EQ(communicationView.failuresShown, 0);
    EXPECT_EQ(simulator.connectionsAccepted(), 2);
}

// The file is read whole before the first packet: one that vanishes afterwards changes
// nothing.
TEST_F(UploadRun, TheFileMayVanishOnceTheUploadHasStarted) {
    const QList<quint32> words = imageWords(1500);
    const QString path = writeImage(words);
    UnitUpload upload(connection, communicationView, view, notifier);
    ASSERT_TRUE(upload.start(UploadKind::DspSoftware, path));
    ASSERT_TRUE(QFile::remove(path));
    runToEnd(upload);
    EXPECT_EQ(upload.state(), UnitUpload::State::Completed);
    EXPECT_EQ(simulator.uploadedImage(242), words + QList<quint32>(2560 - 1500, 0));
    EXPECT_TRUE(notifier.messages.isEmpty());
}

// Not a text: the file is made a FIFO that no one writes to.
const QByteArray kFifo = "FIFO";

TEST_F(UploadRun, FilesThatCannotBeUploadedSendNothing) {
    const struct {
        const char* name;
        QByteArray text; // empty: no file at all
        QString status;
        RecordingNotifier::Message message;
    } cases[] = {
        {"missing file",
         {},
         QStringLiteral("Upload failed - file open error"),
         {QStringLiteral("critical"), QStringLiteral("File Open Error"),
          QStringLiteral("File Open Error")}},
        {"no hexadecimal word",
         "; image of the DSP table\n",
         QStringLiteral("The file holds no data to upload"),
         {QStringLiteral("critical"), QStringLiteral("Upload Error"),
          QStringLiteral("The file holds no data to upload")}},
        {"33-bit word",
         "0 1\n2 123456789\n",
         QStringLiteral("Line 2: \"123456789\" is not a 32-bit hexadecimal word"),
         {QStringLiteral("critical"), QStringLiteral("Upload Error"),
          QStringLiteral("Line 2: \"123456789\" is not a 32-bit hexadecimal word")}},
        {"stray character mid-image",
         "0 1\n2 3 ;4 5\n6\n",
         QStringLiteral("Line 2: \";4\" is not a hexadecimal word; the words after it would not "
                        "be uploaded"),
         {QStringLiteral("critical"), QStringLiteral("Upload Error"),
          QStringLiteral("Line 2: \";4\" is not a hexadecimal word; the words after it would not "
                         "be uploaded")}},
        {"FIFO",
         kFifo,
         QDir::homePath() + QStringLiteral("/image.dat is not a text file of hexadecimal words"),
         {QStringLiteral("critical"), QStringLiteral("Upload Error"),
          QDir::homePath() + QStringLiteral("/image.dat is not a text file of hexadecimal words")}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        notifier.messages.clear();
        view.cursor.clear();
        view.colours.clear();
        const QString path = writeFile(c.text);
        if (c.text.isEmpty() || c.text == kFifo)
            QFile::remove(path);
        if (c.text == kFifo) {
            ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        }
        UnitUpload upload(connection, communicationView, view, notifier);
        EXPECT_FALSE(upload.start(UploadKind::DspConfiguration, path));
        EXPECT_EQ(upload.state(), UnitUpload::State::Failed);
        EXPECT_EQ(view.statusTexts.last(), c.status);
        EXPECT_EQ(notifier.messages, QList<RecordingNotifier::Message>{c.message});
        // The cursor and the colours do not stay as an upload sets them.
        EXPECT_EQ(view.cursor, QList<bool>({true, false}));
        EXPECT_EQ(view.colours, QList<bool>({true, false}));
    }
    EXPECT_FALSE(simulator.waitForCommands(1, 300)) << "nothing reaches the unit";
}

// The unit holds the new image, but its part numbers are not known: the old one of the
// uploaded kind is not shown as the new one, and the upload says what happened. (The page
// and brix-cli show a refused read.)
TEST_F(UploadRun, APartNumberReadUnansweredAfterTheUploadIsSaid) {
    simulator.addFault({1, FaultKind::NoAnswer, 0, {}, 1});
    UnitUpload upload(connection, communicationView, view, notifier);
    ASSERT_TRUE(upload.start(UploadKind::DspSoftware, writeImage(imageWords(100))));
    runToEnd(upload);

    const QString text = QStringLiteral(
        "Upload complete, but the part numbers could not be read back: no answer within 5 s");
    EXPECT_EQ(upload.state(), UnitUpload::State::CompletedUnconfirmed);
    EXPECT_EQ(view.statusTexts.last(), text);
    EXPECT_EQ(notifier.messages,
              (QList<RecordingNotifier::Message>{
                  {QStringLiteral("warning"), QStringLiteral("Warning"), text}}));
    EXPECT_EQ(view.partNumbers,
              QStringList({QStringLiteral("ZK4712-SW-0305-C"), QStringLiteral("not read"),
                           QStringLiteral("  ZK4730-CF-0007")}));
    EXPECT_EQ(communicationView.failuresShown, 0) << "no cable check after a whole upload";
    EXPECT_EQ(view.cursor, QList<bool>({true, false}));
}

} // namespace
