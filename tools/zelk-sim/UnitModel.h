#pragma once

#include "ReceivedCommand.h"
#include "UnitSimulatorConfig.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QtGlobal>

#include <mutex>

// The three memories of an engine that the erase commands 101, 102 and 103 clear.
enum class UnitMemory { Bearing4Data, Bearing4History, AccelHistory };

// What the unit holds and does, without any socket: its memories, its upload images and
// its part numbers, what it makes of a command and the answer it gives when it carries one
// out. The server's thread changes it while tests read it, so every member is thread-safe.
//
// Uploads (240 main software, 242 DSP software, 243 DSP configuration): a packet is taken
// when its payload is exactly 1280 words; anything else is refused with ack 2. The unit
// keeps one image per kind. A run of packets of one kind is one image: the first packet of
// a kind after any other command starts the image afresh, and each packet taken appends
// its words. There is no last-packet marker on the wire, so the image counts as complete
// whenever a packet has been taken: the kind's part number (main software, DSP software,
// configuration) becomes the 16 hexadecimal digits (upper case) of the image's first 8
// bytes, its first two words as they travel (big-endian). A file that starts with the words
// 5A4B3437 33302D43 thus reads back as "5A4B343733302D43", whatever bytes follow. A refused
// or unanswered packet changes nothing.
class UnitModel {
public:
    explicit UnitModel(UnitSimulatorConfig config = {});
    UnitModel(const UnitModel&) = delete;
    UnitModel& operator=(const UnitModel&) = delete;

    const UnitSimulatorConfig& config() const { return config_; }

    // What the unit makes of a packet before any fault: AckOk when it can carry it out.
    // `complete` is false when the packet's announced length never fully arrived.
    static quint32 validate(const ReceivedCommand& command, bool complete);
    // Every command received, whether carried out or not: an upload packet goes on its
    // kind's image only when the command before it was a packet of the same kind.
    void noteReceived(quint32 code);
    // The unit's answer to a command: a header with the command's ack when it was refused
    // (or validate() refuses it), else the answer of the command carried out.
    QByteArray answer(const ReceivedCommand& command);

    bool isErased(int engine, UnitMemory memory) const;
    int eraseCount(int engine, UnitMemory memory) const;
    // Puts the recorded flights back, as if nothing had been erased.
    void restoreRecordedData();

    // The words of the image of upload command `code` (240, 242 or 243) received so far,
    // host order; empty before the first packet of that kind.
    QList<quint32> uploadedImage(quint32 code) const;
    PartNumbers partNumbers() const;
    // Texts longer than 16 bytes are cut to 16.
    void setPartNumber(PartNumberField field, const QByteArray& text);

private:
    QByteArray download(int engine, bool erased);

    const UnitSimulatorConfig config_;

    mutable std::mutex mutex_;
    // Upload images by command code, and the codes of the last two commands received.
    QHash<quint32, QList<quint32>> images_;
    quint32 lastCode_ = 0;
    quint32 previousCode_ = 0;
    PartNumbers partNumbers_;
    int eraseCounts_[2][3] = {};
    bool erased_[2][3] = {};

    // The download answers take a while to build; they are built once, outside `mutex_`, so
    // that reading the state never waits for them.
    std::mutex cacheMutex_;
    QByteArray recordedDownload_[2];
    QByteArray erasedDownload_[2];
};
