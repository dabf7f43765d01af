#include "DownloadedData.h"

#include <algorithm>

DownloadedData::DownloadedData(QByteArray response) : bytes_(std::move(response)) {
    if (hasUnitHeader())
        completeSlots_ =
            int(std::min<qint64>(kSlotCount, (bytes_.size() - kFlightsOffset) / kFlightBlockSize));
}

QByteArrayView DownloadedData::flightBlock(int slot) const {
    const char* block = flightData(slot);
    return block ? QByteArrayView(block, kFlightBlockSize) : QByteArrayView();
}
