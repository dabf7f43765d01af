// The spectrum of one record against FFTW's single-precision real transform of the same 1024
// samples plus the 512 magnitudes, the fastest this job can be done on this machine.
//
//   build-*/bin/bench_spectrum [--benchmark_repetitions=5 ...]

#include "Spectrum.h"

#include <benchmark/benchmark.h>
#include <fftw3.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

using Record = std::array<double, kRecordLength>;

// Samples as the unit records them: 16-bit counts in G.
Record makeRecord() {
    std::mt19937 generator(2024);
    std::uniform_int_distribution<int> counts(-32768, 32767);
    Record record;
    for (double& value : record) {
        value = counts(generator) * 200.0 / 65535.0;
    }
    return record;
}

const Record& theRecord() {
    static const Record record = makeRecord();
    return record;
}

class FftwSpectrum {
public:
    FftwSpectrum()
        : input_(fftwf_alloc_real(kRecordLength)),
          output_(fftwf_alloc_complex(kRecordLength / 2 + 1)),
          plan_(fftwf_plan_dft_r2c_1d(kRecordLength, input_, output_, FFTW_MEASURE)) {}
    ~FftwSpectrum() {
        fftwf_destroy_plan(plan_);
        fftwf_free(output_);
        fftwf_free(input_);
    }
    FftwSpectrum(const FftwSpectrum&) = delete;
    FftwSpectrum& operator=(const FftwSpectrum&) = delete;

    // Planning with FFTW_MEASURE scribbles over the input, so it is filled afterwards.
    void load(const Record& record) {
        for (int k = 0; k < kRecordLength; ++k) {
            input_[k] = static_cast<float>(record[k]);
        }
    }

    void compute(double* amplitudes) {
        fftwf_execute(plan_);
        for (int k = 0; k < kSpectrumPoints; ++k) {
            const float re = output_[k][0];
            const float im = output_[k][1];
            amplitudes[k] = std::sqrt(re * re + im * im) / kSpectrumPoints;
        }
    }

private:
    float* input_;
    fftwf_complex* output_;
    fftwf_plan plan_;
};

FftwSpectrum& fftw() {
    static FftwSpectrum instance;
    return instance;
}

void BM_RecordSpectrum(benchmark::State& state) {
    const int windowType = static_cast<int>(state.range(0));
    std::array<double, kSpectrumPoints> amplitudes;
    for (auto _ : state) {
        recordSpectrum(theRecord().data(), windowType, SpectrumView::Transient, amplitudes.data());
        benchmark::DoNotOptimize(amplitudes.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_RecordSpectrum)->ArgName("window")->Arg(0)->Arg(kHannWindow);

void BM_FftwSpectrum(benchmark::State& state) {
    FftwSpectrum& transform = fftw();
    transform.load(theRecord());
    std::array<double, kSpectrumPoints> amplitudes;
    for (auto _ : state) {
        transform.compute(amplitudes.data());
        benchmark::DoNotOptimize(amplitudes.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_FftwSpectrum);

// Keeps the mean time per spectrum of each benchmark so that the ratio can be printed.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration && !run.error_occurred) {
                Mean& mean = means_[run.benchmark_name()];
                mean.seconds += run.cpu_accumulated_time;
                mean.iterations += static_cast<double>(run.iterations);
            }
        }
    }

    double nanoseconds(const std::string& name) const {
        const auto found = means_.find(name);
        if (found == means_.end() || found->second.iterations == 0) {
            return 0;
        }
        return found->second.seconds / found->second.iterations * 1e9;
    }

private:
    struct Mean {
        double seconds = 0;
        double iterations = 0;
    };
    std::map<std::string, Mean> means_;
};

// Both sides must compute the same spectrum, or the comparison means nothing.
bool spectraAgree() {
    std::array<double, kSpectrumPoints> ours;
    std::array<double, kSpectrumPoints> theirs;
    recordSpectrum(theRecord().data(), 0, SpectrumView::Transient, ours.data());
    fftw().load(theRecord());
    fftw().compute(theirs.data());
    const double peak = *std::max_element(theirs.begin() + 1, theirs.end());
    for (int k = 1; k < kSpectrumPoints; ++k) {
        if (std::abs(ours[k] - theirs[k]) > 1e-5 * peak) {
            std::fprintf(stderr, "point %d: %.9g here, %.9g from FFTW\n", k, ours[k], theirs[k]);
            return false;
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (!spectraAgree()) {
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    const double fftwTime = reporter.nanoseconds("BM_FftwSpectrum");
    if (fftwTime > 0) {
        for (const char* name : {"BM_RecordSpectrum/window:0", "BM_RecordSpectrum/window:1"}) {
            const double time = reporter.nanoseconds(name);
            if (time > 0) {
                std::printf("%s: %.0f ns, %.2f x FFTW (%.0f ns)\n", name, time, time / fftwTime,
                            fftwTime);
            }
        }
    }
    return 0;
}
