#pragma once

#include "Notifier.h"

#include <QElapsedTimer>
#include <QString>

#include <algorithm>
#include <cstdio>
#include <vector>

// What several benchmarks share: a notifier that prints what the program would show (a
// benchmark that needs a message has gone wrong), and the median of their rounds.
class PrintingNotifier : public Notifier {
public:
    void critical(const QString&, const QString& text) override { std::puts(qPrintable(text)); }
    void warning(const QString&, const QString& text) override { std::puts(qPrintable(text)); }
    void information(const QString&, const QString&) override {}
    bool question(const QString&, const QString&, DefaultAnswer) override { return false; }
};

// The middle value, the upper one of an even count.
inline double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

inline double milliseconds(const QElapsedTimer& timer) {
    return double(timer.nsecsElapsed()) / 1e6;
}
