#pragma once

#include "FleetHealth.h"

#include <QAbstractTableModel>
#include <QList>

// The fleet's rows as the Fleet Health window's table shows them, one column per field of
// brix-cli fleet, in its order and with its texts. The
// state reads as symbol and word on a tint of its colour, so that it is told apart in grey-scale
// print as well. Each cell also has a sort key (kSortRole): numbers sort as numbers, the state
// by its severity, empty cells below every value.
class FleetHealthModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column {
        AircraftColumn,
        EngineColumn,
        TypeColumn,
        SerialColumn,
        LastDownloadColumn,
        FlightsColumn,
        SuspectColumn,
        StateColumn,
        IndicatorColumn,
        ValueColumn,
        LimitColumn,
        FlightsToAlarmColumn,
        ColumnCount
    };
    static constexpr int kSortRole = Qt::UserRole;

    explicit FleetHealthModel(QObject* parent = nullptr);

    // Replaces the rows (worst first, as the fleet gives them).
    void setRows(QList<FleetRow> rows);
    const QList<FleetRow>& rows() const { return rows_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    QList<FleetRow> rows_;
    QList<QStringList> cells_;
};

// The column titles, in the order of the columns: short, so that every column fits on a
// 1024-pixel screen.
inline const QStringList kFleetColumnTitles = {
    QStringLiteral("Aircraft"),   QStringLiteral("Engine"),     QStringLiteral("Type"),
    QStringLiteral("Serial No."), QStringLiteral("Downloaded"), QStringLiteral("Flights"),
    QStringLiteral("Suspect"),    QStringLiteral("State"),      QStringLiteral("Indicator"),
    QStringLiteral("Value"),      QStringLiteral("Limit"),      QStringLiteral("To Alarm")};

// The state cell: symbol, blank, word ("▲ Warning").
QString fleetStateText(HealthState state);
