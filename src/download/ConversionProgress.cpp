#include "ConversionProgress.h"

#include <algorithm>

void ConversionProgress::beginStep() {
    report(std::min(step_, kStepCount) * 100 / kStepCount);
    ++step_;
}

void ConversionProgress::finish() {
    report(100);
}

void ConversionProgress::report(int percent) const {
    if (report_)
        report_(percent);
}
