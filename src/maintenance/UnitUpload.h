#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>

class CommunicationView;
class Notifier;
class UnitConnection;
class UploadView;

// What an upload loads into the unit: kinds 0, 1 and 2.
enum class UploadKind : int { MainSoftware = 0, DspSoftware = 1, DspConfiguration = 2 };

// Status texts ("P_UPLOAD_PROGRESS").
inline const QString kInitiatingUploadText = QStringLiteral("Initiating upload");
inline const QString kUploadingPacketText =
    QStringLiteral("Uploading packet %1 of %2 (seconds spent performing packet upload)");
inline const QString kUploadCompleteText = QStringLiteral("Upload complete");
inline const QString kUploadTimeoutText = QStringLiteral("Upload timeout");
inline const QString kUploadFileOpenErrorText = QStringLiteral("Upload failed - file open error");
inline const QString kUploadFailedAtPacketText = QStringLiteral("Upload failed at packet %1 of %2");

// Messages. "File Open Error" and "Upload Timeout" are both title and text.
inline const QString kFileOpenErrorText = QStringLiteral("File Open Error");
inline const QString kUploadTimeoutTitle = QStringLiteral("Upload Timeout");
inline const QString kUploadFailedTitle = QStringLiteral("Upload Failed");
inline const QString kUploadErrorTitle = QStringLiteral("Upload Error");
inline const QString kNothingToUploadText = QStringLiteral("The file holds no data to upload");
inline const QString kWordTooWideText =
    QStringLiteral("Line %1: \"%2\" is not a 32-bit hexadecimal word");
inline const QString kStrayTextText = QStringLiteral(
    "Line %1: \"%2\" is not a hexadecimal word; the words after it would not be uploaded");
// %1 = the file as it was given.
inline const QString kNotTextFileText =
    QStringLiteral("%1 is not a text file of hexadecimal words");
// Asked before the first packet when Options::askFirst is set. %1 = the file name, %2 = what
// is loaded (below), %3 = the number of packets.
inline const QString kUploadQuestionText =
    QStringLiteral("Load %1 into the %2 (%3 packets)? The unit must stay powered until the "
                   "upload ends.");
inline const QString kMainProcessorTargetText = QStringLiteral("main processor");
inline const QString kDspProcessorsTargetText = QStringLiteral("DSP processors");
inline const QString kDspConfigurationTargetText = QStringLiteral("DSP configuration");
// The unit took the whole image, but its part numbers are not known: %1 = why.
inline const QString kPartNumbersNotReadText =
    QStringLiteral("Upload complete, but the part numbers could not be read back: %1");
// In place of the uploaded kind's part number when it could not be read back.
inline const QString kPartNumberNotReadText = QStringLiteral("not read");
// Why the read-back failed when the unit did not answer in time; %1 = seconds.
inline const QString kNoAnswerWithinText = QStringLiteral("no answer within %1 s");
inline const QString kRestartTitle = QStringLiteral("BRIX");
inline const QString kRestartText = QStringLiteral("Please unplug the cable and restart the box to "
                                                   "synchronize the TALB and the RENB boards");

inline constexpr int kUploadTickMs = 1000;
// A packet not acknowledged within this many ticks ends the upload.
inline constexpr int kPacketTimeoutTicks = 60;
// The bar counts seconds up to this.
inline constexpr int kUploadProgressMaximum = 60;

// The command that carries a packet of `kind`.
quint32 uploadCommand(UploadKind kind);

// Loads an upload file into the unit, one 1280-word packet at a time, and reads the part
// numbers back when the unit has taken the last one. The "Firmware" page ticks it from a
// 1000-ms timer and brix-cli from its own loop; it polls the link and never blocks, except
// for the part-number read at the end.
//
// After start() and after each tick(), isRunning() says whether more ticks are needed. An
// upload ends with the last packet acknowledged (Completed, or CompletedUnconfirmed when the
// part numbers cannot be read back: that is said, and the uploaded kind's number is shown as
// not read rather than the old one), or failed: the file cannot be read or holds no upload,
// the unit refused a packet or the link failed on it, or a packet was not answered in time
// (Failed). Every end restores the cursor and the bar's colours.
class UnitUpload {
public:
    struct Options {
        int packetTimeoutTicks = kPacketTimeoutTicks;
        // Ask the user (title kProgramTitle, Yes/No, No the default) before the first packet.
        bool askFirst = false;
    };

    // CompletedUnconfirmed: the unit took every packet, but the part numbers could not be
    // read back afterwards, so what it now holds is not known.
    enum class State { Idle, Running, Completed, CompletedUnconfirmed, Failed };

    // The connection, the views and the notifier must outlive the upload.
    UnitUpload(UnitConnection& connection, CommunicationView& communicationView, UploadView& view,
               Notifier& notifier, Options options);
    UnitUpload(UnitConnection& connection, CommunicationView& communicationView, UploadView& view,
               Notifier& notifier);
    // Drops the answer to a packet still in flight, so that the link is free for others.
    ~UnitUpload();
    UnitUpload(const UnitUpload&) = delete;
    UnitUpload& operator=(const UnitUpload&) = delete;

    // Reads the whole file, asks when Options::askFirst is set, then sends its first packet.
    // True when that packet has gone out; false (and nothing sent) when an upload is running
    // already, the file cannot be uploaded, which has then been reported, or the user
    // answered No (then the state is Idle again and nothing was shown).
    bool start(UploadKind kind, const QString& path);
    // One 1000-ms tick: the next packet once the last one is acknowledged, else a second
    // more on the bar, up to the time-out.
    void tick();
    // Waits until the packet in flight has its answer or `timeoutMs` has passed; true when
    // it has one. Lets brix-cli tick as soon as the unit answers.
    bool waitForLink(int timeoutMs);

    State state() const { return state_; }
    bool isRunning() const { return state_ == State::Running; }
    // The last status text shown.
    const QString& statusText() const { return statusText_; }

private:
    void sendNextPacket();
    void showStatus(const QString& text);
    void fail(const QString& statusText, const QString& title, const QString& message);
    // Reads the part numbers back; false (and the uploaded kind's shown as not read) when
    // that fails, with the reason in `reason`.
    bool readPartNumbersBack(QString& reason);
    void succeed();
    void endRun();

    UnitConnection& connection_;
    CommunicationView& communicationView_;
    UploadView& view_;
    Notifier& notifier_;
    const int packetTimeoutTicks_;
    const bool askFirst_;

    State state_ = State::Idle;
    UploadKind kind_ = UploadKind::MainSoftware;
    QList<quint32> words_;
    int packetCount_ = 0;
    // The packet in flight or last sent, from 1.
    int packetNumber_ = 0;
    int ticksLeft_ = 0;
    int seconds_ = 0;
    // The packet this upload waits for; 0 when none.
    quint64 pending_ = 0;
    QString statusText_;
};
