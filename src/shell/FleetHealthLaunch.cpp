#include "FleetHealthLaunch.h"

#include "AircraftPaths.h"
#include "Controls.h"
#include "FleetHealth.h"
#include "FleetHealthWindow.h"
#include "FlightIndex.h"
#include "IndicatorTrendView.h"
#include "IndicatorTrendWindow.h"

#include <QGuiApplication>

namespace {

// Building the index may read many files the first time.
class WaitCursor {
public:
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

} // namespace

FleetHealthWindow* openFleetHealth(QWidget* parent, const QFont& font, UserPersist& persist,
                                   Notifier& notifier) {
    const auto rows = [&notifier] {
        const WaitCursor wait;
        const FlightIndex index(registerDataDirectory(), registerIndexInputs(), notifier);
        return registerFleet(index);
    };
    const auto openTrend = [parent, &notifier](const FleetRow& row) {
        openFleetTrend(parent, row, notifier);
    };
    auto* window = new FleetHealthWindow(font, persist, notifier, rows, openTrend, parent);
    if (!window->isBuilt()) {
        delete window;
        return nullptr;
    }
    window->setAttribute(Qt::WA_DeleteOnClose);
    placeWindow(window);
    window->show();
    return window;
}

void openFleetTrend(QWidget* parent, const FleetRow& row, Notifier& notifier) {
    if (!row.health.driving)
        return;
    const Indicator indicator = *row.health.driving;
    std::optional<IndicatorLimits> limits;
    for (const IndicatorHealth& health : row.health.indicators)
        if (health.indicator == indicator)
            limits = health.limits;
    QList<IndexedFlight> flights;
    {
        const WaitCursor wait;
        const FlightIndex index(registerDataDirectory(), registerIndexInputs(), notifier,
                                FlightIndex::Opening::AsItIs);
        flights = index.indicatorTrend(row.aircraftId, row.engineNumber, std::nullopt, indicator);
    }
    auto* window = new IndicatorTrendWindow(
        buildIndicatorTrendView(flights, row.aircraftId, row.engineNumber, indicator, limits),
        parent);
    placeWindow(window);
    window->show();
}
