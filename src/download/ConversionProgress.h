#pragma once

#include <functional>

// The progress of writing the two engine data files of one engine, shared by both writers:
// 52 steps in the steady-state file (each bin of each table), then 8 in the transient file
// (each phase of each table). The callback receives the percent at the start of each step
// and 100 at the end; the download dialog repaints in it.
class ConversionProgress {
public:
    static constexpr int kSteadyStateSteps = 52;
    static constexpr int kTransientSteps = 8;
    static constexpr int kStepCount = kSteadyStateSteps + kTransientSteps;

    explicit ConversionProgress(std::function<void(int percent)> report = {})
        : report_(std::move(report)) {}

    // Reports step * 100 / 60 and moves on to the next step.
    void beginStep();
    // Reports 100.
    void finish();
    int step() const { return step_; }

private:
    void report(int percent) const;

    int step_ = 0;
    std::function<void(int percent)> report_;
};
