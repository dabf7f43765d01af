#pragma once

#include "FlightDataElement.h"
#include "UnitSimulatorConfig.h"

#include <QList>

// The first `count` flight slots (at most 20) of engine `engine` as a simulated unit of
// `config` records them, loaded as the viewer loads them, for tests and benchmarks that plot
// realistic data.
QList<FlightDataElement> simulatorFlights(int count, int engine = 1,
                                          const UnitSimulatorConfig& config = {});
