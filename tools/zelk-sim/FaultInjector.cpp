#include "FaultInjector.h"

#include "UnitResponses.h"

#include <QtEndian>

#include <algorithm>

using namespace unit_responses;

namespace {

void setWord(QByteArray& bytes, qsizetype offset, quint32 value) {
    qToBigEndian(value, bytes.data() + offset);
}

} // namespace

FaultEffect::FaultEffect(std::vector<SimulatorFault> rows) : rows_(std::move(rows)) {
    for (const SimulatorFault& fault : rows_) {
        switch (fault.kind) {
        case FaultKind::NoAnswer:
            silent_ = true;
            break;
        case FaultKind::AckError:
        case FaultKind::RawResponse:
            suppressed_ = true;
            break;
        case FaultKind::Delay:
            delayMs_ += int(fault.argument);
            break;
        case FaultKind::Trickle:
            trickled_ = true;
            pauseMs_ = std::max(pauseMs_, int(fault.argument));
            break;
        case FaultKind::CloseAfterBytes:
            closeAfter_ = std::min<qsizetype>(closeAfter_.value_or(fault.argument),
                                              qsizetype(fault.argument));
            break;
        case FaultKind::DeclaredSize:
        case FaultKind::BadBlockType:
            break;
        }
    }
}

QByteArray FaultEffect::applyTo(QByteArray answer) const {
    for (const SimulatorFault& fault : rows_)
        if (fault.kind == FaultKind::AckError)
            answer = headerOnlyResponse(fault.argument);
    for (const SimulatorFault& fault : rows_)
        if (fault.kind == FaultKind::RawResponse)
            answer = fault.rawResponse;
    for (const SimulatorFault& fault : rows_) {
        if (fault.kind != FaultKind::BadBlockType || answer.size() < kResponseHeaderSize)
            continue;
        if (answer.size() >= kResponseHeaderSize + kBlockHeaderSize) {
            setWord(answer, kResponseHeaderSize, fault.argument);
        } else {
            // No block to spoil: add an empty one of the bad type.
            QByteArray block(kBlockHeaderSize, '\0');
            setWord(block, 0, fault.argument);
            answer.append(block);
            setWord(answer, 0, quint32(answer.size()));
        }
    }
    for (const SimulatorFault& fault : rows_)
        if (fault.kind == FaultKind::DeclaredSize && answer.size() >= 4)
            setWord(answer, 0, fault.argument);
    return answer;
}

void FaultInjector::add(const SimulatorFault& fault) {
    if (fault.times == 0)
        return;
    std::lock_guard lock(mutex_);
    rows_.append(fault);
}

void FaultInjector::clear() {
    std::lock_guard lock(mutex_);
    rows_.clear();
}

QList<SimulatorFault> FaultInjector::rows() const {
    std::lock_guard lock(mutex_);
    return rows_;
}

FaultEffect FaultInjector::take(quint32 code) {
    std::vector<SimulatorFault> matched;
    std::lock_guard lock(mutex_);
    for (auto it = rows_.begin(); it != rows_.end();) {
        if (it->code != SimulatorFault::kAnyCommand && it->code != code) {
            ++it;
            continue;
        }
        if (it->after > 0) {
            --it->after;
            ++it;
            continue;
        }
        matched.push_back(*it);
        if (it->times > 0 && --it->times == 0)
            it = rows_.erase(it);
        else
            ++it;
    }
    return FaultEffect(std::move(matched));
}
