#pragma once

#include <QElapsedTimer>
#include <QList>
#include <QTimer>

#include <algorithm>

// How long the event loop of the thread that makes it is kept waiting: a timer of that
// thread ticks every few milliseconds and records how late each tick came after the one
// before. A tick later than its interval plus a little means the thread did something else
// (or nothing, blocked) for that long.
class EventLoopGaps {
public:
    static constexpr int kProbeIntervalMs = 5;

    EventLoopGaps() {
        probe_.setInterval(kProbeIntervalMs);
        probe_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&probe_, &QTimer::timeout, [this] {
            gaps_.append(sinceLast_.nsecsElapsed() / 1000);
            sinceLast_.restart();
        });
    }

    void start() {
        gaps_.clear();
        sinceLast_.start();
        probe_.start();
    }
    // Ends the measure; the time since the last tick counts as a gap too.
    void stop() {
        if (!probe_.isActive())
            return;
        probe_.stop();
        gaps_.append(sinceLast_.nsecsElapsed() / 1000);
        std::sort(gaps_.begin(), gaps_.end());
    }

    qsizetype ticks() const { return gaps_.size(); }
    // In milliseconds; `p` from 0 to 1.
    double percentile(double p) const {
        return gaps_.isEmpty() ? 0 : gaps_[qsizetype(p * double(gaps_.size() - 1))] / 1000.0;
    }
    double longest() const { return gaps_.isEmpty() ? 0 : gaps_.last() / 1000.0; }

private:
    QTimer probe_;
    QElapsedTimer sinceLast_;
    QList<qint64> gaps_;
};

// The median of a few runs' figures.
inline double medianOf(QList<double> values) {
    if (values.isEmpty())
        return 0;
    std::sort(values.begin(), values.end());
    const qsizetype n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}
