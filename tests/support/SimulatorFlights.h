#pragma once

#include "FlightDataElement.h"

#include <QList>

// The first `count` flights (at most 20) of engine 1 as the simulated unit records them,
// loaded as the viewer loads them, for tests and benchmarks that plot realistic data.
QList<FlightDataElement> simulatorFlights(int count);
