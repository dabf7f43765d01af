// Building whole views of one simulator flight, as every replot of the viewer does: the
// waterfall (26 or 10 spectra and their series) and, for scale, the parameter rows and the
// time history of ten flights.
#include "FlightDataElement.h"
#include "PlotSeries.h"
#include "SimulatorFlights.h"

#include <benchmark/benchmark.h>

namespace {

void buildView(benchmark::State& state, PlotType plotType, ParameterType parameterType,
               int flightCount) {
    const QList<FlightDataElement> flights = simulatorFlights(flightCount);
    PlotSelection selection;
    selection.plotType = plotType;
    selection.parameterType = parameterType;
    selection.flightNumber = flights.first().flightNumber;
    selection.windowType = int(state.range(0));
    for (auto _ : state) {
        PlotView view = buildPlotView(selection, flights);
        benchmark::DoNotOptimize(view);
    }
}

void steadyStateWaterfall(benchmark::State& state) {
    buildView(state, PlotType::SteadyState, ParameterType::Waterfall, 1);
}
void transientWaterfall(benchmark::State& state) {
    buildView(state, PlotType::Transient, ParameterType::Waterfall, 1);
}
void steadyStateSpectraOfTenFlights(benchmark::State& state) {
    buildView(state, PlotType::SteadyState, ParameterType::Fft, 10);
}
void steadyStateA4ROfTenFlights(benchmark::State& state) {
    buildView(state, PlotType::SteadyState, ParameterType::A4R, 10);
}

} // namespace

// The argument is the window type: 0 none, 1 Hann.
BENCHMARK(steadyStateWaterfall)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(transientWaterfall)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(steadyStateSpectraOfTenFlights)->Arg(0)->Unit(benchmark::kMicrosecond);
BENCHMARK(steadyStateA4ROfTenFlights)->Arg(0)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
