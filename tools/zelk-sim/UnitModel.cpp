#include "UnitModel.h"

#include "UnitResponses.h"

#include <QtEndian>

#include <algorithm>
#include <optional>
#include <utility>

using namespace unit_responses;

namespace {

constexpr int kUploadPacketWords = 1280;

bool isEngine(quint32 word) {
    return word == 1 || word == 2;
}

int memoryIndex(UnitMemory memory) {
    return int(memory);
}

std::optional<PartNumberField> uploadTarget(quint32 code) {
    switch (code) {
    case 240:
        return PartNumberField::MainSoftware;
    case 242:
        return PartNumberField::DspSoftware;
    case 243:
        return PartNumberField::Configuration;
    default:
        return std::nullopt;
    }
}

QByteArray normalisedPartNumber(const QByteArray& text) {
    return text.left(kPartNumberLength);
}

// The part number an image carries: the hexadecimal digits of its first 8 bytes in wire
// order, so that it prints whatever the image holds and fills the 16-byte field exactly.
QByteArray imagePartNumber(const QList<quint32>& image) {
    QByteArray bytes(kPartNumberLength / 2, '\0');
    for (int word = 0; word < bytes.size() / 4 && word < image.size(); ++word)
        qToBigEndian(image[word], bytes.data() + word * 4);
    return bytes.toHex().toUpper();
}

} // namespace

UnitModel::UnitModel(UnitSimulatorConfig config) : config_(std::move(config)) {
    for (size_t field = 0; field < partNumbers_.size(); ++field)
        partNumbers_[field] = normalisedPartNumber(config_.partNumbers[field]);
}

quint32 UnitModel::validate(const ReceivedCommand& command, bool complete) {
    if (!complete || command.packet.size() < 8)
        return AckMalformedPacket;
    const QList<quint32>& p = command.payload;
    const bool wholeWords = command.length % 4 == 0;
    switch (command.code) {
    case 1:
        return wholeWords && p == QList<quint32>{0} ? AckOk : AckMalformedPacket;
    case 96:
        return wholeWords && p.size() == 2 && isEngine(p[0]) && p[1] == 0 ? AckOk
                                                                          : AckMalformedPacket;
    case 101:
    case 102:
    case 103:
        return wholeWords && p.size() == 1 && isEngine(p[0]) ? AckOk : AckMalformedPacket;
    case 240:
    case 242:
    case 243:
        return wholeWords && p.size() == kUploadPacketWords ? AckOk : AckMalformedPacket;
    default:
        return AckUnknownCommand;
    }
}

void UnitModel::noteReceived(quint32 code) {
    std::lock_guard lock(mutex_);
    previousCode_ = lastCode_;
    lastCode_ = code;
}

QByteArray UnitModel::download(int engine, bool erased) {
    std::lock_guard lock(cacheMutex_);
    QByteArray& cached = erased ? erasedDownload_[engine - 1] : recordedDownload_[engine - 1];
    if (cached.isEmpty())
        cached = downloadResponse(engine, config_, erased);
    return cached;
}

QByteArray UnitModel::answer(const ReceivedCommand& command) {
    const quint32 ack = command.ack != AckOk ? command.ack : validate(command, true);
    if (ack != AckOk)
        return headerOnlyResponse(ack);
    const QList<quint32>& p = command.payload;
    switch (command.code) {
    case 1: {
        std::lock_guard lock(mutex_);
        return partNumberResponse(partNumbers_);
    }
    case 96: {
        const int engine = int(p[0]);
        bool empty = false;
        {
            std::lock_guard lock(mutex_);
            empty = erased_[engine - 1][memoryIndex(UnitMemory::Bearing4Data)];
        }
        return download(engine, empty);
    }
    case 101:
    case 102:
    case 103: {
        std::lock_guard lock(mutex_);
        const int memory = int(command.code - 101);
        erased_[p[0] - 1][memory] = true;
        ++eraseCounts_[p[0] - 1][memory];
        return headerOnlyResponse(AckOk);
    }
    default: {
        std::lock_guard lock(mutex_);
        QList<quint32>& image = images_[command.code];
        if (previousCode_ != command.code)
            image.clear();
        image.append(p);
        partNumbers_[size_t(*uploadTarget(command.code))] = imagePartNumber(image);
        return headerOnlyResponse(AckOk);
    }
    }
}

bool UnitModel::isErased(int engine, UnitMemory memory) const {
    if (!isEngine(quint32(engine)))
        return false;
    std::lock_guard lock(mutex_);
    return erased_[engine - 1][memoryIndex(memory)];
}

int UnitModel::eraseCount(int engine, UnitMemory memory) const {
    if (!isEngine(quint32(engine)))
        return 0;
    std::lock_guard lock(mutex_);
    return eraseCounts_[engine - 1][memoryIndex(memory)];
}

void UnitModel::restoreRecordedData() {
    std::lock_guard lock(mutex_);
    for (auto& engine : erased_)
        std::fill(std::begin(engine), std::end(engine), false);
}

QList<quint32> UnitModel::uploadedImage(quint32 code) const {
    std::lock_guard lock(mutex_);
    return images_.value(code);
}

PartNumbers UnitModel::partNumbers() const {
    std::lock_guard lock(mutex_);
    return partNumbers_;
}

void UnitModel::setPartNumber(PartNumberField field, const QByteArray& text) {
    std::lock_guard lock(mutex_);
    partNumbers_[size_t(field)] = normalisedPartNumber(text);
}
