#pragma once

#include <QFont>

// The chart's fonts: titles, axis titles and tick labels in one, the legend a size smaller,
// the read-out in a fixed-pitch face so that its columns stay put while it follows the mouse.
QFont chartTextFont();
QFont chartLegendFont();
QFont readoutFont();
